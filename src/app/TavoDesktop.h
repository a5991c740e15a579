#pragma once

#include "Richiesta.h"
#include "StampaProduzione.h"
#include "Twips.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QAbstractButton;
class QButtonGroup;
class QElapsedTimer;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace pc::app {

// The main window "Stampa produzione camere": the period, the kind of figure
// and the grouping of a report, and the buttons "&Stampa" and "&Esci".
// Controls carry the object names Label1_0, Text1_0, Shape1_0, Opt_0, Opt1_0,
// Frame1, Tasto_0, ... (array name, underscore, index).
class TavoDesktop : public QWidget {
    Q_OBJECT

public:
    // Makes the report of a request; throws ErroreDati on failure.
    using FunzioneReport = std::function<void(const RichiestaReport &, const AvanzamentoReport &)>;
    // Run after a successful report, with the window as parent (the print menu).
    using AzioneDopoReport = std::function<void(QWidget *)>;

    // The window that runs the real report driver.
    explicit TavoDesktop(QWidget *parent = nullptr)
        : TavoDesktop(FunzioneReport([](const RichiestaReport &r, const AvanzamentoReport &a) { StampaProduzione(r, a); }),
                      parent)
    {
    }
    explicit TavoDesktop(FunzioneReport report, QWidget *parent = nullptr);
    ~TavoDesktop() override;

    void impostaDopoReport(AzioneDopoReport azione) { m_dopoReport = std::move(azione); }
    // How long a report runs before its progress is shown (500 ms by default).
    void impostaSogliaAvanzamento(int millisecondi) { m_sogliaAvanzamento = millisecondi; }

    // The request as the controls state it now.
    RichiestaReport richiesta() const;
    // True while a report runs.
    bool occupato() const { return m_occupato; }

    static constexpr const char *titolo = "Stampa produzione camere";

signals:
    // After every run of "&Stampa": true when the report was made.
    void reportConcluso(bool riuscito);

protected:
    bool eventFilter(QObject *oggetto, QEvent *evento) override;
    void closeEvent(QCloseEvent *evento) override;

private:
    void Form_Load();
    void Tasto_Click(int Index);
    void Text1_GotFocus(int Index, bool conMouse);
    void Text1_KeyPress(int Index);   // Enter only
    void creaControlli();
    void creaForme();
    void creaDate(const QFont &corbel);
    void creaRaggruppamenti(const QFont &corbel);
    void creaTastoStampa();
    void creaTipi(const QFont &corbel);
    void creaTastoEsci();
    void collegaTasti();
    void impostaOrdineTabulazione();

    // The run of "&Stampa": the report, then its error or the print menu.
    void eseguiReport();
    // Makes the report with the window busy; the error's text, empty when done.
    QString faiReport(const RichiestaReport &r);
    // Shows the progress once the run has lasted longer than the threshold.
    void mostraAvanzamento(std::unique_ptr<QProgressDialog> &progresso, const QElapsedTimer &cronometro, long fatti,
                           long totali);
    void mostraErrore(const QString &errore);
    void dopoReportRiuscito();

    int px(int twips) const { return piattaforma::twipsInPixel(twips, m_dpi); }

    FunzioneReport m_report;
    AzioneDopoReport m_dopoReport;
    int m_sogliaAvanzamento = 500;
    bool m_occupato = false;
    qreal m_dpi = 96;

    std::array<QLabel *, 2> Label1_{};
    std::array<QLineEdit *, 2> Text1_{};
    std::array<QWidget *, 2> Shape1_{};
    std::array<QRadioButton *, 3> Opt_{};
    std::array<QRadioButton *, 2> Opt1_{};
    QGroupBox *Frame1_ = nullptr;
    QPushButton *m_stampa = nullptr;   // Tasto(0)
    QToolButton *m_esci = nullptr;     // Tasto(1)
    std::array<QAbstractButton *, 2> Tasto_{};
    QButtonGroup *m_gruppoRaggruppamento = nullptr;
    QButtonGroup *m_gruppoTipo = nullptr;
};

} // namespace pc::app
