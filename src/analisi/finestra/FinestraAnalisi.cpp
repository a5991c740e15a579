#include "FinestraAnalisi.h"

#include "ErroreDati.h"
#include "Formati.h"
#include "PaginaAnalisi.h"
#include "TavoRoutineDate.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QScatterSeries>
#include <QSplitter>
#include <QPushButton>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

using pc::dati::ErroreDati;
using pc::dati::FileProvvisorio;
using pc::dati::Valuta;
using pc::dati::fileTerminaCon;

namespace pc::analisi {

namespace {

double numero(Valuta v) { return static_cast<double>(v.grezzo()) / Valuta::Scala; }

QString testo(const std::optional<Valuta> &v, int decimali)
{
    return QString::fromStdString(testoCifra(v, decimali, ','));
}

QDateTime istante(Giorno g) { return QDateTime(QDate(g.anno(), g.mese(), g.giorno()), QTime(12, 0)); }

// A date typed in a window, read by the main window's rule: "010126" and
// "01012026" are completed to "01/01/2026" first.
std::optional<Giorno> dataDigitata(const QString &t)
{
    const QString completa = TavoRoutine::CompletaData(TavoRoutine::PulisciTesto(t.trimmed(), 0));
    if (TavoRoutine::DataValida(completa) != 1) return std::nullopt;
    return Giorno::leggi(completa.trimmed().toStdString());
}

const QColor kSopra(0, 120, 0), kSotto(190, 0, 0), kPrenotazione(255, 243, 205);

} // namespace

FinestraAnalisi::FinestraAnalisi(QWidget *parent)
    : QWidget(parent, Qt::Window), m_calcolo([](const RichiestaAnalisi &r, Destinatario &d, const Avanzamento &a) { analisi::calcola(r, d, a); })
{
    setObjectName(QStringLiteral("FinestraAnalisi"));
    setWindowTitle(QString::fromLatin1(titolo));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto *principale = new QVBoxLayout(this);
    auto *richiesta = new QHBoxLayout;
    m_dalla = new QLineEdit;
    m_alla = new QLineEdit;
    for (QLineEdit *e : {m_dalla, m_alla}) {
        e->setMaxLength(10);
        e->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
        e->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);
    }
    m_dalla->setObjectName(QStringLiteral("Dalla"));
    m_alla->setObjectName(QStringLiteral("Alla"));
    m_raggruppamento = new QComboBox;
    m_raggruppamento->setObjectName(QStringLiteral("Raggruppamento"));
    for (auto g : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie})
        m_raggruppamento->addItem(QString::fromUtf8(titoloRaggruppamento(g)));
    m_raggruppamento->setCurrentIndex(1);
    m_periodicita = new QComboBox;
    m_periodicita->setObjectName(QStringLiteral("Periodicita"));
    m_periodicita->addItems({QStringLiteral("Giorni"), QStringLiteral("Mesi"), QStringLiteral("Anni")});
    m_confronto = new QCheckBox(QStringLiteral("&Confronto con l'anno precedente"));
    m_confronto->setObjectName(QStringLiteral("Confronto"));
    m_confronto->setChecked(true);
    m_modoConfronto = new QComboBox;
    m_modoConfronto->setObjectName(QStringLiteral("ModoConfronto"));
    m_modoConfronto->addItems({QStringLiteral("stessa data"), QStringLiteral("stesso giorno della settimana (364 giorni prima)")});
    m_sceltaBudget = new QPushButton(QStringLiteral("B&udget..."));
    m_sceltaBudget->setObjectName(QStringLiteral("Budget"));
    m_sceltaBudget->setToolTip(QStringLiteral("File csv del budget mensile: Mese;Colonna;Vendute;Ricavo"));
    m_nomeBudget = new QLabel(QStringLiteral("nessun budget"));
    m_nomeBudget->setObjectName(QStringLiteral("NomeBudget"));
    m_calcola = new QPushButton(QStringLiteral("C&alcola"));
    m_calcola->setObjectName(QStringLiteral("Calcola"));
    m_calcola->setDefault(true);
    auto *etichettaDalla = new QLabel(QStringLiteral("&Dalla data"));
    etichettaDalla->setBuddy(m_dalla);
    auto *etichettaAlla = new QLabel(QStringLiteral("A&lla data"));
    etichettaAlla->setBuddy(m_alla);
    auto *etichettaRaggruppamento = new QLabel(QStringLiteral("&Raggruppamento"));
    etichettaRaggruppamento->setBuddy(m_raggruppamento);
    richiesta->addWidget(etichettaDalla);
    richiesta->addWidget(m_dalla);
    richiesta->addWidget(etichettaAlla);
    richiesta->addWidget(m_alla);
    richiesta->addWidget(etichettaRaggruppamento);
    richiesta->addWidget(m_raggruppamento);
    auto *etichettaPeriodicita = new QLabel(QStringLiteral("Righe &per"));
    etichettaPeriodicita->setBuddy(m_periodicita);
    richiesta->addWidget(etichettaPeriodicita);
    richiesta->addWidget(m_periodicita);
    richiesta->addStretch();
    richiesta->addWidget(m_calcola);
    principale->addLayout(richiesta);
    auto *seconda = new QHBoxLayout;
    seconda->addWidget(m_confronto);
    seconda->addWidget(m_modoConfronto);
    seconda->addSpacing(16);
    seconda->addWidget(m_sceltaBudget);
    seconda->addWidget(m_nomeBudget);
    seconda->addStretch();
    principale->addLayout(seconda);

    m_grafico = new QChart;
    m_grafico->setTitle(QStringLiteral("Occupazione e RevPAR per giorno (Totale albergo)"));
    m_grafico->legend()->setAlignment(Qt::AlignBottom);
    m_vista = new QChartView(m_grafico);
    m_vista->setObjectName(QStringLiteral("Grafico"));
    m_vista->setRenderHint(QPainter::Antialiasing);
    m_vista->setMinimumHeight(300);
    auto *divisore = new QSplitter(Qt::Vertical);
    divisore->addWidget(m_vista);

    m_tabella = new QTableWidget;
    m_tabella->setObjectName(QStringLiteral("Tabella"));
    m_tabella->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tabella->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tabella->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tabella->verticalHeader()->setVisible(false);
    m_tabella->setToolTip(QStringLiteral("Scegliere una riga per vederne il grafico e le righe del periodo"));
    divisore->addWidget(m_tabella);
    m_righe = new QTableWidget;
    m_righe->setObjectName(QStringLiteral("Righe"));
    m_righe->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_righe->verticalHeader()->setVisible(false);
    divisore->addWidget(m_righe);
    divisore->setStretchFactor(0, 3);
    divisore->setStretchFactor(1, 2);
    divisore->setStretchFactor(2, 2);
    principale->addWidget(divisore, 1);

    auto *piede = new QHBoxLayout;
    m_avanzamento = new QProgressBar;
    m_avanzamento->setObjectName(QStringLiteral("Avanzamento"));
    m_avanzamento->setVisible(false);
    m_stato = new QLabel;
    piede->addWidget(m_stato, 1);
    piede->addWidget(m_avanzamento, 1);
    struct Tasto {
        const char *nome, *testo;
        std::function<void()> azione;
    };
    const Tasto tasti[] = {
        {"SalvaXlsx", "Salva &xlsx", [this] { salvaConNome(".xlsx", QStringLiteral("Foglio elettronico (*.xlsx)"), &FinestraAnalisi::salvaXlsx); }},
        {"SalvaPdf", "Salva &PDF", [this] { salvaConNome(".pdf", QStringLiteral("PDF (*.pdf)"), &FinestraAnalisi::salvaPdf); }},
        {"SalvaCsv", "Salva c&sv", [this] { salvaConNome(".csv", QStringLiteral("CSV (*.csv)"), &FinestraAnalisi::salvaCsv); }},
        {"Stampa", "S&tampa", [this] { stampa(); }},
        {"Esci", "&Esci", [this] { close(); }},
    };
    for (const auto &t : tasti) {
        auto *b = new QPushButton(QString::fromUtf8(t.testo));
        b->setObjectName(QString::fromLatin1(t.nome));
        connect(b, &QPushButton::clicked, this, t.azione);
        piede->addWidget(b);
        if (std::string(t.nome) != "Esci") m_comandi.push_back(b);
    }
    principale->addLayout(piede);
    m_comandi.insert(m_comandi.end(), {m_dalla, m_alla, m_raggruppamento, m_periodicita, m_confronto, m_modoConfronto, m_sceltaBudget, m_calcola});

    connect(m_calcola, &QPushButton::clicked, this, [this] { calcola(); });
    connect(m_dalla, &QLineEdit::returnPressed, m_alla, qOverload<>(&QWidget::setFocus));
    connect(m_alla, &QLineEdit::returnPressed, this, [this] { calcola(); });
    // A date is completed as the main window completes it once typed.
    for (QLineEdit *e : {m_dalla, m_alla})
        connect(e, &QLineEdit::editingFinished, this, [e] {
            if (const auto g = dataDigitata(e->text())) e->setText(QString::fromStdString(g->ggmmaaaa()));
        });
    // Any change of the request makes the figures shown stale: they go.
    for (QLineEdit *e : {m_dalla, m_alla}) connect(e, &QLineEdit::textChanged, this, [this] { richiestaCambiata(); });
    for (QComboBox *c : {m_raggruppamento, m_periodicita, m_modoConfronto})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { richiestaCambiata(); });
    connect(m_confronto, &QCheckBox::toggled, this, [this](bool si) {
        m_modoConfronto->setEnabled(si && !m_occupato);
        richiestaCambiata();
    });
    connect(m_sceltaBudget, &QPushButton::clicked, this, [this] {
        const QString nome = QFileDialog::getOpenFileName(this, QStringLiteral("Budget mensile"), QDir::currentPath(),
                                                          QStringLiteral("Budget (*.csv *.txt);;Tutti i file (*)"));
        if (!nome.isEmpty()) impostaBudget(nome);
    });
    connect(m_tabella, &QTableWidget::currentCellChanged, this, [this](int riga) {
        if (riga >= 0 && riga != m_rigaScelta) mostraRiga(riga);
    });
    resize(1100, 800);
}

