// The raw path, byte for byte, and writing to its device.

#include "ErroreDati.h"
#include "StampaReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using pc::dati::ErroreDati;
using pc::stampa::EsitoStampa;
using pc::stampa::ImpostazioniStampa;
using pc::stampa::SceltaStampa;
using pc::stampa::eseguiStampa;
using pc::stampa::leggiGruppi;
using pc::stampa::leggiRigheReport;
using pc::stampa::preparaStampaGrezza;

namespace pc::prova {

using namespace pc;

namespace {

// C6 0: the raw path. Normal start bytes C7..C11 = 18 1 2 3 4.
ImpostazioniStampa grezza()
{
    ImpostazioniStampa imp;
    imp.lunghezzaPagina = 60;
    imp.destinazione = "AGHI";
    imp.tipoStampa = 2;
    imp.tipoTrovato = true;
    imp.C = leggiGruppi("027015000000000000018001002003004");
    imp.G = {0, 0, 0, 0, 0, 3, 66, 72, 0, 0, 0, 0};
    imp.margineAlto = 3;
    imp.lunghezzaRiempimento = 72;
    return imp;
}

std::vector<std::string> righeNumerate(int n)
{
    std::vector<std::string> r;
    for (int i = 1; i <= n; ++i) r.push_back("riga " + std::to_string(i));
    return r;
}

std::string ripeti(const std::string &s, int volte)
{
    std::string r;
    for (int i = 0; i < volte; ++i) r += s;
    return r;
}

std::string righeDa(int da, int a)
{
    std::string r;
    for (int i = da; i <= a; ++i) r += "riga " + std::to_string(i) + "\r\n";
    return r;
}

std::string leggi(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return "<assente>";
    return f.readAll().toStdString();
}

} // namespace

// --- The bytes ---

TEST(StampaGrezza, CentoRigheConRiempimentoU)
{
    SceltaStampa scelta;
    int pagine = 0;
    const std::string out = preparaStampaGrezza(grezza(), scelta, "U", righeNumerate(100), &pagine);
    const std::string margine = ripeti(" \r\n", 3);
    const std::string atteso = std::string("\x12\x01\x02\x03\x04", 5) + margine + righeDa(1, 57) + ripeti("\r\n", 72 - 60) + margine +
                               righeDa(58, 100) + ripeti("\r\n", 72 - 46);
    EXPECT_EQ(out, atteso);
    EXPECT_EQ(pagine, 2);
}

TEST(StampaGrezza, CentoRigheConSaltoPagina)
{
    SceltaStampa scelta;
    const std::string out = preparaStampaGrezza(grezza(), scelta, "", righeNumerate(100));
    const std::string margine = ripeti(" \r\n", 3);
    const std::string atteso =
        std::string("\x12\x01\x02\x03\x04", 5) + margine + righeDa(1, 57) + "\f" + margine + righeDa(58, 100) + "\f";
    EXPECT_EQ(out, atteso);
}

TEST(StampaGrezza, AvvioCompressoConByteZero)
{
    SceltaStampa scelta;
    scelta.compressa = true;
    const std::string out = preparaStampaGrezza(grezza(), scelta, "", {"x"});
    ASSERT_GE(out.size(), 8u);
    EXPECT_EQ(out.substr(0, 8), std::string("\x1B\x0F\x00\x00\x00 \r\n", 8));
}

TEST(StampaGrezza, SenzaTipoDiStampaCinqueZeriSenzaMargine)
{
    ImpostazioniStampa imp;   // no SetStampa record: every value 0, fill 66
    imp.lunghezzaPagina = 60;
    SceltaStampa scelta;
    const std::string out = preparaStampaGrezza(imp, scelta, "U", {"a", "b"});
    EXPECT_EQ(out, std::string(5, '\0') + "a\r\nb\r\n" + ripeti("\r\n", 64));
}

TEST(StampaGrezza, BordiConvertitiSalvoCodiceK)
{
    ImpostazioniStampa imp = grezza();
    imp.margineAlto = 0;
    SceltaStampa scelta;
    const std::string riga = "\xDA\xC4\xBF\xB3\xB4\xC0";
    std::string out = preparaStampaGrezza(imp, scelta, "", {riga});
    EXPECT_EQ(out.substr(5), "---||\xE0\r\n\f");
    out = preparaStampaGrezza(imp, scelta, "XK", {riga});
    EXPECT_EQ(out.substr(5), riga + "\r\n\f");
}

TEST(StampaGrezza, RigaDiSaltoPaginaDaUnSoloSalto)
{
    ImpostazioniStampa imp = grezza();
    SceltaStampa scelta;
    const std::string out = preparaStampaGrezza(imp, scelta, "", {"a", "\f", "b"});
    const std::string margine = ripeti(" \r\n", 3);
    EXPECT_EQ(out.substr(5), margine + "a\r\n\f" + margine + "b\r\n\f");
    // A form feed right after a full page does not add an empty page.
    imp.lunghezzaPagina = 4;
    const std::string pieno = preparaStampaGrezza(imp, scelta, "", {"a", "\f", "b"});
    EXPECT_EQ(pieno.substr(5), margine + "a\r\n\f" + margine + "b\r\n\f");
}

TEST(StampaGrezza, ByteDiAvvioFuoriIntervalloEUnErrore)
{
    ImpostazioniStampa imp = grezza();
    imp.C[7] = 300;
    SceltaStampa scelta;
    try {
        preparaStampaGrezza(imp, scelta, "", {"a"});
        FAIL() << "nessun errore";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("C8"), std::string::npos) << e.what();
    }
    imp.C[7] = 2.5;   // halves to even: 2
    EXPECT_EQ(preparaStampaGrezza(imp, scelta, "", {}).substr(0, 5), std::string("\x12\x02\x02\x03\x04", 5));
}

