// Finishing touches of the windows and of the batch commands: the focus mark
// after the last date, the print menu's lists, options and exit picture, and
// batch commands that print nothing but their own messages.
#include "CartellaProva.h"
#include "MenuStampa.h"
#include "TavoDesktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

using pc::app::TavoDesktop;
using pc::stampa::MenuStampa;

namespace pc::prova {
namespace {

TEST(Rifiniture, DopoLUltimaDataStampaHaIlSegnoDelFuoco)
{
    TavoDesktop finestra([](const RichiestaReport &, const AvanzamentoReport &) {});
    finestra.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&finestra));
    auto *dal = finestra.findChild<QLineEdit *>(QStringLiteral("Text1_0"));
    auto *al = finestra.findChild<QLineEdit *>(QStringLiteral("Text1_1"));
    auto *stampa = finestra.findChild<QAbstractButton *>(QStringLiteral("Tasto_0"));
    ASSERT_TRUE(dal && al && stampa);
    dal->setText(QStringLiteral("01/03/2026"));
    al->setText(QStringLiteral("31/03/2026"));
    al->setFocus(Qt::MouseFocusReason);
    ASSERT_FALSE(finestra.testAttribute(Qt::WA_KeyboardFocusChange));
    QTest::keyClick(al, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), stampa);
    // The style draws the focus mark only after a keyboard focus change.
    EXPECT_TRUE(finestra.testAttribute(Qt::WA_KeyboardFocusChange));
}

TEST(Rifiniture, MenuDiStampaElenchiOpzioniEUscita)
{
    CartellaProva cartella(CartellaProva::Lavoro{});  // the print menu writes its "doc" copy here
    MenuStampa menu(nullptr);
    const QColor fondo(255, 224, 192);
    for (const char *nome : {"Combo1", "Combo2"}) {
        SCOPED_TRACE(nome);
        auto *elenco = menu.findChild<QComboBox *>(QLatin1String(nome));
        ASSERT_NE(elenco, nullptr);
        elenco->setCurrentIndex(-1);
        // Flat: every pixel down the middle of the list, inside its border, has the colour.
        const QImage immagine = elenco->grab().toImage();
        const int x = immagine.width() / 3;
        for (int y = 3; y < immagine.height() - 3; ++y)
            ASSERT_EQ(immagine.pixelColor(x, y), fondo) << "riga " << y;
    }

    const QFont carattere = menu.findChild<QCheckBox *>(QStringLiteral("Chk"))->font();
    for (const char *nome : {"Chk2", "Chk3"})
        EXPECT_EQ(menu.findChild<QCheckBox *>(QLatin1String(nome))->font(), carattere) << nome;

    // The exit button shows the main window's picture.
    TavoDesktop finestra([](const RichiestaReport &, const AvanzamentoReport &) {});
    const QSize lato(48, 48);
    const QImage esciFinestra =
        finestra.findChild<QAbstractButton *>(QStringLiteral("Tasto_1"))->icon().pixmap(lato).toImage();
    const QImage esciMenu = menu.findChild<QAbstractButton *>(QStringLiteral("Tst_5"))->icon().pixmap(lato).toImage();
    EXPECT_FALSE(esciMenu.isNull());
    EXPECT_EQ(esciMenu.convertToFormat(QImage::Format_ARGB32), esciFinestra.convertToFormat(QImage::Format_ARGB32));
}

TEST(Rifiniture, ComandiBatchScrivonoSoloIPropriMessaggi)
{
    CartellaProva cartella(CartellaProva::Lavoro{});  // the print menu writes its "doc" copy here
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    // Where Qt has most to say: no runtime folder, no platform chosen.
    ambiente.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    ambiente.remove(QStringLiteral("QT_QPA_PLATFORM"));
    ambiente.insert(QStringLiteral("PCLocal"), QStringLiteral("1"));
    ambiente.insert(QStringLiteral("DIRKV"), cartella.percorso() + QStringLiteral("/storico"));
    const QStringList comandi[] = {
        {"demo", "."},
        {"stampa", "--dal", "01/03/2026", "--al", "02/03/2026", "--tipo", "vendite", "--raggruppamento", "tipi"},
        {"stampante", "--destinazione", "PDF"},
        {"csv"},
    };
    for (const QStringList &argomenti : comandi) {
        SCOPED_TRACE(argomenti.join(QLatin1Char(' ')).toStdString());
        QProcess programma;
        programma.setProcessEnvironment(ambiente);
        programma.start(QStringLiteral(PC_PROGRAMMA), argomenti);
        ASSERT_TRUE(programma.waitForFinished(120000));
        EXPECT_EQ(programma.exitCode(), 0);
        EXPECT_EQ(programma.readAllStandardError().toStdString(), "");
    }
    EXPECT_TRUE(QFile::exists(QStringLiteral("stampa.pdf")));
}

} // namespace
} // namespace pc::prova