FinestraAnalisi::~FinestraAnalisi() = default;

void FinestraAnalisi::impostaRichiesta(const RichiestaAnalisi &r)
{
    m_dalla->setText(QString::fromStdString(r.dalla.ggmmaaaa()));
    m_alla->setText(QString::fromStdString(r.alla.ggmmaaaa()));
    m_raggruppamento->setCurrentIndex(static_cast<int>(r.raggruppamento) - 1);
    m_confronto->setChecked(r.confronto);
    m_modoConfronto->setCurrentIndex(r.modoConfronto == ModoConfronto::Settimana ? 1 : 0);
    m_periodicita->setCurrentIndex(static_cast<int>(r.periodicita));
    m_budget = r.budget;
    m_nomeBudget->setText(m_budget ? QStringLiteral("budget impostato") : QStringLiteral("nessun budget"));
    richiestaCambiata();
}

bool FinestraAnalisi::impostaBudget(const QString &file)
{
    if (file.isEmpty()) {
        m_budget.reset();
        m_nomeBudget->setText(QStringLiteral("nessun budget"));
        richiestaCambiata();
        return true;
    }
    try {
        m_budget = std::make_shared<Budget>(Budget::leggiFile(QFile::encodeName(file).toStdString()));
    } catch (const ErroreDati &e) {
        errore(QStringLiteral("Budget non letto"), QString::fromStdString(e.what()));
        return false;
    }
    m_nomeBudget->setText(QStringLiteral("Budget: %1").arg(QFileInfo(file).fileName()));
    if (m_periodicita->currentIndex() == 0) m_periodicita->setCurrentIndex(1);   // the budget is by month
    richiestaCambiata();
    return true;
}

