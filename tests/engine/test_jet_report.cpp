// The statement made from the suite's Jet files is byte for byte the one
// made from their SQLite twins: both kinds, all three groupings, several
// periods, on the small tricky hotel.

#include "CartellaProva.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "StampaProduzione.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using pc::dati::ErroreDati;

namespace pc::prova {

using namespace pc;
namespace fs = std::filesystem;

namespace {

const fs::path datiProva = fs::path(PC_DATI_PROVA);

std::string contenuto(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// Shows the hotel's current databases in the folder through links (the shared
// data stays untouched and read-only); the report is written there.
void mostraAlbergo(const CartellaProva &cartella, const fs::path &hotel)
{
    for (const auto &e : fs::directory_iterator(hotel))
        if (e.is_regular_file()) fs::create_symlink(e.path(), cartella.radice() / e.path().filename());
}

// Makes the report in the folder; returns its bytes, or "ERRORE: message".
std::string report(const CartellaProva &cartella, const fs::path &storico, const RichiestaReport &r)
{
    const fs::path prima = fs::current_path();
    fs::current_path(cartella.radice());
    qputenv("DIRKV", QByteArray::fromStdString(storico.string()));
    qputenv("PCLocal", "7");
    std::string esito;
    try {
        StampaProduzione(r);
        esito = contenuto(cartella.radice() / nomeFileReport());
        fs::remove(cartella.radice() / nomeFileReport());
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
    CartellaProva jet, sqlite;
    mostraAlbergo(jet, hotel / "jet");
    mostraAlbergo(sqlite, hotel / "sqlite");
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

} // namespace pc::prova
