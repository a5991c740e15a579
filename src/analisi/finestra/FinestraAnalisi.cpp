#include "FinestraAnalisi.h"

#include "ErroreDati.h"
#include "Formati.h"
#include "PaginaAnalisi.h"

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
#include <QPushButton>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace pc::analisi {

namespace {

double numero(Valuta v) { return static_cast<double>(v.grezzo()) / Valuta::Scala; }

QString testo(const std::optional<Valuta> &v, int decimali)
{
    return QString::fromStdString(testoCifra(v, decimali, ','));
}

QDateTime istante(Giorno g) { return QDateTime(QDate(g.anno(), g.mese(), g.giorno()), QTime(12, 0)); }

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
    raggruppamento_->addItems({QStringLiteral("Numeri camere"), QStringLiteral("Tipi camere"), QStringLiteral("Macro categorie")});
    raggruppamento_->setCurrentIndex(1);
    confronto_ = new QCheckBox(QStringLiteral("&Confronto con l'anno precedente"));
    confronto_->setObjectName(QStringLiteral("Confronto"));
    confronto_->setChecked(true);
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
    richiesta->addWidget(confronto_);
    richiesta->addStretch();
    richiesta->addWidget(calcola_);
    principale->addLayout(richiesta);

    grafico_ = new QChart;
    grafico_->setTitle(QStringLiteral("Occupazione e RevPAR per giorno (Totale albergo)"));
    grafico_->legend()->setAlignment(Qt::AlignBottom);
    vista_ = new QChartView(grafico_);
    vista_->setObjectName(QStringLiteral("Grafico"));
    vista_->setRenderHint(QPainter::Antialiasing);
    vista_->setMinimumHeight(300);
    principale->addWidget(vista_, 3);

    tabella_ = new QTableWidget;
    tabella_->setObjectName(QStringLiteral("Tabella"));
    tabella_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabella_->verticalHeader()->setVisible(false);
    principale->addWidget(tabella_, 2);

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
    comandi_.insert(comandi_.end(), {dalla_, alla_, raggruppamento_, confronto_, calcola_});

    connect(calcola_, &QPushButton::clicked, this, [this] { calcola(); });
    connect(dalla_, &QLineEdit::returnPressed, alla_, qOverload<>(&QWidget::setFocus));
    connect(alla_, &QLineEdit::returnPressed, this, [this] { calcola(); });
    resize(1000, 720);
}

FinestraAnalisi::~FinestraAnalisi() = default;

void FinestraAnalisi::impostaRichiesta(const RichiestaAnalisi &r)
{
    dalla_->setText(QString::fromStdString(r.dalla.ggmmaaaa()));
    alla_->setText(QString::fromStdString(r.alla.ggmmaaaa()));
    raggruppamento_->setCurrentIndex(static_cast<int>(r.raggruppamento) - 1);
    confronto_->setChecked(r.confronto);
}

void FinestraAnalisi::impostaPeriodo(Giorno dalla, Giorno alla)
{
    dalla_->setText(QString::fromStdString(dalla.ggmmaaaa()));
    alla_->setText(QString::fromStdString(alla.ggmmaaaa()));
}

std::optional<RichiestaAnalisi> FinestraAnalisi::richiesta(bool conMessaggi)
{
    RichiestaAnalisi r;
    const auto d = Giorno::leggi(dalla_->text().toStdString()), a = Giorno::leggi(alla_->text().toStdString());
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
    occupato_ = false;
    stato_->clear();
    if (!problema.isEmpty()) {
        errore(QStringLiteral("Analisi non eseguita"), problema);
        return false;
    }
    return true;
}

bool FinestraAnalisi::calcola()
{
    const auto r = richiesta();
    if (!r) {
        emit calcoloConcluso(false);
        return false;
    }
    auto nuovo = std::make_unique<Riepilogo>();
    if (!esegui(*r, *nuovo)) {
        emit calcoloConcluso(false);
        return false;
    }
    riepilogo_ = std::move(nuovo);
    mostra();
    emit calcoloConcluso(true);
    return true;
}

