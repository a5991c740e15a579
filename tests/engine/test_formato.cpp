// Figures as the report writes them, under the locale the test runs with:
// this file is built twice, for Italian settings (decimal comma) and for C.

#include "AlbergoDiProva.h"

#include "FileReport.h"
#include "StampaProduzione.h"
#include "Valuta.h"

#include <gtest/gtest.h>

using pc::dati::Valuta;

using namespace pc;
using namespace pc::prova;

TEST(FormatoCifre, SeparatoreDecimaleDelLocale)
{
    EXPECT_EQ(separatoreDecimale(), PC_SEPARATORE_ATTESO);
}

TEST(FormatoCifre, ImportiArrotondatiLontanoDaZeroConSeparatoreDelLocale)
{
    AlbergoDiProva a;
    a.numeriCamere = {{I(1), T("1"), T("A")}, {I(1), T("2"), T("A")}, {I(1), T("3"), T("A")}, {I(1), T("4"), T("A")}};
    a.tipiCamere = {{I(1), T("A"), T("C")}};
    a.vociFattura = {{I(1), T("PERN"), T("ARR")}};
    a.conti = {{I(1), T("20120301"), T("PERN"), T("1"), R(1234.5)}, {I(1), T("20120301"), T("PERN"), T("2"), R(0.005)},
               {I(1), T("20120301"), T("PERN"), T("3"), R(-0.015)}, {I(1), T("20120301"), T("PERN"), T("4"), R(2.0049)}};
    CartellaProva c(perIlReport);
    a.scrivi(c.percorso());
    StampaProduzione({"01/03/2012", "01/03/2012", TipoReport::Produzione, Raggruppamento::NumeriCamere});
    const char s = PC_SEPARATORE_ATTESO;
    const std::string atteso = std::string("\xB3" "01/03/2012\xB3   1234") + s + "50\xB3      0" + s + "01\xB3     -0" + s +
                               "02\xB3      2" + s + "00\xB3\r\n";
    EXPECT_NE(c.report().find(atteso), std::string::npos) << leggibile(c.report());
}

TEST(FormatoCifre, ValutaFormattaVenditeSenzaDecimali)
{
    EXPECT_EQ(Valuta::daIntero(12).formatta(0), "12");
    EXPECT_EQ(Valuta::daIntero(-3).formatta(0), "-3");
    EXPECT_EQ(Valuta::daGrezzo(25000).formatta(0), "3");    // 2.5 -> 3
    EXPECT_EQ(Valuta::daGrezzo(-25000).formatta(0), "-3");
}
