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
    : QWidget(parent, Qt::Window), calcolo_([](const RichiestaAnalisi &r, Destinatario &d, const Avanzamento &a) { analisi::calcola(r, d, a); })
{
    setObjectName(QStringLiteral("FinestraAnalisi"));
    setWindowTitle(QString::fromLatin1(titolo));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto *principale = new QVBoxLayout(this);
    auto *richiesta = new QHBoxLayout;
    dalla_ = new QLineEdit;
    alla_ = new QLineEdit;
    for (QLineEdit *e : {dalla_, alla_}) {
        e->setMaxLength(10);
        e->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
        e->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);
    }
    dalla_->setObjectName(QStringLiteral("Dalla"));
    alla_->setObjectName(QStringLiteral("Alla"));
    raggruppamento_ = new QComboBox;
    raggruppamento_->setObjectName(QStringLiteral("Raggruppamento"));
    for (auto g : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie})
        raggruppamento_->addItem(QString::fromUtf8(titoloRaggruppamento(g)));
    raggruppamento_->setCurrentIndex(1);
    periodicita_ = new QComboBox;
    periodicita_->setObjectName(QStringLiteral("Periodicita"));
    periodicita_->addItems({QStringLiteral("Giorni"), QStringLiteral("Mesi"), QStringLiteral("Anni")});
    confronto_ = new QCheckBox(QStringLiteral("&Confronto con l'anno precedente"));
    confronto_->setObjectName(QStringLiteral("Confronto"));
    confronto_->setChecked(true);
    modoConfronto_ = new QComboBox;
    modoConfronto_->setObjectName(QStringLiteral("ModoConfronto"));
    modoConfronto_->addItems({QStringLiteral("stessa data"), QStringLiteral("stesso giorno della settimana (364 giorni prima)")});
    sceltaBudget_ = new QPushButton(QStringLiteral("B&udget..."));
    sceltaBudget_->setObjectName(QStringLiteral("Budget"));
    sceltaBudget_->setToolTip(QStringLiteral("File csv del budget mensile: Mese;Colonna;Vendute;Ricavo"));
    nomeBudget_ = new QLabel(QStringLiteral("nessun budget"));
    nomeBudget_->setObjectName(QStringLiteral("NomeBudget"));
    calcola_ = new QPushButton(QStringLiteral("C&alcola"));
    calcola_->setObjectName(QStringLiteral("Calcola"));
    calcola_->setDefault(true);
    auto *etichettaDalla = new QLabel(QStringLiteral("&Dalla data"));
    etichettaDalla->setBuddy(dalla_);
    auto *etichettaAlla = new QLabel(QStringLiteral("A&lla data"));
    etichettaAlla->setBuddy(alla_);
    auto *etichettaRaggruppamento = new QLabel(QStringLiteral("&Raggruppamento"));
    etichettaRaggruppamento->setBuddy(raggruppamento_);
    richiesta->addWidget(etichettaDalla);
    richiesta->addWidget(dalla_);
    richiesta->addWidget(etichettaAlla);
    richiesta->addWidget(alla_);
    richiesta->addWidget(etichettaRaggruppamento);
    richiesta->addWidget(raggruppamento_);
    auto *etichettaPeriodicita = new QLabel(QStringLiteral("Righe &per"));
    etichettaPeriodicita->setBuddy(periodicita_);
    richiesta->addWidget(etichettaPeriodicita);
    richiesta->addWidget(periodicita_);
    richiesta->addStretch();
    richiesta->addWidget(calcola_);
    principale->addLayout(richiesta);
    auto *seconda = new QHBoxLayout;
    seconda->addWidget(confronto_);
    seconda->addWidget(modoConfronto_);
    seconda->addSpacing(16);
    seconda->addWidget(sceltaBudget_);
    seconda->addWidget(nomeBudget_);
    seconda->addStretch();
    principale->addLayout(seconda);

    grafico_ = new QChart;
    grafico_->setTitle(QStringLiteral("Occupazione e RevPAR per giorno (Totale albergo)"));
    grafico_->legend()->setAlignment(Qt::AlignBottom);
    vista_ = new QChartView(grafico_);
    vista_->setObjectName(QStringLiteral("Grafico"));
    vista_->setRenderHint(QPainter::Antialiasing);
    vista_->setMinimumHeight(300);
    auto *divisore = new QSplitter(Qt::Vertical);
    divisore->addWidget(vista_);

    tabella_ = new QTableWidget;
    tabella_->setObjectName(QStringLiteral("Tabella"));
    tabella_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabella_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabella_->setSelectionMode(QAbstractItemView::SingleSelection);
    tabella_->verticalHeader()->setVisible(false);
    tabella_->setToolTip(QStringLiteral("Scegliere una riga per vederne il grafico e le righe del periodo"));
    divisore->addWidget(tabella_);
    righe_ = new QTableWidget;
    righe_->setObjectName(QStringLiteral("Righe"));
    righe_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    righe_->verticalHeader()->setVisible(false);
    divisore->addWidget(righe_);
    divisore->setStretchFactor(0, 3);
    divisore->setStretchFactor(1, 2);
    divisore->setStretchFactor(2, 2);
    principale->addWidget(divisore, 1);

    auto *piede = new QHBoxLayout;
    avanzamento_ = new QProgressBar;
    avanzamento_->setObjectName(QStringLiteral("Avanzamento"));
    avanzamento_->setVisible(false);
    stato_ = new QLabel;
    piede->addWidget(stato_, 1);
    piede->addWidget(avanzamento_, 1);
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
        if (std::string(t.nome) != "Esci") comandi_.push_back(b);
    }
    principale->addLayout(piede);
    comandi_.insert(comandi_.end(), {dalla_, alla_, raggruppamento_, periodicita_, confronto_, modoConfronto_, sceltaBudget_, calcola_});

    connect(calcola_, &QPushButton::clicked, this, [this] { calcola(); });
    connect(dalla_, &QLineEdit::returnPressed, alla_, qOverload<>(&QWidget::setFocus));
    connect(alla_, &QLineEdit::returnPressed, this, [this] { calcola(); });
    // A date is completed as the main window completes it once typed.
    for (QLineEdit *e : {dalla_, alla_})
        connect(e, &QLineEdit::editingFinished, this, [e] {
            if (const auto g = dataDigitata(e->text())) e->setText(QString::fromStdString(g->ggmmaaaa()));
        });
    // Any change of the request makes the figures shown stale: they go.
    for (QLineEdit *e : {dalla_, alla_}) connect(e, &QLineEdit::textChanged, this, [this] { richiestaCambiata(); });
    for (QComboBox *c : {raggruppamento_, periodicita_, modoConfronto_})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { richiestaCambiata(); });
    connect(confronto_, &QCheckBox::toggled, this, [this](bool si) {
        modoConfronto_->setEnabled(si && !occupato_);
        richiestaCambiata();
    });
    connect(sceltaBudget_, &QPushButton::clicked, this, [this] {
        const QString nome = QFileDialog::getOpenFileName(this, QStringLiteral("Budget mensile"), QDir::currentPath(),
                                                          QStringLiteral("Budget (*.csv *.txt);;Tutti i file (*)"));
        if (!nome.isEmpty()) impostaBudget(nome);
    });
    connect(tabella_, &QTableWidget::currentCellChanged, this, [this](int riga) {
        if (riga >= 0 && riga != rigaScelta_) mostraRiga(riga);
    });
    resize(1100, 800);
}

