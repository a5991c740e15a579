// The same hotel as Jet files and as SQLite twins: every table identical,
// value by value and in the same order, through either backend.

#include "JetComune.h"

#include <algorithm>
#include <unistd.h>

namespace pc::prova {

using pc::dati::Valore;
using pc::dati::apriSorgente;
using pc::dati::Tabella;
using pc::prova::albergoGrande;
using pc::prova::datiProva;
using pc::prova::stessoValore;

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> fileJet(const fs::path &cartella)
{
    std::vector<fs::path> relativi;
    for (const auto &e : fs::recursive_directory_iterator(cartella / "jet"))
        if (e.is_regular_file() && e.path().extension() == ".mdb") relativi.push_back(fs::relative(e.path(), cartella / "jet"));
    std::sort(relativi.begin(), relativi.end());
    return relativi;
}

// Compares every table of every file of a hotel folder; returns the number
// of cells compared.
std::size_t confrontaCartella(const fs::path &cartella)
{
    std::size_t celle = 0;
    const auto relativi = fileJet(cartella);
    EXPECT_EQ(relativi.size(), 13u);
    for (const auto &rel : relativi) {
        SCOPED_TRACE(rel.string());
        auto jet = apriSorgente((cartella / "jet" / rel).string());
        auto sqlite = apriSorgente((cartella / "sqlite" / rel).string());
        const auto tabelleJet = jet->tabelle();
        EXPECT_EQ(tabelleJet, sqlite->tabelle());
        for (const auto &nome : tabelleJet) {
            SCOPED_TRACE(nome);
            const Tabella a = jet->leggiTabella(nome);
            const Tabella b = sqlite->leggiTabella(nome);
            EXPECT_EQ(a.colonne, b.colonne);
            EXPECT_EQ(a.righe.size(), b.righe.size());
            if (a.colonne != b.colonne || a.righe.size() != b.righe.size()) continue;
            int errori = 0;
            for (std::size_t r = 0; r < a.righe.size() && errori < 10; ++r)
                for (std::size_t c = 0; c < a.colonne.size(); ++c) {
                    const auto esito = stessoValore(a.righe[r][c], b.righe[r][c]);
                    ++celle;
                    if (!esito) {
                        ADD_FAILURE() << "riga " << r + 1 << ", campo " << a.colonne[c] << ": " << esito.message();
                        ++errori;
                    }
                }
        }
    }
    return celle;
}

} // namespace

TEST(JetControSqlite, HotelPiccoloOgniTabellaIdentica)
{
    // 13 files, 15 tables, 1 290 rows: every cell compared.
    EXPECT_GT(confrontaCartella(datiProva() / "hotel-jet"), 5000u);
}

TEST(JetControSqlite, HotelGrandeOgniTabellaIdentica)
{
    RICHIEDE_ALBERGO_GRANDE();
    EXPECT_GT(confrontaCartella(albergoGrande()), 400000u);
}

TEST(JetControSqlite, RiconoscimentoDalContenutoNonDalNome)
{
    // A Jet file under another name, and the SQLite twin with the .mdb name:
    // each is read by its own engine.
    const auto dir = fs::temp_directory_path() / ("pc_jet_nome_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::copy_file(datiProva() / "hotel-jet/jet/Contatori.mdb", dir / "contatori.dat", fs::copy_options::overwrite_existing);
    auto jet = apriSorgente((dir / "contatori.dat").string());
    auto sqlite = apriSorgente((datiProva() / "hotel-jet/sqlite/Contatori.mdb").string());
    const Tabella a = jet->leggiTabella("CONTATORI");
    const Tabella b = sqlite->leggiTabella("contatori");
    ASSERT_EQ(a.righe.size(), 2u);
    ASSERT_EQ(a.righe.size(), b.righe.size());
    for (std::size_t c = 0; c < a.colonne.size(); ++c) EXPECT_TRUE(stessoValore(a.righe[1][c], b.righe[1][c])) << a.colonne[c];
    fs::remove_all(dir);
}

} // namespace pc::prova
