// SQLite files that are damaged, hostile, in WAL mode or locked by a writer:
// each is either read whole or refused with an Italian message naming the
// file, and the hotel's folder is left exactly as it was.

#include "CacheTabelle.h"
#include "CartellaProva.h"
#include "Database.h"
#include "ErroreDati.h"
#include "ScrittoreSqlite.h"
#include "SorgentiInterne.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include <unistd.h>

namespace pc::prova {

using namespace pc::dati;
using namespace pc::demo;
namespace fs = std::filesystem;

namespace {

// A guest-card table of many pages (4 KB each).
void scriviSchede(const std::string &file, int righe = 3000)
{
    TabellaDaScrivere t{"Scheda_Cliente", colonneSuite("Scheda_Cliente"), {}};
    for (int i = 0; i < righe; ++i)
        t.righe.push_back({I(1), T("20120301"), T("20120305"), T("camera numero " + std::to_string(i))});
    scriviArchivio(file, {t});
}

void esegui(const std::string &file, const std::string &sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char *errore = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &errore), SQLITE_OK) << (errore ? errore : "");
    sqlite3_free(errore);
    sqlite3_close(db);
}

void sovrascrivi(const std::string &file, std::uintmax_t da, std::size_t n, char byte)
{
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(da));
    f.write(std::string(n, byte).data(), static_cast<std::streamsize>(n));
}

