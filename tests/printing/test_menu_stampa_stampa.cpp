// The print menu's printer and PDF buttons doing the real printing: a PDF
// written for the PDF destination, an Italian message when nothing can be printed.

#include "ChiudiModale.h"
#include "DesktopRegistratore.h"
#include "MenuStampa.h"
#include "ScrittoreSqlite.h"
#include "TavoRoutine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace pc::prova {

using namespace pc::demo;

namespace {

class MenuCheStampa : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_prima = QDir::currentPath();
        m_pcLocal = qgetenv("PCLocal");
        QDir::setCurrent(m_dir.path());
        qputenv("PCLocal", "3");
        pc::TavoRoutine::HotelCorrente = 1;
        scriviArchivio("AnagraficaHotels.mdb", {{"AnagraficaHotels", colonneSuite("AnagraficaHotels"), {{I(1), T("")}}}});
        scriviArchivio("Stampanti.mdb",
                       {{"Stampanti", colonneSuite("Stampanti"),
                         {{I(1), T("AGHI"), I(2), T("aghi.prn")}, {I(1), T("PDF"), I(1), T("stampa.pdf")}}},
                        {"SetStampa", colonneSuite("SetStampa"),
                         {{I(1), T("008000000000000001010"), T("000000000000000003066072")},
                          {I(2), T("027015000000000000018001002003004"), T("000000000000000000066072")}}}});
        scriviArchivio("Contatori.mdb", {{"Contatori", colonneSuite("Contatori"), {{I(1), I(60), I(60)}}}});
        QFile f("fd3");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("STAMPA DI PROVA\r\n\xB3riga\xB3\r\n");
    }
    void TearDown() override
    {
        QDir::setCurrent(m_prima);
        if (m_pcLocal.isNull()) qunsetenv("PCLocal");
        else qputenv("PCLocal", m_pcLocal);
    }

    static QByteArray leggi(const char *file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QString m_prima;
    QByteArray m_pcLocal;
    pc::prova::DesktopRegistratore desktop{{QStringLiteral("Laser Ufficio")}};
};

} // namespace

TEST_F(MenuCheStampa, PulsantePdfScriveIlPdf)
{
    pc::stampa::MenuStampa menu;
    menu.show();
    ASSERT_TRUE(menu.isVisible());
    QTest::mouseClick(menu.Tst(2), Qt::LeftButton);
    EXPECT_TRUE(leggi("stampa.pdf").startsWith("%PDF"));
}

TEST_F(MenuCheStampa, PulsanteStampaConLeOpzioniDelMenu)
{
    pc::stampa::MenuStampa menu;
    menu.show();
    menu.Combo1()->setCurrentIndex(0);   // AGHI: raw
    menu.Chk()->setChecked(true);        // compressed: start bytes C1..C5
    QTest::mouseClick(menu.Tst(3), Qt::LeftButton);
    EXPECT_EQ(leggi("aghi.prn"), QByteArray("\x1B\x0F\x00\x00\x00STAMPA DI PROVA\r\n|riga|\r\n\f", 31));
}

TEST_F(MenuCheStampa, SenzaReportUnMessaggioENessunaStampa)
{
    ASSERT_TRUE(QFile::remove("fd3"));
    pc::stampa::MenuStampa menu;
    menu.show();
    QString testo, titolo;
    pc::prova::quandoAppare<QMessageBox>([&](QMessageBox *box) {
        testo = box->text();
        titolo = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(menu.Tst(2), Qt::LeftButton);
    EXPECT_EQ(titolo, QStringLiteral("Stampa"));
    EXPECT_TRUE(testo.contains(QStringLiteral("\"fd3\""))) << testo.toStdString();
    EXPECT_FALSE(QFile::exists("stampa.pdf"));
    EXPECT_TRUE(menu.isVisible());
}

} // namespace pc::prova
