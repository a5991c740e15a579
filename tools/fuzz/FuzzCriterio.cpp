// libFuzzer target for the query dialect and the two ways a criterion is
// evaluated. Each input is a criterion, a line end, then the values of a few
// records; the records are written to a small SQLite table and the query
// "Select * From Prova Where <criterion>" is run once evaluated in memory and
// once translated for SQLite. Both must fail alike or give the same records.
//
//   build-fuzz/tools/fuzz_criterio -max_len=512 -max_total_time=300 -dict=tools/fuzz/dialetto.dict

#include "CacheTabelle.h"
#include "Database.h"
#include "ErroreDati.h"
#include "SorgentiInterne.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// Reads the next value of a record: a kind byte, then its bytes.
struct Lettore {
    const std::uint8_t *p;
    std::size_t n;
    bool fine() const { return n == 0; }
    std::uint8_t byte()
    {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    std::uint64_t otto()
    {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = (v << 8) | byte();
        return v;
    }
};

void lega(sqlite3_stmt *st, int i, Lettore &l)
{
    switch (l.byte() % 6) {
    case 0: sqlite3_bind_null(st, i); break;
    case 1: sqlite3_bind_int64(st, i, static_cast<sqlite3_int64>(l.otto())); break;
    case 2: {
        const std::uint64_t b = l.otto();
        double d;
        std::memcpy(&d, &b, sizeof d);
        if (d != d) d = 0;   // SQLite stores NaN as NULL
        sqlite3_bind_double(st, i, d);
        break;
    }
    case 3: sqlite3_bind_int64(st, i, static_cast<sqlite3_int64>(static_cast<std::int8_t>(l.byte()))); break;
    default: {
        std::string t;
        for (std::size_t k = l.byte() % 16; k > 0 && !l.fine(); --k) t += static_cast<char>(l.byte());
        if (l.byte() % 2)
            sqlite3_bind_blob(st, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_text(st, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

bool scriviTabella(const std::string &file, Lettore l)
{
    std::remove(file.c_str());
    sqlite3 *db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_exec(db,
                 "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;"
                 "CREATE TABLE Prova (Codice TEXT, Numero INTEGER, Importo REAL, Misto);",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Prova VALUES (?,?,?,?)", -1, &st, nullptr);
    for (int r = 0; r < 8 && !l.fine(); ++r) {
        for (int c = 1; c <= 4; ++c) lega(st, c, l);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return true;
}

struct Esito {
    bool errore = false;
    std::vector<std::vector<pc::dati::Valore>> righe;
};

Esito esegui(const std::string &file, const std::string &query, bool traduzione)
{
    pc::dati::cache::svuota();
    pc::dati::impostaTraduzioneSql(traduzione);
    Esito e;
    try {
        auto rs = pc::dati::Database::open(file)->openRecordset(query);
        for (std::size_t i = 0; i < rs->size(); ++i) {
            e.righe.emplace_back();
            for (std::size_t c = 0; c < rs->colonne().size(); ++c) e.righe.back().push_back(rs->value(i, static_cast<int>(c)));
        }
    } catch (const pc::dati::ErroreDati &) {
        e.errore = true;
    }
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t n)
{
    // In memory-backed /dev/shm when there is one: a file is written for every input.
    static const std::string file = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/pc_fuzz_criterio_"
                                    + std::to_string(::getpid()) + ".db";
    const std::string_view tutto(reinterpret_cast<const char *>(dati), n);
    const auto a = tutto.find('\n');
    const std::string criterio(tutto.substr(0, a));
    Lettore valori{dati + (a == std::string_view::npos ? n : a + 1), a == std::string_view::npos ? 0 : n - a - 1};
    if (!scriviTabella(file, valori)) return 0;
    const std::string query = "Select * From Prova Where " + criterio;
    const Esito memoria = esegui(file, query, false);
    const Esito tradotta = esegui(file, query, true);
    if (memoria.errore != tradotta.errore || memoria.righe != tradotta.righe) {
        std::fprintf(stderr, "Risultati diversi per \"%s\": memoria %s %zu righe, SQLite %s %zu righe\n", query.c_str(),
                     memoria.errore ? "errore" : "", memoria.righe.size(), tradotta.errore ? "errore" : "",
                     tradotta.righe.size());
        std::abort();
    }
    // Find first on the records with the same criterion.
    try {
        pc::dati::cache::svuota();
        auto rs = pc::dati::Database::open(file)->openRecordset("Prova");
        for (bool t = rs->findFirst(criterio); t; t = rs->findNext(criterio)) {
        }
    } catch (const pc::dati::ErroreDati &) {
    }
    return 0;
}
