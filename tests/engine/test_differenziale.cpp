// The one-sweep computation must give byte for byte the report of the
// day-by-day find first / find next walk, on many small random hotels full of
// awkward records.

#include "AlbergoDiProva.h"

#include "DateReport.h"
#include "ErroreDati.h"
#include "StampaProduzione.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

using pc::dati::ErroreDati;
using pc::dati::Valore;

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
    // A date field holds a date or nothing (texts that are not dates stop the run).
    if (c.caso(2)) return c.uno(std::vector<std::string>{"", "        "});
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
        CartellaProva cartella(perIlReport);
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

// Computed and written a few days at a time, with the day lines sent to the
// temporary file at once, the statement is the one of the whole period at
// once: records spanning blocks, and columns widened late by a large figure
// or total.
TEST(CalcoloABlocchi, UgualeAlPeriodoInteroPerOgniTipoERaggruppamento)
{
    struct Limiti {
        long giorniPerBlocco;
        std::size_t righeInMemoria;
    };
    const Limiti limiti[] = {{1, 1}, {3, 200}, {7, 1u << 20}};
    for (std::uint64_t seme = 31; seme <= 34; ++seme) {
        Casuale c(seme);
        AlbergoDiProva a = albergoCasuale(c);
        // A figure wider than its column on a late day, then a total wider than its column.
        a.numeriCamere.push_back({I(1), T("901"), T("SIN")});
        a.numeriCamere.push_back({I(1), T("902"), T("TRI")});
        const Valore camera = T(seme % 2 ? "901" : "902");
        a.conti.push_back({I(1), T(Giorno{Base.seriale + 50}.aaaammgg()), T("PERN"), camera, R(seme % 2 ? 123456789.5 : -2000000.25)});
        for (int giorno = 20; giorno < 40; ++giorno)
            a.conti.push_back({I(1), T(Giorno{Base.seriale + giorno}.aaaammgg()), T("MP"), T("902"), R(600000)});
        CartellaProva cartella(perIlReport);
        a.scrivi(cartella.percorso());
        const std::string dal = Giorno{Base.seriale + c.tra(0, 10)}.ggmmaaaa();
        const std::string al = Giorno{Base.seriale + c.tra(55, 100)}.ggmmaaaa();
        for (TipoReport tipo : {TipoReport::Vendite, TipoReport::Produzione}) {
            for (Raggruppamento r : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie}) {
                const RichiestaReport richiesta{dal, al, tipo, r};
                StampaProduzione(richiesta, {}, MetodoCalcolo::GiornoPerGiorno);
                const std::string riferimento = cartella.report();
                // Every line of the table as long as its top border: widened on every line.
                const std::size_t inizio = riferimento.find("\r\n") + 2, bordo = riferimento.find("\r\n", inizio) - inizio;
                for (std::size_t p = inizio; p < riferimento.size(); p = riferimento.find("\r\n", p) + 2)
                    ASSERT_EQ(riferimento.find("\r\n", p) - p, bordo) << leggibile(riferimento);
                for (MetodoCalcolo metodo : {MetodoCalcolo::Rapido, MetodoCalcolo::GiornoPerGiorno}) {
                    for (const Limiti &l : limiti) {
                        StampaProduzione(richiesta, {}, metodo, LimitiStampa{l.giorniPerBlocco, l.righeInMemoria});
                        ASSERT_EQ(leggibile(cartella.report()), leggibile(riferimento))
                            << "seed " << seme << " tipo " << static_cast<int>(tipo) << " gruppo " << static_cast<int>(r)
                            << " giorni per blocco " << l.giorniPerBlocco << " in memoria " << l.righeInMemoria;
                    }
                }
                if (seme == 31 && tipo == TipoReport::Produzione && r == Raggruppamento::NumeriCamere) {
                    EXPECT_NE(riferimento.find("123456789"), std::string::npos) << leggibile(riferimento);
                }
            }
        }
        EXPECT_EQ(QDir(cartella.percorso()).entryList(QDir::Files).filter("fd7.").size(), 0) << "temporary file left";
    }
}

