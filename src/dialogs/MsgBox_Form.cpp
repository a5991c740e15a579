#include "MsgBox_Form.h"

#include "Desktop.h"
#include "MsgBox_Routine.h"
#include "Caratteri.h"
#include "Protezione.h"
#include "Twips.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>

#include <algorithm>
#include <limits>

using pc::piattaforma::azioneProtetta;
using pc::piattaforma::carattere;
using pc::piattaforma::desktop;
using pc::piattaforma::pixelInTwips;
using pc::piattaforma::rettangoloTwips;

namespace pc::MsgBox_Routine {

namespace {

// Designed layout, in twips.
constexpr int kLarghezzaProgetto = 4695;
constexpr int kAltezzaProgetto = 3135;
constexpr int kMargineTesto = 180;      // Text1 is this much narrower than the window
constexpr int kTwipsPerColonna = 90;
constexpr int kTwipsPerRiga = 300;
constexpr int kSpazioPulsanti = 70;     // gap between two buttons
constexpr int kSpazioSottoTesto = 100;  // from Text1's bottom edge to the buttons
constexpr int kMargineAltezza = 300;    // added to the sum of the three heights
constexpr int kMinimoTesto = 300;       // smallest Text1 height when the screen is tiny

short satura16(long long v)
{
    return static_cast<short>(std::min<long long>(v, std::numeric_limits<short>::max()));
}

// Corbel where installed; otherwise a metric-compatible or plain sans face.
QFont corbel(double punti, bool grassetto)
{
    return carattere({QStringLiteral("Corbel"), QStringLiteral("Carlito"), QStringLiteral("DejaVu Sans")}, punti, grassetto);
}

} // namespace

MsgBox_Form::MsgBox_Form(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Form1"));
    setObjectName(QStringLiteral("MsgBox_Form"));
    setModal(true);
    setAutoFillBackground(true);
    QPalette sfondo = palette();
    sfondo.setColor(QPalette::Window, QColor(0, 128, 0));
    setPalette(sfondo);

    m_label1 = new QLabel(QStringLiteral("Label1"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setFont(corbel(12, true));
    m_label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_label1->setAttribute(Qt::WA_TranslucentBackground);
    m_rLabel1 = QRect(0, 0, 4695, 375);

    m_text1 = new QTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setFont(corbel(9.75, false));
    m_text1->setReadOnly(true);
    m_text1->setFocusPolicy(Qt::ClickFocus);   // not a tab stop
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette colori = m_text1->palette();
    colori.setColor(QPalette::Base, Qt::white);
    colori.setColor(QPalette::Text, QColor(0, 0, 255));
    m_text1->setPalette(colori);
    m_rText1 = QRect(120, 480, 4455, 1695);
    impostaTesto(QStringLiteral("Text1"));

    const QString didascalie[3] = {QStringLiteral("Ok"), QStringLiteral("Ok"), QStringLiteral("Annulla")};
    for (int i = 0; i < 3; ++i) {
        auto *b = new QPushButton(didascalie[i], this);
        b->setObjectName(QStringLiteral("T_%1").arg(i));
        b->setFont(corbel(12, false));
        connect(b, &QPushButton::clicked, this,
                [this, i] { azioneProtetta(this, windowTitle(), [&] { T_Click(i); }); });
        m_t[i] = b;
        m_rT[i] = QRect(120 + 1080 * i, 2400, 975, 615);
    }
    setTabOrder(m_t[0], m_t[1]);
    setTabOrder(m_t[1], m_t[2]);

    m_rShape1 = QRect(0, 0, kLarghezzaProgetto, kAltezzaProgetto);
    m_finestra = QRect(0, 0, kLarghezzaProgetto, kAltezzaProgetto);
    Form_Load();
}

short MsgBox_Form::CalcolaRighe(const QString &testo)
{
    return satura16(static_cast<long long>(testo.count(QLatin1Char('\r'))) + 2);
}

short MsgBox_Form::CalcolaColonne(const QString &testo)
{
    qsizetype piuLunga = 0, corrente = 0;
    for (const QChar c : testo) {
        if (c == QLatin1Char('\r')) {
            piuLunga = std::max(piuLunga, corrente);
            corrente = 0;
        } else {
            ++corrente;
        }
    }
    piuLunga = std::max(piuLunga, corrente);
    return satura16(static_cast<long long>(std::max<qsizetype>(piuLunga, 50)) + 1);
}

QPushButton *MsgBox_Form::T(int indice) const
{
    return indice >= 0 && indice < 3 ? m_t[indice] : nullptr;
}

QRect MsgBox_Form::tTwips(int indice) const
{
    return indice >= 0 && indice < 3 ? m_rT[indice] : QRect();
}

void MsgBox_Form::impostaTesto(const QString &testo)
{
    m_testo = testo;
    QString mostrato = testo;
    mostrato.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    mostrato.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_text1->setPlainText(mostrato);
    m_text1->selectAll();
    m_text1->setAlignment(Qt::AlignHCenter);
    QTextCursor c = m_text1->textCursor();
    c.clearSelection();
    c.movePosition(QTextCursor::Start);
    m_text1->setTextCursor(c);
}

QRect MsgBox_Form::areaSchermoTwips() const
{
    const QScreen *s = screen();
    if (!s) return QRect(0, 0, 15 * 1024, 15 * 768);
    const QRect g = s->availableGeometry();
    const QRect tutto = s->geometry();
    return QRect(pixelInTwips(g.x() - tutto.x(), logicalDpiX()), pixelInTwips(g.y() - tutto.y(), logicalDpiY()),
                 pixelInTwips(g.width(), logicalDpiX()), pixelInTwips(g.height(), logicalDpiY()));
}

void MsgBox_Form::Form_Load()
{
    // Centred on the whole screen at the designed size.
    const QScreen *s = screen();
    const int larghezzaSchermo = s ? pixelInTwips(s->geometry().width(), logicalDpiX()) : 15 * 1024;
    const int altezzaSchermo = s ? pixelInTwips(s->geometry().height(), logicalDpiY()) : 15 * 768;
    m_finestra.moveTo((larghezzaSchermo - m_finestra.width()) / 2, (altezzaSchermo - m_finestra.height()) / 2);
    applicaGeometria();
}

void MsgBox_Form::Form_Activate()
{
    desktop().tieniInPrimoPiano(this);

    // Buttons by style, with the window's width from before the resizing.
    const int w = m_finestra.width();
    const int lt = m_rT[0].width();
    const short stile = MsgBox_Routine::Stile;
    bool fuoco = false;
    if (stile == 0 || stile == 48) {
        m_rT[0].moveLeft((w - lt) / 2);
    } else if (stile == 4 || stile == 36 || (stile >= 200 && stile <= 400)) {
        m_rT[0].moveLeft((w - (2 * lt + kSpazioPulsanti)) / 2);
        m_rT[1].moveLeft(m_rT[0].left() + lt + kSpazioPulsanti);
        fuoco = stile == 4 || stile == 36;
    } else if (stile == 35 || stile == 51) {
        m_rT[0].moveLeft((w - (3 * lt + 2 * kSpazioPulsanti)) / 2);
        m_rT[1].moveLeft(m_rT[0].left() + lt + kSpazioPulsanti);
        m_rT[2].moveLeft(m_rT[1].left() + m_rT[1].width() + kSpazioPulsanti);
        fuoco = true;
    }
    if (fuoco) m_t[0]->setFocus();

    const int righe = CalcolaRighe(m_testo);
    const int colonne = CalcolaColonne(m_testo);
    const QRect schermo = areaSchermoTwips();

    // Width from the longest line, height from the number of lines, both held
    // within the screen; what does not fit scrolls inside Text1.
    const int larghezza = std::min(colonne * kTwipsPerColonna, schermo.width());
    m_finestra.setWidth(larghezza);
    m_rShape1.setWidth(larghezza);
    m_rLabel1.setWidth(larghezza);
    m_rText1.setWidth(std::max(larghezza - kMargineTesto, 0));

    const int fisse = m_rLabel1.height() + m_rT[0].height() + kMargineAltezza;
    const int altezzaTesto = std::max(std::min(righe * kTwipsPerRiga, schermo.height() - fisse), kMinimoTesto);
    m_rText1.setHeight(altezzaTesto);
    m_finestra.setHeight(altezzaTesto + fisse);
    m_rShape1.setHeight(m_finestra.height());
    for (QRect &r : m_rT) r.moveTop(m_rText1.top() + m_rText1.height() + kSpazioSottoTesto);

    // Not centred again; only brought back inside the screen when it crosses an edge.
    if (m_finestra.right() > schermo.right()) m_finestra.moveRight(schermo.right());
    if (m_finestra.bottom() > schermo.bottom()) m_finestra.moveBottom(schermo.bottom());
    if (m_finestra.left() < schermo.left()) m_finestra.moveLeft(schermo.left());
    if (m_finestra.top() < schermo.top()) m_finestra.moveTop(schermo.top());

    applicaGeometria();
}

void MsgBox_Form::applicaGeometria()
{
    const QScreen *s = screen();
    const QPoint origine = s ? s->geometry().topLeft() : QPoint();
    const QRect r = rettangoloTwips(this, m_finestra.x(), m_finestra.y(), m_finestra.width(), m_finestra.height());
    setFixedSize(r.size());
    move(origine + r.topLeft());
    m_label1->setGeometry(rettangoloTwips(this, m_rLabel1.x(), m_rLabel1.y(), m_rLabel1.width(), m_rLabel1.height()));
    m_text1->setGeometry(rettangoloTwips(this, m_rText1.x(), m_rText1.y(), m_rText1.width(), m_rText1.height()));
    for (int i = 0; i < 3; ++i)
        m_t[i]->setGeometry(rettangoloTwips(this, m_rT[i].x(), m_rT[i].y(), m_rT[i].width(), m_rT[i].height()));
    update();
}

void MsgBox_Form::showEvent(QShowEvent *evento)
{
    QDialog::showEvent(evento);
    if (!evento->spontaneous()) Form_Activate();
}

void MsgBox_Form::paintEvent(QPaintEvent *evento)
{
    QDialog::paintEvent(evento);
    // Shape1: a plain rectangle along the window's edge.
    QPainter p(this);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    const QRect r = rettangoloTwips(this, m_rShape1.x(), m_rShape1.y(), m_rShape1.width(), m_rShape1.height());
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void MsgBox_Form::T_Click(int indice)
{
    switch (indice) {
    case 0:
        if (m_t[0]->text() == QLatin1String("Ok")) MsgBox_Routine::Risposta = 0;
        else if (m_t[0]->text() == QLatin1String("Si")) MsgBox_Routine::Risposta = 6;
        break;
    case 1: MsgBox_Routine::Risposta = 7; break;
    case 2: MsgBox_Routine::Risposta = 2; break;
    default: return;
    }
    accept();
}

} // namespace pc::MsgBox_Routine
