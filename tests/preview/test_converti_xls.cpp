#include "AiutiAnteprima.h"
#include "ConvertiXLS.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "Valuta.h"

#include <gtest/gtest.h>

using pc::anteprima::ConvertiXLS;
using pc::anteprima::FileSeparatoriXLS;
using pc::anteprima::SeparatoriXLS;
using pc::anteprima::convertiRigaXLS;
using pc::anteprima::leggiSeparatoriXLS;
using pc::anteprima::nomeFileCsv;
using pc::dati::ErroreDati;
using pc::dati::Valuta;

using namespace pc;
using namespace pc::prova;

namespace {

const SeparatoriXLS predefiniti;

std::string riga(const std::string &s, char virgola = ',') { return convertiRigaXLS(s, predefiniti, virgola); }

// ---- One line at a time ------------------------------------------------

TEST(ConvertiRigaXLS, EsempioDelReportRigaPerRiga)
{
    const auto r = reportDueGiorni();
    EXPECT_EQ(riga(r[0]), "STAMPA VENDITE PER NUMERO CAMERA DAL 01/03/2012 AL 02/03/2012");
    EXPECT_EQ(riga(r[1]), ",          ,          ,          ,");
    EXPECT_EQ(riga(r[2]), ",   DATA   ,101       ,102       ,");
    EXPECT_EQ(riga(r[3]), ",          ,          ,          ,");
    EXPECT_EQ(riga(r[4]), ",01/03/2012,         1,         0,");
    EXPECT_EQ(riga("\xB3" "01/03/2012\xB3   1234,50\xB3     -5,00\xB3"), ",01/03/2012,  \x80" "1234.50,    \x80-5.00,");
    EXPECT_EQ(riga("\xB3TOTALI    \xB3" "1234567,89\xB3"), ",TOTALI   \x80,1234567.89,");
    EXPECT_EQ(riga(r[8]), ",          ,          ,          ,");
}

TEST(ConvertiRigaXLS, FineDelSeparatoreSoloInFondoAllaRiga)
{
    EXPECT_EQ(riga("\xC4\xB4"), " ,");
    EXPECT_EQ(riga("\xB4\xC4"), "  ");
    EXPECT_EQ(riga("|a+b"), ",a,b");
}

TEST(ConvertiRigaXLS, PuntiVirgoleETrattiniFuoriDagliImporti)
{
    EXPECT_EQ(riga("A-B 1.234 2.5 3,4 x,12 1.5 -7"), "A B 1234 2.5 3 4 x 12 1.5 -7");
    // No digit before: neither a decimal comma nor a thousands dot.
    EXPECT_EQ(riga(",12"), " 12");
    EXPECT_EQ(riga(".12"), ".12");
    EXPECT_EQ(riga("12."), "12.");
    EXPECT_EQ(riga("-"), " ");
}

TEST(ConvertiRigaXLS, VirgolaDecimaleSenzaSpazioPrimaNonScriveSimbolo)
{
    EXPECT_EQ(riga("12,50"), "12.50");
    EXPECT_EQ(riga("\xB3" "1234567,89"), ",1234567.89");
    // The sign goes to the nearest blank behind, also an earlier column's.
    EXPECT_EQ(riga("x 12\xB3" "3,45"), "x\x80" "12,3.45");
}

TEST(ConvertiRigaXLS, SeparatoriDaImpostazioni)
{
    const SeparatoriXLS puntoEVirgola{";", ",", ""};
    EXPECT_EQ(convertiRigaXLS("\xB3" "01/03/2012\xB3   1234,50\xB3", puntoEVirgola), ";01/03/2012;   1234,50;");
    const SeparatoriXLS lunghi{"\t|", " dec ", "EUR"};
    EXPECT_EQ(convertiRigaXLS("\xB3 12,50\xB3", lunghi), "\t|E12 dec 50\t|");
}

TEST(ConvertiRigaXLS, ReportConPuntoDecimaleNonPerdeGliImporti)
{
    // A report written where the decimal mark is '.': the dot is the decimal
    // mark, the comma would be the thousands mark.
    EXPECT_EQ(riga("\xB3" "01/03/2012\xB3   1234.50\xB3     -5.00\xB3      0.00\xB3", '.'),
              ",01/03/2012,  \x80" "1234.50,    \x80-5.00,     \x80" "0.00,");
    EXPECT_EQ(riga("A-B 1,234 2.5 3,4 x.12 1.5 -7", '.'), "A B 1234 2.5 3 4 x.12 1.5 -7");
    EXPECT_EQ(riga("1.5 x,12", '.'), "1.5 x 12");
}

TEST(ConvertiRigaXLS, RigaVuota) { EXPECT_EQ(riga(""), ""); }

// ---- Settings file -------------------------------------------------------

TEST(SeparatoriXLS, FileAssenteOCortoDaiPredefiniti)
{
    CartellaProva cartella({.pcLocal = "3"});
    auto s = leggiSeparatoriXLS();
    EXPECT_EQ(s.campo, ",");
    EXPECT_EQ(s.decimale, ".");
    EXPECT_EQ(s.valuta, "\x80");

    scriviByte(FileSeparatoriXLS, ";\r\n");
    s = leggiSeparatoriXLS();
    EXPECT_EQ(s.campo, ";");
    EXPECT_EQ(s.decimale, ".");
    EXPECT_EQ(s.valuta, "\x80");

    scriviByte(FileSeparatoriXLS, ";\r\n,\r\n");
    s = leggiSeparatoriXLS();
    EXPECT_EQ(s.decimale, ",");
    EXPECT_EQ(s.valuta, "\x80");
}

TEST(SeparatoriXLS, TerzaRigaVuotaVuolDireNessunSimbolo)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte(FileSeparatoriXLS, "; \r\n,\r\n\r\n");
    const auto s = leggiSeparatoriXLS();
    EXPECT_EQ(s.campo, "; ");   // each line is taken whole
    EXPECT_EQ(s.decimale, ",");
    EXPECT_EQ(s.valuta, "");
}