void FinestraAnalisi::mostra()
{
    const Riepilogo &r = *riepilogo_;
    const bool confronto = r.intestazione.richiesta.confronto;

    grafico_->removeAllSeries();
    for (QAbstractAxis *a : grafico_->axes()) {
        grafico_->removeAxis(a);
        delete a;
    }
    auto *asseX = new QDateTimeAxis;
    asseX->setFormat(QStringLiteral("dd/MM"));
    asseX->setTitleText(QStringLiteral("Giorno"));
    auto *asseOccupazione = new QValueAxis;
    asseOccupazione->setTitleText(QStringLiteral("Occupazione %"));
    asseOccupazione->setLabelFormat(QStringLiteral("%.0f"));
    auto *asseRevpar = new QValueAxis;
    asseRevpar->setTitleText(QStringLiteral("RevPAR \u20ac"));
    asseRevpar->setLabelFormat(QStringLiteral("%.0f"));
    grafico_->addAxis(asseX, Qt::AlignBottom);
    grafico_->addAxis(asseOccupazione, Qt::AlignLeft);
    grafico_->addAxis(asseRevpar, Qt::AlignRight);

    double massimoRevpar = 1;
    for (int ap = 0; ap < (confronto ? 2 : 1); ++ap) {
        auto *occ = new QLineSeries;
        auto *rev = new QLineSeries;
        occ->setName(ap ? QStringLiteral("Occupazione % anno precedente") : QStringLiteral("Occupazione %"));
        rev->setName(ap ? QStringLiteral("RevPAR anno precedente") : QStringLiteral("RevPAR"));
        for (std::size_t d = 0; d < r.date.size(); ++d) {
            const Cifre &c = r.albergoPerGiorno[d];
            const qreal x = qreal(istante(r.date[d]).toMSecsSinceEpoch());
            if (auto v = occupazione(ap ? c.venduteAP : c.vendute, c.disponibili)) occ->append(x, numero(*v));
            if (auto v = revpar(ap ? c.ricavoAP : c.ricavo, c.disponibili)) {
                rev->append(x, numero(*v));
                massimoRevpar = std::max(massimoRevpar, numero(*v));
            }
        }
        QPen pOcc(ap ? QColor(158, 202, 225) : QColor(31, 119, 180), 2), pRev(ap ? QColor(253, 174, 107) : QColor(230, 85, 13), 2);
        if (ap) {
            pOcc.setStyle(Qt::DashLine);
            pRev.setStyle(Qt::DashLine);
        }
        occ->setPen(pOcc);
        rev->setPen(pRev);
        grafico_->addSeries(occ);
        grafico_->addSeries(rev);
        occ->attachAxis(asseX);
        occ->attachAxis(asseOccupazione);
        rev->attachAxis(asseX);
        rev->attachAxis(asseRevpar);
    }
    asseOccupazione->setRange(0, 100);
    asseRevpar->setRange(0, massimoRevpar * 1.1);
    asseRevpar->applyNiceNumbers();
    if (!r.date.empty()) asseX->setRange(istante(r.date.front()), istante(r.date.back()));
    asseX->setTickCount(std::clamp<int>(int(r.date.size()), 2, 10));

    QStringList titoli = {QStringLiteral("Colonna"), QStringLiteral("Disponibili"), QStringLiteral("Vendute"),
                          QStringLiteral("Occupazione %"), QStringLiteral("Ricavo"), QStringLiteral("ADR"), QStringLiteral("RevPAR")};
    if (confronto)
        titoli << QStringLiteral("Vendute AP") << QStringLiteral("Occupazione % AP") << QStringLiteral("Ricavo AP")
               << QStringLiteral("ADR AP") << QStringLiteral("RevPAR AP") << QStringLiteral("Diff. occupazione (punti)")
               << QStringLiteral("Var. ADR %") << QStringLiteral("Var. RevPAR %") << QStringLiteral("Var. ricavo %");
    const int n = int(r.totaliColonne.size());
    tabella_->clear();
    tabella_->setColumnCount(int(titoli.size()));
    tabella_->setHorizontalHeaderLabels(titoli);
    tabella_->setRowCount(n + 1);
    for (int k = 0; k <= n; ++k) {
        const Cifre &c = k < n ? r.totaliColonne[std::size_t(k)] : r.totaleAlbergo;
        QStringList v = {k < n ? QString::fromStdString(r.intestazione.colonne[std::size_t(k)]) : QStringLiteral("Totale albergo"),
                         QString::number(c.disponibili),
                         testo(c.vendute, 0),
                         testo(occupazione(c.vendute, c.disponibili), 1),
                         testo(c.ricavo, 2),
                         testo(adr(c.ricavo, c.vendute), 2),
                         testo(revpar(c.ricavo, c.disponibili), 2)};
        if (confronto)
            v << testo(c.venduteAP, 0) << testo(occupazione(c.venduteAP, c.disponibili), 1) << testo(c.ricavoAP, 2)
              << testo(adr(c.ricavoAP, c.venduteAP), 2) << testo(revpar(c.ricavoAP, c.disponibili), 2)
              << testo(puntiOccupazione(c), 1) << testo(variazioneAdr(c), 1) << testo(variazioneRevpar(c), 1)
              << testo(variazione(c.ricavo, c.ricavoAP), 1);
        for (int j = 0; j < v.size(); ++j) {
            auto *cella = new QTableWidgetItem(v[j]);
            cella->setTextAlignment(j == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (k == n) {
                QFont f = cella->font();
                f.setBold(true);
                cella->setFont(f);
            }
            tabella_->setItem(k, j, cella);
        }
    }
    tabella_->resizeColumnsToContents();
}

bool FinestraAnalisi::salvaXlsx(const QString &nome)
{
    const auto r = richiesta();
    if (!r) return false;
    std::unique_ptr<ScrittoreXlsx> xlsx;
    try {
        xlsx = std::make_unique<ScrittoreXlsx>(nome);   // the target is checked before computing
    } catch (const ErroreDati &e) {
        errore(QStringLiteral("Foglio elettronico non scritto"), QString::fromStdString(e.what()));
        return false;
    }
    return esegui(*r, *xlsx);
}

bool FinestraAnalisi::salvaCsv(const QString &nome)
{
    const auto r = richiesta();
    if (!r) return false;
    std::unique_ptr<ScrittoreCsv> csv;
    try {
        csv = std::make_unique<ScrittoreCsv>(nome);
    } catch (const ErroreDati &e) {
        errore(QStringLiteral("File csv non scritto"), QString::fromStdString(e.what()));
        return false;
    }
    return esegui(*r, *csv);
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
            const auto d = Giorno::leggi(dalla->text().toStdString()), a = Giorno::leggi(alla->text().toStdString());
            if (d && a && *d <= *a) finestra->impostaPeriodo(*d, *a);
        }
        finestra->show();
        finestra->raise();
        finestra->activateWindow();
    });
}

} // namespace pc::analisi