void FinestraAnalisi::richiestaCambiata()
{
    if (!m_riepilogo) return;
    const auto r = richiesta(false);
    const RichiestaAnalisi &mostrata = m_riepilogo->intestazione.richiesta;
    if (r && r->dalla == mostrata.dalla && r->alla == mostrata.alla && r->raggruppamento == mostrata.raggruppamento &&
        r->confronto == mostrata.confronto && (!r->confronto || r->modoConfronto == mostrata.modoConfronto) &&
        r->periodicita == mostrata.periodicita && r->budget == mostrata.budget)
        return;
    pulisci();
}

void FinestraAnalisi::pulisci()
{
    m_riepilogo.reset();
    m_rigaScelta = -1;
    m_grafico->removeAllSeries();
    for (QAbstractAxis *a : m_grafico->axes()) {
        m_grafico->removeAxis(a);
        delete a;
    }
    m_tabella->clear();
    m_tabella->setRowCount(0);
    m_tabella->setColumnCount(0);
    m_righe->clear();
    m_righe->setRowCount(0);
    m_righe->setColumnCount(0);
    m_stato->setText(QStringLiteral("Richiesta cambiata: premere Calcola."));
}

void FinestraAnalisi::impostaPeriodo(Giorno dalla, Giorno alla)
{
    m_dalla->setText(QString::fromStdString(dalla.ggmmaaaa()));
    m_alla->setText(QString::fromStdString(alla.ggmmaaaa()));
    richiestaCambiata();
}