FinestraAnalisi::~FinestraAnalisi() = default;

void FinestraAnalisi::impostaRichiesta(const RichiestaAnalisi &r)
{
    dalla_->setText(QString::fromStdString(r.dalla.ggmmaaaa()));
    alla_->setText(QString::fromStdString(r.alla.ggmmaaaa()));
    raggruppamento_->setCurrentIndex(static_cast<int>(r.raggruppamento) - 1);
    confronto_->setChecked(r.confronto);
    modoConfronto_->setCurrentIndex(r.modoConfronto == ModoConfronto::Settimana ? 1 : 0);
    periodicita_->setCurrentIndex(static_cast<int>(r.periodicita));
    budget_ = r.budget;
    nomeBudget_->setText(budget_ ? QStringLiteral("budget impostato") : QStringLiteral("nessun budget"));
    richiestaCambiata();
}

bool FinestraAnalisi::impostaBudget(const QString &file)
{
    if (file.isEmpty()) {
        budget_.reset();
        nomeBudget_->setText(QStringLiteral("nessun budget"));
        richiestaCambiata();
        return true;
    }
    try {
        budget_ = std::make_shared<Budget>(Budget::leggiFile(QFile::encodeName(file).toStdString()));
    } catch (const ErroreDati &e) {
        errore(QStringLiteral("Budget non letto"), QString::fromStdString(e.what()));
        return false;
    }
    nomeBudget_->setText(QStringLiteral("Budget: %1").arg(QFileInfo(file).fileName()));
    if (periodicita_->currentIndex() == 0) periodicita_->setCurrentIndex(1);   // the budget is by month
    richiestaCambiata();
    return true;
}

