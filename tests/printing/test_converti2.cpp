// The printer's line cleaner against the preview's, code by code.

#include "ConvertiBordi.h"
#include "Converti2.h"

#include <gtest/gtest.h>

using pc::anteprima::ConvertiBordi;
using pc::stampa::Converti2;

namespace pc::prova {

using namespace pc;

TEST(Converti2, UgualeAConvertiBordiSuOgniCodiceTranneL180)
{
    for (int c = 0; c < 256; ++c) {
        std::string a(1, static_cast<char>(c)), b = a;
        Converti2(a);
        ConvertiBordi(b);
        if (c == 180) {
            EXPECT_EQ(a, "'");
            EXPECT_EQ(b, "|");
        } else {
            EXPECT_EQ(a, b) << "codice " << c;
        }
    }
}

TEST(Converti2, BordiEVocaliAccentate)
{
    std::string r = "\xC0\xD9\xC4\xB3\xC5\xDA\xBF\xC3\xB4\xC8\xC9\xCC\xD2";
    EXPECT_EQ(Converti2(r), "\xE0\xF9-|---|'\xE8\xE9\xEC\xF2");
    // Small vowels, "ç" and ASCII stay.
    std::string invariata = "\xE0\xE8\xE9\xEC\xF2\xF9\xE7 Totale 12 ~";
    const std::string prima = invariata;
    EXPECT_EQ(Converti2(invariata), prima);
    std::string vuota;
    EXPECT_EQ(Converti2(vuota), "");
}

TEST(Converti2, RiscriveSulPostoELaLunghezzaNonCambia)
{
    std::string riga(80, '\xC4');
    std::string &risultato = Converti2(riga);
    EXPECT_EQ(&risultato, &riga);
    EXPECT_EQ(riga, std::string(80, '-'));
}

} // namespace pc::prova
