#include "ErroreDati.h"
#include "GeneratoreAlbergo.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace pc::prova {

using namespace pc::demo;

namespace {

using Riga = std::vector<std::optional<std::string>>;

// Every row of a query on one generated file, values as text (NULL as nullopt).
std::vector<Riga> leggi(const QString &file, const std::string &sql)
{
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK) << file.toStdString();
    sqlite3_stmt *st = nullptr;
    std::vector<Riga> righe;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
        sqlite3_close(db);
        return righe;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
        Riga r;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            if (sqlite3_column_type(st, i) == SQLITE_NULL) r.emplace_back();
            else r.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
        }
        righe.push_back(std::move(r));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return righe;
}

QByteArray contenuto(const QString &file)
{
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    return f.readAll();
}

bool dataValida(const std::optional<std::string> &s)
{
    return s && s->size() == 8 && QDate::fromString(QString::fromStdString(*s), QStringLiteral("yyyyMMdd")).isValid();
}

class AlbergoDemo : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_cartella = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_cartella->isValid());
        s_parametri = parametriDemo();
        s_riepilogo = generaAlbergo(s_parametri, s_cartella->path().toStdString());
    }
    static void TearDownTestSuite() { s_cartella.reset(); }

    static QString file(const char *nome) { return s_cartella->filePath(QString::fromLatin1(nome)); }
    static const std::string &oggi() { return s_parametri.oggi; }

    static std::unique_ptr<QTemporaryDir> s_cartella;
    static ParametriAlbergo s_parametri;
    static RiepilogoAlbergo s_riepilogo;
};

std::unique_ptr<QTemporaryDir> AlbergoDemo::s_cartella;
ParametriAlbergo AlbergoDemo::s_parametri;
RiepilogoAlbergo AlbergoDemo::s_riepilogo;

} // namespace

// ---------------------------------------------------------------- determinism

TEST(CasoGeneratore, SequenzaFissa)
{
    // splitmix64 from 0: the published first outputs. Any change to the
    // sequence changes every generated hotel.
    Caso c(0);
    EXPECT_EQ(c.prossimo(), 0xE220A8397B1DCDAFULL);
    EXPECT_EQ(c.prossimo(), 0x6E789E6AA1B965F4ULL);
    Caso d(7);
    for (int i = 0; i < 1000; ++i) EXPECT_LT(d.sotto(13), 13u);
    EXPECT_EQ(d.sotto(0), 0u);
}

TEST(GeneratoreAlbergoDeterminismo, StessiParametriStessiByteSemeDiversoAltriDati)
{
    QTemporaryDir a, b, c;
    ParametriAlbergo p = parametriDemo();
    generaAlbergo(p, a.path().toStdString());
    generaAlbergo(p, b.path().toStdString());
    p.seme += 1;
    generaAlbergo(p, c.path().toStdString());
    bool qualcheDifferenza = false;
    for (const auto &f : fileAlbergo()) {
        const QString nome = QString::fromStdString(f);
        const QByteArray x = contenuto(a.filePath(nome));
        EXPECT_FALSE(x.isEmpty()) << f;
        EXPECT_EQ(x, contenuto(b.filePath(nome))) << f << " differs between two runs";
        qualcheDifferenza = qualcheDifferenza || x != contenuto(c.filePath(nome));
    }
    EXPECT_TRUE(qualcheDifferenza) << "the seed does not change the hotel";
}