std::optional<RichiestaAnalisi> FinestraAnalisi::richiesta(bool conMessaggi)
{
    RichiestaAnalisi r;
    const auto d = dataDigitata(m_dalla->text()), a = dataDigitata(m_alla->text());
    QString problema;
    if (!d) problema = QStringLiteral("La data iniziale \"%1\" non \u00e8 una data valida (gg/mm/aaaa).").arg(m_dalla->text());
    else if (!a) problema = QStringLiteral("La data finale \"%1\" non \u00e8 una data valida (gg/mm/aaaa).").arg(m_alla->text());
    else if (*d > *a) problema = QStringLiteral("La data iniziale \u00e8 successiva alla data finale.");
    if (!problema.isEmpty()) {
        if (conMessaggi) errore(QStringLiteral("Periodo non valido"), problema);
        return std::nullopt;
    }
    r.dalla = *d;
    r.alla = *a;
    r.raggruppamento = static_cast<Raggruppamento>(m_raggruppamento->currentIndex() + 1);
    r.confronto = m_confronto->isChecked();
    r.modoConfronto = m_modoConfronto->currentIndex() == 1 ? ModoConfronto::Settimana : ModoConfronto::Data;
    r.periodicita = static_cast<Periodicita>(m_periodicita->currentIndex());
    r.budget = m_budget;
    return r;
}

void FinestraAnalisi::errore(const QString &t, const QString &messaggio)
{
    m_stato->setText(messaggio);
    QMessageBox::warning(this, t, messaggio);
}

bool FinestraAnalisi::esegui(const RichiestaAnalisi &r, Destinatario &d)
{
    if (m_occupato) return false;
    m_occupato = true;
    for (QWidget *w : m_comandi) w->setEnabled(false);
    m_avanzamento->setRange(0, 0);
    m_avanzamento->setVisible(true);
    m_stato->setText(QStringLiteral("Calcolo in corso..."));
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QApplication::processEvents();
    QString problema;
    try {
        // The window stays painted and movable between blocks of days; its
        // commands are disabled until the figures are done.
        m_calcolo(r, d, [this](long fatti, long totali) {
            m_avanzamento->setRange(0, int(std::clamp<long>(totali, 1, INT_MAX)));
            m_avanzamento->setValue(int(std::clamp<long>(fatti, 0, INT_MAX)));
            QApplication::processEvents();
        });
    } catch (const ErroreDati &e) {
        problema = QString::fromStdString(e.what());
    } catch (const std::exception &e) {
        problema = QStringLiteral("Errore imprevisto: %1").arg(QString::fromStdString(e.what()));
    }
    QApplication::restoreOverrideCursor();
    m_avanzamento->setVisible(false);
    for (QWidget *w : m_comandi) w->setEnabled(true);
    m_modoConfronto->setEnabled(m_confronto->isChecked());
    m_occupato = false;
    m_stato->clear();
    if (!problema.isEmpty()) {
        errore(QStringLiteral("Analisi non eseguita"), problema);
        return false;
    }
    return true;
}

bool FinestraAnalisi::calcola() { return calcolaEMostra(nullptr); }

bool FinestraAnalisi::calcolaEMostra(Destinatario *file)
{
    const auto r = richiesta();
    if (!r) {
        emit calcoloConcluso(false);
        return false;
    }
    auto nuovo = std::make_unique<Riepilogo>(true);
    Ripartitore entrambi({nuovo.get(), file});
    if (!esegui(*r, file ? static_cast<Destinatario &>(entrambi) : *nuovo)) {
        emit calcoloConcluso(false);
        return false;
    }
    m_riepilogo = std::move(nuovo);
    mostra();
    emit calcoloConcluso(true);
    return true;
}

