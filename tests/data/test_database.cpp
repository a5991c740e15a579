#include "AlbergoProva.h"
#include "Database.h"
#include "ErroreDati.h"
#include "SorgentiInterne.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace pc::prova {

using namespace pc::dati;
using pc::dati::Valore;

namespace {

// Every query of the report and of the print menu, evaluated both inside
// SQLite (translated) and in memory: the results must be the same.
class Archivi : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { impostaTraduzioneSql(GetParam()); }
    void TearDown() override { impostaTraduzioneSql(true); }

    // The values of a field for every record the criterion finds, by find first / find next.
    static std::vector<std::string> trova(Recordset &rs, const std::string &criterio, const std::string &campo)
    {
        std::vector<std::string> r;
        for (bool ok = rs.findFirst(criterio); ok; ok = rs.findNext(criterio)) {
            EXPECT_FALSE(rs.noMatch());
            r.push_back(rs.field(campo).inTesto());
        }
        EXPECT_TRUE(rs.noMatch());
        return r;
    }

    static std::vector<std::string> colonna(const Recordset &rs, const std::string &campo)
    {
        std::vector<std::string> r;
        const int c = rs.columnIndex(campo);
        for (std::size_t i = 0; i < rs.size(); ++i) r.push_back(rs.value(i, c).inTesto());
        return r;
    }

    static std::string errore(auto &&f)
    {
        try {
            f();
        } catch (const pc::dati::ErroreDati &e) {
            return e.what();
        }
        return "";
    }

    AlbergoProva albergo;
};

using V = std::vector<std::string>;

} // namespace

TEST_P(Archivi, RaggruppamentiInOrdineSenzaMaiuscole)
{
    auto db = Database::open("NumeriCamere.mdb");
    auto rs = db->openRecordset("Select * From NumeriCamere Where NumeroHotel = 1 and TipoCamera In (Select Sigla From "
                                "TipiCamere In 'TipiCamere.mdb' Where NumeroHotel = 1 and Tipologia = 'C') Order by NumeroCamera;");
    // Types SIN and DOP (Tipologia 'c' too, 'dop' too); not TRI, SUITE (null) nor hotel 2.
    EXPECT_EQ(trova(*rs, "NumeroHotel = 1", "NumeroCamera"), (V{"101", "12a", "12B", "201", "l'a"}));
    db->close();

    db = Database::open("TipiCamere.mdb");
    rs = db->openRecordset("Select * From TipiCamere Where NumeroHotel = 1 and Tipologia = 'C' Order by Sigla;");
    EXPECT_EQ(trova(*rs, "NumeroHotel = 1", "Sigla"), (V{"DOP", "SIN"}));

    db = Database::open("TipiCamere_Macro.mdb");
    rs = db->openRecordset("Select * From TipiCamere_MacroN Where NumeroHotel = 1 Order by Sigla;");
    EXPECT_EQ(trova(*rs, "NumeroHotel = 1", "Sigla"), (V{"Eco", "std", "SUP"}));
}

TEST_P(Archivi, FontiDelleVenditeECriteriDelGiorno)
{
    const std::string A = "20120331", D = "20120301";
    auto db = Database::open("Scheda_Cliente.mdb");
    auto rs = db->openRecordset("Select * From Scheda_Cliente Where NumeroHotel = 1 and DataArrivo <= '" + A
                                + "' and DataPartenza > '" + D + "' Order by DataArrivo,NumeroCamera;");
    // The card leaving on D, the null departure and hotel 2 are out.
    EXPECT_EQ(colonna(*rs, "NumeroCamera"), (V{"101", "102", "12a"}));
    EXPECT_EQ(trova(*rs, "DataArrivo <= '20120301' and DataPartenza > '20120301'", "NumeroCamera"), (V{"101", "102"}));
    EXPECT_EQ(trova(*rs, "DataArrivo <= '20120311' and DataPartenza > '20120311'", "NumeroCamera"), (V{"12a"}));

    // The history path as the suite builds it: DIRKV + "\SchedaStoricoClienti.mdb".
    auto storico = Database::open(albergo.cartella().string() + "/storico\\SchedaStoricoClienti.mdb");
    auto rss = storico->openRecordset("Select * From Scheda_Cliente Where NumeroHotel = 1 and DataArrivo <= '" + A
                                      + "' and DataPartenzaReale > '" + D + "' Order by DataArrivo,NumeroCamera;");
    EXPECT_EQ(colonna(*rss, "NumeroCamera"), (V{"12B", "201"}));

    auto pren = Database::open("Camere_Prenotazione.mdb");
    auto rsp = pren->openRecordset("Select * From Camere_Prenotazione Where NumeroHotel = 1 and DataArrivo <= '" + A
                                   + "' and DataPartenza > '" + D + "'");
    EXPECT_EQ(rsp->size(), 4u);
    EXPECT_EQ(trova(*rsp, "DataArrivo <= '20120301' and DataPartenza > '20120301' and Quantit\xC3\xA0" "Camere > 0",
                    "Quantit\xC3\xA0" "Camere"),
              (V{"1", "3"}));
}