TEST(GeneratoreAlbergoParametri, DataNonValidaErroreESenzaFile)
{
    QTemporaryDir d;
    ParametriAlbergo p = parametriDemo();
    p.oggi = "20260230";
    try {
        generaAlbergo(p, d.path().toStdString());
        FAIL() << "an impossible date was accepted";
    } catch (const pc::dati::ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("20260230"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(QDir(d.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());

    p = parametriDemo();
    p.alberghi.front().tipi.erase(p.alberghi.front().tipi.begin(), p.alberghi.front().tipi.end() - 1);  // only "SAL"
    EXPECT_THROW(generaAlbergo(p, d.path().toStdString()), pc::dati::ErroreDati);
}

// ---------------------------------------------------------------- invariants of the demo hotel

TEST_F(AlbergoDemo, DateBenFormateEPartenzaDopoArrivo)
{
    struct Caso { const char *file; const char *sql; };
    const Caso soggiorni[] = {
        {"Scheda_Cliente.mdb", "Select DataArrivo, DataPartenza From Scheda_Cliente"},
        {"storico/SchedaStoricoClienti.mdb", "Select DataArrivo, DataPartenzaReale From Scheda_Cliente"},
        {"Camere_Prenotazione.mdb", "Select DataArrivo, DataPartenza From Camere_Prenotazione"},
        {"Arrangiamento.mdb", "Select DataInizio, DataFine From Arrangiamento"},
    };
    for (const auto &c : soggiorni) {
        const auto righe = leggi(file(c.file), c.sql);
        ASSERT_FALSE(righe.empty()) << c.file;
        for (const auto &r : righe) {
            ASSERT_TRUE(dataValida(r[0]) && dataValida(r[1])) << c.file << ": " << r[0].value_or("NULL") << " " << r[1].value_or("NULL");
            ASSERT_LT(*r[0], *r[1]) << c.file;
        }
    }
    for (const char *f : {"Conto_Cliente.mdb", "storico/ContoStoricoClienti.mdb"})
        for (const auto &r : leggi(file(f), "Select DataAddebito From Conto_Cliente")) ASSERT_TRUE(dataValida(r[0])) << f;
}

TEST_F(AlbergoDemo, StoricoOspitiInCasaEPrenotazioniRispettoAOggi)
{
    const std::string g = oggi();
    const auto storico = leggi(file("storico/SchedaStoricoClienti.mdb"), "Select DataArrivo, DataPartenzaReale From Scheda_Cliente");
    const auto inCasa = leggi(file("Scheda_Cliente.mdb"), "Select DataArrivo, DataPartenza From Scheda_Cliente");
    const auto prenotazioni = leggi(file("Camere_Prenotazione.mdb"), "Select DataArrivo From Camere_Prenotazione");
    ASSERT_GT(storico.size(), 1000u);
    ASSERT_GT(inCasa.size(), 10u);
    ASSERT_GT(prenotazioni.size(), 10u);
    for (const auto &r : storico) ASSERT_LE(*r[1], g);
    for (const auto &r : inCasa) {
        ASSERT_LE(*r[0], g);
        ASSERT_GT(*r[1], g);
    }
    for (const auto &r : prenotazioni) ASSERT_GT(*r[0], g);
    for (const char *f : {"Conto_Cliente.mdb", "storico/ContoStoricoClienti.mdb"})
        for (const auto &r : leggi(file(f), "Select DataAddebito From Conto_Cliente")) ASSERT_LE(*r[0], g) << f;
    // The history reaches back two years: a statement of March 2024 has data too.
    EXPECT_EQ(leggi(file("storico/SchedaStoricoClienti.mdb"), "Select Min(DataArrivo) From Scheda_Cliente")[0][0].value().substr(0, 6),
              "202403");
}

TEST_F(AlbergoDemo, CamereTipiEMacroCategorie)
{
    std::map<std::string, std::string> tipologia;   // type of hotel 1 -> Tipologia
    for (const auto &r : leggi(file("TipiCamere.mdb"), "Select Sigla, Tipologia From TipiCamere Where NumeroHotel = 1"))
        tipologia[*r[0]] = *r[1];
    int tipiC = 0;
    for (const auto &[s, t] : tipologia) {
        EXPECT_TRUE(t == "C" || t == "S") << s << " " << t;
        tipiC += t == "C";
    }
    EXPECT_GE(tipiC, 4);
    EXPECT_LE(tipiC, 5);
    EXPECT_LT(tipiC, static_cast<int>(tipologia.size())) << "no type of another Tipologia";

    const auto camere = leggi(file("NumeriCamere.mdb"), "Select NumeroCamera, TipoCamera From NumeriCamere Where NumeroHotel = 1");
    EXPECT_EQ(camere.size(), 60u);
    std::set<std::string> camereC, piani;
    for (const auto &r : camere) {
        ASSERT_TRUE(tipologia.count(*r[1])) << "room " << *r[0] << " has unknown type " << *r[1];
        if (tipologia[*r[1]] == "C") {
            EXPECT_TRUE(camereC.insert(*r[0]).second) << "room " << *r[0] << " twice";
            piani.insert(r[0]->substr(0, r[0]->size() - 2));
        }
    }
    EXPECT_GE(piani.size(), 3u);

    std::set<std::string> macro;
    for (const auto &r : leggi(file("TipiCamere_Macro.mdb"), "Select Sigla From TipiCamere_MacroN Where NumeroHotel = 1")) macro.insert(*r[0]);
    EXPECT_GE(macro.size(), 2u);
    EXPECT_LE(macro.size(), 3u);
    std::map<std::string, std::string> macroDi;
    for (const auto &r : leggi(file("TipiCamere_Macro.mdb"), "Select TipoCamera, Sigla From TipiCamere_Macro")) macroDi[*r[0]] = *r[1];
    for (const auto &[s, t] : tipologia)
        if (t == "C") {
            EXPECT_TRUE(macro.count(macroDi[s])) << "type " << s << " has no macro category of hotel 1";
        }

    // Guests sleep only in bedrooms of hotel 1.
    for (const char *f : {"Scheda_Cliente.mdb", "storico/SchedaStoricoClienti.mdb"})
        for (const auto &r : leggi(file(f), "Select NumeroCamera From Scheda_Cliente Where NumeroHotel = 1"))
            ASSERT_TRUE(camereC.count(*r[0])) << f << ": room " << *r[0];
}

TEST_F(AlbergoDemo, ArrangiamentiSuPseudoCamere)
{
    std::set<std::string> camere;
    for (const auto &r : leggi(file("NumeriCamere.mdb"), "Select NumeroCamera From NumeriCamere Where NumeroHotel = 1")) camere.insert(*r[0]);
    const auto righe = leggi(file("Arrangiamento.mdb"), "Select NumeroCamera, VoceAddebito, ImportoTotale From Arrangiamento Where NumeroHotel = 1");
    ASSERT_GT(righe.size(), 100u);
    for (const auto &r : righe) {
        ASSERT_EQ(r[0]->front(), '*');
        EXPECT_TRUE(camere.count(r[0]->substr(1))) << *r[0];
        EXPECT_TRUE(*r[1] == "MEZZA" || *r[1] == "PENS") << *r[1];
        EXPECT_GT(std::stod(*r[2]), 0.0);
    }
}

TEST_F(AlbergoDemo, ImportiConDueDecimaliEVociDelReparto)
{
    std::map<std::string, std::string> reparto;
    for (const auto &r : leggi(file("VociFattura.mdb"), "Select Codice, Reparto From VociFattura Where NumeroHotel = 1")) reparto[*r[0]] = *r[1];
    EXPECT_EQ(reparto["PERN"], "ARR");
    std::map<std::string, int> perReparto;
    bool negativo = false;
    for (const char *f : {"Conto_Cliente.mdb", "storico/ContoStoricoClienti.mdb"})
        for (const auto &r : leggi(file(f), "Select VoceAddebito, Importo From Conto_Cliente Where NumeroHotel = 1")) {
            ASSERT_TRUE(reparto.count(*r[0])) << "charge code " << *r[0] << " not in VociFattura";
            ++perReparto[reparto[*r[0]]];
            const double v = std::stod(*r[1]) * 100.0;
            ASSERT_NEAR(v, std::round(v), 1e-6) << *r[1] << " has more than two decimals";
            negativo = negativo || v < 0;
        }
    EXPECT_GT(perReparto["ARR"], 1000);
    EXPECT_GT(perReparto["BAR"] + perReparto["RIS"], 100) << "no extras of other departments";
    EXPECT_TRUE(negativo) << "no discount";
    // The minibar is a room item of hotel 2 only: the sub-select must look at the hotel.
    EXPECT_EQ(reparto["MINI"], "BAR");
    EXPECT_EQ(*leggi(file("VociFattura.mdb"), "Select Reparto From VociFattura Where NumeroHotel = 2 and Codice = 'MINI'")[0][0], "ARR");
}

TEST_F(AlbergoDemo, OccupazioneSecondoLaDensitaSenzaSovrapposizioni)
{
    // One interval per stay (companions share the departure), per room.
    std::map<std::string, std::map<std::string, std::string>> perCamera;   // room -> departure -> earliest arrival
    for (const auto &r : leggi(file("storico/SchedaStoricoClienti.mdb"),
                               "Select NumeroCamera, DataArrivo, DataPartenzaReale From Scheda_Cliente Where NumeroHotel = 1")) {
        auto &arrivo = perCamera[*r[0]][*r[2]];
        if (arrivo.empty() || *r[1] < arrivo) arrivo = *r[1];
    }
    const auto giorno = [](const std::string &s) { return QDate::fromString(QString::fromStdString(s), QStringLiteral("yyyyMMdd")).toJulianDay(); };
    long long notti = 0;
    for (const auto &[camera, soggiorni] : perCamera) {
        long long finePrecedente = 0;
        // ordered by departure; stays of one room must not overlap
        for (const auto &[partenza, arrivo] : soggiorni) {
            ASSERT_GE(giorno(arrivo), finePrecedente) << "room " << camera << " sold twice on " << arrivo;
            finePrecedente = giorno(partenza);
            notti += giorno(partenza) - giorno(arrivo);
        }
    }
    const long long camere = 56;   // bedrooms of the demo hotel
    const long long giorni = giorno(oggi()) - giorno(s_parametri.primoGiorno);
    const double occupazione = static_cast<double>(notti) / static_cast<double>(camere * giorni);
    EXPECT_NEAR(occupazione, s_parametri.alberghi.front().densitaPermille / 1000.0, 0.06);
}

TEST_F(AlbergoDemo, PrenotazioniPerTipoEAnnullate)
{
    int senzaCamera = 0, annullate = 0, perCamera = 0;
    for (const auto &r : leggi(file("Camere_Prenotazione.mdb"),
                               "Select NumeroCamera, TipoCamera, \"Quantit\xC3\xA0" "Camere\" From Camere_Prenotazione Where NumeroHotel = 1")) {
        ASSERT_TRUE(r[1].has_value());
        const int q = std::stoi(*r[2]);
        if (!r[0]) {
            ++senzaCamera;
            EXPECT_GE(q, 2);
        } else if (q == 0) ++annullate;
        else {
            ++perCamera;
            EXPECT_EQ(q, 1);
        }
    }
    EXPECT_GT(perCamera, 50);
    EXPECT_EQ(senzaCamera, s_parametri.prenotazioniSenzaCamera);
    EXPECT_EQ(annullate, s_parametri.prenotazioniAnnullate);
}

TEST_F(AlbergoDemo, SecondoAlbergoPresenteInOgniTabella)
{
    struct Caso { const char *file; const char *tabella; const char *campo; };
    const Caso casi[] = {
        {"NumeriCamere.mdb", "NumeriCamere", "NumeroHotel"},
        {"TipiCamere.mdb", "TipiCamere", "NumeroHotel"},
        {"TipiCamere_Macro.mdb", "TipiCamere_MacroN", "NumeroHotel"},
        {"Scheda_Cliente.mdb", "Scheda_Cliente", "NumeroHotel"},
        {"storico/SchedaStoricoClienti.mdb", "Scheda_Cliente", "NumeroHotel"},
        {"Camere_Prenotazione.mdb", "Camere_Prenotazione", "NumeroHotel"},
        {"Conto_Cliente.mdb", "Conto_Cliente", "NumeroHotel"},
        {"storico/ContoStoricoClienti.mdb", "Conto_Cliente", "NumeroHotel"},
        {"Arrangiamento.mdb", "Arrangiamento", "NumeroHotel"},
        {"VociFattura.mdb", "VociFattura", "NumeroHotel"},
        {"AnagraficaHotels.mdb", "AnagraficaHotels", "Numero"},
        {"Stampanti.mdb", "Stampanti", "NumeroHotel"},
        {"Contatori.mdb", "Contatori", "NumeroHotel"},
    };
    for (const auto &c : casi) {
        const std::string sql = std::string("Select Count(*) From ") + c.tabella + " Where " + c.campo + " = ";
        EXPECT_GT(std::stoi(*leggi(file(c.file), sql + "2")[0][0]), 0) << c.file << " has no row of hotel 2";
        EXPECT_GT(std::stoi(*leggi(file(c.file), sql + "1")[0][0]), 0) << c.file << " has no row of hotel 1";
        EXPECT_EQ(s_riepilogo.righe(c.tabella, c.file), std::stoll(*leggi(file(c.file), std::string("Select Count(*) From ") + c.tabella)[0][0]))
            << c.file;
    }
}

TEST_F(AlbergoDemo, DestinazioniDiStampa)
{
    std::map<std::string, std::pair<std::string, std::string>> destinazioni;   // name -> (TipoStampa, Linea)
    for (const auto &r : leggi(file("Stampanti.mdb"), "Select Destinazione, TipoStampa, Linea From Stampanti Where NumeroHotel = 1"))
        destinazioni[*r[0]] = {*r[1], *r[2]};
    ASSERT_TRUE(destinazioni.count("PDF") && destinazioni.count("LASER") && destinazioni.count("FILE"));
    const std::string &pdf = destinazioni["PDF"].second;
    EXPECT_EQ(pdf.substr(pdf.size() - 4), ".pdf");
    std::map<std::string, std::string> compresso;
    for (const auto &r : leggi(file("Stampanti.mdb"), "Select TipoStampa, Compresso, Grassetto From SetStampa")) {
        for (int i : {1, 2}) {
            ASSERT_EQ(r[i]->size(), 36u) << *r[i];
            EXPECT_EQ(r[i]->find_first_not_of("0123456789"), std::string::npos) << *r[i];
        }
        compresso[*r[0]] = *r[1];
    }
    const auto c6 = [&](const std::string &destinazione) { return compresso.at(destinazioni[destinazione].first).substr(15, 3); };
    EXPECT_EQ(c6("LASER"), "001");
    EXPECT_EQ(c6("PDF"), "001");
    EXPECT_NE(c6("FILE"), "001");
}

} // namespace pc::prova
