// A real print through Qt to a PDF file, read back with poppler's tools.

#include "ReportDiProva.h"

#include "ErroreDati.h"
#include "StampaReport.h"
#include "StampanteQt.h"

#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using pc::dati::ErroreDati;
using pc::stampa::EsitoStampa;
using pc::stampa::ImpostazioniStampa;
using pc::stampa::SceltaStampa;
using pc::stampa::StampanteQt;
using pc::stampa::eseguiStampa;
using pc::stampa::leggiGruppi;

namespace pc::prova {

using namespace pc;

namespace {

QString esegui(const QString &programma, const QStringList &argomenti)
{
    QProcess p;
    p.start(programma, argomenti);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return QStringLiteral("<errore di %1>").arg(programma);
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool haPoppler()
{
    return !QStandardPaths::findExecutable("pdftotext").isEmpty() && !QStandardPaths::findExecutable("pdfinfo").isEmpty() &&
           !QStandardPaths::findExecutable("pdffonts").isEmpty();
}

ImpostazioniStampa pdf(const QString &file)
{
    ImpostazioniStampa imp;
    imp.font = "Courier New";
    imp.lunghezzaPagina = 60;
    imp.destinazione = "PDF";
    imp.tipoStampa = 3;
    imp.tipoTrovato = true;
    imp.C = leggiGruppi("008000000000000001010");
    imp.G = {0, 0, 0, 0, 0, 3, 66, 72, 0, 0, 0, 0};
    imp.margineAlto = 3;
    imp.lunghezzaRiempimento = 72;
    imp.dispositivo = file.toStdString();
    return imp;
}

// The text of every page, lines without trailing blanks, empty lines dropped.
std::vector<QStringList> pagineDiTesto(const QString &testo)
{
    std::vector<QStringList> pagine;
    for (const QString &pagina : testo.split(QChar('\f'))) {
        QStringList righe;
        for (QString riga : pagina.split(QChar('\n'))) {
            while (riga.endsWith(QChar(' '))) riga.chop(1);
            if (!riga.isEmpty()) righe << riga;
        }
        pagine.push_back(righe);
    }
    while (!pagine.empty() && pagine.back().isEmpty()) pagine.pop_back();
    return pagine;
}

} // namespace

TEST(StampaPdf, ReportDiCentoRigheInDuePagineLeggibili)
{
    if (!haPoppler()) GTEST_SKIP() << "poppler-utils non installato";
    QTemporaryDir dir;
    const QString file = dir.filePath("stampa.pdf");
    auto righe = prova::reportDiProva(92);
    righe.push_back("Totale \xE7" "CAMERE\xE7 12");   // 100 lines, the last one with a bold word
    SceltaStampa scelta;
    scelta.destinazione = "PDF";   // normal print: 10 points, the pitch pdftotext -fixed 6 assumes
    const EsitoStampa esito = eseguiStampa(pdf(file), scelta, "", righe);
    EXPECT_TRUE(esito.suStampanteDiSistema);
    EXPECT_EQ(esito.pagine, 2);
    ASSERT_TRUE(QFile::exists(file));
    // Written beside and renamed: nothing else is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"stampa.pdf"});

    const QString info = esegui("pdfinfo", {file});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\n"))) << info.toStdString();

    const auto pagine = pagineDiTesto(esegui("pdftotext", {"-layout", "-fixed", "6", file, "-"}));
    ASSERT_EQ(pagine.size(), 2u);
    EXPECT_EQ(pagine[0].size(), 57);
    EXPECT_EQ(pagine[1].size(), 43);
    EXPECT_EQ(pagine[0].first().trimmed().toStdString(), QString("STAMPA VENDITE PER NUMERO CAMERA DAL 01/01/2026 AL 31/12/2026").toStdString());
    EXPECT_EQ(pagine[0][1].trimmed().toStdString(), QString(45, '-').toStdString());
    EXPECT_EQ(pagine[0][2].trimmed().toStdString(), QString("|   DATA   |101       |102       |103       |").toStdString());
    EXPECT_EQ(pagine[0][3].trimmed().toStdString(), QString("|" + QString(43, '-') + "'").toStdString());
    EXPECT_EQ(pagine[0][4].trimmed().toStdString(), QString("|01/01/2026|         1|         0|         0|").toStdString());
    EXPECT_EQ(pagine[1].at(pagine[1].size() - 2).trimmed().toStdString(), "\xC3\xA0" + std::string(43, '-') + "\xC3\xB9");
    EXPECT_EQ(pagine[1].last().trimmed().toStdString(), QString("Totale CAMERE 12").toStdString());

    const QString font = esegui("pdffonts", {file});
    EXPECT_TRUE(font.contains("DejaVuSansMono ") || font.contains("DejaVuSansMono\n")) << font.toStdString();
    EXPECT_TRUE(font.contains("DejaVuSansMono-Bold")) << font.toStdString();
}

TEST(StampaPdf, OrizzontaleCompressaDaPagineLargheAOttoPunti)
{
    if (!haPoppler()) GTEST_SKIP() << "poppler-utils non installato";
    QTemporaryDir dir;
    const QString file = dir.filePath("orizzontale.pdf");
    SceltaStampa scelta;
    scelta.orizzontale = true;
    scelta.compressa = true;
    eseguiStampa(pdf(file), scelta, "", prova::reportDiProva(10));
    const QString info = esegui("pdfinfo", {file});
    const QRegularExpression dimensioni("Page size:\\s+([0-9.]+) x ([0-9.]+) pts");
    const auto m = dimensioni.match(info);
    ASSERT_TRUE(m.hasMatch()) << info.toStdString();
    EXPECT_GT(m.captured(1).toDouble(), m.captured(2).toDouble());
    // 8 point text: a mono character is 4.8 points wide.
    const auto pagine = pagineDiTesto(esegui("pdftotext", {"-layout", "-fixed", "4.8", file, "-"}));
    ASSERT_EQ(pagine.size(), 1u);
    ASSERT_EQ(pagine[0].size(), 17);
    EXPECT_EQ(pagine[0][13].trimmed().toStdString(), std::string("|10/01/2026|         1|         0|         9|"));
}

TEST(StampaPdf, CartellaInesistenteEUnErroreENessunFile)
{
    QTemporaryDir dir;
    SceltaStampa scelta;
    EXPECT_THROW(eseguiStampa(pdf(dir.filePath("manca/stampa.pdf")), scelta, "", prova::reportDiProva(3)), ErroreDati);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(StampaPdf, InterruzioneNonLasciaUnPdfParziale)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("parziale.pdf");
    {
        StampanteQt st;
        st.scegliStampante(file.toStdString());
        st.impostaFont("Courier New");
        st.impostaDimensione(10);
        st.scrivi("a met\xE0", true);
        // Dropped before fineDocumento, as when a later step fails.
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(StampaSenzaStampanti, NessunaStampanteNelSistemaEUnErrore)
{
    // The test runs with CUPS_SERVER pointing nowhere: the system lists no printer.
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "ci sono stampanti di sistema";
    StampanteQt st;
    try {
        st.scegliStampante("<nessuna stampante>");
        FAIL() << "nessun errore";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("Nessuna stampante"), std::string::npos) << e.what();
    }
}

} // namespace pc::prova
