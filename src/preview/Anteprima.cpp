#include "Anteprima.h"

#include "Caratteri.h"
#include "ImmagineEsci.h"
#include "ConvertiXLS.h"
#include "Desktop.h"
#include "EMail.h"
#include "FileReport.h"
#include "Protezione.h"
#include "ScritturaFile.h"
#include "Twips.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <cmath>

using pc::dati::ErroreDati;
using pc::dati::descriviEccezione;
using pc::piattaforma::azioneProtetta;
using pc::piattaforma::carattere;
using pc::piattaforma::desktop;
using pc::piattaforma::immagineEsci;
using pc::piattaforma::rettangoloTwips;
using pc::piattaforma::twipsDaPixel;
using pc::piattaforma::twipsX;
using pc::piattaforma::twipsY;

namespace pc::anteprima {

namespace {

constexpr const char *Titolo = "Anteprima di Stampa";

QFont fontTasti(bool grassetto)
{
    QFont f = carattere({QStringLiteral("Corbel")}, 12, grassetto);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace

DisposizioneAnteprima Anteprima::disposizioneProgettata()
{
    DisposizioneAnteprima d;
    d.testo = QRectF(84, 84, 9372, 6048);
    d.tasti[1] = QRectF(84, 6216, 975, 1125);
    d.tasti[2] = QRectF(1200, 6216, 1095, 1125);
    d.tasti[3] = QRectF(2400, 6216, 975, 1125);
    d.tasti[4] = QRectF(3480, 6216, 975, 1125);
    d.tasti[5] = QRectF(4560, 6216, 975, 1125);
    d.tasti[6] = QRectF(5640, 6216, 975, 1125);
    d.tasti[0] = QRectF(6795, 6216, 2655, 1125);
    return d;
}

DisposizioneAnteprima Anteprima::disposizioneAttivazione(double larghezza, double altezza)
{
    DisposizioneAnteprima d = disposizioneProgettata();
    const double altezzaTasto = d.tasti[0].height();
    d.testo.setWidth(larghezza - 200);
    d.testo.setHeight(altezza - (1.5 * altezzaTasto + 150));
    for (QRectF &t : d.tasti) t.moveTop(altezza - (1.5 * t.height() + 10));
    d.tasti[0].setWidth(larghezza - d.tasti[0].left() - 150);
    return d;
}

Anteprima::Anteprima(QWidget *parent, const std::string &fileReport)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_pagina(fileReport.empty() ? nomeFileReport() : fileReport)
{
    setObjectName(QStringLiteral("Anteprima"));
    setWindowTitle(QString::fromUtf8(Titolo));
    setModal(true);
    setFixedSize(twipsX(this, 9525), twipsY(this, 7380));
    QPalette sfondo = palette();
    sfondo.setColor(QPalette::Window, QColor(192, 192, 255));
    setPalette(sfondo);
    setAutoFillBackground(true);

    m_testo = new QPlainTextEdit(this);
    m_testo->setObjectName(QStringLiteral("Text1"));
    m_testo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_testo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_testo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_testo->setTabChangesFocus(true);
    QFont fisso(QStringLiteral("Courier New"));
    fisso.setStyleHint(QFont::TypeWriter);
    fisso.setFixedPitch(true);
    fisso.setPointSizeF(11.25);
    m_testo->setFont(fisso);
    QPalette colori = m_testo->palette();
    colori.setColor(QPalette::Base, QColor(255, 255, 192));
    colori.setColor(QPalette::Text, Qt::black);
    m_testo->setPalette(colori);

    const char *didascalie[7] = {"&Esci", "&Riduci", "E&spandi", "&Avanti", "&Inizio", "E-&mail", "Sa&lva"};
    auto *esci = new QToolButton(this);
    esci->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    esci->setIcon(QIcon(immagineEsci()));
    esci->setIconSize(QSize(48, 48));
    esci->setAutoRaise(false);
    QPalette bianco = esci->palette();
    bianco.setColor(QPalette::Button, Qt::white);
    esci->setPalette(bianco);
    esci->setAutoFillBackground(true);
    m_tasti[0] = esci;
    for (int i = 1; i < 7; ++i) {
        // Enter belongs to the text area: no button is the dialog's default.
        auto *tasto = new QPushButton(this);
        tasto->setAutoDefault(false);
        m_tasti[static_cast<std::size_t>(i)] = tasto;
    }
    for (int i = 0; i < 7; ++i) {
        QAbstractButton *t = m_tasti[static_cast<std::size_t>(i)];
        t->setObjectName(QStringLiteral("Tasto%1").arg(i));
        t->setText(QString::fromUtf8(didascalie[i]));
        t->setFont(fontTasti(i == 0));
        t->setFocusPolicy(Qt::StrongFocus);
        connect(t, &QAbstractButton::clicked, this,
                [this, i] { azioneProtetta(this, QString::fromUtf8(Titolo), [&] { Tasto_Click(i); }); });
    }
    // Tab order: text, Riduci, Espandi, Esci, Avanti, Inizio, E-mail, Salva.
    QWidget *ordine[] = {m_testo, m_tasti[1], m_tasti[2], m_tasti[0], m_tasti[3], m_tasti[4], m_tasti[5], m_tasti[6]};
    for (std::size_t i = 0; i + 1 < std::size(ordine); ++i) setTabOrder(ordine[i], ordine[i + 1]);
    applicaDisposizione(disposizioneProgettata());
    m_testo->setFocus();

    m_avviso = [this](const QString &messaggio) {
        QMessageBox::warning(this, QString::fromUtf8(Titolo), messaggio);
    };

    // Set before the window is shown: changing window flags later would hide it.
    desktop().tieniInPrimoPiano(this);

    m_pagina.apri();
}

Anteprima::~Anteprima() { m_pagina.chiudi(); }

void Anteprima::applicaDisposizione(const DisposizioneAnteprima &d)
{
    const auto inPixel = [this](const QRectF &r) { return rettangoloTwips(this, r.left(), r.top(), r.width(), r.height()); };
    m_testo->setGeometry(inPixel(d.testo));
    for (std::size_t i = 0; i < m_tasti.size(); ++i) m_tasti[i]->setGeometry(inPixel(d.tasti[i]));
}

void Anteprima::showEvent(QShowEvent *evento)
{
    QDialog::showEvent(evento);
    if (!m_attivata) {
        m_attivata = true;
        Form_Activate();
    }
}

void Anteprima::Form_Activate()
{
    const QSize esterno = frameGeometry().size();
    applicaDisposizione(disposizioneAttivazione(twipsDaPixel(esterno.width(), logicalDpiX()), twipsDaPixel(esterno.height(), logicalDpiY())));
    if (!m_pagina.aperto()) {
        // No report to show: the window goes away at once, quietly.
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    try {
        mostraPagina(m_pagina.caricaPagina(PaginaReport::LimitePrimaPagina));
    } catch (...) {
        m_avviso(QString::fromStdString(descriviEccezione(std::current_exception())));
    }
}

void Anteprima::done(int risultato)
{
    m_pagina.chiudi();
    QDialog::done(risultato);
}

void Anteprima::mostraPagina(const QString &pagina)
{
    m_testo->setPlainText(pagina);
}

QString Anteprima::testoMostrato() const
{
    QString t = m_testo->document()->toRawText();
    t.replace(QChar::ParagraphSeparator, u'\n');
    t.replace(QChar::LineSeparator, u'\n');
    return t;
}

void Anteprima::Tasto_Click(int indice)
{
    try {
        try {
            eseguiTasto(indice);
        } catch (const ErroreFileReport &) {
            // The report file is not usable any more: reopen it where the
            // next page starts and run the step once more.
            m_pagina.riapriDoveEra();
            eseguiTasto(indice);
        }
    } catch (...) {
        m_avviso(QString::fromStdString(descriviEccezione(std::current_exception())));
    }
}

void Anteprima::eseguiTasto(int indice)
{
    switch (indice) {
    case 0:
        close();
        break;
    case 1: {
        QFont f = m_testo->font();
        if (f.pointSizeF() > 1) {
            f.setPointSizeF(std::max(1.0, f.pointSizeF() - 1));
            m_testo->setFont(f);
        }
        break;
    }
    case 2: {
        QFont f = m_testo->font();
        f.setPointSizeF(f.pointSizeF() + 1);
        m_testo->setFont(f);
        break;
    }
    case 3:
        if (m_pagina.altreRighe() == 1) mostraPagina(m_pagina.caricaPagina(PaginaReport::LimitePagine));
        m_testo->setFocus();
        break;
    case 4:
        mostraPagina(m_pagina.ricomincia(PaginaReport::LimitePagine));
        m_testo->setFocus();
        break;
    case 5:
        InviaEMail(testoMostrato());
        break;
    case 6:
        m_pagina.salva(testoMostrato());
        break;
    default:
        break;
    }
}

void Anteprima::InviaEMail(const QString &testo) { inviaEMail(testo); }

void Anteprima::ConvertiXLS(const QString &testo) { pc::anteprima::ConvertiXLS(testo.toStdString()); }

void mostraAnteprima(QWidget *parent)
{
    Anteprima anteprima(parent);
    anteprima.exec();
}

void inviaEMail(const QString &testo)
{
    scriviFileEMail(testo);
    if (desktop().avviaProgramma(QString::fromUtf8(ProgrammaPostaElettronica))) return;
    // Without the suite's sender the desktop's mail composer takes the page.
    const QString allegato = QFileInfo(QString::fromStdString(nomeFileEMail())).absoluteFilePath();
    if (!desktop().avviaProgramma(QString::fromUtf8(ComposerPostaElettronica), argomentiComposer(testo, allegato))) {
        throw ErroreDati(std::string("Impossibile avviare il programma di posta \"") + ProgrammaPostaElettronica +
                         "\". Il testo da inviare \xC3\xA8 stato comunque scritto nel file \"" + nomeFileEMail() +
                         "\".");
    }
}

bool esportaFoglioElettronico(QWidget *parent, const std::function<void(const QString &)> &avviso)
{
    const auto avvisa = [&](const QString &messaggio) {
        if (avviso) avviso(messaggio);
        else QMessageBox::warning(parent, QStringLiteral("Foglio elettronico"), messaggio);
    };
    try {
        pc::anteprima::ConvertiXLS(nomeFileReport());
    } catch (...) {
        avvisa(QString::fromStdString(descriviEccezione(std::current_exception())));
        return false;
    }
    const QString csv = QFileInfo(QString::fromStdString(nomeFileCsv())).absoluteFilePath();
    if (!desktop().apriConApplicazione(csv)) {
        avvisa(QStringLiteral("Il file \"%1\" \u00E8 stato scritto, ma nessun programma "
                                            "associato ai file .csv lo ha aperto.")
                                 .arg(QString::fromStdString(nomeFileCsv())));
        return false;
    }
    return true;
}

} // namespace pc::anteprima
