// Times the hotel data store on a large generated hotel: the year's charges
// selected by the report's query (translated into SQLite and in memory), the
// day-by-day searches in them, and the daily lookups of the room table.
// Usage: bench_dati [charges, default 1000000]
//        bench_dati FOLDER   (times the report's charge queries on an existing hotel)

#include "Database.h"
#include "ScrittoreSqlite.h"
#include "SorgentiInterne.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace pc::dati;
using namespace pc::demo;
namespace fs = std::filesystem;

namespace {

double ms(std::chrono::steady_clock::time_point da)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - da).count();
}

std::string data(int giorno)   // days from 1 Jan 2011, 30-day months are enough here
{
    char b[16];
    std::snprintf(b, sizeof b, "%04d%02d%02d", 2011 + giorno / 360, giorno % 360 / 30 + 1, giorno % 30 + 1);
    return b;
}

} // namespace

namespace {

int interrogaCartella(const fs::path &cartella)
{
    fs::current_path(cartella);
    const std::string sql = "Select * From Conto_Cliente Where NumeroHotel = 1 and DataAddebito <= '20111231' and "
                            "DataAddebito >= '20110101' and VoceAddebito In (Select Codice From VociFattura In "
                            "'VociFattura.mdb' Where NumeroHotel = 1 and Reparto = 'ARR');";
    for (const char *file : {"Conto_Cliente.mdb", "storico/ContoStoricoClienti.mdb"}) {
        for (bool tradotta : {true, false}) {
            impostaTraduzioneSql(tradotta);
            auto t0 = std::chrono::steady_clock::now();
            auto rs = Database::open(file)->openRecordset(sql);
            std::printf("%s, a year's room charges (%s): %zu rows in %.0f ms\n", file,
                        tradotta ? "translated into SQLite" : "in memory", rs->size(), ms(t0));
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && fs::is_directory(argv[1])) return interrogaCartella(argv[1]);
    const long addebiti = argc > 1 ? std::atol(argv[1]) : 1000000;
    std::string modello = (fs::temp_directory_path() / "pc-bench-dati-XXXXXX").string();
    if (!mkdtemp(modello.data())) return 1;
    const fs::path cartella = modello;
    fs::current_path(cartella);

    auto t0 = std::chrono::steady_clock::now();
    std::vector<std::vector<pc::dati::Valore>> camere, conti;
    for (int c = 0; c < 300; ++c) camere.push_back({I(1), T(std::to_string(100 + c)), T("T" + std::to_string(c % 7))});
    const char *voci[] = {"PERN", "BAR", "TEL", "MINI"};
    for (long i = 0; i < addebiti; ++i)
        conti.push_back({I(i % 10 == 9 ? 2 : 1), T(data(static_cast<int>(i * 720 / addebiti))), T(voci[i % 4]),
                         T(std::to_string(100 + i % 300)), R(static_cast<double>(i % 25000) / 100)});
    scriviArchivio("NumeriCamere.mdb", {{"NumeriCamere", colonneSuite("NumeriCamere"), camere}});
    scriviArchivio("Conto_Cliente.mdb", {{"Conto_Cliente", colonneSuite("Conto_Cliente"), conti}});
    scriviArchivio("VociFattura.mdb", {{"VociFattura", colonneSuite("VociFattura"), {{I(1), T("PERN"), T("ARR")}, {I(1), T("BAR"), T("BAR")}}}});
    std::printf("hotel: %ld charges over 2 years, 300 rooms, written in %.0f ms\n", addebiti, ms(t0));

    const std::string sql = "Select * From Conto_Cliente Where NumeroHotel = 1 and DataAddebito <= '20121230' and "
                            "DataAddebito >= '20120101' and VoceAddebito In (Select Codice From VociFattura In "
                            "'VociFattura.mdb' Where NumeroHotel = 1 and Reparto = 'ARR');";
    for (bool tradotta : {true, false}) {
        impostaTraduzioneSql(tradotta);
        t0 = std::chrono::steady_clock::now();
        auto rs = Database::open("Conto_Cliente.mdb")->openRecordset(sql);
        std::printf("one year's room charges (%s): %zu rows in %.0f ms\n", tradotta ? "translated into SQLite" : "in memory",
                    rs->size(), ms(t0));
        if (!tradotta) continue;
        t0 = std::chrono::steady_clock::now();
        std::size_t trovati = 0;
        for (int g = 360; g < 720; ++g) {
            const std::string c = "DataAddebito = '" + data(g) + "'";
            for (bool ok = rs->findFirst(c); ok; ok = rs->findNext(c)) {
                rs->field("Importo");
                ++trovati;
            }
        }
        std::printf("360 days of find first / find next: %zu records found in %.0f ms\n", trovati, ms(t0));
    }
    t0 = std::chrono::steady_clock::now();
    for (int g = 0; g < 360; ++g) {
        auto db = Database::open("NumeriCamere.mdb");
        auto rs = db->openRecordset("NumeriCamere");
        for (int k = 0; k < 300; ++k) rs->findFirst("NumeroCamera = '" + std::to_string(100 + k) + "'");
    }
    std::printf("360 daily openings of NumeriCamere with 300 lookups each: %.0f ms\n", ms(t0));
    fs::current_path(cartella.parent_path());
    fs::remove_all(cartella);
}
