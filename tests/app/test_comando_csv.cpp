#include "CartellaProva.h"
#include "ComandiBatch.h"
#include "FileReport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>

namespace pc::prova {

namespace {

int esegui(std::vector<std::string> argomenti)
{
    argomenti.insert(argomenti.begin(), {"produzione-camere", "csv"});
    std::vector<char *> argv;
    for (auto &a : argomenti) argv.push_back(a.data());
    return pc::app::eseguiComandoBatch(static_cast<int>(argv.size()), argv.data());
}

TEST(ComandoCsv, ConverteIlReportCorrenteEScriveIlNomeDelFile)
{
    CartellaProva c({.pcLocal = "4"});
    {
        QFile f(QStringLiteral("fd4"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // The amount as the report writer writes it in this locale.
        f.write(QByteArray("\xB3TOTALI    \xB3   1234") + pc::separatoreDecimale() + "50\xB3\r\n");
    }
    testing::internal::CaptureStdout();
    const int esito = esegui({});
    const std::string uscita = testing::internal::GetCapturedStdout();
    EXPECT_EQ(esito, 0);
    EXPECT_EQ(uscita, "fd4.csv\n");
    QFile csv(QStringLiteral("fd4.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll(), QByteArray(",TOTALI    ,  \x80" "1234.50,\r\n"));
}

TEST(ComandoCsv, ReportMancanteMessaggioEUscitaDiversaDaZero)
{
    CartellaProva c({.pcLocal = "4"});
    testing::internal::CaptureStderr();
    const int esito = esegui({});
    const std::string errore = testing::internal::GetCapturedStderr();
    EXPECT_NE(esito, 0);
    EXPECT_NE(errore.find("\"fd4\""), std::string::npos) << errore;
    EXPECT_FALSE(QFile::exists(QStringLiteral("fd4.csv")));
}

TEST(ComandoCsv, ArgomentiNonPrevistiRifiutati)
{
    CartellaProva c({.pcLocal = "4"});
    testing::internal::CaptureStderr();
    EXPECT_EQ(esegui({"altro"}), 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("altro"), std::string::npos);
}

} // namespace

} // namespace pc::prova
