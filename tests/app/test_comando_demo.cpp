#include "ComandiBatch.h"
#include "GeneratoreAlbergo.h"
#include "StampaProduzione.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace pc::prova {

using pc::app::comandoDemo;

namespace {

QByteArray contenuto(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void scrivi(const QString &file, const QByteArray &dati)
{
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(dati);
}

int demo(const std::vector<std::string> &argomenti, std::string *uscita = nullptr, std::string *errori = nullptr)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int codice = comandoDemo(argomenti);
    const std::string o = testing::internal::GetCapturedStdout();
    const std::string e = testing::internal::GetCapturedStderr();
    if (uscita) *uscita = o;
    if (errori) *errori = e;
    return codice;
}

} // namespace

TEST(ComandoDemo, CreaGliArchiviEDiceComeUsarli)
{
    QTemporaryDir radice;
    const QString cartella = radice.filePath("nuova/albergo");   // missing folders are created
    std::string uscita;
    ASSERT_EQ(demo({cartella.toStdString()}, &uscita), 0);
    for (const auto &f : pc::demo::fileAlbergo())
        EXPECT_TRUE(contenuto(cartella + "/" + QString::fromStdString(f)).startsWith("SQLite format 3")) << f;
    EXPECT_NE(uscita.find("DIRKV=" + cartella.toStdString() + "/storico"), std::string::npos) << uscita;
    EXPECT_NE(uscita.find(" stampa --dal "), std::string::npos) << uscita;
    EXPECT_NE(uscita.find("cd " + cartella.toStdString()), std::string::npos) << uscita;
}

TEST(ComandoDemo, DueVolteGliStessiByte)
{
    QTemporaryDir a, b;
    ASSERT_EQ(demo({a.path().toStdString()}), 0);
    ASSERT_EQ(demo({b.path().toStdString()}), 0);
    for (const auto &f : pc::demo::fileAlbergo()) {
        const QString nome = QString::fromStdString(f);
        const QByteArray x = contenuto(a.filePath(nome));
        EXPECT_FALSE(x.isEmpty()) << f;
        EXPECT_EQ(x, contenuto(b.filePath(nome))) << f;
    }
}

TEST(ComandoDemo, RifiutaUnaCartellaConArchiviDiAlbergo)
{
    for (const char *presente : {"NumeriCamere.mdb", "storico/ContoStoricoClienti.mdb"}) {
        QTemporaryDir d;
        const QString file = d.filePath(presente);
        scrivi(file, "archivio dell'albergo vero");
        std::string errori;
        EXPECT_EQ(demo({d.path().toStdString()}, nullptr, &errori), 1) << presente;
        EXPECT_NE(errori.find(presente), std::string::npos) << errori;
        EXPECT_NE(errori.find("--sovrascrivi"), std::string::npos) << errori;
        EXPECT_EQ(contenuto(file), "archivio dell'albergo vero") << "the existing file was touched";
        EXPECT_FALSE(QFile::exists(d.filePath("Scheda_Cliente.mdb"))) << "something was written after the refusal";
    }
}

TEST(ComandoDemo, SovrascriveSoloSeRichiesto)
{
    QTemporaryDir d;
    scrivi(d.filePath("NumeriCamere.mdb"), "vecchio");
    scrivi(d.filePath("fd1"), "report precedente");   // not a hotel file: left alone
    ASSERT_EQ(demo({d.path().toStdString(), "--sovrascrivi"}), 0);
    EXPECT_TRUE(contenuto(d.filePath("NumeriCamere.mdb")).startsWith("SQLite format 3"));
    EXPECT_EQ(contenuto(d.filePath("fd1")), "report precedente");
}

TEST(ComandoDemo, ArgomentiSbagliati)
{
    QTemporaryDir d;
    EXPECT_EQ(demo({}), 2);
    EXPECT_EQ(demo({d.filePath("a").toStdString(), d.filePath("b").toStdString()}), 2);
    EXPECT_EQ(demo({d.path().toStdString(), "--forza"}), 2);
    scrivi(d.filePath("un-file"), "x");
    std::string errori;
    EXPECT_EQ(demo({d.filePath("un-file").toStdString()}, nullptr, &errori), 1);
    EXPECT_NE(errori.find("non \xC3\xA8 una cartella"), std::string::npos) << errori;
    EXPECT_FALSE(QFile::exists(d.filePath("a/NumeriCamere.mdb")));
}

// ---------------------------------------------------------------- the demo hotel through the report

