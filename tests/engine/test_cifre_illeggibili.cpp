// Amounts and quantities that cannot be read: never left out as if they were
// null, on both ways of computing the statement.

#include "AlbergoDiProva.h"

#include "ErroreDati.h"
#include "StampaProduzione.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>

using pc::dati::ErroreDati;
using pc::dati::Valore;
using pc::dati::Valuta;

namespace pc::prova {

namespace {

// One room 101 of type SIN (macro STD); the record under test is alone in its table.
AlbergoDiProva albergo()
{
    AlbergoDiProva a;
    a.numeriCamere = {{I(1), T("101"), T("SIN")}};
    a.tipiCamere = {{I(1), T("SIN"), T("C")}};
    a.macroN = {{I(1), T("STD")}};
    a.macro = {{T("SIN"), T("STD")}};
    a.vociFattura = {{I(1), T("PERN"), T("ARR")}};
    return a;
}

enum class Dove { Addebito, Arrangiamento, Prenotazione };

AlbergoDiProva conValore(Dove dove, const Valore &v)
{
    AlbergoDiProva a = albergo();
    if (dove == Dove::Addebito) a.contiStorico = {{I(1), T("20120302"), T("PERN"), T("101"), v}};
    if (dove == Dove::Arrangiamento) a.arrangiamenti = {{I(1), T("*101"), T("20120301"), T("20120303"), T("PERN"), v}};
    if (dove == Dove::Prenotazione) a.prenotazioni = {{I(1), T("20120302"), T("20120303"), T("101"), T("SIN"), v}};
    return a;
}

// The statement's bytes, or "!" and the error's message.
std::string prospetto(const AlbergoDiProva &a, Dove dove, Raggruppamento r, MetodoCalcolo metodo, const char *sqlDopo)
{
    CartellaProva c(perIlReport);
    a.scrivi(c.percorso());
    if (sqlDopo) {
        const std::string file = (c.percorso() + (dove == Dove::Addebito ? "/storico/ContoStoricoClienti.mdb"
                                                  : dove == Dove::Arrangiamento ? "/Arrangiamento.mdb"
                                                                                : "/Camere_Prenotazione.mdb"))
                                     .toStdString();
        sqlite3 *db = nullptr;
        sqlite3_open(file.c_str(), &db);
        EXPECT_EQ(sqlite3_exec(db, sqlDopo, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    const TipoReport tipo = dove == Dove::Prenotazione ? TipoReport::Vendite : TipoReport::Produzione;
    try {
        StampaProduzione(RichiestaReport{"01/03/2012", "03/03/2012", tipo, r}, {}, metodo);
        return c.report();
    } catch (const ErroreDati &e) {
        return std::string("!") + e.what();
    }
}

} // namespace

TEST(CifreIlleggibili, LettoComeNumeroOppureErroreCheNominaIlRecord)
{
    const std::string campoAddebito = "\"Importo\" della tabella \"Conto_Cliente\" dell'archivio \"ContoStoricoClienti.mdb\"";
    struct Caso {
        Dove dove;
        Valore valore;
        const char *sqlDopo;    // a value the writer cannot give (a blob)
        Valore comeNumero;      // the same statement as with this value; null: an error expected
        std::string messaggio;  // parts of the error
    } casi[] = {
        {Dove::Addebito, T("162,00"), nullptr, R(162), {}},
        {Dove::Addebito, T(" -0,5 "), nullptr, R(-0.5), {}},
        {Dove::Addebito, N(), nullptr, N(), {}},   // null: left out, no error
        {Dove::Addebito, T("1.234,50"), nullptr, N(), campoAddebito + " il valore \"1.234,50\" non \xC3\xA8 un importo"},
        {Dove::Addebito, T("abc"), nullptr, N(), "\"abc\" non \xC3\xA8 un importo leggibile (record del 02/03/2012, camera \"101\")"},
        {Dove::Addebito, R(1e15), nullptr, N(), "il valore 1e+15 non"},
        {Dove::Addebito, R(1e300), nullptr, N(), "il valore 1e+300 non"},
        {Dove::Addebito, I(0), "UPDATE Conto_Cliente SET Importo = x'00ff31'", N(), "il valore \"0x00FF31\" non \xC3\xA8 un importo"},
        {Dove::Addebito, I(0), "UPDATE Conto_Cliente SET Importo = x'313030'", N(), "il valore \"0x313030\" non"},
        {Dove::Addebito, T("1,5e2"), nullptr, N(), "il valore \"1,5e2\" non \xC3\xA8 un importo"},
        {Dove::Addebito, T("0,00001"), nullptr, N(), "il valore \"0,00001\" non"},
        // Dates that are not texts yyyymmdd: the record would fall out of the period.
        {Dove::Addebito, R(5), "UPDATE Conto_Cliente SET DataAddebito = '2012-03-02'", N(),
         "Nel campo \"DataAddebito\" della tabella \"Conto_Cliente\" dell'archivio \"ContoStoricoClienti.mdb\" il valore "
         "\"2012-03-02\" non \xC3\xA8 una data (record della camera \"101\")"},
        {Dove::Addebito, R(5), "UPDATE Conto_Cliente SET NumeroHotel = 2, DataAddebito = '02/03/2012'", N(), "\"02/03/2012\" non"},
        {Dove::Addebito, R(5), "UPDATE Conto_Cliente SET DataAddebito = '  '", N(), {}},   // no date: as null
        // A date in a blob is read as its text; a text of nine characters is not a date.
        {Dove::Addebito, R(5), "UPDATE Conto_Cliente SET DataAddebito = CAST(DataAddebito AS BLOB)", R(5), {}},
        {Dove::Addebito, R(5), "UPDATE Conto_Cliente SET DataAddebito = DataAddebito || ' '", N(), "\"20120302 \" non"},
        {Dove::Prenotazione, I(1), "UPDATE Camere_Prenotazione SET DataArrivo = '20121399'", N(), "\"20121399\" non"},
        {Dove::Arrangiamento, R(5), "UPDATE Arrangiamento SET DataFine = '20120231'", N(), "\"DataFine\" della tabella"},
        {Dove::Prenotazione, I(1), "UPDATE Camere_Prenotazione SET DataPartenza = '2012-3-3'", N(), "\"2012-3-3\" non"},
        {Dove::Arrangiamento, T("12,5"), nullptr, R(12.5), {}},
        {Dove::Arrangiamento, T("dodici"), nullptr, N(), "Nel campo \"ImportoTotale\" della tabella \"Arrangiamento\""},
        {Dove::Prenotazione, T("2,00"), nullptr, I(2), {}},
        {Dove::Prenotazione, R(1e300), nullptr, N(), "\"Quantit\xC3\xA0" "Camere\" della tabella \"Camere_Prenotazione\""},
        {Dove::Prenotazione, T("due"), nullptr, N(), "\"due\" non \xC3\xA8 una quantit\xC3\xA0 leggibile"},
        // A room quantity is a whole number: 2.5 would be rounded day by day.
        {Dove::Prenotazione, R(2.5), nullptr, N(), "il valore 2.5 non \xC3\xA8 una quantit\xC3\xA0"},
        {Dove::Prenotazione, T("1,50"), nullptr, N(), "il valore \"1,50\" non \xC3\xA8 una quantit\xC3\xA0"},
    };
    for (const auto &c : casi) {
        SCOPED_TRACE(c.valore.inTesto() + (c.sqlDopo ? c.sqlDopo : ""));
        const AlbergoDiProva a = conValore(c.dove, c.valore);
        for (auto r : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie}) {
            for (auto metodo : {MetodoCalcolo::Rapido, MetodoCalcolo::GiornoPerGiorno}) {
                SCOPED_TRACE(static_cast<int>(r) * 10 + static_cast<int>(metodo));
                const std::string esito = prospetto(a, c.dove, r, metodo, c.sqlDopo);
                if (!c.messaggio.empty()) {
                    EXPECT_EQ(esito.rfind("!Nel campo", 0), 0u) << esito;
                    EXPECT_NE(esito.find(c.messaggio), std::string::npos) << esito;
                    continue;
                }
                const std::string senza = prospetto(albergo(), c.dove, r, metodo, nullptr);
                if (c.comeNumero.nullo()) {
                    EXPECT_EQ(esito, senza);   // null: the record adds nothing
                } else {
                    EXPECT_EQ(esito, prospetto(conValore(c.dove, c.comeNumero), c.dove, r, metodo, nullptr));
                    EXPECT_NE(esito, senza);
                }
            }
        }
    }
}

TEST(CifreIlleggibili, RegoleDiLetturaDelTesto)
{
    struct Caso {
        Valore v;
        bool leggibile;
        std::optional<std::int64_t> grezzo;
    } casi[] = {
        {N(), true, std::nullopt},
        {T("162,00"), true, 1620000},
        {T("162.00"), true, 1620000},
        {T("\t-3 "), true, -30000},
        {T("0,125"), true, 1250},
        {T("0.125"), true, 1250},
        {T("1,5e2"), false, std::nullopt},   // no exponents
        {T("1e2"), false, std::nullopt},
        {T("0,12345"), false, std::nullopt},   // beyond the four decimals of an amount
        {T(" +3 "), true, 30000},
        {T("-,5"), true, -5000},
        {T("1.234,50"), false, std::nullopt},
        {T("1,234.50"), false, std::nullopt},
        {T("1.234"), false, std::nullopt},
        {T("12,500"), false, std::nullopt},
        {T("1.2.3"), false, std::nullopt},
        {T(""), false, std::nullopt},
        {T("abc"), false, std::nullopt},
        {T("922337203685478"), false, std::nullopt},
        {I(922337203685477), true, 9223372036854770000},
        {I(922337203685478), false, std::nullopt},
        {R(1e15), false, std::nullopt},
        {R(-1e300), false, std::nullopt},
        {R(0.1), true, 1000},
    };
    for (const auto &c : casi) {
        std::optional<Valuta> cifra = Valuta::daGrezzo(-1);
        EXPECT_EQ(c.v.leggiCifra(cifra), c.leggibile) << c.v.inTesto();
        EXPECT_EQ(cifra ? std::optional<std::int64_t>(cifra->grezzo()) : std::nullopt, c.grezzo) << c.v.inTesto();
    }
}

} // namespace pc::prova
