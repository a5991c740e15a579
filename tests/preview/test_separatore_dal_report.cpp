// The spreadsheet copy takes the decimal mark from the report itself, not from
// the locale of the conversion, and reads a settings file saved as UTF-8.

#include "AiutiAnteprima.h"
#include "ConvertiXLS.h"

#include <gtest/gtest.h>

using pc::anteprima::ConvertiXLS;
using pc::anteprima::FileSeparatoriXLS;

namespace pc::prova {
namespace {


const std::string Testa = "STAMPA PRODUZIONE PER NUMERO CAMERA DAL 01/03/2012 AL 01/03/2012\r\n"
                          "\xDA\xC4\xC4\xC2\xC4\xC4\xBF\r\n"
                          "\xB3   DATA   \xB3" "101       \xB3" "102       \xB3\r\n";

struct Caso {
    const char *nome;
    std::string report;          // after the heading
    const char *impostazioni;    // SeparatoreXLS.txt, nullptr when absent
    std::string atteso;          // the csv after the heading's three lines
};

TEST(SeparatoreDalReport, LaVirgolaDelReportELeImpostazioniInUtf8)
{
    const std::string virgola = "\xB3" "01/03/2012\xB3   1749,50\xB3     -5,00\xB3\r\n\xB3TOTALI    \xB3   1749,50\xB3     -5,00\xB3\r\n";
    const std::string punto = "\xB3" "01/03/2012\xB3   1749.50\xB3     -5.00\xB3\r\n\xB3TOTALI    \xB3   1749.50\xB3     -5.00\xB3\r\n";
    const std::string predefinito = ",01/03/2012,  \x80" "1749.50,    \x80-5.00,\r\n,TOTALI    ,  \x80" "1749.50,    \x80-5.00,\r\n";
    const std::string italiano = ";01/03/2012;  \x80" "1749,50;    \x80-5,00;\r\n;TOTALI    ;  \x80" "1749,50;    \x80-5,00;\r\n";
    const std::vector<Caso> casi = {
        {"virgola", virgola, nullptr, predefinito},
        {"punto", punto, nullptr, predefinito},
        {"interi", "\xB3" "01/03/2012\xB3      1749\xB3        -2\xB3\r\n", nullptr, ",01/03/2012,      1749,        -2,\r\n"},
        {"utf-8", punto, ";\r\n,\r\n\xE2\x82\xAC\r\n", italiano},
        {"utf-8 con marca", virgola, "\xEF\xBB\xBF;\r\n,\r\n\xE2\x82\xAC\r\n", italiano},
        {"windows-1252", virgola, ";\r\n,\r\n\x80\r\n", italiano},
    };
    for (const Caso &c : casi) {
        SCOPED_TRACE(c.nome);
        CartellaProva cartella({.pcLocal = "3"});
        if (c.impostazioni) scriviByte(FileSeparatoriXLS, c.impostazioni);
        scriviByte("fd3", Testa + c.report);
        ConvertiXLS("fd3");
        const std::string csv = leggiByte("fd3.csv");
        const std::size_t dopoTesta = csv.find("102       ");
        ASSERT_NE(dopoTesta, std::string::npos) << csv;
        EXPECT_EQ(csv.substr(csv.find('\n', dopoTesta) + 1), c.atteso);
    }
}

} // namespace
} // namespace pc::prova