TEST_P(Archivi, FontiDellaProduzioneConVociDellaCartellaDiLavoro)
{
    const std::string V_ = "' and VoceAddebito In (Select Codice From VociFattura In 'VociFattura.mdb' Where NumeroHotel = 1 "
                           "and Reparto = 'ARR');";
    const std::string sql = "Select * From Conto_Cliente Where NumeroHotel = 1 and DataAddebito <= '20120331' and "
                            "DataAddebito >= '20120301" + V_;
    auto db = Database::open("Conto_Cliente.mdb");
    auto rs = db->openRecordset(sql);
    EXPECT_EQ(colonna(*rs, "VoceAddebito"), (V{"PERN", "pern", "CAFF\xC3\x88", "MP"}));
    EXPECT_EQ(rs->value(2, rs->columnIndex("Importo")).inValuta()->grezzo(), 10005);
    EXPECT_EQ(rs->value(3, rs->columnIndex("Importo")).inValuta()->grezzo(), 12345678910);
    EXPECT_EQ(trova(*rs, "DataAddebito = '20120301'", "Importo"), (V{"65"}));
    EXPECT_EQ(trova(*rs, "DataAddebito = '20120302'", "Importo"), (V{"-15"}));

    // The history database lies elsewhere but its query reaches the
    // working directory's VociFattura.mdb, not the one beside it.
    auto storico = Database::open(albergo.file("storico/ContoStoricoClienti.mdb"));
    auto rss = storico->openRecordset(sql);
    EXPECT_EQ(colonna(*rss, "VoceAddebito"), (V{"PERN"}));

    auto arr = Database::open("Arrangiamento.mdb");
    auto rsa = arr->openRecordset("Select * From Arrangiamento Where NumeroHotel = 1 and Left(NumeroCamera,1)='*' and "
                                  "DataInizio <= '20120331' and DataFine > '20120301" + V_);
    EXPECT_EQ(colonna(*rsa, "NumeroCamera"), (V{"*103", "*"}));
    EXPECT_EQ(trova(*rsa, "DataInizio <= '20120303' and DataFine > '20120303'", "ImportoTotale"), (V{"2400", "0"}));
    EXPECT_EQ(trova(*rsa, "DataInizio <= '20120304' and DataFine > '20120304'", "NumeroCamera"), (V{"*"}));
}

TEST_P(Archivi, RicercheNelleTabelleDiConsultazione)
{
    auto db = Database::open("NumeriCamere.mdb");
    auto rs = db->openRecordset("NumeriCamere");
    EXPECT_EQ(rs->size(), 8u);
    // The first in the table's order, whatever the hotel; case ignored.
    ASSERT_TRUE(rs->findFirst("NumeroCamera = '101'"));
    EXPECT_EQ(rs->field("TipoCamera").inTesto(), "SIN");
    ASSERT_TRUE(rs->findFirst("NumeroCamera = '12A'"));
    EXPECT_EQ(rs->field("TipoCamera").inTesto(), "dop");
    // A value with an apostrophe, quoted by doubling it.
    ASSERT_TRUE(rs->findFirst("NumeroCamera = 'l''a'"));
    EXPECT_EQ(rs->field("numerocamera").inTesto(), "l'a");
    EXPECT_FALSE(rs->findFirst("NumeroCamera = '999'"));

    auto macro = Database::open("TipiCamere_Macro.mdb");
    auto rm = macro->openRecordset("TipiCamere_Macro");
    ASSERT_TRUE(rm->findFirst("TipoCamera = 'dop'"));
    EXPECT_EQ(rm->field("Sigla").inTesto(), "STD");
}

