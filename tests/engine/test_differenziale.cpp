// The one-sweep computation must give byte for byte the report of the
// day-by-day find first / find next walk, on many small random hotels full of
// awkward records.

#include "AlbergoDiProva.h"

#include "DateReport.h"
#include "StampaProduzione.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace pc;
using namespace pc::prova;

namespace {

class Casuale {
public:
    explicit Casuale(std::uint64_t seme) : s(seme * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t prossimo()
    {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int tra(int a, int b) { return a + static_cast<int>(prossimo() % static_cast<std::uint64_t>(b - a + 1)); }
    bool caso(int percento) { return tra(1, 100) <= percento; }
    template <class T> const T &uno(const std::vector<T> &v) { return v[static_cast<std::size_t>(tra(0, static_cast<int>(v.size()) - 1))]; }

private:
    std::uint64_t s;
};

const Giorno Base = Giorno::da(2011, 12, 10);

std::string data(Casuale &c, int daGiorno, int aGiorno)
{
    if (c.caso(2)) return c.uno(std::vector<std::string>{"2012031", "", "2012-03-01", "ABCDEFGH"});
    return Giorno{Base.seriale + c.tra(daGiorno, aGiorno)}.aaaammgg();
}

Valore testoONullo(Casuale &c, const std::string &t, int percentoNullo = 3) { return c.caso(percentoNullo) ? N() : T(t); }

AlbergoDiProva albergoCasuale(Casuale &c)
{
    const std::vector<std::string> camere = {"101", "102", "12a", "12A", " 103", "103", "L'X", "201", "202", "7"};
    const std::vector<std::string> tipi = {"SIN", "DOP", "TRI", "SIN ", "dop", "SUI"};
    const std::vector<std::string> voci = {"PERN", "pern", "BAR", "MP", "TAX"};
    AlbergoDiProva a;
    for (const auto &camera : camere)
        if (c.caso(80)) a.numeriCamere.push_back({I(c.caso(90) ? 1 : 2), T(camera), testoONullo(c, c.uno(tipi))});
    a.tipiCamere = {{I(1), T("SIN"), T("C")}, {I(1), T("DOP"), T(c.caso(50) ? "C" : "c")}, {I(1), T("TRI"), T("C")},
                    {I(1), T("SUI"), T(c.caso(50) ? "S" : "C")}, {I(2), T("SIN"), T("C")}};
    a.macroN = {{I(1), T("STD")}, {I(1), T("SUP")}, {I(1), T("std")}, {I(2), T("ALT")}};
    for (const auto &tipo : tipi)
        if (c.caso(70)) a.macro.push_back({T(tipo), T(c.uno(std::vector<std::string>{"STD", "SUP", "std", "ALT"}))});
    a.vociFattura = {{I(1), T("PERN"), T("ARR")}, {I(1), T("MP"), T("ARR")}, {I(1), T("BAR"), T("BEV")}, {I(2), T("TAX"), T("ARR")}};

    auto camera = [&] { return c.caso(5) ? T("999") : testoONullo(c, c.uno(camere)); };
    for (auto *schede : {&a.schede, &a.schedeStorico}) {
        const int quante = c.tra(0, 40);
        for (int i = 0; i < quante; ++i) {
            const int arrivo = c.tra(0, 110);
            const Valore stanza = camera();
            const int ospiti = c.caso(30) ? c.tra(2, 3) : 1;   // guests sharing a room: cards side by side
            for (int k = 0; k < ospiti; ++k)
                schede->push_back({I(c.caso(95) ? 1 : 2), T(Giorno{Base.seriale + arrivo}.aaaammgg()),
                                   T(data(c, arrivo + (c.caso(10) ? 0 : 1), arrivo + 6)), stanza});
        }
    }
    for (int i = 0, quante = c.tra(0, 15); i < quante; ++i) {
        const int arrivo = c.tra(0, 110);
        a.prenotazioni.push_back({I(c.caso(95) ? 1 : 2), T(Giorno{Base.seriale + arrivo}.aaaammgg()), T(data(c, arrivo, arrivo + 5)),
                                  c.caso(40) ? N() : T(c.uno(std::vector<std::string>{" 101", "12a ", "", "102"})),
                                  testoONullo(c, c.uno(std::vector<std::string>{"SIN", " DOP ", "tri", "XXX"})),
                                  c.caso(10) ? N() : I(c.tra(0, 3))});
    }
    for (auto *conti : {&a.conti, &a.contiStorico})
        for (int i = 0, quante = c.tra(0, 60); i < quante; ++i)
            conti->push_back({I(c.caso(95) ? 1 : 2), T(data(c, 0, 115)), T(c.uno(voci)), camera(),
                              c.caso(3) ? N() : R(c.tra(-2000, 30000) / 100.0)});
    for (int i = 0, quante = c.tra(0, 12); i < quante; ++i) {
        const int inizio = c.tra(0, 110);
        const std::string stanza = c.caso(10) ? c.uno(camere) : (c.caso(10) ? "*" : "*" + c.uno(camere));
        a.arrangiamenti.push_back({I(c.caso(95) ? 1 : 2), T(stanza), T(Giorno{Base.seriale + inizio}.aaaammgg()),
                                   T(data(c, inizio - 1, inizio + 6)), T(c.uno(voci)), c.caso(3) ? N() : R(c.tra(-500, 40000) / 100.0)});
    }
    return a;
}

} // namespace

TEST(CalcoloInUnaPassata, UgualeAlCalcoloGiornoPerGiornoSuAlberghiCasuali)
{
    int confronti = 0;
    for (std::uint64_t seme = 1; seme <= 30; ++seme) {
        Casuale c(seme);
        const AlbergoDiProva a = albergoCasuale(c);
        CartellaDiLavoro cartella;
        a.scrivi(cartella.percorso());
        for (int prova = 0; prova < 2; ++prova) {
            // Periods across the turn of the year, across 29 February 2012, one
            // day, and reversed ones.
            const int inizio = c.tra(0, 100);
            const int lunghezza = c.caso(15) ? c.tra(-5, -1) : c.tra(0, 60);
            const std::string dal = Giorno{Base.seriale + inizio}.ggmmaaaa();
            const std::string al = Giorno{Base.seriale + inizio + lunghezza}.ggmmaaaa();
            for (TipoReport tipo : {TipoReport::Vendite, TipoReport::Produzione}) {
                for (Raggruppamento r : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie}) {
                    const RichiestaReport richiesta{dal, al, tipo, r};
                    StampaProduzione(richiesta, {}, MetodoCalcolo::GiornoPerGiorno);
                    const std::string riferimento = cartella.report();
                    StampaProduzione(richiesta, {}, MetodoCalcolo::Rapido);
                    ASSERT_EQ(leggibile(cartella.report()), leggibile(riferimento))
                        << "seed " << seme << " " << dal << "-" << al << " tipo " << static_cast<int>(tipo) << " gruppo "
                        << static_cast<int>(r);
                    ++confronti;
                }
            }
        }
    }
    EXPECT_EQ(confronti, 30 * 2 * 6);
}