// Offset of the k-th leaf page of a table (type 13) in the file.
std::uintmax_t paginaDiDati(const std::string &file, int k)
{
    std::ifstream f(file, std::ios::binary);
    const std::string d((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const std::size_t pagina = (static_cast<unsigned char>(d[16]) << 8) | static_cast<unsigned char>(d[17]);
    for (std::size_t p = pagina; p + pagina <= d.size(); p += pagina)
        if (d[p] == 13 && k-- == 0) return p;
    return 0;
}

// Overwrites bytes at `da` bytes into the k-th leaf page.
std::function<void(const std::string &)> inPagina(int k, std::size_t da, std::string byte)
{
    return [=](const std::string &f) {
        const auto p = paginaDiDati(f, k);
        ASSERT_NE(p, 0u);
        std::fstream x(f, std::ios::in | std::ios::out | std::ios::binary);
        x.seekp(static_cast<std::streamoff>(p + da));
        x.write(byte.data(), static_cast<std::streamsize>(byte.size()));
    };
}

// Overwrites bytes at `da` bytes into the first cell of the k-th leaf page.
std::function<void(const std::string &)> cellaInPagina(int k, std::size_t da, std::string byte)
{
    return [=](const std::string &f) {
        const auto p = paginaDiDati(f, k);
        ASSERT_NE(p, 0u);
        std::fstream x(f, std::ios::in | std::ios::out | std::ios::binary);
        x.seekg(static_cast<std::streamoff>(p + 8));
        unsigned char puntatore[2] = {};
        x.read(reinterpret_cast<char *>(puntatore), 2);
        x.seekp(static_cast<std::streamoff>(p + ((puntatore[0] << 8) | puntatore[1]) + da));
        x.write(byte.data(), static_cast<std::streamsize>(byte.size()));
    };
}

// Rows read from the table, or the error's message prefixed with "!".
std::string leggi(const std::string &file, const std::string &sql = "Scheda_Cliente")
{
    cache::svuota();
    try {
        auto db = Database::open(file);
        return std::to_string(db->openRecordset(sql)->size());
    } catch (const ErroreDati &e) {
        return std::string("!") + e.what();
    }
}

} // namespace

TEST(ArchiviSqliteGuasti, DanneggiatiOOstiliSonoErroriCheNominanoIlFile)
{
    const auto taglia = [](std::uintmax_t n) {
        return [n](const std::string &f) { fs::resize_file(f, n); };
    };
    struct Caso {
        const char *nome;
        std::function<void(const std::string &)> guasta;
        const char *attesa;   // part of the message
    } casi[] = {
        {"tagliato a 4097 byte", taglia(4097), "pi\xC3\xB9 corto di quanto dichiara"},
        {"tagliato a 6000 byte", taglia(6000), "pi\xC3\xB9 corto di quanto dichiara"},
        {"tagliato a 8000 byte", taglia(8000), "pi\xC3\xB9 corto di quanto dichiara"},
        {"100 byte in meno", [](const std::string &f) { fs::resize_file(f, fs::file_size(f) - 100); }, "pi\xC3\xB9 corto"},
        {"pagine centrali rovinate", [](const std::string &f) { sovrascrivi(f, 3 * 4096, 3 * 4096, '\xFF'); }, "danneggiato"},
        // Cell pointers (the array after the page's 8-byte header) and cells.
        {"puntatori di cella a caso", inPagina(10, 8 + 20, "\x13\x9A\x02\xF1\x77\x05\xC4\x3E"), "danneggiato"},
        {"puntatori di cella a zero", inPagina(10, 8 + 40, std::string(8, '\0')), "danneggiato"},
        {"puntatori di cella oltre la pagina", inPagina(10, 8, std::string(8, '\xFF')), "danneggiato"},
        {"puntatori di cella nell'intestazione", inPagina(10, 8, std::string("\x00\x03\x00\x05\x00\x07\x00\x09", 8)), "danneggiato"},
        {"numero di celle eccessivo", inPagina(10, 3, "\x7F\xFF"), "danneggiato"},
        {"intestazione del record oltre il record", cellaInPagina(10, 3, "\x7F"), "danneggiato"},
        {"catena di pagine di overflow spezzata",
         [](const std::string &f) {
             TabellaDaScrivere t{"Scheda_Cliente", colonneSuite("Scheda_Cliente"), {}};
             for (int i = 0; i < 40; ++i) t.righe.push_back({I(1), T("20120301"), T("20120305"), T(std::string(9000, 'a' + i % 26))});
             scriviArchivio(f, {t});
             ASSERT_EQ(leggi(f), "40");
             // The first overflow page (the only pages here that begin with a zero byte)
             // leads past the end of the file.
             std::fstream x(f, std::ios::in | std::ios::out | std::ios::binary);
             for (std::streamoff p = 2 * 4096;; p += 4096) {
                 x.seekg(p);
                 char b = 1;
                 ASSERT_TRUE(x.get(b));
                 if (b != 0) continue;
                 x.seekp(p);
                 x.write("\x7F\xFF\xFF\xFF", 4);
                 break;
             }
         },
         "danneggiato"},
        {"intestazione rovinata", [](const std::string &f) { sovrascrivi(f, 16, 2, '\x07'); }, "intestazione del file non"},
        {"schema rovinato", [](const std::string &f) { sovrascrivi(f, 100, 3996, '\x55'); }, "danneggiato"},
        {"vista ricorsiva senza fine",
         [](const std::string &f) {
             esegui(f, "DROP TABLE Scheda_Cliente; CREATE VIEW Scheda_Cliente AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL "
                       "SELECT x + 1 FROM n) SELECT x AS NumeroHotel, '' AS DataArrivo FROM n;");
         },
         "il nome \"Scheda_Cliente\" non \xC3\xA8 una tabella ma una vista"},
        {"indice col nome della tabella",
         [](const std::string &f) {
             esegui(f, "ALTER TABLE Scheda_Cliente RENAME TO Altro; CREATE INDEX Scheda_Cliente ON Altro(NumeroCamera);");
         },
         "non \xC3\xA8 una tabella ma un indice"},
        {"colonna calcolata enorme",
         [](const std::string &f) {
             esegui(f, "DROP TABLE Scheda_Cliente; CREATE TABLE Scheda_Cliente(NumeroHotel INTEGER, NumeroCamera TEXT "
                       "AS (zeroblob(100000000))); INSERT INTO Scheda_Cliente(NumeroHotel) VALUES (1);");
         },
         "supera la dimensione massima"},
    };
    for (const auto &c : casi) {
        SCOPED_TRACE(c.nome);
        CartellaProva dir;
        const std::string file = dir.file("Scheda_Cliente.mdb");
        scriviSchede(file);
        ASSERT_EQ(leggi(file), "3000");
        c.guasta(file);
        const auto prima = dir.elenco();
        // The whole table, and the records a criterion selects (read inside SQLite).
        for (const char *sql : {"Scheda_Cliente", "Select * From Scheda_Cliente Where NumeroHotel = 1 Order by NumeroCamera;"}) {
            const std::string esito = leggi(file, sql);
            EXPECT_NE(esito.find(c.attesa), std::string::npos) << sql << ": " << esito;
            EXPECT_NE(esito.find(file), std::string::npos) << esito;
            EXPECT_EQ(esito.find("malformed"), std::string::npos) << esito;
        }
        EXPECT_EQ(dir.elenco(), prima);
    }
}

TEST(ArchiviSqliteGuasti, WalEBlocchiSenzaFileNuoviNellaCartella)
{
    static std::thread rilascio;   // a writer that lets its lock go while the read waits
    struct Caso {
        const char *nome;
        bool wal;
        // Prepares the folder; may return a writer connection kept open while reading.
        std::function<sqlite3 *(const std::string &)> prepara;
        int attesaMs;
        const char *attesa;   // rows read, or "!" and part of the message
    } casi[] = {
        {"WAL chiuso bene", true, [](const std::string &) { return static_cast<sqlite3 *>(nullptr); }, 5000, "3000"},
        {"WAL con un programma che scrive", true,
         [](const std::string &f) {
             sqlite3 *w = nullptr;
             sqlite3_open(f.c_str(), &w);
             sqlite3_exec(w, "PRAGMA wal_autocheckpoint=0; INSERT INTO Scheda_Cliente(NumeroHotel) VALUES (2);", nullptr, nullptr,
                          nullptr);
             return w;
         },
         5000, "3001"},
        {"WAL con modifiche ma senza -shm", true,
         [](const std::string &f) {
             const std::string copia = f + ".copia";
             sqlite3 *w = nullptr;
             sqlite3_open(f.c_str(), &w);
             sqlite3_exec(w, "PRAGMA wal_autocheckpoint=0; INSERT INTO Scheda_Cliente(NumeroHotel) VALUES (2);", nullptr, nullptr,
                          nullptr);
             // The files as a crash leaves them: the database and its WAL, no shared memory.
             fs::copy_file(f, copia);
             fs::copy_file(f + "-wal", copia + "-wal");
             sqlite3_close(w);
             fs::rename(copia, f);
             fs::rename(copia + "-wal", f + "-wal");
             return static_cast<sqlite3 *>(nullptr);
         },
         5000, "!L'archivio"},
        {"bloccato da chi scrive", false,
         [](const std::string &f) {
             sqlite3 *w = nullptr;
             sqlite3_open(f.c_str(), &w);
             sqlite3_exec(w, "BEGIN EXCLUSIVE; INSERT INTO Scheda_Cliente(NumeroHotel) VALUES (2);", nullptr, nullptr, nullptr);
             return w;
         },
         200, "!Lettura "},
        {"blocco lasciato durante l'attesa", false,
         [](const std::string &f) {
             sqlite3 *w = nullptr;
             sqlite3_open(f.c_str(), &w);
             sqlite3_exec(w, "BEGIN EXCLUSIVE; INSERT INTO Scheda_Cliente(NumeroHotel) VALUES (2);", nullptr, nullptr, nullptr);
             rilascio = std::thread([w] {
                 std::this_thread::sleep_for(std::chrono::milliseconds(300));
                 sqlite3_exec(w, "COMMIT;", nullptr, nullptr, nullptr);
                 sqlite3_close(w);
             });
             return static_cast<sqlite3 *>(nullptr);
         },
         20000, "3001"},
    };
    for (const auto &c : casi) {
        SCOPED_TRACE(c.nome);
        CartellaProva dir;
        const std::string file = dir.file("Scheda_Cliente.mdb");
        scriviSchede(file);
        if (c.wal) esegui(file, "PRAGMA journal_mode=WAL;");
        sqlite3 *scrittore = c.prepara(file);
        const auto prima = dir.elenco();
        impostaAttesaBloccoSqlite(c.attesaMs);
        const std::string esito = leggi(file);
        impostaAttesaBloccoSqlite(5000);
        if (c.attesa[0] == '!') {
            EXPECT_EQ(esito.rfind(c.attesa, 0), 0u) << esito;
            EXPECT_NE(esito.find(file), std::string::npos) << esito;
            EXPECT_TRUE(esito.find("WAL") != std::string::npos || esito.find("bloccato") != std::string::npos) << esito;
        } else {
            EXPECT_EQ(esito, c.attesa);
        }
        if (rilascio.joinable()) rilascio.join();
        for (const auto &nome : dir.elenco()) EXPECT_TRUE(prima.count(nome)) << "file nuovo nella cartella: " << nome;
        sqlite3_close(scrittore);
    }
}

} // namespace pc::prova
