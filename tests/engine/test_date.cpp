// Reading the period's dates and walking the days.

#include "Calendario.h"
#include "DateReport.h"

#include <gtest/gtest.h>

namespace pc::prova {

using namespace pc;

TEST(GiornoReport, LeggeLeFormeDigitateEScartaLeDateImpossibili)
{
    dati::calendario::impostaOggi(dati::calendario::seriale(2026, 12, 8));
    EXPECT_EQ(Giorno::leggi("01/03/2012")->aaaammgg(), "20120301");
    EXPECT_EQ(Giorno::leggi("01-03-2012")->aaaammgg(), "20120301");
    EXPECT_EQ(Giorno::leggi("1.3.2012")->aaaammgg(), "20120301");
    EXPECT_EQ(Giorno::leggi(" 29/02/2012 ")->aaaammgg(), "20120229");
    EXPECT_EQ(Giorno::leggi("01/03/12")->aaaammgg(), "20120301");
    EXPECT_EQ(Giorno::leggi("01/03/99")->aaaammgg(), "19990301");
    for (const char *cattiva : {"", " ", "29/02/2011", "29/02/1900", "31/04/2012", "01/13/2012", "00/01/2012", "abc",
                                "01/03/2012x", "2012-03-01", "01/03/201", "01//2012", "010312", " 9 /12/2012", "29/02/2100"})
        EXPECT_FALSE(Giorno::leggi(cattiva).has_value()) << cattiva;
    EXPECT_EQ(Giorno::leggi("29/02/2000")->aaaammgg(), "20000229");
    dati::calendario::ripristinaOggi();
}

TEST(GiornoReport, GiorniSuccessiviAttraversoFebbraioEAnni)
{
    Giorno g = *Giorno::leggi("28/02/2012");
    EXPECT_EQ((g = g.successivo()).ggmmaaaa(), "29/02/2012");
    EXPECT_EQ((g = g.successivo()).ggmmaaaa(), "01/03/2012");
    Giorno f = *Giorno::leggi("28/02/2100");   // no 29th in 2100
    EXPECT_EQ(f.successivo().ggmmaaaa(), "01/03/2100");
    Giorno s = *Giorno::leggi("31/12/1999");
    EXPECT_EQ(s.successivo().aaaammgg(), "20000101");
    EXPECT_EQ(Giorno::leggi("01/01/2013")->seriale - Giorno::leggi("01/01/2012")->seriale, 366);
}

} // namespace pc::prova