TEST_P(Archivi, TabelleDelMenuDiStampa)
{
    auto an = Database::open("AnagraficaHotels.mdb");
    auto ra = an->openRecordset("AnagraficaHotels");
    ASSERT_TRUE(ra->findFirst("Numero = 1"));
    EXPECT_EQ(ra->field("CodiceAssistenza").inTesto(), "AS-K");

    auto st = Database::open("Stampanti.mdb");
    auto rs = st->openRecordset("Stampanti");
    EXPECT_EQ(trova(*rs, "NumeroHotel = 1", "Destinazione"), (V{"LASER", "PDF UFFICIO", "L'ufficio", "pdf reception"}));
    ASSERT_TRUE(rs->findFirst("Destinazione = 'PDF UFFICIO'"));
    EXPECT_EQ(rs->field("Linea").inTesto(), "C:\\out.pdf");
    ASSERT_TRUE(rs->findFirst("Destinazione = 'L''ufficio'"));
    EXPECT_EQ(rs->field("Linea").inTesto(), "LPT2");
    auto set = st->openRecordset("SetStampa");
    ASSERT_TRUE(set->findFirst("TipoStampa = 2"));   // stored as the text "2.0"
    EXPECT_EQ(set->field("Compresso").inTesto(), "27,69");
    EXPECT_FALSE(set->findFirst("TipoStampa = 3"));  // "tre" is no number: no match, no error

    auto co = Database::open("Contatori.mdb");
    auto rc = co->openRecordset("Contatori");
    ASSERT_TRUE(rc->findFirst("NumeroHotel = 1"));
    EXPECT_EQ(rc->field("LungPagComp"), Valore::intero(66));
    EXPECT_TRUE(rc->field("LungPagNoComp").nullo());
}

TEST_P(Archivi, TrovaSuccessivoProcedeDalRecordCorrente)
{
    auto db = Database::open("Conto_Cliente.mdb");
    auto rs = db->openRecordset("Conto_Cliente");
    EXPECT_THROW(rs->field("Importo"), pc::dati::ErroreDati);   // no current record yet
    ASSERT_TRUE(rs->findFirst("NumeroCamera = '101'"));
    EXPECT_EQ(rs->field("DataAddebito").inTesto(), "20120301");
    // Find next with another criterion goes on from the current record.
    ASSERT_TRUE(rs->findNext("VoceAddebito = 'PERN'"));
    EXPECT_EQ(rs->field("NumeroCamera").inTesto(), "12a");
    ASSERT_TRUE(rs->findNext("NumeroCamera = '101'"));
    EXPECT_EQ(rs->field("DataAddebito").inTesto(), "20120229");
    ASSERT_TRUE(rs->findNext("NumeroCamera = '101'"));
    EXPECT_EQ(rs->field("NumeroHotel"), Valore::intero(2));
    // No match: the flag is set and the current record stays.
    EXPECT_FALSE(rs->findNext("NumeroCamera = '101'"));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_EQ(rs->field("NumeroHotel"), Valore::intero(2));
    // Find first starts again from the top.
    ASSERT_TRUE(rs->findFirst("NumeroCamera = '101'"));
    EXPECT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->field("DataAddebito").inTesto(), "20120301");
}

TEST_P(Archivi, ErroriNominanoCiòCheManca)
{
    EXPECT_EQ(errore([] { Database::open("Assente.mdb"); }), "Archivio \"Assente.mdb\" non trovato.");
    auto db = Database::open("TipiCamere.mdb");
    EXPECT_EQ(errore([&] { db->openRecordset("Select * From TipiCamera Where NumeroHotel = 1"); }),
              "Tabella \"TipiCamera\" non trovata nell'archivio \"TipiCamere.mdb\".");
    EXPECT_EQ(errore([&] { db->openRecordset("Select * From TipiCamere Where Tipo = 'C'"); }),
              "Campo \"Tipo\" non trovato nella tabella \"TipiCamere\" dell'archivio \"TipiCamere.mdb\".");
    EXPECT_EQ(errore([&] { db->openRecordset("Select * From TipiCamere Order by Codice"); }),
              "Campo \"Codice\" non trovato nella tabella \"TipiCamere\" dell'archivio \"TipiCamere.mdb\".");
    EXPECT_NE(errore([&] { db->openRecordset("Select * From TipiCamere Where Sigla In (Select X From Y In 'Manca.mdb')"); })
                  .find("\"Manca.mdb\""),
              std::string::npos);
    auto rs = db->openRecordset("TipiCamere");
    EXPECT_EQ(errore([&] { rs->findFirst("Tipo = 'C'"); }),
              "Campo \"Tipo\" non trovato nella tabella \"TipiCamere\" dell'archivio \"TipiCamere.mdb\".");
    EXPECT_NE(errore([&] { rs->findFirst("NumeroHotel = "); }).find("\"NumeroHotel = \""), std::string::npos);
    ASSERT_TRUE(rs->findFirst("NumeroHotel = 1"));
    EXPECT_EQ(errore([&] { rs->field("Descrizione"); }),
              "Campo \"Descrizione\" non trovato nella tabella \"TipiCamere\" dell'archivio \"TipiCamere.mdb\".");
    // A record set outlives the closing of its database; the database refuses new ones.
    db->close();
    EXPECT_EQ(rs->field("Sigla").inTesto(), "SIN");
    EXPECT_NE(errore([&] { db->openRecordset("TipiCamere"); }), "");
}

