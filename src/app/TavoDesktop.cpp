#include "TavoDesktop.h"

#include "Sorgente.h"
#include "Caratteri.h"
#include "ImmagineEsci.h"
#include "ErroreDati.h"
#include "Raggruppamenti.h"
#include "Protezione.h"
#include "ScritturaFile.h"
#include "TavoRoutine.h"
#include "TavoRoutineDate.h"
#include "Twips.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <climits>
#include <memory>

using pc::dati::descriviEccezione;
using pc::piattaforma::azioneProtetta;
using pc::piattaforma::carattere;
using pc::piattaforma::immagineEsci;
using pc::piattaforma::impostaSostitutiCaratteri;

namespace pc::app {

namespace {

const QColor coloreSfondo(192, 192, 255);

// The rounded rectangle drawn around a date box. It takes no input.
class Forma : public QWidget {
public:
    Forma(int raggio, QWidget *parent) : QWidget(parent), m_raggio(raggio)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_raggio, m_raggio);
    }

private:
    int m_raggio;
};

bool eInvio(const QKeyEvent *tasto) { return tasto->key() == Qt::Key_Return || tasto->key() == Qt::Key_Enter; }

// While a report runs, every input event aimed at the main window (keys,
// mouse, shortcuts) is dropped, while painting and timers go on.
class BloccoInput : public QObject {
public:
    explicit BloccoInput(QWidget *finestra) : m_finestra(finestra) {}

protected:
    bool eventFilter(QObject *oggetto, QEvent *evento) override
    {
        switch (evento->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: {
            auto *w = qobject_cast<QWidget *>(oggetto);
            return w && (w == m_finestra || m_finestra->isAncestorOf(w));
        }
        default:
            return false;
        }
    }

private:
    QWidget *m_finestra;
};

// For the length of a report: the window is busy, takes no input and shows
// the wait cursor; all undone on every way out.
class ReportInCorso {
public:
    ReportInCorso(QWidget *finestra, bool &occupato) : m_occupato(occupato), m_blocco(finestra)
    {
        m_occupato = true;
        qApp->installEventFilter(&m_blocco);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~ReportInCorso()
    {
        QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(&m_blocco);
        m_occupato = false;
    }
    ReportInCorso(const ReportInCorso &) = delete;
    ReportInCorso &operator=(const ReportInCorso &) = delete;

private:
    bool &m_occupato;
    BloccoInput m_blocco;
};

QString testoAvanzamento(long fatti, long totali)
{
    return QStringLiteral("Elaborazione del report in corso: giorno %1 di %2").arg(fatti).arg(totali);
}

} // namespace

TavoDesktop::TavoDesktop(FunzioneReport report, QWidget *parent) : QWidget(parent), m_report(std::move(report))
{
    impostaSostitutiCaratteri();
    if (const QScreen *schermo = screen()) m_dpi = schermo->logicalDotsPerInch();
    if (m_dpi <= 0) m_dpi = 96;

    setObjectName(QStringLiteral("TavoDesktop"));
    setWindowTitle(QString::fromLatin1(titolo));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(px(5430), px(2835));
    QPalette tavolozza = palette();
    tavolozza.setColor(QPalette::Window, coloreSfondo);
    setPalette(tavolozza);
    setAutoFillBackground(true);

    creaControlli();
    Form_Load();
}

TavoDesktop::~TavoDesktop() = default;

void TavoDesktop::creaControlli()
{
    const QFont corbel = carattere({QStringLiteral("Corbel")}, 9.75);
    // Creation order is stacking order: shapes first, so that the boxes they
    // surround lie above them.
    creaForme();
    creaDate(corbel);
    creaRaggruppamenti(corbel);
    creaTastoStampa();
    creaTipi(corbel);
    creaTastoEsci();
    collegaTasti();
    impostaOrdineTabulazione();
}

void TavoDesktop::creaForme()
{
    for (int i = 0; i < 2; ++i) {
        auto *forma = new Forma(px(120), this);
        forma->setObjectName(QStringLiteral("Shape1_%1").arg(i));
        forma->setGeometry(px(1320), px(i == 0 ? 120 : 960), px(1575), px(495));
        Shape1_[i] = forma;
    }
}

void TavoDesktop::creaDate(const QFont &corbel)
{
    const char *etichette[2] = {"Dalla data ", "Alla data"};
    for (int i = 0; i < 2; ++i) {
        const int alto = i == 0 ? 240 : 1080;
        auto *etichetta = new QLabel(QString::fromLatin1(etichette[i]), this);
        etichetta->setObjectName(QStringLiteral("Label1_%1").arg(i));
        etichetta->setTextFormat(Qt::PlainText);
        etichetta->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        etichetta->setFont(corbel);
        etichetta->setGeometry(px(120), px(alto), px(1215), px(255));
        Label1_[i] = etichetta;

        auto *casella = new QLineEdit(this);
        casella->setObjectName(QStringLiteral("Text1_%1").arg(i));
        casella->setMaxLength(10);
        casella->setFont(carattere({QStringLiteral("Arial")}, 9.75));
        QPalette p = casella->palette();
        p.setColor(QPalette::Base, Qt::white);
        casella->setPalette(p);
        casella->setGeometry(px(1440), px(alto), px(1332), px(288));
        casella->installEventFilter(this);
        Text1_[i] = casella;
    }
}