namespace {

// One field of the tables: heading and text of a line's figures; scostamento
// marks a variance against budget, coloured by its sign.
struct Campo {
    QString titolo;
    std::function<std::optional<Valuta>(const Cifre &)> cifra;
    int decimali;
    bool scostamento = false;
};

std::vector<Campo> campiDi(const RichiestaAnalisi &q)
{
    using V = std::optional<Valuta>;
    std::vector<Campo> c = {
        {QStringLiteral("Disponibili"), [](const Cifre &x) -> V { return Valuta::daIntero(x.disponibili); }, 0},
        {QStringLiteral("Vendute"), [](const Cifre &x) -> V { return x.vendute; }, 0},
        {QStringLiteral("Occupazione %"), [](const Cifre &x) { return occupazione(x.vendute, x.disponibili); }, 1},
        {QStringLiteral("Ricavo"), [](const Cifre &x) -> V { return x.ricavo; }, 2},
        {QStringLiteral("ADR"), [](const Cifre &x) { return adr(x.ricavo, x.vendute); }, 2},
        {QStringLiteral("RevPAR"), [](const Cifre &x) { return revpar(x.ricavo, x.disponibili); }, 2},
        {QStringLiteral("di cui prenotate"), [](const Cifre &x) -> V { return x.prenotate; }, 0},
    };
    if (q.budget && q.periodicita != Periodicita::Giorno) {
        const std::vector<Campo> b = {
            {QStringLiteral("Budget vendute"), [](const Cifre &x) -> V { return x.budget ? V(x.budget->vendute) : std::nullopt; }, 0},
            {QStringLiteral("Budget ricavo"), [](const Cifre &x) -> V { return x.budget ? V(x.budget->ricavo) : std::nullopt; }, 2},
            {QStringLiteral("Scost. vendute"), [](const Cifre &x) { return scostamentoVendute(x); }, 0, true},
            {QStringLiteral("Scost. ricavo"), [](const Cifre &x) { return scostamentoRicavo(x); }, 2, true},
        };
        c.insert(c.end(), b.begin(), b.end());
    }
    if (q.confronto) {
        const std::vector<Campo> ap = {
            {QStringLiteral("Vendute AP"), [](const Cifre &x) -> V { return x.venduteAP; }, 0},
            {QStringLiteral("Occupazione % AP"), [](const Cifre &x) { return occupazione(x.venduteAP, x.disponibiliAP); }, 1},
            {QStringLiteral("Ricavo AP"), [](const Cifre &x) -> V { return x.ricavoAP; }, 2},
            {QStringLiteral("ADR AP"), [](const Cifre &x) { return adr(x.ricavoAP, x.venduteAP); }, 2},
            {QStringLiteral("RevPAR AP"), [](const Cifre &x) { return revpar(x.ricavoAP, x.disponibiliAP); }, 2},
            {QStringLiteral("Diff. occupazione (punti)"), [](const Cifre &x) { return puntiOccupazione(x); }, 1},
            {QStringLiteral("Var. ADR %"), [](const Cifre &x) { return variazioneAdr(x); }, 1},
            {QStringLiteral("Var. RevPAR %"), [](const Cifre &x) { return variazioneRevpar(x); }, 1},
            {QStringLiteral("Var. ricavo %"), [](const Cifre &x) { return variazione(x.ricavo, x.ricavoAP); }, 1},
        };
        c.insert(c.end(), ap.begin(), ap.end());
    }
    return c;
}

// A line of a table: its name, then its fields.
void riempiRiga(QTableWidget *t, int riga, const QString &nome, const Cifre &c, const std::vector<Campo> &campi, bool grassetto)
{
    auto *primo = new QTableWidgetItem(nome);
    t->setItem(riga, 0, primo);
    for (std::size_t j = 0; j < campi.size(); ++j) {
        const auto v = campi[j].cifra(c);
        auto *cella = new QTableWidgetItem(testo(v, campi[j].decimali));
        cella->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (campi[j].scostamento && v && !v->zero()) cella->setForeground(v->grezzo() < 0 ? kSotto : kSopra);
        t->setItem(riga, int(j) + 1, cella);
    }
    for (int j = 0; j < t->columnCount(); ++j) {
        QTableWidgetItem *cella = t->item(riga, j);
        if (grassetto) {
            QFont f = cella->font();
            f.setBold(true);
            cella->setFont(f);
        }
        // On the books: most rooms sold are bookings not yet arrived.
        if (c.inPrenotazione()) {
            cella->setBackground(kPrenotazione);
            cella->setToolTip(QStringLiteral("In prenotazione: %1 camere vendute su %2 sono prenotazioni non ancora arrivate")
                                  .arg(testo(c.prenotate, 0), testo(c.vendute, 0)));
        }
    }
}

} // namespace

