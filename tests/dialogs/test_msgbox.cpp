// The message dialog: line and column counts, sizing and button placement by
// style, the answers, and the limits that keep it on the screen.
#include "DesktopRegistratore.h"
#include "MsgBox_Form.h"
#include "MsgBox_Routine.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace pc::prova {

using pc::MsgBox_Routine::MsgBox_Form;
namespace MsgBox_Routine = pc::MsgBox_Routine;

namespace {

const QString CRLF = QStringLiteral("\r\n");

// Shows a dialog (activation runs on show) and returns once it is laid out.
struct DialogoMostrato {
    explicit DialogoMostrato(short stile, const QString &testo)
    {
        MsgBox_Routine::Stile = stile;
        dlg.impostaTesto(testo);
        dlg.show();
    }
    ~DialogoMostrato() { dlg.hide(); }
    pc::prova::DesktopRegistratore desktop;
    MsgBox_Form dlg;
};

} // namespace

// ---------------------------------------------------------------- counting

TEST(MsgBoxConteggi, UnaRigaDiDieciLettere)
{
    EXPECT_EQ(MsgBox_Form::CalcolaRighe(QStringLiteral("abcdefghij")), 2);
    EXPECT_EQ(MsgBox_Form::CalcolaColonne(QStringLiteral("abcdefghij")), 51);
}

TEST(MsgBoxConteggi, TreRigheConCrLfContanoIlLineFeed)
{
    const QString testo = QString(60, 'a') + CRLF + QString(80, 'b') + CRLF + QString(10, 'c');
    EXPECT_EQ(MsgBox_Form::CalcolaRighe(testo), 4);
    EXPECT_EQ(MsgBox_Form::CalcolaColonne(testo), 82);   // 80 letters + the LF before them, + 1
}

TEST(MsgBoxConteggi, RigaPiuLungaInTestaOInCodaEMinimoCinquanta)
{
    EXPECT_EQ(MsgBox_Form::CalcolaColonne(QString(70, 'x') + QStringLiteral("\rabc")), 71);
    EXPECT_EQ(MsgBox_Form::CalcolaColonne(QStringLiteral("abc\r") + QString(70, 'x')), 71);
    EXPECT_EQ(MsgBox_Form::CalcolaColonne(QString()), 51);
    EXPECT_EQ(MsgBox_Form::CalcolaRighe(QString()), 2);
    // Only carriage returns split runs: a lone LF is an ordinary character.
    EXPECT_EQ(MsgBox_Form::CalcolaRighe(QString(40, 'a') + "\n" + QString(40, 'b')), 2);
    EXPECT_EQ(MsgBox_Form::CalcolaColonne(QString(40, 'a') + "\n" + QString(40, 'b')), 82);
}

TEST(MsgBoxConteggi, TestiEnormiSaturanoInveceDiTraboccare)
{
    EXPECT_EQ(MsgBox_Form::CalcolaRighe(QString(40000, '\r')), 32767);
    EXPECT_EQ(MsgBox_Form::CalcolaColonne(QString(40000, 'x')), 32767);
}

// ---------------------------------------------------------------- sizing

TEST(MsgBoxDimensioni, CentratoAlCaricamentoAllaMisuraDiProgetto)
{
    pc::prova::DesktopRegistratore desktop;
    MsgBox_Form dlg;
    const QRect schermo = dlg.screen()->geometry();
    const int larghezzaTw = schermo.width() * 1440 / dlg.logicalDpiX();
    const int altezzaTw = schermo.height() * 1440 / dlg.logicalDpiY();
    EXPECT_EQ(dlg.finestraTwips(), QRect((larghezzaTw - 4695) / 2, (altezzaTw - 3135) / 2, 4695, 3135));
}

TEST(MsgBoxDimensioni, UnaRigaDiDieciLettere)
{
    DialogoMostrato m(0, QStringLiteral("abcdefghij"));
    EXPECT_EQ(m.dlg.finestraTwips().size(), QSize(4590, 1890));
    EXPECT_EQ(m.dlg.text1Twips(), QRect(120, 480, 4410, 600));
    EXPECT_EQ(m.dlg.label1Twips().width(), 4590);
    EXPECT_EQ(m.dlg.shape1Twips().size(), QSize(4590, 1890));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m.dlg.tTwips(i).top(), 480 + 600 + 100) << i;
    if (m.dlg.logicalDpiX() == 96 && m.dlg.logicalDpiY() == 96) {
        EXPECT_EQ(m.dlg.size(), QSize(306, 126));
        EXPECT_EQ(m.dlg.Text1()->geometry(), QRect(8, 32, 294, 40));
    }
}