void FinestraAnalisi::richiestaCambiata()
{
    if (!riepilogo_) return;
    const auto r = richiesta(false);
    const RichiestaAnalisi &mostrata = riepilogo_->intestazione.richiesta;
    if (r && r->dalla == mostrata.dalla && r->alla == mostrata.alla && r->raggruppamento == mostrata.raggruppamento &&
        r->confronto == mostrata.confronto && (!r->confronto || r->modoConfronto == mostrata.modoConfronto) &&
        r->periodicita == mostrata.periodicita && r->budget == mostrata.budget)
        return;
    pulisci();
}

void FinestraAnalisi::pulisci()
{
    riepilogo_.reset();
    rigaScelta_ = -1;
    grafico_->removeAllSeries();
    for (QAbstractAxis *a : grafico_->axes()) {
        grafico_->removeAxis(a);
        delete a;
    }
    tabella_->clear();
    tabella_->setRowCount(0);
    tabella_->setColumnCount(0);
    righe_->clear();
    righe_->setRowCount(0);
    righe_->setColumnCount(0);
    stato_->setText(QStringLiteral("Richiesta cambiata: premere Calcola."));
}

void FinestraAnalisi::impostaPeriodo(Giorno dalla, Giorno alla)
{
    dalla_->setText(QString::fromStdString(dalla.ggmmaaaa()));
    alla_->setText(QString::fromStdString(alla.ggmmaaaa()));
    richiestaCambiata();
}

std::optional<RichiestaAnalisi> FinestraAnalisi::richiesta(bool conMessaggi)
{
    RichiestaAnalisi r;
    const auto d = dataDigitata(dalla_->text()), a = dataDigitata(alla_->text());
    QString problema;
    if (!d) problema = QStringLiteral("La data iniziale \"%1\" non \u00e8 una data valida (gg/mm/aaaa).").arg(dalla_->text());
    else if (!a) problema = QStringLiteral("La data finale \"%1\" non \u00e8 una data valida (gg/mm/aaaa).").arg(alla_->text());
    else if (*d > *a) problema = QStringLiteral("La data iniziale \u00e8 successiva alla data finale.");
    if (!problema.isEmpty()) {
        if (conMessaggi) errore(QStringLiteral("Periodo non valido"), problema);
        return std::nullopt;
    }
    r.dalla = *d;
    r.alla = *a;
    r.raggruppamento = static_cast<Raggruppamento>(raggruppamento_->currentIndex() + 1);
    r.confronto = confronto_->isChecked();
    r.modoConfronto = modoConfronto_->currentIndex() == 1 ? ModoConfronto::Settimana : ModoConfronto::Data;
    r.periodicita = static_cast<Periodicita>(periodicita_->currentIndex());
    r.budget = budget_;
    return r;
}

void FinestraAnalisi::errore(const QString &t, const QString &messaggio)
{
    stato_->setText(messaggio);
    QMessageBox::warning(this, t, messaggio);
}