void FinestraAnalisi::mostra()
{
    const Riepilogo &r = *m_riepilogo;
    const auto campi = campiDi(r.intestazione.richiesta);
    QStringList titoli = {QStringLiteral("Colonna")};
    for (const Campo &c : campi) titoli << c.titolo;
    const int n = int(r.totaliColonne.size());
    m_tabella->blockSignals(true);
    m_tabella->clear();
    m_tabella->setColumnCount(int(titoli.size()));
    m_tabella->setHorizontalHeaderLabels(titoli);
    m_tabella->setRowCount(n + 1);
    for (int k = 0; k <= n; ++k)
        riempiRiga(m_tabella, k, k < n ? QString::fromStdString(r.intestazione.colonne[std::size_t(k)]) : QStringLiteral("Totale albergo"),
                   k < n ? r.totaliColonne[std::size_t(k)] : r.totaleAlbergo, campi, k == n);
    m_tabella->resizeColumnsToContents();
    m_tabella->blockSignals(false);
    m_stato->setText(QString::fromStdString(titoloAnalisi(r.intestazione)));
    mostraRiga(n);
}

void FinestraAnalisi::scegliRiga(int riga)
{
    if (m_riepilogo && riga >= 0 && riga < m_tabella->rowCount()) m_tabella->setCurrentCell(riga, 0);
}