void TavoDesktop::creaRaggruppamenti(const QFont &corbel)
{
    m_gruppoRaggruppamento = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto *opzione = new QRadioButton(QString::fromLatin1(titoloRaggruppamento(static_cast<Raggruppamento>(i + 1))), this);
        opzione->setObjectName(QStringLiteral("Opt_%1").arg(i));
        opzione->setFont(corbel);
        opzione->setGeometry(px(3120), px(120 + 480 * i), px(2175), px(375));
        m_gruppoRaggruppamento->addButton(opzione, i);
        Opt_[i] = opzione;
    }
    Opt_[0]->setChecked(true);
}

void TavoDesktop::creaTastoStampa()
{
    m_stampa = new QPushButton(QStringLiteral("&Stampa"), this);
    m_stampa->setObjectName(QStringLiteral("Tasto_0"));
    m_stampa->setFont(carattere({QStringLiteral("Corbel")}, 12));
    m_stampa->setGeometry(px(120), px(1680), px(1455), px(1080));
}

void TavoDesktop::creaTipi(const QFont &corbel)
{
    Frame1_ = new QGroupBox(this);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    Frame1_->setGeometry(px(1680), px(1560), px(2055), px(1215));
    const char *tipi[2] = {"Vendite", "Produzione"};
    m_gruppoTipo = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        auto *opzione = new QRadioButton(QString::fromLatin1(tipi[i]), Frame1_);
        opzione->setObjectName(QStringLiteral("Opt1_%1").arg(i));
        opzione->setFont(corbel);
        opzione->setGeometry(px(240), px(360 + 360 * i), px(1575), px(255));
        m_gruppoTipo->addButton(opzione, i);
        Opt1_[i] = opzione;
    }
    Opt1_[0]->setChecked(true);
}

void TavoDesktop::creaTastoEsci()
{
    m_esci = new QToolButton(this);
    m_esci->setObjectName(QStringLiteral("Tasto_1"));
    m_esci->setText(QStringLiteral("&Esci"));
    m_esci->setFont(carattere({QStringLiteral("Corbel")}, 12, true));
    m_esci->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const int lato = px(720);   // 48 pixels at 96 dpi
    m_esci->setIcon(QIcon(immagineEsci(lato, devicePixelRatioF())));
    m_esci->setIconSize(QSize(lato, lato));
    m_esci->setFocusPolicy(Qt::StrongFocus);
    QPalette bianca = m_esci->palette();
    bianca.setColor(QPalette::Button, Qt::white);
    m_esci->setPalette(bianca);
    m_esci->setAutoFillBackground(true);
    m_esci->setGeometry(px(3840), px(1680), px(1455), px(1080));
}

void TavoDesktop::collegaTasti()
{
    Tasto_ = {m_stampa, m_esci};
    for (int i = 0; i < 2; ++i) {
        Tasto_[i]->installEventFilter(this);
        connect(Tasto_[i], &QAbstractButton::clicked, this,
                [this, i] { azioneProtetta(this, QString::fromLatin1(titolo), [&] { Tasto_Click(i); }); });
    }
}

void TavoDesktop::impostaOrdineTabulazione()
{
    // Tab order of the controls that take the focus.
    const QList<QWidget *> ordine = {Text1_[0], Text1_[1], m_esci, m_stampa, Opt_[0], Opt_[1], Opt_[2], Opt1_[0], Opt1_[1]};
    for (qsizetype i = 0; i + 1 < ordine.size(); ++i) setTabOrder(ordine[i], ordine[i + 1]);
    // The user starts with the first date.
    Text1_[0]->setFocus(Qt::OtherFocusReason);
}

void TavoDesktop::Form_Load()
{
    TavoRoutine::GiorniMese = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    TavoRoutine::HotelCorrente = 1;
}

RichiestaReport TavoDesktop::richiesta() const
{
    RichiestaReport r;
    r.dalla = Text1_[0]->text().toStdString();
    r.alla = Text1_[1]->text().toStdString();
    r.tipo = Opt1_[0]->isChecked() ? TipoReport::Vendite : TipoReport::Produzione;
    r.raggruppamento = Opt_[0]->isChecked()   ? Raggruppamento::NumeriCamere
                       : Opt_[1]->isChecked() ? Raggruppamento::TipiCamere
                                              : Raggruppamento::MacroCategorie;
    return r;
}

