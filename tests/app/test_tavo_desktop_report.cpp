// The main window with the real report driver, on small hotels written as
// SQLite files in a temporary working folder.
#include "AlbergoDiProva.h"

#include "TavoDesktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using pc::app::TavoDesktop;

using namespace pc;
using namespace pc::prova;

namespace {

// Waits, by re-queueing itself, for a message box; keeps its text and closes it.
void quandoAppareMessaggio(std::shared_ptr<QString> testo, int tentativi = 2000)
{
    QTimer::singleShot(0, [testo, tentativi] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            if (tentativi > 0) quandoAppareMessaggio(testo, tentativi - 1);
            return;
        }
        *testo = box->text();
        box->close();
    });
}

class FinestraConReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        finestra = std::make_unique<TavoDesktop>();   // runs StampaProduzione itself
        finestra->impostaDopoReport([this](QWidget *) { ++menuAperti; });
        finestra->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(finestra.get()));
    }

    QLineEdit *casella(int i) const { return finestra->findChild<QLineEdit *>(QStringLiteral("Text1_%1").arg(i)); }

    // Types a date in box i and presses Enter, as the user does.
    void data(int i, const char *testo)
    {
        casella(i)->setFocus();
        QCoreApplication::processEvents();
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(testo));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    CartellaProva cartella{perIlReport};   // working directory, DIRKV and PCLocal=7 for the run
    std::unique_ptr<TavoDesktop> finestra;
    int menuAperti = 0;
};

TEST_F(FinestraConReport, DateDigitateEInvioScrivonoIlReport)
{
    AlbergoDiProva a;
    a.numeriCamere = {{I(1), T("102"), T("SIN")}, {I(1), T("101"), T("SIN")}};
    a.tipiCamere = {{I(1), T("SIN"), T("C")}};
    a.schede = {{I(1), T("20120301"), T("20120303"), T("101")}, {I(1), T("20120302"), T("20120303"), T("102")}};
    a.scrivi(cartella.percorso());

    data(0, "010312");
    data(1, "02032012");
    ASSERT_EQ(QApplication::focusWidget(), finestra->findChild<QWidget *>(QStringLiteral("Tasto_0")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

    EXPECT_EQ(menuAperti, 1);
    const std::string r = leggibile(cartella.report());
    EXPECT_NE(r.find("STAMPA VENDITE PER NUMERO CAMERA DAL 01/03/2012 AL 02/03/2012"), std::string::npos) << r;
    EXPECT_NE(r.find("\u250201/03/2012\u2502         1\u2502         0\u2502"), std::string::npos) << r;
    EXPECT_NE(r.find("\u250202/03/2012\u2502         1\u2502         1\u2502"), std::string::npos) << r;

    // Again with "Produzione": the file is rewritten with the other kind.
    QTest::mouseClick(finestra->findChild<QRadioButton *>(QStringLiteral("Opt1_1")), Qt::LeftButton);
    QTest::mouseClick(finestra->findChild<QAbstractButton *>(QStringLiteral("Tasto_0")), Qt::LeftButton);
    EXPECT_EQ(menuAperti, 2);
    EXPECT_EQ(leggibile(cartella.report()).find("STAMPA VENDITE"), std::string::npos);
}

TEST_F(FinestraConReport, ArchiviMancantiDannoUnMessaggioChiaro)
{
    // The working folder holds no database at all.
    casella(0)->setText(QStringLiteral("01/03/2012"));
    casella(1)->setText(QStringLiteral("02/03/2012"));
    auto testo = std::make_shared<QString>();
    quandoAppareMessaggio(testo);
    QTest::mouseClick(finestra->findChild<QAbstractButton *>(QStringLiteral("Tasto_0")), Qt::LeftButton);
    ASSERT_FALSE(testo->isEmpty()) << "no message box";
    EXPECT_TRUE(testo->contains(QStringLiteral(".mdb"))) << testo->toStdString();
    EXPECT_EQ(menuAperti, 0);
    EXPECT_TRUE(finestra->isVisible());
    EXPECT_FALSE(finestra->occupato());
}

} // namespace
