// The report's and the print menu's queries and criteria run on the Jet
// files and on their SQLite twins: the same records in the same order.

#include "Database.h"
#include "JetComune.h"

namespace pc::prova {

using pc::dati::Database;
using pc::dati::Recordset;
using pc::prova::albergoGrande;
using pc::prova::datiProva;
using pc::prova::stessoValore;

namespace {

namespace fs = std::filesystem;

struct Periodo {
    const char *dal;   // yyyymmdd, first day
    const char *al;    // yyyymmdd, last day
};

// The whole stay range, a month across the leap day, one day, a reversed period.
const Periodo periodiPiccolo[] = {{"20120125", "20120421"}, {"20120215", "20120315"}, {"20120301", "20120301"}, {"20120310", "20120220"},
                                  {"20120416", "20120525"}};
const Periodo periodiGrande[] = {{"20110101", "20121231"}, {"20120201", "20120331"}, {"20111231", "20111231"}};

const std::string voci = " and VoceAddebito In (Select Codice From VociFattura In 'VociFattura.mdb' Where NumeroHotel = 1 and Reparto = 'ARR');";

struct Query {
    const char *file;
    std::string sql;
};

std::vector<Query> queryDelPeriodo(const Periodo &p)
{
    const std::string a = p.al, d = p.dal;
    return {
        {"NumeriCamere.mdb", "Select * From NumeriCamere Where NumeroHotel = 1 and TipoCamera In (Select Sigla From TipiCamere In "
                             "'TipiCamere.mdb' Where NumeroHotel = 1 and Tipologia = 'C') Order by NumeroCamera;"},
        {"NumeriCamere.mdb", "Select * From NumeriCamere Where NumeroHotel = 1 Order by NumeroCamera;"},
        {"TipiCamere.mdb", "Select * From TipiCamere Where NumeroHotel = 1 and Tipologia = 'C' Order by Sigla;"},
        {"TipiCamere.mdb", "Select * From TipiCamere Where NumeroHotel = 1 Order by Sigla;"},
        {"TipiCamere_Macro.mdb", "Select * From TipiCamere_MacroN Where NumeroHotel = 1 Order by Sigla;"},
        {"Scheda_Cliente.mdb", "Select * From Scheda_Cliente Where NumeroHotel = 1 and DataArrivo <= '" + a + "' and DataPartenza > '" + d
                                   + "' Order by DataArrivo,NumeroCamera;"},
        {"storico/SchedaStoricoClienti.mdb", "Select * From Scheda_Cliente Where NumeroHotel = 1 and DataArrivo <= '" + a
                                                 + "' and DataPartenzaReale > '" + d + "' Order by DataArrivo,NumeroCamera;"},
        {"Camere_Prenotazione.mdb",
         "Select * From Camere_Prenotazione Where NumeroHotel = 1 and DataArrivo <= '" + a + "' and DataPartenza > '" + d + "'"},
        {"Conto_Cliente.mdb", "Select * From Conto_Cliente Where NumeroHotel = 1 and DataAddebito <= '" + a + "' and DataAddebito >= '" + d + voci},
        {"Conto_Cliente.mdb", "Select * From Conto_Cliente Where NumeroHotel = 1 and DataAddebito <= '" + a + "' and DataAddebito >= '" + d + "'"},
        {"storico/ContoStoricoClienti.mdb",
         "Select * From Conto_Cliente Where NumeroHotel = 1 and DataAddebito <= '" + a + "' and DataAddebito >= '" + d + "'"},
        {"Arrangiamento.mdb", "Select * From Arrangiamento Where NumeroHotel = 1 and Left(NumeroCamera,1)='*' and DataInizio <= '" + a
                                  + "' and DataFine > '" + d + voci},
    };
}

// Opens the same query on both folders; both must fail alike or give the
// same records. Returns the number of records.
std::size_t confrontaQuery(const fs::path &cartella, const Query &q)
{
    SCOPED_TRACE(std::string(q.file) + ": " + q.sql);
    auto dbJet = Database::open((cartella / "jet" / q.file).string());
    auto dbSql = Database::open((cartella / "sqlite" / q.file).string());
    std::unique_ptr<Recordset> j, s;
    std::string erroreJet, erroreSql;
    try {
        j = dbJet->openRecordset(q.sql);
    } catch (const pc::dati::ErroreDati &e) {
        erroreJet = e.what();
    }
    try {
        s = dbSql->openRecordset(q.sql);
    } catch (const pc::dati::ErroreDati &e) {
        erroreSql = e.what();
    }
    EXPECT_EQ(erroreJet.empty(), erroreSql.empty()) << "Jet: " << erroreJet << "\nSQLite: " << erroreSql;
    if (!j || !s) return 0;
    EXPECT_EQ(j->colonne(), s->colonne());
    EXPECT_EQ(j->size(), s->size());
    if (j->colonne() != s->colonne() || j->size() != s->size()) return 0;
    for (std::size_t r = 0; r < j->size(); ++r)
        for (int c = 0; c < static_cast<int>(j->colonne().size()); ++c) {
            const auto esito = stessoValore(j->value(r, c), s->value(r, c));
            if (!esito) {
                ADD_FAILURE() << "record " << r + 1 << ", campo " << j->colonne()[static_cast<std::size_t>(c)] << ": " << esito.message();
                return 0;
            }
        }
    return j->size();
}

// Find first / find next with a criterion over a table opened by name: the
// same records found, one after the other, then the same no-match.
std::size_t confrontaRicerca(const fs::path &cartella, const char *file, const char *tabella, const std::string &criterio,
                             const std::vector<std::string> &campi)
{
    SCOPED_TRACE(std::string(file) + " " + tabella + ": " + criterio);
    auto dbJet = Database::open((cartella / "jet" / file).string());
    auto dbSql = Database::open((cartella / "sqlite" / file).string());
    auto j = dbJet->openRecordset(tabella);
    auto s = dbSql->openRecordset(tabella);
    std::size_t trovati = 0;
    bool fj = j->findFirst(criterio), fs_ = s->findFirst(criterio);
    while (true) {
        EXPECT_EQ(fj, fs_);
        EXPECT_EQ(j->noMatch(), s->noMatch());
        if (!fj || !fs_) break;
        ++trovati;
        for (const auto &campo : campi) EXPECT_TRUE(stessoValore(j->field(campo), s->field(campo))) << campo << " al record trovato " << trovati;
        fj = j->findNext(criterio);
        fs_ = s->findNext(criterio);
    }
    return trovati;
}

} // namespace

TEST(JetQuery, QueryDelReportStessiRecordNelloStessoOrdine)
{
    const fs::path cartella = datiProva() / "hotel-jet";
    std::size_t record = 0;
    for (const auto &p : periodiPiccolo)
        for (const auto &q : queryDelPeriodo(p)) record += confrontaQuery(cartella, q);
    EXPECT_GT(record, 500u) << "le query devono trovare record, non solo insiemi vuoti";
}

TEST(JetQuery, QueryDelReportSulGrandeAlbergo)
{
    RICHIEDE_ALBERGO_GRANDE();
    const fs::path cartella = albergoGrande();
    std::size_t record = 0;
    for (const auto &p : periodiGrande)
        for (const auto &q : queryDelPeriodo(p)) record += confrontaQuery(cartella, q);
    EXPECT_GT(record, 20000u);
}

TEST(JetQuery, RicercheDegliAccumulatoriEDelMenuDiStampa)
{
    const fs::path c = datiProva() / "hotel-jet";
    std::size_t trovati = 0;
    // Day criteria of the accumulators, on the whole tables.
    for (const char *g : {"20120301", "20120228", "20120416", "20120125", "20120229"}) {
        const std::string G = g;
        trovati += confrontaRicerca(c, "Scheda_Cliente.mdb", "Scheda_Cliente", "DataArrivo <= '" + G + "' and DataPartenza > '" + G + "'",
                                    {"NumeroCamera", "DataArrivo", "DataPartenza"});
        trovati += confrontaRicerca(c, "storico/SchedaStoricoClienti.mdb", "Scheda_Cliente",
                                    "DataArrivo <= '" + G + "' and DataPartenzaReale > '" + G + "'", {"NumeroCamera", "DataPartenzaReale"});
        trovati += confrontaRicerca(c, "Camere_Prenotazione.mdb", "Camere_Prenotazione",
                                    "DataArrivo <= '" + G + "' and DataPartenza > '" + G + "'",
                                    {"NumeroCamera", "TipoCamera", "Quantit\xC3\xA0" "Camere"});
        trovati += confrontaRicerca(c, "storico/ContoStoricoClienti.mdb", "Conto_Cliente", "DataAddebito = '" + G + "'",
                                    {"VoceAddebito", "NumeroCamera", "Importo"});
    }
    // Room and type look-ups, with the room numbers of the tricky records.
    for (const char *camera : {"101", "204", "303", "", "*103"})
        trovati += confrontaRicerca(c, "NumeriCamere.mdb", "NumeriCamere", std::string("NumeroCamera = '") + camera + "'",
                                    {"NumeroHotel", "TipoCamera"});
    for (const char *tipo : {"SIN", "DOP", "TRI", "dop"})
        trovati += confrontaRicerca(c, "TipiCamere_Macro.mdb", "TipiCamere_Macro", std::string("TipoCamera = '") + tipo + "'", {"Sigla"});
    // The print menu's and the printing's look-ups.
    trovati += confrontaRicerca(c, "Stampanti.mdb", "Stampanti", "NumeroHotel = 1", {"Destinazione", "TipoStampa", "Linea"});
    trovati += confrontaRicerca(c, "Stampanti.mdb", "SetStampa", "TipoStampa = 1", {"Compresso", "Grassetto"});
    trovati += confrontaRicerca(c, "Contatori.mdb", "Contatori", "NumeroHotel = 1", {"LungPagComp", "LungPagNoComp"});
    trovati += confrontaRicerca(c, "Contatori.mdb", "Contatori", "NumeroHotel = 2", {"LungPagComp", "LungPagNoComp"});
    trovati += confrontaRicerca(c, "AnagraficaHotels.mdb", "AnagraficaHotels", "Numero = 1", {"CodiceAssistenza"});
    trovati += confrontaRicerca(c, "AnagraficaHotels.mdb", "AnagraficaHotels", "Numero = 3", {"CodiceAssistenza"});
    EXPECT_GT(trovati, 60u);
}

} // namespace pc::prova
