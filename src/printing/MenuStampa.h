#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace pc::stampa {

// The modal print menu that follows every report ("Stampe non modificabili").
//
// Loading (constructor): the current hotel 0 becomes 1, the folder "doc" is
// created, one clock reading names the document copy FileDoc
// ("doc/fd" + PCLocal + yyyymmddhhnn + ".doc") and the report file is copied
// there, Combo2 lists the system printers.
// Activation (every show, and again when the preview closes): kept on top,
// the option code and the hotel's print destinations (Combo1) are read
// afresh and the first destination is selected; with no destination the
// window closes at once, and a failing data store is reported to the user
// before the window closes.
class MenuStampa : public QDialog {
    Q_OBJECT
public:
    using Orologio = std::function<QDateTime()>;
    // What buttons 1, 3 and 4 run. They receive the menu to read its choices.
    using Azione = std::function<void(MenuStampa &)>;

    explicit MenuStampa(QWidget *parent = nullptr, Orologio orologio = {});
    ~MenuStampa() override;

    // Loads the menu over the given window and waits until it is closed: what
    // the main window runs after every successful report.
    static void mostra(QWidget *parent);

    // The choices of the window, as the printing reads them.
    QString destinazione() const;            // selected entry of Combo1 (empty when none)
    QString stampanteSistema() const;        // entry chosen in Combo2, empty until the user picks one
    bool compressa() const;                  // Chk
    bool orizzontale() const;                // Chk2
    bool fronteRetro() const;                // Chk3
    QString codiceAssistenza() const { return m_codiceAssistenza; }
    QString fileDoc() const { return m_fileDoc; }
    QStringList destinazioni() const;        // entries of Combo1, in order
    QStringList stampantiSistema() const;    // entries of Combo2, in order

    QComboBox *Combo1() const { return m_combo1; }
    QComboBox *Combo2() const { return m_combo2; }
    QCheckBox *Chk() const { return m_chk; }
    QCheckBox *Chk2() const { return m_chk2; }
    QCheckBox *Chk3() const { return m_chk3; }
    QPushButton *Tst(int indice) const;

    // Replace what buttons 1, 3 (and 2 through it) and 4 do.
    void impostaFoglioElettronico(Azione azione) { m_foglioElettronico = std::move(azione); }
    void impostaStampa(Azione azione) { m_stampa = std::move(azione); }
    void impostaAnteprima(Azione azione) { m_anteprima = std::move(azione); }

public slots:
    // Button handler for Tst(0) to Tst(5); any other index does nothing.
    void Tst_Click(int indice);

    void suDocumento();          // 0: open FileDoc with its associated application
    void suFoglioElettronico();  // 1: spreadsheet copy
    void suPdf();                // 2: last destination containing "PDF", then print
    void suStampa();             // 3: print with the current choices
    void suAnteprima();          // 4: preview, then activation again
    void suEsci();               // 5: close

    // The activation steps. False when the window is closing (no destination
    // or a failing data store).
    bool Form_Activate();

protected:
    void showEvent(QShowEvent *evento) override;

private:
    void Form_Load(const QDateTime &adesso);
    void costruisci();
    void chiudiDopo(const QString &messaggio);

    // Defaults of buttons 1, 3 and 4; filled by the spreadsheet, printing and
    // preview code.
    static void esportaFoglioElettronico(MenuStampa &menu);
    static void stampaReport(MenuStampa &menu);
    static void mostraAnteprima(MenuStampa &menu);

    QGroupBox *m_frame = nullptr;
    QLabel *m_label1[2] = {nullptr, nullptr};
    QComboBox *m_combo1 = nullptr;
    QComboBox *m_combo2 = nullptr;
    QCheckBox *m_chk = nullptr;
    QCheckBox *m_chk2 = nullptr;
    QCheckBox *m_chk3 = nullptr;
    std::array<QPushButton *, 6> m_tst{};

    QString m_codiceAssistenza;
    QString m_fileDoc;
    QString m_erroreDoc;   // why the document copy could not be written
    bool m_inChiusura = false;

    Azione m_foglioElettronico;
    Azione m_stampa;
    Azione m_anteprima;
};

} // namespace pc::stampa