// ---- Whole files -----------------------------------------------------------

TEST(ConvertiXLSFile, ScriveFdPCLocalCsvConCrLf)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf({reportDueGiorni()[2], "", "\xB3TOTALI    \xB3" "1234567,89\xB3"}));
    ConvertiXLS("fd3", ',');
    EXPECT_EQ(leggiByte("fd3.csv"), ",   DATA   ,101       ,102       ,\r\n\r\n,TOTALI   \x80,1234567.89,\r\n");
}

TEST(ConvertiXLSFile, IlNomeDellUscitaNonDipendeDallIngresso)
{
    CartellaProva cartella({.pcLocal = "7"});
    scriviByte("altro.txt", "a-b");   // last line without its line end
    ConvertiXLS("altro.txt", ',');
    EXPECT_EQ(nomeFileCsv(), "fd7.csv");
    EXPECT_EQ(leggiByte("fd7.csv"), "a b\r\n");
}

TEST(ConvertiXLSFile, FileVuotoDaFileVuotoEImpostazioniLette)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", "");
    ConvertiXLS("fd3", ',');
    EXPECT_EQ(leggiByte("fd3.csv"), "");

    scriviByte(FileSeparatoriXLS, ";\r\n,\r\n\r\n");
    scriviByte("fd3", conCrLf({"\xB3" "01/03/2012\xB3   1234,50\xB3"}));
    ConvertiXLS("fd3", ',');
    EXPECT_EQ(leggiByte("fd3.csv"), ";01/03/2012;   1234,50;\r\n");
}

TEST(ConvertiXLSFile, IngressoMancanteEUnErroreChiaroELUscitaResta)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3.csv", "precedente");
    try {
        ConvertiXLS("fd3", ',');
        FAIL() << "nessun errore per un report mancante";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("\"fd3\""), std::string::npos) << e.what();
    }
    EXPECT_EQ(leggiByte("fd3.csv"), "precedente");
}

TEST(ConvertiXLSFile, UscitaNonScrivibileEUnErrore)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", "x\r\n");
    ASSERT_TRUE(QDir().mkdir("fd3.csv"));
    EXPECT_THROW(ConvertiXLS("fd3", ','), ErroreDati);
}

TEST(ConvertiXLSFile, LeLettereNeiNomiNonSonoSeparatori)
{
    // Windows-1252 letters that share their byte with a box-drawing character
    // stay letters in the table's cells; only the frame separates.
    CartellaProva cartella({.pcLocal = "3"});
    const auto r = reportDueGiorni();
    struct Caso {
        std::string nome1, nome2;   // 10 bytes each
        std::string atteso;         // the heading line converted
    };
    const Caso casi[] = {
        {"CITT\xC0     ", "102       ", ",   DATA   ,CITT\xC0     ,102       ,"},
        {"\xDA\xC4\xC1\xB4      ", "m\xB3 |+     ", ",   DATA   ,\xDA\xC4\xC1\xB4      ,m\xB3 |+     ,"},
        {"\xC3\xC5\xD9\xBF\xC2\xB3\xC0\xC4\xC1\xB4", "\xC0         ",
         ",   DATA   ,\xC3\xC5\xD9\xBF\xC2\xB3\xC0\xC4\xC1\xB4,\xC0         ,"},
    };
    for (const Caso &c : casi) {
        std::vector<std::string> righe = r;
        righe[2] = "\xB3   DATA   \xB3" + c.nome1 + "\xB3" + c.nome2 + "\xB3";
        scriviByte("fd3", conCrLf(righe));
        ConvertiXLS("fd3", ',');
        std::string atteso;
        for (std::size_t i = 0; i < righe.size(); ++i) atteso += (i == 2 ? c.atteso : riga(righe[i])) + "\r\n";
        EXPECT_EQ(leggiByte("fd3.csv"), atteso) << c.nome1;
    }
    // Without such letters the file is the lines converted one by one, and a
    // text without a frame keeps every box-drawing byte a separator.
    for (const std::vector<std::string> &righe : {r, std::vector<std::string>{"CITT\xC0 \xB3 a|b"}}) {
        scriviByte("fd3", conCrLf(righe));
        ConvertiXLS("fd3", ',');
        std::string atteso;
        for (const auto &x : righe) atteso += riga(x) + "\r\n";
        EXPECT_EQ(leggiByte("fd3.csv"), atteso);
    }
}

TEST(ConvertiXLSFile, GliImportiScrittiColSeparatoreDelLocaleRestanoInteri)
{
    // Whatever the locale of this process, amounts written the way the report
    // writer writes them come through whole.
    CartellaProva cartella({.pcLocal = "3"});
    const char v = separatoreDecimale();
    const std::string a = Valuta::daGrezzo(12345000).formatta(2, v);   // 1234.50
    const std::string z = Valuta().formatta(2, v);
    scriviByte("fd3", conCrLf({"\xB3" + std::string(10 - a.size(), ' ') + a + "\xB3" + std::string(10 - z.size(), ' ') + z + "\xB3"}));
    ConvertiXLS("fd3");
    EXPECT_EQ(leggiByte("fd3.csv"), ",  \x80" "1234.50,     \x80" "0.00,\r\n");
}

} // namespace
