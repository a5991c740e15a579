#include "ComandiBatch.h"
#include "FileReport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// An empty working directory with PCLocal set to 4 while the object lives.
class Cartella {
public:
    Cartella() : m_prima(QDir::currentPath()), m_pcLocal(qgetenv("PCLocal")), m_aveva(qEnvironmentVariableIsSet("PCLocal"))
    {
        qputenv("PCLocal", "4");
        QDir::setCurrent(m_dir.path());
    }
    ~Cartella()
    {
        QDir::setCurrent(m_prima);
        if (m_aveva) qputenv("PCLocal", m_pcLocal);
        else qunsetenv("PCLocal");
    }

private:
    QTemporaryDir m_dir;
    QString m_prima;
    QByteArray m_pcLocal;
    bool m_aveva;
};

int esegui(std::vector<std::string> argomenti)
{
    argomenti.insert(argomenti.begin(), {"produzione-camere", "csv"});
    std::vector<char *> argv;
    for (auto &a : argomenti) argv.push_back(a.data());
    return pc::batch::eseguiComandoBatch(static_cast<int>(argv.size()), argv.data());
}

TEST(ComandoCsv, ConverteIlReportCorrenteEScriveIlNomeDelFile)
{
    Cartella c;
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
    Cartella c;
    testing::internal::CaptureStderr();
    const int esito = esegui({});
    const std::string errore = testing::internal::GetCapturedStderr();
    EXPECT_NE(esito, 0);
    EXPECT_NE(errore.find("\"fd4\""), std::string::npos) << errore;
    EXPECT_FALSE(QFile::exists(QStringLiteral("fd4.csv")));
}

TEST(ComandoCsv, ArgomentiNonPrevistiRifiutati)
{
    Cartella c;
    testing::internal::CaptureStderr();
    EXPECT_EQ(esegui({"altro"}), 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("altro"), std::string::npos);
}

} // namespace