// Amounts at the ends of the range: the exact figure when it fits, otherwise
// the same range error on both computation paths (never a wrapped figure).
TEST(CalcoloABlocchi, ImportiEstremiDannoLaCifraEsattaOLoStessoErrore)
{
    // The largest whole amounts (a REAL column holds them exactly).
    const Valore minimo = I(-922337203685477), massimo = I(922337203685477);
    const std::string g1 = Giorno{Base.seriale}.aaaammgg(), g2 = Giorno{Base.seriale + 1}.aaaammgg(),
                      g3 = Giorno{Base.seriale + 2}.aaaammgg();
    struct Caso {
        const char *nome;
        Righe conti, arrangiamenti;
        const char *atteso;   // a figure of the report, or the start of the error
    };
    const Caso casi[] = {
        {"il minimo su un giorno", {}, {{I(1), T("*101"), T(g1), T(g2), T("PERN"), minimo}}, "-922337203685477"},
        {"minimo e massimo si annullano", {{I(1), T(g1), T("PERN"), T("101"), massimo}},
         {{I(1), T("*101"), T(g1), T(g3), T("PERN"), minimo}}, "-922337203685477"},
        {"due massimi nello stesso giorno", {{I(1), T(g1), T("PERN"), T("101"), massimo}, {I(1), T(g1), T("MP"), T("101"), massimo}},
         {{I(1), T("*101"), T(g1), T(g2), T("PERN"), minimo}}, "922337203685477"},
        {"il minimo per due giorni", {}, {{I(1), T("*101"), T(g1), T(g3), T("PERN"), minimo}},
         "Il totale della colonna \"101\" \xC3\xA8 fuori dall'intervallo"},
        {"due massimi nello stesso giorno, da soli", {{I(1), T(g1), T("PERN"), T("101"), massimo}, {I(1), T(g1), T("MP"), T("101"), massimo}},
         {}, "La cifra del 10/12/2011 della colonna \"101\" \xC3\xA8 fuori dall'intervallo"},
    };
    for (const Caso &caso : casi) {
        AlbergoDiProva a;
        a.numeriCamere = {{I(1), T("101"), T("SIN")}};
        a.tipiCamere = {{I(1), T("SIN"), T("C")}};
        a.vociFattura = {{I(1), T("PERN"), T("ARR")}, {I(1), T("MP"), T("ARR")}};
        a.conti = caso.conti;
        a.arrangiamenti = caso.arrangiamenti;
        CartellaProva cartella(perIlReport);
        a.scrivi(cartella.percorso());
        const RichiestaReport richiesta{Giorno{Base.seriale}.ggmmaaaa(), Giorno{Base.seriale + 2}.ggmmaaaa(), TipoReport::Produzione,
                                        Raggruppamento::NumeriCamere};
        std::string esiti[2];
        int i = 0;
        for (MetodoCalcolo metodo : {MetodoCalcolo::GiornoPerGiorno, MetodoCalcolo::Rapido}) {
            try {
                StampaProduzione(richiesta, {}, metodo, LimitiStampa{1, 1});
                esiti[i] = cartella.report();
            } catch (const ErroreDati &e) {
                esiti[i] = e.what();
            }
            ++i;
        }
        EXPECT_EQ(esiti[0], esiti[1]) << caso.nome;
        EXPECT_NE(esiti[0].find(caso.atteso), std::string::npos) << caso.nome << ": " << leggibile(esiti[0]);
    }
}

