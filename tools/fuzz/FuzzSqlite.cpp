// libFuzzer target for the SQLite source: each input is written to a file
// and opened as a hotel database; every table is listed and read, then
// queried with a criterion on its first column both in memory and translated
// for SQLite. A damaged or hostile file must end in ErroreDati, never in a
// crash or a sanitizer report.
//
//   build-fuzz/tools/fuzz_sqlite -max_len=16384 -max_total_time=300 corpus-sqlite/

#include "CacheTabelle.h"
#include "Database.h"
#include "ErroreDati.h"
#include "SorgentiInterne.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t n)
{
    static const std::string percorso = "/tmp/pc_fuzz_sqlite_" + std::to_string(::getpid()) + ".mdb";
    std::FILE *f = std::fopen(percorso.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(dati, 1, n, f);
    std::fclose(f);
    try {
        auto s = pc::dati::apriSorgenteSqlite(percorso);
        for (const auto &t : s->tabelle()) {
            try {
                const auto tabella = s->leggiTabella(t);
                if (tabella.colonne.empty()) continue;
                const std::string q = "Select * From [" + t + "] Where [" + tabella.colonne[0] + "] >= 'a' Or ["
                                      + tabella.colonne[0] + "] = 1";
                for (bool traduzione : {false, true}) {
                    pc::dati::cache::svuota();
                    pc::dati::impostaTraduzioneSql(traduzione);
                    pc::dati::Database::open(percorso)->openRecordset(q);
                }
            } catch (const pc::dati::ErroreDati &) {
            }
        }
    } catch (const pc::dati::ErroreDati &) {
    }
    return 0;
}