bool FinestraAnalisi::esegui(const RichiestaAnalisi &r, Destinatario &d)
{
    if (occupato_) return false;
    occupato_ = true;
    for (QWidget *w : comandi_) w->setEnabled(false);
    avanzamento_->setRange(0, 0);
    avanzamento_->setVisible(true);
    stato_->setText(QStringLiteral("Calcolo in corso..."));
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QApplication::processEvents();
    QString problema;
    try {
        // The window stays painted and movable between blocks of days; its
        // commands are disabled until the figures are done.
        calcolo_(r, d, [this](long fatti, long totali) {
            avanzamento_->setRange(0, int(std::clamp<long>(totali, 1, INT_MAX)));
            avanzamento_->setValue(int(std::clamp<long>(fatti, 0, INT_MAX)));
            QApplication::processEvents();
        });
    } catch (const ErroreDati &e) {
        problema = QString::fromStdString(e.what());
    } catch (const std::exception &e) {
        problema = QStringLiteral("Errore imprevisto: %1").arg(QString::fromStdString(e.what()));
    }
    QApplication::restoreOverrideCursor();
    avanzamento_->setVisible(false);
    for (QWidget *w : comandi_) w->setEnabled(true);
    modoConfronto_->setEnabled(confronto_->isChecked());
    occupato_ = false;
    stato_->clear();
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
    riepilogo_ = std::move(nuovo);
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
    const Riepilogo &r = *riepilogo_;
    const auto campi = campiDi(r.intestazione.richiesta);
    QStringList titoli = {QStringLiteral("Colonna")};
    for (const Campo &c : campi) titoli << c.titolo;
    const int n = int(r.totaliColonne.size());
    tabella_->blockSignals(true);
    tabella_->clear();
    tabella_->setColumnCount(int(titoli.size()));
    tabella_->setHorizontalHeaderLabels(titoli);
    tabella_->setRowCount(n + 1);
    for (int k = 0; k <= n; ++k)
        riempiRiga(tabella_, k, k < n ? QString::fromStdString(r.intestazione.colonne[std::size_t(k)]) : QStringLiteral("Totale albergo"),
                   k < n ? r.totaliColonne[std::size_t(k)] : r.totaleAlbergo, campi, k == n);
    tabella_->resizeColumnsToContents();
    tabella_->blockSignals(false);
    stato_->setText(QString::fromStdString(titoloAnalisi(r.intestazione)));
    mostraRiga(n);
}

void FinestraAnalisi::scegliRiga(int riga)
{
    if (riepilogo_ && riga >= 0 && riga < tabella_->rowCount()) tabella_->setCurrentCell(riga, 0);
}

void FinestraAnalisi::mostraRiga(int k)
{
    const Riepilogo &r = *riepilogo_;
    const RichiestaAnalisi &q = r.intestazione.richiesta;
    const bool confronto = q.confronto;
    const std::size_t n = r.intestazione.colonne.size();
    rigaScelta_ = k;
    tabella_->blockSignals(true);
    tabella_->setCurrentCell(k, 0);
    tabella_->blockSignals(false);
    const QString nome = std::size_t(k) < n ? QString::fromStdString(r.intestazione.colonne[std::size_t(k)]) : QStringLiteral("Totale albergo");

    // The lines of the row.
    const auto campi = campiDi(q);
    const char *periodo = q.periodicita == Periodicita::Giorno ? "Giorno" : q.periodicita == Periodicita::Mese ? "Mese" : "Anno";
    QStringList titoli = {QString::fromLatin1(periodo)};
    for (const Campo &c : campi) titoli << c.titolo;
    righe_->clear();
    righe_->setColumnCount(int(titoli.size()));
    righe_->setHorizontalHeaderLabels(titoli);
    righe_->setRowCount(int(r.righe.size()));
    for (std::size_t i = 0; i < r.righe.size(); ++i)
        if (const Cifre *c = r.dellaRiga(i, std::size_t(k)))
            riempiRiga(righe_, int(i), QString::fromStdString(etichetta(q.periodicita, r.righe[i].periodo)), *c, campi, false);
    righe_->resizeColumnsToContents();

    // The chart of the row's lines.
    grafico_->removeAllSeries();
    for (QAbstractAxis *a : grafico_->axes()) {
        grafico_->removeAxis(a);
        delete a;
    }
    grafico_->setTitle(QStringLiteral("Occupazione e RevPAR per %1 (%2)").arg(QString::fromLatin1(periodo).toLower(), nome));
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
    grafico_->addAxis(asseX, Qt::AlignBottom);
    grafico_->addAxis(asseOccupazione, Qt::AlignLeft);
    grafico_->addAxis(asseRevpar, Qt::AlignRight);

    // A month or a year is drawn at its middle, so that the axis labels fall on it.
    auto istanteRiga = [&](std::size_t i) {
        const Periodo &p = r.righe[i].periodo;
        return q.periodicita == Periodicita::Giorno ? istante(p.dalla) : istante(p.dalla).addSecs(qint64(p.giorni()) * 43200);
    };
    double massimoRevpar = 1;
    auto aggiungiSerie = [&](QLineSeries *s, const QPen &penna, bool revparAsse) {
        s->setPen(penna);
        grafico_->addSeries(s);
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
    if (!riepilogo_ && !calcola()) return false;
    try {
        scriviPdf(*riepilogo_, nome);
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
    if ((this->*salva)(nome)) stato_->setText(QStringLiteral("Scritto %1").arg(nome));
}

void FinestraAnalisi::stampa()
{
    if (!riepilogo_ && !calcola()) return;
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
        disegnaAnalisi(*riepilogo_, stampante);
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