// --- The device ---

TEST(StampaGrezzaDispositivo, ScriveIlFileSostituendoIlPrecedente)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("uscita.prn");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("vecchio contenuto molto lungo");
    }
    ImpostazioniStampa imp = grezza();
    imp.dispositivo = file.toStdString();
    SceltaStampa scelta;
    const EsitoStampa esito = eseguiStampa(imp, scelta, "", righeNumerate(3));
    EXPECT_FALSE(esito.suStampanteDiSistema);
    EXPECT_EQ(esito.dispositivo, file.toStdString());
    EXPECT_EQ(leggi(file), preparaStampaGrezza(imp, scelta, "", righeNumerate(3)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"uscita.prn"});
}

TEST(StampaGrezzaDispositivo, DispositivoNonApribileEUnErroreSenzaResidui)
{
    QTemporaryDir dir;
    ImpostazioniStampa imp = grezza();
    imp.dispositivo = dir.filePath("manca/uscita.prn").toStdString();
    SceltaStampa scelta;
    try {
        eseguiStampa(imp, scelta, "", righeNumerate(3));
        FAIL() << "nessun errore";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("manca/uscita.prn"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    imp.dispositivo = dir.path().toStdString();   // a folder
    EXPECT_THROW(eseguiStampa(imp, scelta, "", righeNumerate(3)), ErroreDati);
}

TEST(StampaGrezzaDispositivo, DestinazioneSenzaDispositivoEUnErrore)
{
    ImpostazioniStampa imp = grezza();
    imp.dispositivo = "   ";
    SceltaStampa scelta;
    EXPECT_THROW(eseguiStampa(imp, scelta, "", righeNumerate(3)), ErroreDati);
}

TEST(StampaGrezzaDispositivo, UnDispositivoSiScriveDirettamente)
{
    // /dev/null cannot be replaced by a rename: it must be written as it is.
    if (!QFile::exists("/dev/null")) GTEST_SKIP() << "nessun /dev/null";
    ImpostazioniStampa imp = grezza();
    imp.dispositivo = "/dev/null";
    SceltaStampa scelta;
    EXPECT_NO_THROW(eseguiStampa(imp, scelta, "", righeNumerate(3)));
    EXPECT_TRUE(QFileInfo("/dev/null").exists() && !QFileInfo("/dev/null").isFile());
}

TEST(LetturaReport, RigheSenzaFineRigaEFileMancante)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("fd9");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("uno\r\n\r\ntre \xC4\r\nquattro");
    }
    const auto righe = leggiRigheReport(file.toStdString());
    EXPECT_EQ(righe, (std::vector<std::string>{"uno", "", "tre \xC4", "quattro"}));
    try {
        leggiRigheReport(dir.filePath("fd8").toStdString());
        FAIL() << "nessun errore";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("fd8"), std::string::npos);
    }
}

} // namespace pc::prova