TEST(MsgBoxDimensioni, TreRigheLarghezzaEAltezza)
{
    const QString testo = QString(60, 'a') + CRLF + QString(80, 'b') + CRLF + QString(10, 'c');
    DialogoMostrato m(0, testo);
    EXPECT_EQ(m.dlg.finestraTwips().width(), 7380);
    EXPECT_EQ(m.dlg.text1Twips().height(), 1200);
    EXPECT_EQ(m.dlg.finestraTwips().height(), 1200 + 375 + 615 + 300);
}

TEST(MsgBoxDimensioni, IlTestoMostratoHaTreRighe)
{
    DialogoMostrato m(0, QStringLiteral("uno") + CRLF + QStringLiteral("due") + CRLF + QStringLiteral("tre"));
    EXPECT_EQ(m.dlg.Text1()->toPlainText(), QStringLiteral("uno\ndue\ntre"));
    EXPECT_EQ(m.dlg.Text1()->document()->blockCount(), 3);
}

TEST(MsgBoxDimensioni, MessaggioMoltoLungoRestaNelloSchermoEScorre)
{
    QStringList righe;
    for (int i = 0; i < 300; ++i) righe << QStringLiteral("riga %1 ").arg(i) + QString(500, 'x');
    DialogoMostrato m(0, righe.join(CRLF));
    const QRect area = m.dlg.screen()->availableGeometry();
    EXPECT_LE(m.dlg.width(), area.width());
    EXPECT_LE(m.dlg.height(), area.height());
    EXPECT_TRUE(area.contains(m.dlg.geometry())) << "fuori dallo schermo";
    // The buttons stay inside the window, below the text.
    const QRect t0 = m.dlg.T(0)->geometry();
    EXPECT_LE(t0.bottom(), m.dlg.height());
    EXPECT_GE(t0.top(), m.dlg.Text1()->geometry().bottom());
    EXPECT_GT(m.dlg.Text1()->verticalScrollBar()->maximum(), 0);
}

TEST(MsgBoxDimensioni, MessaggioBreveNonSpostato)
{
    pc::prova::DesktopRegistratore desktop;
    MsgBox_Form dlg;
    const QPoint prima = dlg.finestraTwips().topLeft();
    MsgBox_Routine::Stile = 0;
    dlg.impostaTesto(QStringLiteral("breve"));
    dlg.show();
    EXPECT_EQ(dlg.finestraTwips().topLeft(), prima);   // resized in place, not centred again
}

// ---------------------------------------------------------------- buttons by style

TEST(MsgBoxPulsanti, TrePulsantiStile35ELorPosizioneDopoIlRidimensionamento)
{
    for (short stile : {short(35), short(51)}) {
        DialogoMostrato m(stile, QStringLiteral("abcdefghij"));
        EXPECT_EQ(m.dlg.tTwips(0).left(), 815) << stile;
        EXPECT_EQ(m.dlg.tTwips(1).left(), 1860) << stile;
        EXPECT_EQ(m.dlg.tTwips(2).left(), 2905) << stile;
        EXPECT_EQ(m.dlg.finestraTwips().width(), 4590) << stile;
    }
}

TEST(MsgBoxPulsanti, DuePulsantiStili4_36EIntervallo200_400)
{
    for (short stile : {short(4), short(36), short(200), short(300), short(400)}) {
        DialogoMostrato m(stile, QStringLiteral("x"));
        EXPECT_EQ(m.dlg.tTwips(0).left(), (4695 - (2 * 975 + 70)) / 2) << stile;
        EXPECT_EQ(m.dlg.tTwips(1).left(), 1337 + 975 + 70) << stile;
        EXPECT_EQ(m.dlg.tTwips(2).left(), 2280) << stile;   // not moved
    }
}

TEST(MsgBoxPulsanti, UnPulsanteStili0_48EAltriStiliComeProgettati)
{
    for (short stile : {short(0), short(48)}) {
        DialogoMostrato m(stile, QStringLiteral("x"));
        EXPECT_EQ(m.dlg.tTwips(0).left(), 1860) << stile;
        EXPECT_EQ(m.dlg.tTwips(1).left(), 1200) << stile;
    }
    for (short stile : {short(1), short(199), short(401)}) {
        DialogoMostrato m(stile, QStringLiteral("x"));
        EXPECT_EQ(m.dlg.tTwips(0).left(), 120) << stile;
        EXPECT_EQ(m.dlg.tTwips(1).left(), 1200) << stile;
        EXPECT_EQ(m.dlg.tTwips(2).left(), 2280) << stile;
    }
}

TEST(MsgBoxPulsanti, FuocoSulPrimoPulsantePerGliStiliConFuoco)
{
    DialogoMostrato m(35, QStringLiteral("x"));
    m.dlg.T(2)->setFocus();
    m.dlg.hide();
    m.dlg.show();   // activation again
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m.dlg));
    EXPECT_EQ(m.dlg.focusWidget(), m.dlg.T(0));
}