// Records the sweep cannot order by its keys (rooms and dates that are
// numbers, long or non-ASCII rooms), unreadable figures after readable ones
// and missing fields: the same statement, or the same error, as the
// day-by-day walk, in every grouping.
TEST(CalcoloInUnaPassata, ChiaviInsoliteEErroriComeIlCalcoloGiornoPerGiorno)
{
    const std::string g1 = Giorno{Base.seriale}.aaaammgg(), g2 = Giorno{Base.seriale + 1}.aaaammgg(),
                      g4 = Giorno{Base.seriale + 3}.aaaammgg();
    struct Caso {
        const char *nome;
        std::function<void(AlbergoDiProva &)> cambia;
    };
    const Caso casi[] = {
        {"camera numero", [&](AlbergoDiProva &a) { a.schedeStorico.push_back({I(1), T(g1), T(g4), I(101)}); }},
        {"arrivo numero", [&](AlbergoDiProva &a) { a.schede.push_back({I(1), I(20111209), T(g4), T("101")}); }},
        {"camera lunga", [&](AlbergoDiProva &a) { a.schede.push_back({I(1), T(g1), T(g4), T("101-bis-nord")}); }},
        {"camera accentata", [&](AlbergoDiProva &a) { a.schedeStorico.push_back({I(1), T(g2), T(g4), T("10\xC3\xA0")}); }},
        {"importo illeggibile", [&](AlbergoDiProva &a) { a.contiStorico.push_back({I(1), T(g2), T("PERN"), T("102"), T("dieci")}); }},
        {"importo illeggibile e camera ignota",
         [&](AlbergoDiProva &a) {
             a.conti.insert(a.conti.begin(), {I(1), T(g2), T("PERN"), T("999"), R(5)});
             a.conti.push_back({I(1), T(g1), T("PERN"), N(), T("1.234,5")});
         }},
        {"quantita illeggibile", [&](AlbergoDiProva &a) { a.prenotazioni.push_back({I(1), T(g1), T(g4), T("101"), T("SIN"), T("due")}); }},
        {"totale illeggibile", [&](AlbergoDiProva &a) { a.arrangiamenti.push_back({I(1), T("*101"), T(g1), T(g4), T("PERN"), T("x")}); }},
    };
    for (const Caso &caso : casi) {
        AlbergoDiProva a;
        a.numeriCamere = {{I(1), T("101"), T("SIN")}, {I(1), T("102"), T("DOP")}, {I(1), T("101-bis-nord"), T("DOP")},
                          {I(1), T("10\xC3\xA0"), T("SIN")}};
        a.tipiCamere = {{I(1), T("SIN"), T("C")}, {I(1), T("DOP"), T("C")}};
        a.macroN = {{I(1), T("STD")}};
        a.macro = {{T("SIN"), T("STD")}, {T("DOP"), T("STD")}};
        a.vociFattura = {{I(1), T("PERN"), T("ARR")}};
        a.schede = {{I(1), T(g1), T(g4), T("101")}, {I(1), T(g1), T(g4), T("101")}, {I(1), T(g2), T(g4), T("102")}};
        a.schedeStorico = {{I(1), T(g1), T(g2), T("102")}, {I(1), T(g1), T(g4), T("101")}};
        a.prenotazioni = {{I(1), T(g1), T(g4), T("102"), T("DOP"), I(2)}};
        a.conti = {{I(1), T(g1), T("PERN"), T("101"), R(80)}};
        a.contiStorico = {{I(1), T(g1), T("PERN"), T("102"), R(60)}};
        a.arrangiamenti = {{I(1), T("*102"), T(g1), T(g2), T("PERN"), R(40)}};
        caso.cambia(a);
        CartellaProva cartella(perIlReport);
        a.scrivi(cartella.percorso());
        for (TipoReport tipo : {TipoReport::Vendite, TipoReport::Produzione}) {
            for (Raggruppamento r : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie}) {
                const RichiestaReport richiesta{Giorno{Base.seriale}.ggmmaaaa(), Giorno{Base.seriale + 4}.ggmmaaaa(), tipo, r};
                std::string esiti[2];
                int i = 0;
                for (MetodoCalcolo metodo : {MetodoCalcolo::GiornoPerGiorno, MetodoCalcolo::Rapido}) {
                    try {
                        StampaProduzione(richiesta, {}, metodo);
                        esiti[i++] = leggibile(cartella.report());
                    } catch (const ErroreDati &e) {
                        esiti[i++] = std::string("! ") + e.what();
                    }
                }
                EXPECT_EQ(esiti[1], esiti[0]) << caso.nome << " tipo " << static_cast<int>(tipo) << " gruppo " << static_cast<int>(r);
            }
        }
    }
}
