#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

#include <array>

class QLabel;
class QPushButton;
class QTextEdit;

namespace pc::MsgBox_Routine {

// Borderless green message window: a title line, a multi-line message and up
// to three answer buttons. It centres itself at its designed size when
// created; when shown it places the buttons by MsgBox_Routine::Stile, sizes
// itself to the message and stays on top. A button press stores the answer in
// MsgBox_Routine::Risposta and closes the window.
//
// The caller sets the captions (Label1, T(i)), the message (impostaTesto) and
// which buttons are visible, then runs exec().
//
// Sizes are kept in twips. The window never grows beyond the screen's
// available area: a longer or wider message scrolls inside Text1, and a
// window that would cross a screen edge is moved back inside it.
class MsgBox_Form : public QDialog {
    Q_OBJECT
public:
    explicit MsgBox_Form(QWidget *parent = nullptr);

    // Number of carriage returns in the text plus 2 (one more than its lines).
    // Saturates at 32767.
    static short CalcolaRighe(const QString &testo);
    // Longest run of characters between carriage returns, at least 50, plus 1.
    // A line feed after a carriage return belongs to the following run.
    // Saturates at 32767.
    static short CalcolaColonne(const QString &testo);

    QLabel *Label1() const { return m_label1; }
    QTextEdit *Text1() const { return m_text1; }
    QPushButton *T(int indice) const;

    // The message, lines separated by CR LF (or CR). Sizing reads it as given.
    void impostaTesto(const QString &testo);
    const QString &testo() const { return m_testo; }

    // Current geometry in twips (relative to the screen for the window, to the
    // window for its controls).
    QRect finestraTwips() const { return m_finestra; }
    QRect label1Twips() const { return m_rLabel1; }
    QRect text1Twips() const { return m_rText1; }
    QRect shape1Twips() const { return m_rShape1; }
    QRect tTwips(int indice) const;

public slots:
    // Button handler: index 0 answers 0 for "Ok" and 6 for "Si" (other
    // captions leave the answer unchanged), 1 answers 7, 2 answers 2.
    void T_Click(int indice);

protected:
    void showEvent(QShowEvent *evento) override;
    void paintEvent(QPaintEvent *evento) override;

private:
    void Form_Load();
    void Form_Activate();
    void applicaGeometria();
    QRect areaSchermoTwips() const;

    QLabel *m_label1;
    QTextEdit *m_text1;
    std::array<QPushButton *, 3> m_t{};
    QString m_testo;

    QRect m_finestra;   // left/top on screen, size
    QRect m_rLabel1, m_rText1, m_rShape1;
    std::array<QRect, 3> m_rT{};
};

} // namespace pc::MsgBox_Routine