TEST(MsgBoxPulsanti, FuocoInvariatoPerLoStile200)
{
    DialogoMostrato m(200, QStringLiteral("x"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m.dlg));
    m.dlg.T(1)->setFocus();
    m.dlg.hide();
    m.dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m.dlg));
    EXPECT_EQ(m.dlg.focusWidget(), m.dlg.T(1));
}

// ---------------------------------------------------------------- window and answers

TEST(MsgBoxFinestra, SenzaBordoVerdeInPrimoPiano)
{
    DialogoMostrato m(0, QStringLiteral("x"));
    EXPECT_TRUE(m.dlg.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(m.dlg.palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_EQ(m.dlg.Text1()->palette().color(QPalette::Text), QColor(0, 0, 255));
    ASSERT_EQ(m.desktop.finestreInPrimoPiano.size(), 1u);
    EXPECT_EQ(m.desktop.finestreInPrimoPiano[0].data(), &m.dlg);
    EXPECT_EQ(m.dlg.T(0)->text(), QStringLiteral("Ok"));
    EXPECT_EQ(m.dlg.T(2)->text(), QStringLiteral("Annulla"));
}

TEST(MsgBoxRisposte, PrimoPulsanteSecondoLaDidascalia)
{
    pc::prova::DesktopRegistratore desktop;
    {
        MsgBox_Form dlg;
        MsgBox_Routine::Risposta = 99;
        dlg.T(0)->setText(QStringLiteral("Ok"));
        dlg.T_Click(0);
        EXPECT_EQ(MsgBox_Routine::Risposta, 0);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    {
        MsgBox_Form dlg;
        MsgBox_Routine::Risposta = 99;
        dlg.T(0)->setText(QStringLiteral("Si"));
        dlg.T_Click(0);
        EXPECT_EQ(MsgBox_Routine::Risposta, 6);
    }
    {
        MsgBox_Form dlg;
        MsgBox_Routine::Risposta = 99;
        dlg.T(0)->setText(QStringLiteral("Continua"));
        dlg.T_Click(0);
        EXPECT_EQ(MsgBox_Routine::Risposta, 99);
    }
}

TEST(MsgBoxRisposte, ClicVeroSuiPulsantiDuranteExec)
{
    pc::prova::DesktopRegistratore desktop;
    const std::pair<int, short> casi[] = {{1, 7}, {2, 2}, {0, 0}};
    for (const auto &[indice, attesa] : casi) {
        MsgBox_Form dlg;
        MsgBox_Routine::Stile = 35;
        MsgBox_Routine::Risposta = 99;
        dlg.impostaTesto(QStringLiteral("Confermi?"));
        QTimer::singleShot(0, &dlg, [&dlg, i = indice] { QTest::mouseClick(dlg.T(i), Qt::LeftButton); });
        dlg.exec();
        EXPECT_EQ(MsgBox_Routine::Risposta, attesa) << indice;
        EXPECT_FALSE(dlg.isVisible());
    }
}

TEST(MsgBoxRisposte, ChiusuraConEscLasciaLaRisposta)
{
    pc::prova::DesktopRegistratore desktop;
    MsgBox_Form dlg;
    MsgBox_Routine::Stile = 35;
    MsgBox_Routine::Risposta = 99;
    QTimer::singleShot(0, &dlg, [&dlg] { QTest::keyClick(&dlg, Qt::Key_Escape); });
    dlg.exec();
    EXPECT_EQ(MsgBox_Routine::Risposta, 99);
}

TEST(MsgBoxFinestra, ImmagineSfondoVerdeEBordo)
{
    DialogoMostrato m(35, QStringLiteral("Il file \"fd3\" non \u00e8 stato trovato.") + CRLF
                              + QStringLiteral("Ripetere la stampa?"));
    m.dlg.Label1()->setText(QStringLiteral("Stampa"));
    m.dlg.T(0)->setText(QStringLiteral("Si"));
    m.dlg.T(1)->setText(QStringLiteral("No"));
    const QImage img = m.dlg.grab().toImage();
    ASSERT_FALSE(img.isNull());
    if (!qEnvironmentVariableIsEmpty("PC_CARTELLA_IMMAGINI"))
        img.save(qEnvironmentVariable("PC_CARTELLA_IMMAGINI") + QStringLiteral("/msgbox.png"));
    const qreal r = img.devicePixelRatio();
    EXPECT_EQ(img.pixelColor(QPoint(3, 40) * r), QColor(0, 128, 0));   // background, left of Text1
    EXPECT_EQ(img.pixelColor(QPoint(0, 40) * r), QColor(Qt::black));   // Shape1 along the edge
    EXPECT_EQ(img.pixelColor(QPoint(m.dlg.width() - 1, 40) * r), QColor(Qt::black));
}

} // namespace pc::prova
