// The batch command "stampante": the print of the print menu's printer button
// for scripts, with its exit codes.

#include "ComandiBatch.h"

#include "ScrittoreSqlite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pc::prova {

using namespace pc;
using namespace pc::demo;

namespace {

class ComandoStampante : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_prima = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
        m_pclocal = qgetenv("PCLocal");
        qputenv("PCLocal", "5");
        scriviArchivio("Stampanti.mdb",
                       {{"Stampanti", colonneSuite("Stampanti"),
                         {{I(1), T("PDF"), I(1), T("stampa.pdf")}, {I(1), T("FILE"), I(2), T("uscita.prn")}}},
                        {"SetStampa", colonneSuite("SetStampa"),
                         {{I(1), T("008000000000000001010"), T("000000000000000003066072")},
                          {I(2), T("027015000000000000018001002003004"), T("000000000000000000066072")}}}});
        scriviArchivio("Contatori.mdb", {{"Contatori", colonneSuite("Contatori"), {{I(1), I(60), I(60)}}}});
        scriviArchivio("AnagraficaHotels.mdb", {{"AnagraficaHotels", colonneSuite("AnagraficaHotels"), {{I(1), T("")}}}});
        QFile f("fd5");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("STAMPA DI PROVA\r\n\xB3riga\xB3\r\n");
    }
    void TearDown() override
    {
        QDir::setCurrent(m_prima);
        if (m_pclocal.isNull()) qunsetenv("PCLocal");
        else qputenv("PCLocal", m_pclocal);
    }

    static QByteArray leggi(const char *file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<assente>");
    }

private:
    QTemporaryDir m_dir;
    QString m_prima;
    QByteArray m_pclocal;
};

} // namespace

TEST_F(ComandoStampante, StampaGrezzaCompressaSuFile)
{
    EXPECT_EQ(app::comandoStampante({"--destinazione", "FILE", "--compressa"}), 0);
    EXPECT_EQ(leggi("uscita.prn"), QByteArray("\x1B\x0F\x00\x00\x00STAMPA DI PROVA\r\n|riga|\r\n\f", 31));
}

TEST_F(ComandoStampante, StampaSulPdf)
{
    EXPECT_EQ(app::comandoStampante({"--destinazione=PDF", "--orizzontale", "--fronte-retro"}), 0);
    EXPECT_TRUE(leggi("stampa.pdf").startsWith("%PDF"));
}

TEST_F(ComandoStampante, NullaDaStampareUscitaDiversaDaZero)
{
    EXPECT_EQ(app::comandoStampante({"--destinazione", "NESSUNA"}), 1);
    QFile::remove("fd5");
    EXPECT_EQ(app::comandoStampante({"--destinazione", "FILE"}), 1);
    EXPECT_FALSE(QFile::exists("uscita.prn"));
    // Usage errors.
    EXPECT_EQ(app::comandoStampante({}), 2);
    EXPECT_EQ(app::comandoStampante({"--destinazione", "FILE", "--colori"}), 2);
    EXPECT_EQ(app::comandoStampante({"--destinazione"}), 2);
}

} // namespace pc::prova
