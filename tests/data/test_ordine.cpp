// Ordering of records and the block storage of table rows.
#include "Sorgente.h"
#include "Valutatore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace pc::prova {

using namespace pc::dati;
using pc::dati::Valore;

namespace {

Valore T(std::string s) { return Valore::testo(std::move(s)); }

// The order by definition: a stable sort with the record comparison.
std::vector<std::uint32_t> ordineAtteso(std::vector<std::uint32_t> pos, const RigheTabella &righe,
                                        const std::vector<std::pair<int, bool>> &chiavi)
{
    std::stable_sort(pos.begin(), pos.end(), [&](std::uint32_t x, std::uint32_t y) {
        for (auto [c, disc] : chiavi) {
            const int r = confrontaPerOrdine(righe[x][static_cast<std::size_t>(c)], righe[y][static_cast<std::size_t>(c)]);
            if (r != 0) return disc ? r > 0 : r < 0;
        }
        return false;
    });
    return pos;
}

// Texts chosen to defeat a prefix key: equal first eight bytes, case
// differences, a NUL byte, lengths around eight, letters on both sides of
// the capitals ('_' lies between 'Z' and 'a').
const std::vector<std::string> Testi = {
    "20160101", "20160101A", "20160101a", "20160101b", "2016010", "20160102", "", "a", "A", "_", "Z", "z",
    std::string("abc\0", 4), "abc", "ABC", "abcdefgh", "ABCDEFGHI", "abcdefghi", "abcdefgh\x01", "~", "101", "0101",
};

RigheTabella tabellaCasuale(std::mt19937 &g, std::size_t n, const std::vector<Valore> &extra)
{
    RigheTabella t(3);
    std::uniform_int_distribution<std::size_t> scelta(0, Testi.size() - 1);
    for (std::size_t i = 0; i < n; ++i) {
        Valore *r = t.aggiungiRiga();
        r[0] = T(Testi[scelta(g)]);
        r[1] = T(Testi[scelta(g)]);
        r[2] = Valore::intero(static_cast<long long>(g() % 5));
    }
    // Values that are not ASCII texts, when given, replace a few cells of the
    // first column (the prefix key must then not be used for it).
    for (std::size_t i = 0; i < extra.size() && i < n; ++i) const_cast<Valore &>(t[(i * 7) % n][0]) = extra[i];
    return t;
}

} // namespace

TEST(Ordine, ChiaviVelociUgualiAlConfrontoCompleto)
{
    const std::vector<std::vector<std::pair<int, bool>>> chiavi = {
        {{0, false}},          {{0, true}},           {{0, false}, {1, false}}, {{0, false}, {1, true}},
        {{1, true}, {0, false}}, {{0, false}, {1, false}, {2, true}}, {{2, false}, {0, false}},
    };
    const std::vector<std::vector<Valore>> extra = {
        {},
        {Valore()},
        {Valore::intero(3), Valore::reale(2.5)},
        {T("\xC3\xA0" "b"), T("\xC3\x80" "B")},
    };
    std::mt19937 g(20240229);
    for (int prova = 0; prova < 40; ++prova) {
        const std::size_t n = 1 + g() % 300;
        const auto &e = extra[static_cast<std::size_t>(prova) % extra.size()];
        const RigheTabella righe = tabellaCasuale(g, n, e);
        // A subset of the rows in a shuffled order: ties keep that order.
        std::vector<std::uint32_t> pos;
        for (std::uint32_t i = 0; i < n; ++i)
            if (g() % 4 != 0) pos.push_back(i);
        std::shuffle(pos.begin(), pos.end(), g);
        for (const auto &k : chiavi) {
            auto ottenuto = pos;
            ordina(ottenuto, righe, k);
            ASSERT_EQ(ottenuto, ordineAtteso(pos, righe, k)) << "prova " << prova << ", chiavi " << k.size();
        }
    }
}

TEST(Ordine, PrefissiUgualiEMaiuscole)
{
    RigheTabella righe(1);
    for (const char *s : {"20160101b", "20160101A", "20160101", "2016010", "20160101a"}) *righe.aggiungiRiga() = T(s);
    std::vector<std::uint32_t> pos = {0, 1, 2, 3, 4};
    ordina(pos, righe, {{0, false}});
    // Case ignored: "20160101A" and "20160101a" are equal and keep their order.
    EXPECT_EQ(pos, (std::vector<std::uint32_t>{3, 2, 1, 4, 0}));
    ordina(pos, righe, {{0, true}});
    EXPECT_EQ(pos, (std::vector<std::uint32_t>{0, 1, 4, 2, 3}));
    // Already in order: left as it is.
    pos = {3, 2, 1, 4, 0};
    ordina(pos, righe, {{0, false}});
    EXPECT_EQ(pos, (std::vector<std::uint32_t>{3, 2, 1, 4, 0}));
}

TEST(RigheTabella, BlocchiLettiComeScritti)
{
    RigheTabella t(3);
    t.reserve(10);
    const std::size_t n = 2 * t.righeBlocco() + 7;   // three blocks
    for (std::size_t i = 0; i < n; ++i) {
        Valore *r = t.aggiungiRiga();
        r[0] = Valore::intero(static_cast<long long>(i));
        if (i % 97 == 0) r[2] = T("riga numero " + std::to_string(i) + " con un testo lungo");
    }
    ASSERT_EQ(t.size(), n);
    std::size_t contate = 0;
    for (RigaTabella r : t) {
        ASSERT_EQ(r.size(), 3u);
        EXPECT_EQ(r[0], Valore::intero(static_cast<long long>(contate)));
        EXPECT_TRUE(r[1].nullo());
        if (contate % 97 == 0) {
            EXPECT_EQ(r[2].comeTesto(), "riga numero " + std::to_string(contate) + " con un testo lungo");
        } else {
            EXPECT_TRUE(r[2].nullo());
        }
        ++contate;
    }
    EXPECT_EQ(contate, n);
    EXPECT_EQ(t.back()[0], Valore::intero(static_cast<long long>(n - 1)));
    EXPECT_EQ(t[t.righeBlocco()][0], Valore::intero(static_cast<long long>(t.righeBlocco())));
    EXPECT_EQ(t[t.righeBlocco() - 1][0], Valore::intero(static_cast<long long>(t.righeBlocco() - 1)));
    EXPECT_THROW(t.at(n), std::out_of_range);
    EXPECT_THROW(t[0].at(3), std::out_of_range);
    EXPECT_THROW(t.impostaColonne(4), std::logic_error);
    EXPECT_THROW(t.push_back({Valore(), Valore(), Valore(), Valore()}), std::logic_error);
    t.push_back({T("corta")});
    EXPECT_EQ(t.back(), (std::vector<Valore>{T("corta"), Valore(), Valore()}));
}

} // namespace pc::prova
