#pragma once

#include "Analisi.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

class QChart;
class QChartView;

namespace pc::analisi {

// The window "Analisi produzione camere": period, grouping, lines by day,
// month or year, comparison (by date or weekday) and a monthly budget; the
// period table by column, the lines of the row chosen in it (the hotel's at
// first) with the days on the books marked and the variance against budget
// highlighted, a chart of that row's occupancy and RevPAR (last year dashed,
// the days on the books apart), and buttons to save the analysis as xlsx,
// PDF or csv and to print it. What is shown and what is saved are always one
// computation: a change of the request clears the figures shown. It stays
// painted while it computes.
class FinestraAnalisi : public QWidget {
    Q_OBJECT

public:
    // How the figures are computed (the real computation by default; tests may
    // give their own).
    using Calcolo = std::function<void(const RichiestaAnalisi &, Destinatario &, const Avanzamento &)>;

    explicit FinestraAnalisi(QWidget *parent = nullptr);
    ~FinestraAnalisi() override;

    void impostaCalcolo(Calcolo c) { m_calcolo = std::move(c); }
    void impostaRichiesta(const RichiestaAnalisi &r);
    void impostaPeriodo(Giorno dalla, Giorno alla);
    // Reads the budget file (empty: none); false after a message when it cannot be read.
    bool impostaBudget(const QString &file);
    // The request as the controls state it; nothing (after a message) when a date is wrong.
    std::optional<RichiestaAnalisi> richiesta(bool conMessaggi = true);

    // Computes and shows the request; false (after a message) on failure.
    bool calcola();
    // Save the analysis shown (computing it first when nothing is shown);
    // false after a message on failure.
    bool salvaXlsx(const QString &nome);
    bool salvaPdf(const QString &nome);
    bool salvaCsv(const QString &nome);

    const Riepilogo *riepilogo() const { return m_riepilogo.get(); }
    QChart *grafico() const { return m_grafico; }
    // The table row whose lines and chart are shown (the hotel's is the last).
    void scegliRiga(int riga);
    bool occupato() const { return m_occupato; }

    static constexpr const char *titolo = "Analisi produzione camere";

signals:
    void calcoloConcluso(bool riuscito);

private:
    bool esegui(const RichiestaAnalisi &r, Destinatario &d);
    // Computes the request into a new summary, also feeding d when given, and shows it.
    bool calcolaEMostra(Destinatario *d);
    void mostra();
    void mostraRiga(int riga);
    void pulisci();
    void richiestaCambiata();
    void salvaConNome(const char *estensione, const QString &filtro, bool (FinestraAnalisi::*salva)(const QString &));
    void stampa();
    void errore(const QString &titolo, const QString &messaggio);

    Calcolo m_calcolo;
    std::unique_ptr<Riepilogo> m_riepilogo;
    bool m_occupato = false;

    QLineEdit *m_dalla = nullptr, *m_alla = nullptr;
    QComboBox *m_raggruppamento = nullptr;
    QCheckBox *m_confronto = nullptr;
    QComboBox *m_modoConfronto = nullptr, *m_periodicita = nullptr;
    QPushButton *m_sceltaBudget = nullptr;
    QLabel *m_nomeBudget = nullptr;
    std::shared_ptr<const Budget> m_budget;
    QTableWidget *m_righe = nullptr;
    int m_rigaScelta = -1;
    QPushButton *m_calcola = nullptr;
    QChart *m_grafico = nullptr;
    QChartView *m_vista = nullptr;
    QTableWidget *m_tabella = nullptr;
    QProgressBar *m_avanzamento = nullptr;
    QLabel *m_stato = nullptr;
    std::vector<QWidget *> m_comandi;
};

// Makes the analysis reachable from the main window without touching its
// layout: F2 (named in the window's tooltip) and an entry of its context menu
// open the analysis window, with the main window's dates when they are valid.
void collegaAFinestraPrincipale(QWidget *principale);

} // namespace pc::analisi
