#include "MenuStampa.h"

#include "Anteprima.h"

#include "Desktop.h"
#include "DestinazioniStampa.h"
#include "ErroreDati.h"
#include "ImmagineEsci.h"
#include "Protezione.h"
#include "ScritturaFile.h"
#include "StampaReport.h"
#include "FileReport.h"
#include "TavoRoutine.h"
#include "Caratteri.h"
#include "Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <exception>

using pc::dati::copiaFileAtomico;
using pc::dati::descriviEccezione;
using pc::piattaforma::azioneProtetta;
using pc::piattaforma::carattere;
using pc::piattaforma::desktop;
using pc::piattaforma::immagineEsci;
using pc::piattaforma::rettangoloTwips;
using pc::piattaforma::twipsX;
using pc::piattaforma::twipsY;

// Resources of a static library are registered by hand, outside any namespace.
static void caricaIconeMenu() { Q_INIT_RESOURCE(icone_menu); }

namespace pc::stampa {

namespace {

QFont corbel() { return carattere({QStringLiteral("Corbel"), QStringLiteral("Carlito"), QStringLiteral("DejaVu Sans")}, 9.75); }

// Where the designed face is missing, the substitute may be wider: the size is
// lowered in quarter points until the caption fits the control's place.
void adattaAlPosto(QWidget *w)
{
    QFont f = w->font();
    while (w->sizeHint().width() > w->width() && f.pointSizeF() > 6.0) {
        f.setPointSizeF(f.pointSizeF() - 0.25);
        w->setFont(f);
    }
}

QPixmap immagine(const char *nome) { return QPixmap(QStringLiteral(":/menustampa/%1.png").arg(QLatin1String(nome))); }

// Page under a magnifying glass: the blank page with the lens over its lower right part.
QPixmap iconaAnteprima()
{
    QPixmap pagina = immagine("text-x-preview");
    const QPixmap lente = immagine("edit-find");
    QPainter p(&pagina);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const int lato = pagina.width() * 2 / 3;
    p.drawPixmap(QRect(pagina.width() - lato, pagina.height() - lato, lato, lato), lente);
    return pagina;
}

// PDF document: the blank page with a red band lettered "PDF".
QPixmap iconaPdf()
{
    QPixmap pagina = immagine("text-x-preview");
    QPainter p(&pagina);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = pagina.width(), h = pagina.height();
    const QRect fascia(w / 8, h * 9 / 20, w * 3 / 4, h / 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    p.drawRoundedRect(fascia, 2, 2);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(fascia.height() * 3 / 4);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(fascia, Qt::AlignCenter, QStringLiteral("PDF"));
    return pagina;
}

} // namespace

MenuStampa::MenuStampa(QWidget *parent, Orologio orologio)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    caricaIconeMenu();
    setObjectName(QStringLiteral("MenuStampa"));
    setWindowTitle(QStringLiteral("Stampe non modificabili"));
    setModal(true);

    m_foglioElettronico = &MenuStampa::esportaFoglioElettronico;
    m_stampa = &MenuStampa::stampaReport;
    m_anteprima = &MenuStampa::mostraAnteprima;

