// Damaged, truncated and foreign files given to the Jet reader: a clear
// Italian error naming the file (and the table), never a crash, never a
// partial table.

#include "CartellaProva.h"
#include "JetComune.h"

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace pc::prova {

using pc::dati::ErroreDati;
using pc::dati::apriSorgenteJet;
using pc::prova::datiProva;

namespace {

namespace fs = std::filesystem;

std::string contenuto(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void scrivi(const fs::path &p, const std::string &dati)
{
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(dati.data(), static_cast<std::streamsize>(dati.size()));
}

// Opens the file and reads every table. Returns "" when all went well, or
// the error's text; fails the test on any exception other than ErroreDati.
std::string leggiTutto(const fs::path &p)
{
    try {
        auto s = apriSorgenteJet(p.string());
        for (const auto &t : s->tabelle()) s->leggiTabella(t);
        return {};
    } catch (const ErroreDati &e) {
        return e.what();
    } catch (const std::exception &e) {
        ADD_FAILURE() << "eccezione inattesa: " << e.what();
        return "?";
    }
}

// A byte changed in a copy of one of the shared files: inputs the fuzzer
// found, kept as recipes (file, offset, new byte) rather than as copies.
struct Mutazione {
    const char *file;   // under the shared test data
    std::size_t offset;
    unsigned char byte;
};

} // namespace

TEST(JetErrori, FileVuotoOSoloIntestazione)
{
    CartellaProva dir;
    scrivi((dir.radice() / "Vuoto.mdb"), "");
    std::string m = leggiTutto((dir.radice() / "Vuoto.mdb"));
    EXPECT_NE(m.find("Vuoto.mdb"), std::string::npos) << m;

    // The Jet 4 signature and nothing else.
    std::string testa(4096, '\0');
    const char firma[] = "\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00\x00";
    testa.replace(0, sizeof firma - 1, firma, sizeof firma - 1);
    scrivi((dir.radice() / "SoloTesta.mdb"), testa);
    m = leggiTutto((dir.radice() / "SoloTesta.mdb"));
    EXPECT_NE(m.find("SoloTesta.mdb"), std::string::npos) << m;

    // Text that merely starts like a Jet file.
    scrivi((dir.radice() / "Testo.mdb"), std::string("\x00\x01\x00\x00Standard Jet DB", 19) + std::string(5000, 'x'));
    m = leggiTutto((dir.radice() / "Testo.mdb"));
    EXPECT_NE(m.find("Testo.mdb"), std::string::npos) << m;

    EXPECT_NE(leggiTutto((dir.radice() / "Mancante.mdb")).find("Mancante.mdb"), std::string::npos);
}

TEST(JetErrori, FileTroncatiMaiTabelleParziali)
{
    CartellaProva dir;
    // The 986-row history spans several data pages: every cut either fails
    // with a message naming the file or was beyond the data (all rows read).
    const std::string intero = contenuto(datiProva() / "hotel-jet/jet/storico/ContoStoricoClienti.mdb");
    ASSERT_GT(intero.size(), 40000u);
    int errori = 0;
    for (std::size_t taglio : {std::size_t{10}, std::size_t{2048}, std::size_t{4096}, std::size_t{8192}, std::size_t{12288},
                               intero.size() / 2, intero.size() / 2 + 100, intero.size() - 4096, intero.size() - 1}) {
        SCOPED_TRACE(taglio);
        const auto p = (dir.radice() / "ContoStoricoClienti.mdb");
        scrivi(p, intero.substr(0, taglio));
        try {
            auto s = apriSorgenteJet(p.string());
            const auto t = s->leggiTabella("Conto_Cliente");
            EXPECT_EQ(t.righe.size(), 986u) << "una tabella letta a met\xC3\xA0 darebbe cifre sbagliate";
        } catch (const ErroreDati &e) {
            ++errori;
            EXPECT_NE(std::string(e.what()).find("ContoStoricoClienti.mdb"), std::string::npos) << e.what();
        }
    }
    EXPECT_GE(errori, 7);
}

TEST(JetErrori, PagineDatiMancantiNominanoLaTabella)
{
    CartellaProva dir;
    // Wipe the second half of the file in place (size unchanged): the
    // table's later data pages become zeros.
    std::string dati = contenuto(datiProva() / "hotel-jet/jet/storico/ContoStoricoClienti.mdb");
    std::fill(dati.begin() + static_cast<std::ptrdiff_t>(dati.size() / 2), dati.end(), '\0');
    const auto p = (dir.radice() / "ContoStoricoClienti.mdb");
    scrivi(p, dati);
    const std::string m = leggiTutto(p);
    EXPECT_NE(m.find("Conto_Cliente"), std::string::npos) << m;
    EXPECT_NE(m.find("ContoStoricoClienti.mdb"), std::string::npos) << m;
}

TEST(JetErrori, ByteAlterati)
{
    CartellaProva dir;
    // Every 97th byte of the catalog and table-definition pages flipped,
    // one at a time: the reader ends cleanly each time.
    const std::string originale = contenuto(datiProva() / "hotel-jet/jet/Stampanti.mdb");
    ASSERT_GT(originale.size(), 5u * 4096);
    const auto p = (dir.radice() / "Stampanti.mdb");
    int esiti = 0;
    for (std::size_t off = 0; off < 5 * 4096; off += 97) {
        std::string dati = originale;
        dati[off] = static_cast<char>(~static_cast<unsigned char>(dati[off]));
        scrivi(p, dati);
        const std::string m = leggiTutto(p);
        if (!m.empty()) {
            EXPECT_NE(m.find("Stampanti.mdb"), std::string::npos) << "offset " << off << ": " << m;
        }
        ++esiti;
    }
    EXPECT_EQ(esiti, static_cast<int>((5 * 4096 + 96) / 97));
}

TEST(JetErrori, MappaDellePagineVuota)
{
    // Found by the fuzzer: a user table whose page-usage map is a
    // zero-length row left libmdb with no map, and libmdb's page walk then
    // read through a null pointer (a crash). Rebuilt here on a copy: the
    // definition of MSP_PROJECTS (page 29, Jet 3 pages of 2048 bytes) gets
    // its usage-map pointer (offset 35) aimed at row 3 of page 12, and page 12
    // is wiped, so that row has no bytes.
    CartellaProva dir;
    std::string dati = contenuto(datiProva() / "mdb-real/test2V1997.mdb");
    ASSERT_GT(dati.size(), 30u * 2048);
    ASSERT_EQ(dati[29 * 2048], '\x02') << "pagina di definizione attesa";
    const char puntatore[4] = {'\x03', '\x0C', '\x00', '\x00'};
    dati.replace(29 * 2048 + 35, 4, puntatore, 4);
    std::fill(dati.begin() + 12 * 2048, dati.begin() + 13 * 2048, '\0');
    const auto p = (dir.radice() / "MappaVuota.mdb");
    scrivi(p, dati);
    auto s = apriSorgenteJet(p.string());
    try {
        s->leggiTabella("MSP_PROJECTS");
        FAIL() << "attesa ErroreDati";
    } catch (const ErroreDati &e) {
        const std::string m = e.what();
        EXPECT_NE(m.find("MappaVuota.mdb"), std::string::npos) << m;
        EXPECT_NE(m.find("MSP_PROJECTS"), std::string::npos) << m;
    }
}

} // namespace pc::prova
