#include "Testo.h"

#include <gtest/gtest.h>

namespace pc::prova {

namespace t = pc::dati::testo;

TEST(Testo, Cp1252AndataERitornoDiTuttiIByte)
{
    std::string tutti;
    for (int i = 0; i < 256; ++i) tutti += static_cast<char>(i);
    const std::string utf8 = t::cp1252InUtf8(tutti);
    EXPECT_EQ(t::utf8InCp1252(utf8), tutti);
    // A few well-known code points.
    EXPECT_EQ(t::cp1252InUtf8("\x80"), "\xE2\x82\xAC");            // euro sign
    EXPECT_EQ(t::cp1252InUtf8("\xE0"), "\xC3\xA0");                // à
    EXPECT_EQ(t::cp1252InUtf8("\x93" "a\x94"), "\xE2\x80\x9C" "a\xE2\x80\x9D");
    EXPECT_EQ(t::utf8InCp1252("CAFF\xC3\x88"), "CAFF\xC8");
    EXPECT_EQ(t::utf8InCp1252("\xD0\x96"), "?");                   // Cyrillic Zhe has no place
    EXPECT_EQ(t::utf8InCp1252("\xF0\x9F\x98\x80x"), "?x");         // outside the BMP: one '?'
}

TEST(Testo, MaiuscoloConAccenti)
{
    EXPECT_EQ(t::maiuscolo("12a"), "12A");
    EXPECT_EQ(t::maiuscolo("caff\xC3\xA8 \xC3\xA0 la carte"), "CAFF\xC3\x88 \xC3\x80 LA CARTE");
    EXPECT_EQ(t::maiuscolo("*12b"), "*12B");
    EXPECT_EQ(t::maiuscolo(""), "");
}

TEST(Testo, ConfrontoSenzaMaiuscole)
{
    EXPECT_EQ(t::confrontaNoCase("C", "c"), 0);
    EXPECT_EQ(t::confrontaNoCase("caff\xC3\xA8", "CAFF\xC3\x88"), 0);
    EXPECT_LT(t::confrontaNoCase("a", "B"), 0);
    EXPECT_GT(t::confrontaNoCase("b", "A"), 0);
    EXPECT_LT(t::confrontaNoCase("ab", "ABC"), 0);
    EXPECT_NE(t::confrontaNoCase("\xC3\xA0", "a"), 0);
    EXPECT_TRUE(t::ugualeNoCase("NumeroHotel", "NUMEROHOTEL"));
}

TEST(Testo, TrimTogliSoloGliSpazi)
{
    EXPECT_EQ(t::trim("  12A "), "12A");
    EXPECT_EQ(t::trim("\t12A"), "\t12A");
    EXPECT_EQ(t::trim("   "), "");
}

} // namespace pc::prova
