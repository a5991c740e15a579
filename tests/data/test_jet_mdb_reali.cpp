// Jet 3 and Jet 4 files written by real Access versions and by the hotel
// suite's Jet writer: every table listed and read, values of every type.

#include "JetComune.h"

#include <fstream>
#include <unistd.h>
#include <iterator>
#include <map>

namespace pc::prova {

using pc::dati::Valore;
using pc::dati::Valuta;
using pc::dati::apriSorgenteJet;
using pc::dati::Tabella;
using pc::prova::colonna;
using pc::prova::datiProva;

namespace {

std::string reale(const std::string &file) { return (datiProva() / "mdb-real" / file).string(); }
std::string hotel(const std::string &file) { return (datiProva() / "hotel-jet" / "jet" / file).string(); }

Tabella leggi(const std::string &percorso, const std::string &tabella)
{
    return apriSorgenteJet(percorso)->leggiTabella(tabella);
}

const Valore &cella(const Tabella &t, std::size_t riga, const std::string &nome)
{
    return t.righe.at(riga).at(colonna(t, nome));
}

} // namespace

// ---------------------------------------------------------------- tables

TEST(JetMdbReali, OgniTabellaDiOgniFileElencataELetta)
{
    // Tables and row counts as Access left them (deleted rows excluded).
    const std::map<std::string, std::map<std::string, std::size_t>> attese = {
        {"testV1997.mdb", {{"Table1", 2}, {"Table2", 0}, {"Table3", 0}, {"Table4", 0}}},
        {"test2V1997.mdb", {{"MSP_PROJECTS", 1}}},
        {"test2V2000.mdb", {{"MSP_PROJECTS", 1}}},
        {"testUnicodeCompV2003.mdb", {{"Table", 8}}},
        {"fixedNumericTestV2000.mdb", {{"test", 1}}},
        {"overflowTestV2000.mdb", {{"Table1", 7}}},
        {"delTestV2000.mdb", {{"Table", 2}}},
        {"fixedTextTestV2003.mdb", {{"users", 2}}},
    };
    for (const auto &[file, tabelle] : attese) {
        SCOPED_TRACE(file);
        auto s = apriSorgenteJet(reale(file));
        const auto nomi = s->tabelle();
        ASSERT_EQ(nomi.size(), tabelle.size()) << "solo le tabelle dell'utente, non quelle di sistema";
        for (const auto &nome : nomi) {
            ASSERT_TRUE(tabelle.count(nome)) << nome;
            const Tabella t = s->leggiTabella(nome);
            EXPECT_EQ(t.nome, nome);
            EXPECT_EQ(t.righe.size(), tabelle.at(nome)) << nome;
            for (const auto &r : t.righe) EXPECT_EQ(r.size(), t.colonne.size()) << nome;
        }
    }
}

TEST(JetMdbReali, NomeTabellaSenzaRiguardoAlleMaiuscole)
{
    auto s = apriSorgenteJet(reale("testV1997.mdb"));
    const Tabella t = s->leggiTabella("tAbLe1");
    EXPECT_EQ(t.nome, "Table1") << "il nome resta come memorizzato";
    EXPECT_EQ(t.righe.size(), 2u);
}

TEST(JetMdbReali, TabellaMancanteNominaFileETabella)
{
    auto s = apriSorgenteJet(reale("testV1997.mdb"));
    try {
        s->leggiTabella("Inesistente");
        FAIL() << "attesa ErroreDati";
    } catch (const pc::dati::ErroreDati &e) {
        const std::string m = e.what();
        EXPECT_NE(m.find("Inesistente"), std::string::npos) << m;
        EXPECT_NE(m.find("testV1997.mdb"), std::string::npos) << m;
    }
    // System tables are not offered as user tables.
    EXPECT_THROW(s->leggiTabella("MSysObjects"), pc::dati::ErroreDati);
}

// ---------------------------------------------------------------- values

TEST(JetMdbReali, TipiJet3)
{
    const Tabella t = leggi(reale("testV1997.mdb"), "Table1");
    ASSERT_EQ(t.righe.size(), 2u);
    EXPECT_EQ(cella(t, 1, "A"), Valore::testo("abcdefg"));
    EXPECT_EQ(cella(t, 1, "B"), Valore::testo("hijklmnop"));
    EXPECT_EQ(cella(t, 1, "C"), Valore::intero(2));            // Byte
    EXPECT_EQ(cella(t, 1, "D"), Valore::intero(222));          // Integer
    EXPECT_EQ(cella(t, 1, "E"), Valore::intero(333333333));    // Long
    EXPECT_EQ(cella(t, 1, "F"), Valore::reale(444.555));       // Double
    EXPECT_EQ(cella(t, 1, "G"), Valore::testo("1974-09-21 00:00:00"));
    EXPECT_EQ(cella(t, 1, "H"), Valore::valuta(Valuta::daGrezzo(35000)));   // Currency 3.5
    EXPECT_EQ(cella(t, 1, "I"), Valore::intero(1));            // Boolean true
    EXPECT_EQ(cella(t, 0, "I"), Valore::intero(0));            // Boolean false (kept in the null mask)
    EXPECT_EQ(cella(t, 0, "G"), Valore::testo("1981-12-12 00:00:00"));
    EXPECT_EQ(cella(t, 0, "H"), Valore::valuta(Valuta()));
}

TEST(JetMdbReali, Jet3CodePageMemoEOle)
{
    for (const char *file : {"test2V1997.mdb", "test2V2000.mdb"}) {
        SCOPED_TRACE(file);
        const Tabella t = leggi(reale(file), "MSP_PROJECTS");
        ASSERT_EQ(t.colonne.size(), 74u);
        EXPECT_EQ(cella(t, 0, "PROJ_OPT_CURRENCY_SYMBOL"), Valore::testo("\xC2\xA3"));   // the pound sign, as UTF-8
        const Valore &autore = cella(t, 0, "PROJ_PROP_AUTHOR");                          // Memo
        ASSERT_TRUE(autore.eTesto());
        EXPECT_EQ(autore.comeTesto().size(), 348u);
        EXPECT_EQ(autore.comeTesto().rfind("Jon Iles this is a a vawesrasoih", 0), 0u);
        // OLE: the whole object as hexadecimal, 22 970 bytes spread over
        // several pages (more than libmdb's default bind size).
        const Valore &ole = cella(t, 0, "RESERVED_BINARY_DATA");
        ASSERT_TRUE(ole.eTesto());
        EXPECT_EQ(ole.comeTesto().size(), 45940u);
        EXPECT_EQ(ole.comeTesto().rfind("151C2D0002000000", 0), 0u);
        EXPECT_EQ(cella(t, 0, "PROJ_INFO_CURRENT_DATE"), Valore::testo("2006-02-03 08:00:00"));
        EXPECT_TRUE(cella(t, 0, "PROJ_PROP_CATEGORY").nullo());
    }
}

TEST(JetMdbReali, UnicodeCompresso)
{
    const Tabella t = leggi(reale("testUnicodeCompV2003.mdb"), "Table");
    ASSERT_EQ(t.righe.size(), 8u);
    EXPECT_EQ(cella(t, 0, "Unicode"), Valore::testo("only ascii chars"));
    EXPECT_EQ(cella(t, 1, "Unicode"), Valore::testo("\xC3\xA4\xC3\xA4kk\xC3\xB6si\xC3\xA4"));   // ääkkösiä
    EXPECT_EQ(cella(t, 2, "Unicode"), Valore::testo("\xD0\x9C\xD0\xB8\xD1\x80"));                // Мир
    EXPECT_EQ(cella(t, 4, "Unicode"),
              Valore::testo("\xE6\xBC\xA2\xE5\xAD\x97\xE4\xBB\xAE\xE5\x90\x8D\xE4\xBA\xA4\xE3\x81\x98\xE3\x82\x8A\xE6\x96\x87"));
    EXPECT_EQ(cella(t, 6, "Unicode"), Valore::testo("\xC3\xBCmlaut"));
    EXPECT_EQ(cella(t, 7, "ID"), Valore::intero(8));
}

TEST(JetMdbReali, NumericEsatto)
{
    const Tabella t = leggi(reale("fixedNumericTestV2000.mdb"), "test");
    ASSERT_EQ(t.righe.size(), 1u);
    EXPECT_EQ(cella(t, 0, "col1"), Valore::testo("some data"));   // Memo kept in the row
    EXPECT_EQ(cella(t, 0, "col2"), Valore::valuta(Valuta::daGrezzo(10000)));
    EXPECT_EQ(cella(t, 0, "col3"), Valore::valuta(Valuta()));
    EXPECT_EQ(cella(t, 0, "col5"), Valore::valuta(Valuta::daGrezzo(40000)));
    EXPECT_EQ(cella(t, 0, "col6"), Valore::valuta(Valuta::daGrezzo(-10000)));
}

TEST(JetMdbReali, RigheSpostateECancellate)
{
    // Rows moved to overflow pages come where they physically are (libmdb's order).
    const Tabella t = leggi(reale("overflowTestV2000.mdb"), "Table1");
    ASSERT_EQ(t.righe.size(), 7u);
    const char *attese[][2] = {{"row1col1", nullptr}, {"row2col1", "row2col3"}, {"row4col1", "row4col2"}, {nullptr, "row6col2"},
                               {"row7col1", nullptr}, {nullptr, "row3col3"},    {nullptr, "row5col2"}};
    for (std::size_t r = 0; r < 7; ++r) {
        SCOPED_TRACE(r);
        for (int c = 0; c < 2; ++c) {
            const Valore &v = t.righe[r][c];
            if (attese[r][c]) EXPECT_EQ(v, Valore::testo(attese[r][c]));
            else EXPECT_TRUE(v.nullo()) << "NULL, non testo vuoto: \"" << v.inTesto() << "\"";
        }
    }
    // Cells beyond the columns a row was written with are NULL, never "".
    std::size_t nulli = 0;
    for (const auto &r : t.righe)
        for (const auto &v : r) {
            EXPECT_FALSE(v.eTesto() && v.comeTesto().empty());
            nulli += v.nullo();
        }
    EXPECT_EQ(nulli, 7u * 9 - 12);   // 12 cells hold a text
    EXPECT_EQ(cella(t, 4, "data7"), Valore::testo("row7col7"));
    EXPECT_EQ(cella(t, 5, "data9"), Valore::testo("row3col9"));

    const Tabella d = leggi(reale("delTestV2000.mdb"), "Table");
    ASSERT_EQ(d.righe.size(), 2u);
    EXPECT_EQ(d.righe[0], (std::vector<Valore>{Valore::testo("z"), Valore::testo("y")}));
    EXPECT_EQ(d.righe[1], (std::vector<Valore>{Valore::testo("v"), Valore::testo("u")}));
}

TEST(JetMdbReali, TestoFissoLongEData)
{
    const Tabella t = leggi(reale("fixedTextTestV2003.mdb"), "users");
    ASSERT_EQ(t.righe.size(), 2u);
    EXPECT_EQ(cella(t, 0, "c_user_pwd"), Valore::testo(" "));
    EXPECT_EQ(cella(t, 1, "c_user_pwd"), Valore::testo("X03MO1qnZdYdgyfeuILPmQ=="));
    EXPECT_EQ(cella(t, 1, "i_user_type"), Valore::intero(81928));
    EXPECT_EQ(cella(t, 0, "i_user_merch"), Valore::intero(-1));
    EXPECT_EQ(cella(t, 0, "d_stamp_"), Valore::testo("2009-11-05 23:41:28"));
    EXPECT_EQ(cella(t, 1, "d_stamp_"), Valore::testo("2009-10-22 03:57:13"));
}

// ---------------------------------------------------------------- the hotel's own files

TEST(JetHotel, ValutaEsattaDalleOttoCifre)
{
    auto importi = [](const Tabella &t) {
        const std::size_t imp = colonna(t, "Importo");
        std::map<std::int64_t, int> visti;
        for (const auto &r : t.righe)
            if (!r[imp].nullo()) {
                EXPECT_EQ(r[imp].tipo(), Valore::Tipo::Valuta);
                if (r[imp].tipo() == Valore::Tipo::Valuta) ++visti[r[imp].comeValuta().grezzo()];
            }
        return visti;
    };
    const Tabella correnti = leggi(hotel("Conto_Cliente.mdb"), "Conto_Cliente");
    ASSERT_EQ(correnti.righe.size(), 23u);
    const auto c = importi(correnti);
    // 1.0005 (not exact as a double), 0.3, -9.99: the stored integers.
    for (std::int64_t grezzo : {10005LL, 3000LL, -99900LL}) EXPECT_TRUE(c.count(grezzo)) << grezzo;

    const Tabella storico = leggi(hotel("storico/ContoStoricoClienti.mdb"), "Conto_Cliente");
    ASSERT_EQ(storico.righe.size(), 986u);
    const auto s = importi(storico);
    for (std::int64_t grezzo : {12345678910LL, -150000LL, 0LL, 650000LL, 925000LL, 1180000LL}) EXPECT_TRUE(s.count(grezzo)) << grezzo;
    EXPECT_TRUE(storico.righe.back()[colonna(storico, "Importo")].nullo()) << "l'ultimo addebito storico ha Importo NULL";

    const Tabella arr = leggi(hotel("Arrangiamento.mdb"), "Arrangiamento");
    ASSERT_EQ(arr.righe.size(), 6u);
    EXPECT_EQ(arr.righe[2][colonna(arr, "ImportoTotale")], Valore::valuta(Valuta::daGrezzo(4502500)));
    EXPECT_EQ(arr.righe[3][colonna(arr, "NumeroCamera")], Valore::testo("*"));
}

TEST(JetHotel, NullDistintoDalTestoVuotoENomiAccentati)
{
    const Tabella a = leggi(hotel("AnagraficaHotels.mdb"), "AnagraficaHotels");
    ASSERT_EQ(a.righe.size(), 3u);
    EXPECT_EQ(cella(a, 0, "CodiceAssistenza"), Valore::testo("AS-0001"));
    EXPECT_EQ(cella(a, 1, "CodiceAssistenza"), Valore::testo(""));
    EXPECT_TRUE(cella(a, 2, "CodiceAssistenza").nullo());

    const Tabella p = leggi(hotel("Camere_Prenotazione.mdb"), "camere_prenotazione");
    ASSERT_EQ(p.righe.size(), 19u);
    const std::size_t q = colonna(p, "Quantit\xC3\xA0" "Camere");
    const std::size_t nc = colonna(p, "NumeroCamera");
    int vuote = 0, nulle = 0, quantitaNulle = 0;
    for (const auto &r : p.righe) {
        vuote += r[nc] == Valore::testo("");
        nulle += r[nc].nullo();
        quantitaNulle += r[q].nullo();
    }
    EXPECT_EQ(vuote, 1);
    EXPECT_EQ(nulle, 16);   // as in the SQLite twin
    EXPECT_GE(quantitaNulle, 1);

    const Tabella v = leggi(hotel("VociFattura.mdb"), "VociFattura");
    bool caffe = false;
    for (const auto &r : v.righe) caffe |= r[colonna(v, "Codice")] == Valore::testo("CAFF\xC3\x88");
    EXPECT_TRUE(caffe);
}

TEST(JetHotel, SoloLetturaFileInvariato)
{
    // A writable copy, so that a write would be possible and would show.
    const auto dir = std::filesystem::temp_directory_path() / ("pc_jet_sola_lettura_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto copia = dir / "Stampanti.mdb";
    std::filesystem::copy_file(hotel("Stampanti.mdb"), copia, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(copia, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    auto contenuto = [&] {
        std::ifstream f(copia, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    const std::string prima = contenuto();
    const auto orarioPrima = std::filesystem::last_write_time(copia);
    {
        auto s = apriSorgenteJet(copia.string());
        EXPECT_EQ(s->tabelle(), (std::vector<std::string>{"Stampanti", "SetStampa"}));
        for (const auto &n : s->tabelle()) s->leggiTabella(n);
        const Tabella st = s->leggiTabella("Stampanti");
        bool barre = false;
        for (const auto &r : st.righe) barre |= r[colonna(st, "Linea")] == Valore::testo("\\\\server\\stampante 1");
        EXPECT_TRUE(barre);
    }
    EXPECT_EQ(contenuto(), prima);
    EXPECT_EQ(std::filesystem::last_write_time(copia), orarioPrima);
    std::filesystem::remove_all(dir);
}

} // namespace pc::prova
