// The main window and the print menu together: a successful report opens the
// menu modally and the main window's run ends only when the menu is closed.
#include "ChiudiModale.h"
#include "DesktopRegistratore.h"
#include "MenuStampa.h"
#include "ScrittoreSqlite.h"
#include "TavoDesktop.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace pc::prova {

namespace {

using pc::demo::I;
using pc::demo::T;

class MenuDopoReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_precedente = QDir::currentPath();
        m_pcLocal = qgetenv("PCLocal");
        QDir::setCurrent(m_dir.path());
        qputenv("PCLocal", "7");
        pc::demo::scriviArchivio(
            "AnagraficaHotels.mdb",
            {{"AnagraficaHotels", pc::demo::colonneSuite("AnagraficaHotels"), {{I(1), T("K")}}}});
        pc::demo::scriviArchivio(
            "Stampanti.mdb", {{"Stampanti", pc::demo::colonneSuite("Stampanti"),
                               {{I(1), T("LASER"), I(1), T("lpt1")}, {I(1), T("PDF"), I(2), T("x.pdf")}}}});
        // The report stand-in writes the report file, as the driver does.
        finestra = std::make_unique<pc::app::TavoDesktop>([](const pc::RichiestaReport &, const pc::AvanzamentoReport &) {
            QFile f(QStringLiteral("fd7"));
            if (f.open(QIODevice::WriteOnly)) f.write("report\r\n");
        });
        finestra->impostaDopoReport(&pc::stampa::MenuStampa::mostra);
        finestra->show();
        finestra->findChild<QLineEdit *>(QStringLiteral("Text1_0"))->setText(QStringLiteral("01/03/2026"));
        finestra->findChild<QLineEdit *>(QStringLiteral("Text1_1"))->setText(QStringLiteral("31/03/2026"));
    }
    void TearDown() override
    {
        finestra.reset();
        QDir::setCurrent(m_precedente);
        qputenv("PCLocal", m_pcLocal);
    }
    QAbstractButton *stampa() const { return finestra->findChild<QAbstractButton *>(QStringLiteral("Tasto_0")); }

    QTemporaryDir m_dir;
    QString m_precedente;
    QByteArray m_pcLocal;
    pc::prova::DesktopRegistratore desktop;
    std::unique_ptr<pc::app::TavoDesktop> finestra;
};

} // namespace

TEST_F(MenuDopoReport, IlMenuSiApreSopraLaFinestraEIlReportFinisceAllaSuaChiusura)
{
    QSignalSpy concluso(finestra.get(), &pc::app::TavoDesktop::reportConcluso);
    QStringList destinazioni;
    QWidget *genitore = nullptr;
    QByteArray copia;
    int conclusiConMenuAperto = -1;
    pc::prova::quandoAppare<pc::stampa::MenuStampa>([&](pc::stampa::MenuStampa *menu) {
        destinazioni = menu->destinazioni();
        genitore = menu->parentWidget();
        QFile f(menu->fileDoc());
        if (f.open(QIODevice::ReadOnly)) copia = f.readAll();
        conclusiConMenuAperto = int(concluso.size());
        QTest::mouseClick(menu->Tst(5), Qt::LeftButton);
    });
    QTest::mouseClick(stampa(), Qt::LeftButton);
    EXPECT_EQ(destinazioni, QStringList({QStringLiteral("LASER"), QStringLiteral("PDF")}));
    EXPECT_EQ(genitore, finestra.get());
    EXPECT_EQ(copia, QByteArray("report\r\n"));
    EXPECT_EQ(conclusiConMenuAperto, 0);
    ASSERT_EQ(concluso.size(), 1);
    EXPECT_TRUE(concluso[0][0].toBool());
    EXPECT_TRUE(finestra->isVisible());
    EXPECT_FALSE(finestra->occupato());
}

TEST_F(MenuDopoReport, ArchivioMancanteMessaggioELaFinestraRestaUsabile)
{
    ASSERT_TRUE(QFile::remove(QStringLiteral("Stampanti.mdb")));
    QSignalSpy concluso(finestra.get(), &pc::app::TavoDesktop::reportConcluso);
    QString testo;
    pc::prova::quandoAppare<QMessageBox>([&](QMessageBox *box) {
        testo = box->text();
        box->accept();
    });
    QTest::mouseClick(stampa(), Qt::LeftButton);
    EXPECT_TRUE(testo.contains(QStringLiteral("Stampanti.mdb"))) << testo.toStdString();
    ASSERT_EQ(concluso.size(), 1);
    EXPECT_TRUE(finestra->isVisible());
    EXPECT_TRUE(finestra->findChildren<pc::stampa::MenuStampa *>().isEmpty());
    // A second run works as the first.
    pc::demo::scriviArchivio("Stampanti.mdb", {{"Stampanti", pc::demo::colonneSuite("Stampanti"),
                                                     {{I(1), T("LASER"), I(1), T("lpt1")}}}});
    bool aperto = false;
    pc::prova::quandoAppare<pc::stampa::MenuStampa>([&](pc::stampa::MenuStampa *menu) {
        aperto = menu->destinazione() == QStringLiteral("LASER");
        menu->Tst_Click(5);
    });
    QTest::mouseClick(stampa(), Qt::LeftButton);
    EXPECT_TRUE(aperto);
    EXPECT_EQ(concluso.size(), 2);
}

} // namespace pc::prova