bool TavoDesktop::eventFilter(QObject *oggetto, QEvent *evento)
{
    for (int i = 0; i < 2; ++i) {
        if (oggetto == Text1_[i]) {
            azioneProtetta(this, QString::fromLatin1(titolo), [&] {
                if (evento->type() == QEvent::FocusIn)
                    Text1_GotFocus(i, static_cast<QFocusEvent *>(evento)->reason() == Qt::MouseFocusReason);
                else if (evento->type() == QEvent::KeyPress && eInvio(static_cast<QKeyEvent *>(evento)))
                    Text1_KeyPress(i);
            });
            return false;   // the box still gets the event
        }
        // Enter on a button presses it, as Space does.
        if (oggetto == Tasto_[i] && evento->type() == QEvent::KeyPress && eInvio(static_cast<QKeyEvent *>(evento))) {
            if (!static_cast<QKeyEvent *>(evento)->isAutoRepeat()) Tasto_[i]->click();
            return true;
        }
    }
    return QWidget::eventFilter(oggetto, evento);
}

void TavoDesktop::closeEvent(QCloseEvent *evento)
{
    // A running report cannot be left half done.
    if (m_occupato) evento->ignore();
    else QWidget::closeEvent(evento);
}

void TavoDesktop::Text1_GotFocus(int Index, bool conMouse)
{
    QLineEdit *casella = Text1_[Index];
    casella->selectAll();
    // A click places the cursor after the focus arrives: select again once
    // the click is over.
    if (conMouse) QTimer::singleShot(0, casella, [casella] { casella->selectAll(); });
}

void TavoDesktop::Text1_KeyPress(int Index)
{
    using namespace TavoRoutine;
    QLineEdit *casella = Text1_[Index];
    casella->setText(CompletaData(PulisciTesto(casella->text(), 0)));
    if (DataValida(casella->text()) != 1) {
        casella->clear();
        casella->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (Index == 0) Text1_[1]->setFocus(Qt::OtherFocusReason);
    else if (PeriodoValido(Text1_[0]->text(), Text1_[1]->text()) == 1) {
        // Moved by the keyboard, as Tab would: the window then draws the
        // button's focus mark, which it otherwise keeps for Tab alone.
        setAttribute(Qt::WA_KeyboardFocusChange);
        m_stampa->setFocus(Qt::TabFocusReason);
    }
    else Text1_[0]->setFocus(Qt::OtherFocusReason);
}

void TavoDesktop::Tasto_Click(int Index)
{
    if (m_occupato) return;
    if (Index == 0) eseguiReport();
    else close();
}

void TavoDesktop::eseguiReport()
{
    if (!m_report) return;
    const QString errore = faiReport(richiesta());
    if (!errore.isEmpty()) {
        mostraErrore(errore);
        emit reportConcluso(false);
        return;
    }
    dopoReportRiuscito();
    emit reportConcluso(true);
}

QString TavoDesktop::faiReport(const RichiestaReport &r)
{
    // The window takes no input until the report is done; the progress
    // appears when the run lasts longer than the threshold.
    ReportInCorso inCorso(this, m_occupato);
    std::unique_ptr<QProgressDialog> progresso;
    QElapsedTimer cronometro;
    cronometro.start();
    const AvanzamentoReport avanzamento = [&](long fatti, long totali) { mostraAvanzamento(progresso, cronometro, fatti, totali); };

    QString errore;
    try {
        // One consistent reading of the central archive, when the program reads one.
        const auto lettura = dati::fontePredefinita()->tieni();
        m_report(r, avanzamento);
    } catch (...) {
        errore = QString::fromStdString(descriviEccezione(std::current_exception()));
    }
    return errore;
}

void TavoDesktop::mostraAvanzamento(std::unique_ptr<QProgressDialog> &progresso, const QElapsedTimer &cronometro, long fatti,
                                    long totali)
{
    const int massimo = int(std::clamp<long>(totali, 0, INT_MAX));
    if (!progresso && cronometro.elapsed() >= m_sogliaAvanzamento) {
        progresso = std::make_unique<QProgressDialog>(this);
        progresso->setObjectName(QStringLiteral("Avanzamento"));
        progresso->setWindowTitle(QString::fromLatin1(titolo));
        progresso->setCancelButton(nullptr);
        progresso->setAutoClose(false);
        progresso->setAutoReset(false);
        progresso->setWindowModality(Qt::WindowModal);
        progresso->setMinimumWidth(px(6000));
        progresso->setRange(0, massimo);
        progresso->show();
    }
    if (progresso) {
        progresso->setMaximum(massimo);
        progresso->setValue(int(std::clamp<long>(fatti, 0, massimo)));
        progresso->setLabelText(testoAvanzamento(fatti, totali));
    }
    QCoreApplication::processEvents();
}

void TavoDesktop::mostraErrore(const QString &errore)
{
    QMessageBox::warning(this, QStringLiteral("Report non eseguito"),
                         QStringLiteral("Il report della produzione camere non \u00e8 stato scritto.\n\n%1").arg(errore));
}

void TavoDesktop::dopoReportRiuscito()
{
    if (!m_dopoReport) return;
    azioneProtetta(this, QStringLiteral("Menu di stampa"), [&] { m_dopoReport(this); });
}

} // namespace pc::app
