// The statement made from the suite's Jet files is byte for byte the one
// made from their SQLite twins: both kinds, all three groupings, several
// periods, on the small tricky hotel.

#include "ErroreDati.h"
#include "FileReport.h"
#include "StampaProduzione.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace pc;
namespace fs = std::filesystem;

namespace {

const fs::path datiProva = fs::path(PC_DATI_PROVA);

std::string contenuto(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// A working folder that shows the hotel's current databases through links
// (the shared data stays untouched and read-only); the report is written there.
class CartellaDiLavoro {
public:
    explicit CartellaDiLavoro(const fs::path &hotel, const std::string &nome)
    {
        m_dir = fs::temp_directory_path() / ("pc_jet_report_" + std::to_string(::getpid()) + "_" + nome);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        for (const auto &e : fs::directory_iterator(hotel))
            if (e.is_regular_file()) fs::create_symlink(e.path(), m_dir / e.path().filename());
    }
    ~CartellaDiLavoro() { fs::remove_all(m_dir); }
    const fs::path &percorso() const { return m_dir; }

private:
    fs::path m_dir;
};

// Makes the report in the folder; returns its bytes, or "ERRORE: message".
std::string report(const CartellaDiLavoro &cartella, const fs::path &storico, const RichiestaReport &r)
{
    const fs::path prima = fs::current_path();
    fs::current_path(cartella.percorso());
    qputenv("DIRKV", QByteArray::fromStdString(storico.string()));
    qputenv("PCLocal", "7");
    std::string esito;
    try {
        StampaProduzione(r);
        esito = contenuto(cartella.percorso() / nomeFileReport());
        fs::remove(cartella.percorso() / nomeFileReport());
    } catch (const ErroreDati &e) {
        esito = std::string("ERRORE: ") + e.what();
    }
    fs::current_path(prima);
    return esito;
}

} // namespace

TEST(JetReport, StessoProspettoDaJetEDaSqlite)
{
    const fs::path hotel = datiProva / "hotel-jet";
    CartellaDiLavoro jet(hotel / "jet", "jet"), sqlite(hotel / "sqlite", "sqlite");
    const char *periodi[][2] = {{"25/01/2012", "21/04/2012"}, {"15/02/2012", "15/03/2012"}, {"01/03/2012", "01/03/2012"},
                                {"10/03/2012", "20/02/2012"}, {"16/04/2012", "25/05/2012"}};
    int prospetti = 0;
    for (auto tipo : {TipoReport::Vendite, TipoReport::Produzione})
        for (auto gruppo : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie})
            for (const auto &p : periodi) {
                const RichiestaReport r{p[0], p[1], tipo, gruppo};
                SCOPED_TRACE(std::string(p[0]) + "-" + p[1] + " tipo " + std::to_string(static_cast<int>(tipo)) + " gruppo "
                             + std::to_string(static_cast<int>(gruppo)));
                const std::string a = report(jet, hotel / "jet" / "storico", r);
                const std::string b = report(sqlite, hotel / "sqlite" / "storico", r);
                EXPECT_EQ(a, b);
                if (a.rfind("ERRORE", 0) != 0) ++prospetti;
                // The whole stay range: one line per day (87 days) and more.
                if (&p == &periodi[0]) {
                    EXPECT_GT(std::count(a.begin(), a.end(), '\n'), 87);
                }
            }
    EXPECT_GE(prospetti, 24) << "almeno i periodi diritti danno un prospetto";
}