void FinestraAnalisi::mostraRiga(int k)
{
    const Riepilogo &r = *m_riepilogo;
    const RichiestaAnalisi &q = r.intestazione.richiesta;
    const bool confronto = q.confronto;
    const std::size_t n = r.intestazione.colonne.size();
    m_rigaScelta = k;
    m_tabella->blockSignals(true);
    m_tabella->setCurrentCell(k, 0);
    m_tabella->blockSignals(false);
    const QString nome = std::size_t(k) < n ? QString::fromStdString(r.intestazione.colonne[std::size_t(k)]) : QStringLiteral("Totale albergo");

    // The lines of the row.
    const auto campi = campiDi(q);
    const char *periodo = q.periodicita == Periodicita::Giorno ? "Giorno" : q.periodicita == Periodicita::Mese ? "Mese" : "Anno";
    QStringList titoli = {QString::fromLatin1(periodo)};
    for (const Campo &c : campi) titoli << c.titolo;
    m_righe->clear();
    m_righe->setColumnCount(int(titoli.size()));
    m_righe->setHorizontalHeaderLabels(titoli);
    m_righe->setRowCount(int(r.righe.size()));
    for (std::size_t i = 0; i < r.righe.size(); ++i)
        if (const Cifre *c = r.dellaRiga(i, std::size_t(k)))
            riempiRiga(m_righe, int(i), QString::fromStdString(etichetta(q.periodicita, r.righe[i].periodo)), *c, campi, false);
    m_righe->resizeColumnsToContents();

    // The chart of the row's lines.
    m_grafico->removeAllSeries();
    for (QAbstractAxis *a : m_grafico->axes()) {
        m_grafico->removeAxis(a);
        delete a;
    }
    m_grafico->setTitle(QStringLiteral("Occupazione e RevPAR per %1 (%2)").arg(QString::fromLatin1(periodo).toLower(), nome));
    auto *asseX = new QDateTimeAxis;
    const bool piuAnni = q.dalla.anno() != q.alla.anno();
    asseX->setFormat(q.periodicita == Periodicita::Anno   ? QStringLiteral("yyyy")
                     : q.periodicita == Periodicita::Mese ? QStringLiteral("MM/yyyy")
                     : piuAnni                            ? QStringLiteral("dd/MM/yy")
                                                          : QStringLiteral("dd/MM"));
    asseX->setTitleText(QString::fromLatin1(periodo));
    auto *asseOccupazione = new QValueAxis;
    asseOccupazione->setTitleText(QStringLiteral("Occupazione %"));
    asseOccupazione->setLabelFormat(QStringLiteral("%.0f"));
    auto *asseRevpar = new QValueAxis;
    asseRevpar->setTitleText(QStringLiteral("RevPAR \u20ac"));
    asseRevpar->setLabelFormat(QStringLiteral("%.0f"));
    m_grafico->addAxis(asseX, Qt::AlignBottom);
    m_grafico->addAxis(asseOccupazione, Qt::AlignLeft);
    m_grafico->addAxis(asseRevpar, Qt::AlignRight);

    // A month or a year is drawn at its middle, so that the axis labels fall on it.
    auto istanteRiga = [&](std::size_t i) {
        const Periodo &p = r.righe[i].periodo;
        return q.periodicita == Periodicita::Giorno ? istante(p.dalla) : istante(p.dalla).addSecs(qint64(p.giorni()) * 43200);
    };
    double massimoRevpar = 1;
    auto aggiungiSerie = [&](QLineSeries *s, const QPen &penna, bool revparAsse) {
        s->setPen(penna);
        m_grafico->addSeries(s);
        s->attachAxis(asseX);
        s->attachAxis(revparAsse ? asseRevpar : asseOccupazione);
        for (const QPointF &p : s->points())
            if (revparAsse) massimoRevpar = std::max(massimoRevpar, p.y());
    };
    const QColor blu(31, 119, 180), arancio(230, 85, 13);
    // This year's lines, the days on the books apart; last year's dashed.
    bool conPrenotazioni = false;
    for (std::size_t i = 0; i < r.righe.size(); ++i)
        if (const Cifre *c = r.dellaRiga(i, std::size_t(k)); c && c->inPrenotazione()) conPrenotazioni = true;
    for (int ap = 0; ap < (confronto ? 2 : 1); ++ap) {
        auto *occ = new QLineSeries;
        auto *rev = new QLineSeries;
        occ->setName(ap ? QStringLiteral("Occupazione % anno precedente") : QStringLiteral("Occupazione %"));
        rev->setName(ap ? QStringLiteral("RevPAR anno precedente") : QStringLiteral("RevPAR"));
        for (std::size_t i = 0; i < r.righe.size(); ++i) {
            const Cifre *c = r.dellaRiga(i, std::size_t(k));
            if (!c || (ap ? c->mancanteAP : c->mancante) || (!ap && c->inPrenotazione())) continue;
            const qreal x = qreal(istanteRiga(i).toMSecsSinceEpoch());
            if (auto v = occupazione(ap ? c->venduteAP : c->vendute, ap ? c->disponibiliAP : c->disponibili)) occ->append(x, numero(*v));
            if (auto v = revpar(ap ? c->ricavoAP : c->ricavo, ap ? c->disponibiliAP : c->disponibili)) rev->append(x, numero(*v));
        }
        QPen pOcc(ap ? QColor(120, 170, 210) : blu, 2), pRev(ap ? QColor(245, 160, 100) : arancio, 2);
        if (ap) {
            pOcc.setStyle(Qt::DashLine);
            pRev.setStyle(Qt::DashLine);
        }
        aggiungiSerie(occ, pOcc, false);
        aggiungiSerie(rev, pRev, true);
    }
    if (conPrenotazioni) {
        auto *occ = new QLineSeries;
        auto *rev = new QLineSeries;
        occ->setName(QStringLiteral("Occupazione % in prenotazione"));
        rev->setName(QStringLiteral("RevPAR in prenotazione"));
        // From the last line before each run on the books, so that the line goes on.
        for (std::size_t i = 0; i < r.righe.size(); ++i) {
            const Cifre *c = r.dellaRiga(i, std::size_t(k));
            const Cifre *dopo = i + 1 < r.righe.size() ? r.dellaRiga(i + 1, std::size_t(k)) : nullptr;
            if (!c || (!c->inPrenotazione() && !(dopo && dopo->inPrenotazione()))) continue;
            const qreal x = qreal(istanteRiga(i).toMSecsSinceEpoch());
            if (auto v = occupazione(c->vendute, c->disponibili)) occ->append(x, numero(*v));
            if (auto v = revpar(c->ricavo, c->disponibili)) rev->append(x, numero(*v));
        }
        QPen pOcc(blu, 2, Qt::DotLine), pRev(arancio, 2, Qt::DotLine);
        aggiungiSerie(occ, pOcc, false);
        aggiungiSerie(rev, pRev, true);
    }
    if (q.budget && q.periodicita != Periodicita::Giorno) {
        auto *rev = new QLineSeries;
        rev->setName(QStringLiteral("RevPAR budget"));
        for (std::size_t i = 0; i < r.righe.size(); ++i) {
            const Cifre *c = r.dellaRiga(i, std::size_t(k));
            if (!c || !c->budget) continue;
            if (auto v = revpar(c->budget->ricavo, c->disponibili))
                rev->append(qreal(istanteRiga(i).toMSecsSinceEpoch()), numero(*v));
        }
        aggiungiSerie(rev, QPen(QColor(44, 160, 44), 2, Qt::DashDotLine), true);
    }
    asseOccupazione->setRange(0, 100);
    asseRevpar->setRange(0, massimoRevpar * 1.1);
    asseRevpar->applyNiceNumbers();
    if (!r.righe.empty()) {
        QDateTime primo = istanteRiga(0), ultimo = istanteRiga(r.righe.size() - 1);
        if (primo == ultimo) ultimo = ultimo.addDays(1);
        asseX->setRange(primo, ultimo);
    }
    asseX->setTickCount(std::clamp<int>(int(r.righe.size()), 2, 10));
}