    costruisci();
    Form_Load(orologio ? orologio() : QDateTime::currentDateTime());
}

MenuStampa::~MenuStampa() = default;

void MenuStampa::mostra(QWidget *parent)
{
    MenuStampa menu(parent);
    menu.exec();
}

void MenuStampa::costruisci()
{
    setFixedSize(twipsX(this, 6390), twipsY(this, 2835));
    auto metti = [this](QWidget *w, int sinistra, int alto, int larghezza, int altezza) {
        w->setGeometry(rettangoloTwips(this, sinistra, alto, larghezza, altezza));
    };

    m_frame = new QGroupBox(QStringLiteral("Selezione "), this);
    m_frame->setObjectName(QStringLiteral("SSFrame1"));
    m_frame->setFont(carattere({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("DejaVu Sans")}, 9.75, true));
    metti(m_frame, 120, 0, 6195, 2730);

    auto etichetta = [&](int indice, const QString &testo, int alto) {
        auto *l = new QLabel(testo, m_frame);
        l->setObjectName(QStringLiteral("Label1_%1").arg(indice));
        l->setFont(corbel());
        metti(l, 120, alto, 1215, 255);
        adattaAlPosto(l);
        m_label1[indice] = l;
    };
    auto elenco = [&](const char *nome, int alto) {
        auto *c = new QComboBox(m_frame);
        c->setObjectName(QLatin1String(nome));
        c->setEditable(false);
        c->setFont(carattere({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}, 8.25, true));
        // A flat background: the style's own button gradient would tint it
        // (a rule with its own border, or the style would still draw its frame).
        c->setStyleSheet(QStringLiteral("QComboBox { background-color: rgb(255, 224, 192); "
                                        "border: 1px solid rgb(122, 122, 122); border-radius: 2px; padding: 0px 4px; }"));
        metti(c, 1320, alto, 4695, 330);
        return c;
    };
    auto casella = [&](const char *nome, const QString &testo, int sinistra, int larghezza, int altezza) {
        auto *k = new QCheckBox(testo, m_frame);
        k->setObjectName(QLatin1String(nome));
        k->setFont(corbel());
        k->setChecked(false);
        metti(k, sinistra, 840, larghezza, altezza);
        adattaAlPosto(k);
        return k;
    };

    etichetta(1, QStringLiteral("Virtuale "), 360);
    m_combo1 = elenco("Combo1", 360);
    m_chk = casella("Chk", QStringLiteral("Stampa Compressa"), 84, 1935, 255);
    m_chk2 = casella("Chk2", QStringLiteral("Stampa orizzontale"), 2040, 1980, 264);
    m_chk3 = casella("Chk3", QStringLiteral("Stampa fronte / retro"), 4080, 2220, 264);
    // One font for the three options: the smallest that each needed to fit.
    QFont comune = m_chk->font();
    for (QCheckBox *k : {m_chk2, m_chk3})
        if (k->font().pointSizeF() < comune.pointSizeF()) comune = k->font();
    for (QCheckBox *k : {m_chk, m_chk2, m_chk3}) k->setFont(comune);
    etichetta(0, QStringLiteral("Stampante "), 1200);
    m_combo2 = elenco("Combo2", 1200);

    const QPixmap immagini[6] = {immagine("x-office-document"), immagine("x-office-spreadsheet"), iconaPdf(),
                                 immagine("printer"), iconaAnteprima(),
                                 immagineEsci(twipsX(this, 720), devicePixelRatioF())};
    const QString suggerimenti[6] = {QStringLiteral("Documento modificabile"), QStringLiteral("Foglio elettronico"),
                                     QStringLiteral("Stampa PDF"), QStringLiteral("Stampa"),
                                     QStringLiteral("Anteprima di stampa"), QStringLiteral("Esci")};
    const int sinistre[6] = {2160, 3120, 4080, 120, 1080, 5160};
    for (int i = 0; i < 6; ++i) {
        auto *b = new QPushButton(m_frame);
        b->setObjectName(QStringLiteral("Tst_%1").arg(i));
        b->setIcon(QIcon(immagini[i]));
        const int lato = twipsX(this, 720);   // 48 pixels at 96 dpi
        b->setIconSize(QSize(lato, lato));
        b->setToolTip(suggerimenti[i]);
        b->setAccessibleName(suggerimenti[i]);
        b->setAutoDefault(false);
        metti(b, sinistre[i], 1680, 855, 855);
        connect(b, &QPushButton::clicked, this,
                [this, i] { azioneProtetta(this, QStringLiteral("Stampe non modificabili"), [&] { Tst_Click(i); }); });
        m_tst[i] = b;
    }

    // Tab order: Combo1, the three options, Tst(0) to Tst(5), Combo2 (the labels take no focus).
    QWidget *ordine[] = {m_combo1, m_chk, m_chk2, m_chk3, m_tst[0], m_tst[1], m_tst[2],
                         m_tst[3], m_tst[4], m_tst[5], m_combo2};
    for (std::size_t i = 0; i + 1 < std::size(ordine); ++i) setTabOrder(ordine[i], ordine[i + 1]);
    m_combo1->setFocus();
}

void MenuStampa::Form_Load(const QDateTime &adesso)
{
    if (TavoRoutine::HotelCorrente == 0) TavoRoutine::HotelCorrente = 1;

    // Centred on the screen.
    if (const QScreen *s = screen()) {
        const QRect g = s->geometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    }

    QDir().mkdir(QStringLiteral("doc"));

    // One clock reading gives the whole timestamp.
    const QString report = QString::fromLocal8Bit(nomeFileReport());
    m_fileDoc = QStringLiteral("doc/") + report + adesso.toString(QStringLiteral("yyyyMMddHHmm")) + QStringLiteral(".doc");
    if (QFile::exists(report) && QDir(QStringLiteral("doc")).exists()) {
        // A copy of an earlier report in the same minute is replaced, so the
        // document always holds the report just written.
        try {
            copiaFileAtomico(report.toStdString(), m_fileDoc.toStdString(), "la copia del report");
        } catch (...) {
            m_erroreDoc = QString::fromStdString(descriviEccezione(std::current_exception()));
        }
    }

    m_combo2->clear();
    const QStringList stampanti = desktop().stampanti();
    m_combo2->addItems(stampanti);
    if (stampanti.isEmpty()) m_combo2->addItem(QStringLiteral("<nessuna stampante>"));
    m_combo2->setCurrentIndex(-1);   // nothing chosen until the user picks an entry
}

bool MenuStampa::Form_Activate()
{
    desktop().tieniInPrimoPiano(this);
    m_combo1->clear();
    try {
        if (const auto codice = leggiCodiceAssistenza()) m_codiceAssistenza = QString::fromStdString(*codice);
        for (const std::string &d : leggiDestinazioni()) m_combo1->addItem(QString::fromStdString(d));
    } catch (...) {
        m_combo1->clear();
        chiudiDopo(QStringLiteral("Impossibile aprire il menu delle stampe:\n") +
                   QString::fromStdString(descriviEccezione(std::current_exception())));
        return false;
    }
    if (m_combo1->count() == 0) {
        chiudiDopo(QString());
        return false;
    }
    m_combo1->setCurrentIndex(0);
    m_frame->update();
    return true;
}

void MenuStampa::chiudiDopo(const QString &messaggio)
{
    // Closed from the event loop, so that a window being shown (or a modal
    // loop just starting) is not torn down from inside its own show.
    m_inChiusura = true;
    QMetaObject::invokeMethod(
        this,
        [this, messaggio] {
            if (!messaggio.isEmpty()) QMessageBox::warning(this, QStringLiteral("Stampe non modificabili"), messaggio);
            reject();
            m_inChiusura = false;
        },
        Qt::QueuedConnection);
}

void MenuStampa::showEvent(QShowEvent *evento)
{
    QDialog::showEvent(evento);
    if (!evento->spontaneous() && !m_inChiusura) Form_Activate();
}

QString MenuStampa::destinazione() const { return m_combo1->currentIndex() >= 0 ? m_combo1->currentText() : QString(); }
QString MenuStampa::stampanteSistema() const { return m_combo2->currentIndex() >= 0 ? m_combo2->currentText() : QString(); }
bool MenuStampa::compressa() const { return m_chk->isChecked(); }
bool MenuStampa::orizzontale() const { return m_chk2->isChecked(); }
bool MenuStampa::fronteRetro() const { return m_chk3->isChecked(); }

QStringList MenuStampa::destinazioni() const
{
    QStringList voci;
    for (int i = 0; i < m_combo1->count(); ++i) voci << m_combo1->itemText(i);
    return voci;
}

QStringList MenuStampa::stampantiSistema() const
{
    QStringList voci;
    for (int i = 0; i < m_combo2->count(); ++i) voci << m_combo2->itemText(i);
    return voci;
}

QPushButton *MenuStampa::Tst(int indice) const
{
    return indice >= 0 && indice < 6 ? m_tst[indice] : nullptr;
}

void MenuStampa::Tst_Click(int indice)
{
    switch (indice) {
    case 0: suDocumento(); break;
    case 1: suFoglioElettronico(); break;
    case 2: suPdf(); break;
    case 3: suStampa(); break;
    case 4: suAnteprima(); break;
    case 5: suEsci(); break;
    default: break;
    }
}

void MenuStampa::suDocumento()
{
    if (!m_erroreDoc.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Stampe non modificabili"), m_erroreDoc);
        return;
    }
    // The desktop's answer is not needed: a missing file or application just
    // leaves the menu as it is.
    desktop().apriConApplicazione(m_fileDoc);
}

void MenuStampa::suFoglioElettronico()
{
    if (m_foglioElettronico) m_foglioElettronico(*this);
}

void MenuStampa::suPdf()
{
    // The last destination with "PDF" (capitals) in its name stays selected.
    bool trovata = false;
    for (int i = 0; i < m_combo1->count(); ++i) {
        if (m_combo1->itemText(i).contains(QLatin1String("PDF"), Qt::CaseSensitive)) {
            m_combo1->setCurrentIndex(i);
            trovata = true;
        }
    }
    if (trovata) {
        suStampa();
        return;
    }
    QMessageBox avviso(QMessageBox::Warning, QStringLiteral("Stampa"), QStringLiteral("Nessuna stampante PDF impostata!"),
                       QMessageBox::Ok, this);
    avviso.setObjectName(QStringLiteral("AvvisoNessunaStampantePdf"));
    avviso.exec();
}

void MenuStampa::suStampa()
{
    if (m_stampa) m_stampa(*this);
}

void MenuStampa::suAnteprima()
{
    if (m_anteprima) m_anteprima(*this);
    // The menu is the active window again once the preview has closed.
    Form_Activate();
}

void MenuStampa::suEsci() { reject(); }

void MenuStampa::esportaFoglioElettronico(MenuStampa &menu) { pc::anteprima::esportaFoglioElettronico(&menu); }

void MenuStampa::stampaReport(MenuStampa &menu)
{
    SceltaStampa scelta;
    scelta.destinazione = menu.destinazione().toStdString();
    scelta.stampante = menu.stampanteSistema().toStdString();
    scelta.compressa = menu.compressa();
    scelta.orizzontale = menu.orizzontale();
    scelta.fronteRetro = menu.fronteRetro();
    try {
        pc::stampa::stampaReport(scelta, menu.codiceAssistenza().toStdString());
    } catch (...) {
        QMessageBox avviso(QMessageBox::Warning, QStringLiteral("Stampa"),
                           QString::fromStdString(descriviEccezione(std::current_exception())), QMessageBox::Ok, &menu);
        avviso.setObjectName(QStringLiteral("AvvisoStampaNonRiuscita"));
        avviso.exec();
    }
}

void MenuStampa::mostraAnteprima(MenuStampa &menu) { pc::anteprima::mostraAnteprima(&menu); }

} // namespace pc::stampa