TEST_P(Archivi, NomeDiFileConMaiuscoleDiverse)
{
    auto db = Database::open("numericamere.MDB");
    EXPECT_EQ(db->openRecordset("numericamere")->size(), 8u);
    auto st = Database::open(albergo.file("STORICO/schedastoricoclienti.mdb").c_str());
    EXPECT_EQ(st->openRecordset("Scheda_Cliente")->size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Dati, Archivi, ::testing::Values(true, false),
                         [](const auto &info) { return info.param ? "TradottoInSqlite" : "InMemoria"; });

// A file or folder this user may not read is a permission problem, not a
// missing file. Run as another user when the tests run as root (root reads all).
TEST(PermessiDegliArchivi, UnaCartellaOUnFileNegatiNonSonoNonTrovati)
{
    AlbergoProva albergo;
    namespace fs = std::filesystem;
    fs::permissions(albergo.cartella(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory(albergo.cartella() / "chiusa");
    fs::copy_file(albergo.file("storico/SchedaStoricoClienti.mdb"), albergo.cartella() / "chiusa/SchedaStoricoClienti.mdb");
    fs::create_directory(albergo.cartella() / "cieca");
    fs::copy_file(albergo.file("storico/SchedaStoricoClienti.mdb"), albergo.cartella() / "cieca/SchedaStoricoClienti.mdb");
    fs::permissions(albergo.cartella() / "storico", fs::perms::all);
    struct Caso {
        std::string percorso, atteso;
        fs::perms permessi;   // of the path's folder
    };
    const Caso casi[] = {
        {albergo.file("chiusa/SchedaStoricoClienti.mdb"), "permesso negato sulla cartella", fs::perms::none},
        {albergo.file("cieca/schedastoricoclienti.mdb"), "permesso negato sulla cartella", fs::perms::owner_exec | fs::perms::others_exec},
        {albergo.file("storico/SchedaStoricoClienti.mdb"), "non leggibile: permesso negato.", fs::perms::all},
        {albergo.file("storico/Assente.mdb"), "non trovato.", fs::perms::all},
    };
    fs::permissions(albergo.file("storico/SchedaStoricoClienti.mdb"), fs::perms::owner_write);
    for (const Caso &c : casi) {
        fs::permissions(fs::path(c.percorso).parent_path(), c.permessi);
        int tubo[2];
        ASSERT_EQ(pipe(tubo), 0);
        const pid_t figlio = fork();
        if (figlio == 0) {
            close(tubo[0]);
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
            std::string messaggio = "aperto";
            try {
                Database::open(c.percorso);
            } catch (const pc::dati::ErroreDati &e) {
                messaggio = e.what();
            }
            [[maybe_unused]] auto n = write(tubo[1], messaggio.data(), messaggio.size());
            _exit(0);
        }
        close(tubo[1]);
        std::string messaggio;
        char b[512];
        for (ssize_t n; (n = read(tubo[0], b, sizeof b)) > 0;) messaggio.append(b, static_cast<std::size_t>(n));
        close(tubo[0]);
        int stato = 0;
        waitpid(figlio, &stato, 0);
        EXPECT_NE(messaggio.find(c.atteso), std::string::npos) << c.percorso << ": " << messaggio;
        EXPECT_NE(messaggio.find(fs::path(c.percorso).filename().string()), std::string::npos) << messaggio;
    }
    for (const char *d : {"chiusa", "cieca", "storico"}) fs::permissions(albergo.cartella() / d, fs::perms::owner_all);
}

} // namespace pc::prova