namespace {

// Runs a report on the demo hotel in its folder; returns the report's lines
// (CR LF removed), box-drawing bytes as they are.
std::vector<std::string> reportDemo(const QString &cartella, const pc::RichiestaReport &r)
{
    const QString prima = QDir::currentPath();
    const QByteArray dirkv = qgetenv("DIRKV"), pclocal = qgetenv("PCLocal");
    QDir::setCurrent(cartella);
    qputenv("DIRKV", (cartella + "/storico").toLocal8Bit());
    qputenv("PCLocal", "5");
    std::string errore;
    try {
        pc::StampaProduzione(r);
    } catch (const std::exception &e) {
        errore = e.what();
    }
    QDir::setCurrent(prima);
    qputenv("DIRKV", dirkv);
    qputenv("PCLocal", pclocal);
    EXPECT_EQ(errore, "");
    std::vector<std::string> righe;
    std::istringstream in(contenuto(cartella + "/fd5").toStdString());
    for (std::string riga; std::getline(in, riga, '\n');) {
        if (!riga.empty() && riga.back() == '\r') riga.pop_back();
        righe.push_back(riga);
    }
    return righe;
}

std::vector<std::string> celle(const std::string &riga)
{
    std::vector<std::string> c;
    std::string cella;
    for (char ch : riga.substr(1)) {
        if (ch == '\xB3') {
            const auto a = cella.find_first_not_of(' '), b = cella.find_last_not_of(' ');
            c.push_back(a == std::string::npos ? "" : cella.substr(a, b - a + 1));
            cella.clear();
        } else cella += ch;
    }
    return c;
}

class DemoNelReport : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<QTemporaryDir>();
        ASSERT_EQ(demo({s_dir->path().toStdString()}), 0);
    }
    static void TearDownTestSuite() { s_dir.reset(); }
    static std::unique_ptr<QTemporaryDir> s_dir;
};
std::unique_ptr<QTemporaryDir> DemoNelReport::s_dir;

} // namespace

TEST_F(DemoNelReport, MarzoMostraStoricoOspitiInCasaEPrenotazioni)
{
    pc::RichiestaReport r;
    r.dalla = "01/03/2026";
    r.alla = "31/03/2026";
    r.tipo = pc::TipoReport::Vendite;
    r.raggruppamento = pc::Raggruppamento::TipiCamere;
    const auto righe = reportDemo(s_dir->path(), r);
    ASSERT_GT(righe.size(), 35u);
    // Only hotel 1's bedroom types, in the order of their code.
    EXPECT_EQ(celle(righe[2]), (std::vector<std::string>{"DATA", "DBL", "JRS", "SGL", "SUI", "TRP"}));
    std::map<int, long> venduteIl;   // day of March -> rooms sold
    for (const auto &riga : righe) {
        const auto c = celle(riga);
        if (c.size() != 6 || c[0].size() != 10 || c[0].substr(2) != "/03/2026") continue;
        long somma = 0;
        for (std::size_t i = 1; i < c.size(); ++i) somma += std::stol(c[i]);
        venduteIl[std::stoi(c[0].substr(0, 2))] = somma;
    }
    ASSERT_EQ(venduteIl.size(), 31u);
    // History (before the 15th), guests in house (the 15th), bookings (after).
    for (int g : {1, 7, 14, 15, 16, 20}) EXPECT_GT(venduteIl[g], 10) << "day " << g;
    EXPECT_GT(venduteIl[31], 0);
}

TEST_F(DemoNelReport, ProduzioneDelleMacroCategorieDellAlbergo1)
{
    pc::RichiestaReport r;
    r.dalla = "01/02/2026";
    r.alla = "28/02/2026";
    r.tipo = pc::TipoReport::Produzione;
    r.raggruppamento = pc::Raggruppamento::MacroCategorie;
    const auto righe = reportDemo(s_dir->path(), r);
    ASSERT_GT(righe.size(), 30u);
    EXPECT_EQ(celle(righe[2]), (std::vector<std::string>{"DATA", "LUX", "STD", "SUP"}));
    const auto totali = celle(righe[righe.size() - 2]);
    ASSERT_EQ(totali.size(), 4u);
    EXPECT_EQ(totali[0], "TOTALI");
    // Standard rooms are the most: they earn the most over a month.
    auto cifra = [](std::string s) {
        for (char &ch : s)
            if (ch == ',') ch = '.';
        return std::stod(s);
    };
    EXPECT_GT(cifra(totali[2]), cifra(totali[1]));
    EXPECT_GT(cifra(totali[1]), 1000.0);
}

} // namespace pc::prova