// The file and the screen come from one computation, which replaces the figures shown.
bool FinestraAnalisi::salvaXlsx(const QString &nome)
{
    std::unique_ptr<ScrittoreXlsx> xlsx;
    try {
        xlsx = std::make_unique<ScrittoreXlsx>(nome);   // the target is checked before computing
    } catch (const ErroreDati &e) {
        errore(QStringLiteral("Foglio elettronico non scritto"), QString::fromStdString(e.what()));
        return false;
    }
    return calcolaEMostra(xlsx.get());
}

bool FinestraAnalisi::salvaCsv(const QString &nome)
{
    std::unique_ptr<ScrittoreCsv> csv;
    try {
        csv = std::make_unique<ScrittoreCsv>(nome);
    } catch (const ErroreDati &e) {
        errore(QStringLiteral("File csv non scritto"), QString::fromStdString(e.what()));
        return false;
    }
    return calcolaEMostra(csv.get());
}

bool FinestraAnalisi::salvaPdf(const QString &nome)
{
    if (!m_riepilogo && !calcola()) return false;
    try {
        scriviPdf(*m_riepilogo, nome);
    } catch (const ErroreDati &e) {
        errore(QStringLiteral("PDF non scritto"), QString::fromStdString(e.what()));
        return false;
    }
    return true;
}

void FinestraAnalisi::salvaConNome(const char *estensione, const QString &filtro, bool (FinestraAnalisi::*salva)(const QString &))
{
    const QString proposto = QDir::current().filePath(QString::fromStdString(nomeFileAnalisi(estensione)));
    const QString nome = QFileDialog::getSaveFileName(this, QStringLiteral("Salva l'analisi"), proposto, filtro);
    if (nome.isEmpty()) return;
    if ((this->*salva)(nome)) m_stato->setText(QStringLiteral("Scritto %1").arg(nome));
}

void FinestraAnalisi::stampa()
{
    if (!m_riepilogo && !calcola()) return;
    QPrinter stampante(QPrinter::HighResolution);
    stampante.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialogo(&stampante, this);
    dialogo.setWindowTitle(QStringLiteral("Stampa l'analisi"));
    if (dialogo.exec() != QDialog::Accepted) return;
    try {
        // "Print to file": the file chosen in the dialog is written through the file writer.
        std::unique_ptr<FileProvvisorio> file;
        if (!stampante.outputFileName().isEmpty()) {
            file = std::make_unique<FileProvvisorio>(QFile::encodeName(stampante.outputFileName()).toStdString(), "il file di stampa");
            stampante.setOutputFileName(file->percorsoQt());
        }
        disegnaAnalisi(*m_riepilogo, stampante);
        if (file) {
            if (stampante.outputFormat() == QPrinter::PdfFormat && !fileTerminaCon(file->percorso(), "%%EOF"))
                file->fallita("il file scritto \xC3\xA8 incompleto (disco pieno o limite di dimensione dei file?)");
            file->conferma();
        }
    } catch (const ErroreDati &e) {
        errore(QStringLiteral("Stampa non eseguita"), QString::fromStdString(e.what()));
    }
}

void collegaAFinestraPrincipale(QWidget *principale)
{
    auto *azione = new QAction(QStringLiteral("Analisi produzione camere (occupazione, ADR, RevPAR)..."), principale);
    azione->setObjectName(QStringLiteral("AzioneAnalisi"));
    azione->setShortcut(QKeySequence(Qt::Key_F2));
    azione->setShortcutContext(Qt::WindowShortcut);
    principale->addAction(azione);
    principale->setContextMenuPolicy(Qt::ActionsContextMenu);
    principale->setToolTip(QStringLiteral("F2 o tasto destro: Analisi produzione camere (occupazione, ADR, RevPAR, grafico)"));
    QObject::connect(azione, &QAction::triggered, principale, [principale] {
        auto *finestra = principale->findChild<FinestraAnalisi *>(QString(), Qt::FindDirectChildrenOnly);
        if (!finestra) finestra = new FinestraAnalisi(principale);
        // The main window's period, when both of its dates are valid.
        auto *dalla = principale->findChild<QLineEdit *>(QStringLiteral("Text1_0"));
        auto *alla = principale->findChild<QLineEdit *>(QStringLiteral("Text1_1"));
        if (dalla && alla) {
            const auto d = dataDigitata(dalla->text()), a = dataDigitata(alla->text());
            if (d && a && *d <= *a) finestra->impostaPeriodo(*d, *a);
        }
        finestra->show();
        finestra->raise();
        finestra->activateWindow();
    });
}

} // namespace pc::analisi
