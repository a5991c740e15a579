#pragma once

#include "Valore.h"

#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Writes hotel databases as SQLite files under the suite's file names, for the
// demo hotel, the benchmark and the tests.
namespace pc::demo {

struct Colonna {
    std::string nome;
    std::string tipo;   // "INTEGER", "TEXT" or "REAL" (amounts)
};

struct TabellaDaScrivere {
    std::string nome;
    std::vector<Colonna> colonne;
    std::vector<std::vector<dati::Valore>> righe;
};

// Creates (or replaces) the SQLite file with the given tables, rows in order.
// Throws ErroreDati on failure.
void scriviArchivio(const std::string &file, const std::vector<TabellaDaScrivere> &tabelle);

// Writes one SQLite file table by table and row by row, without holding the
// rows in memory (the benchmark's hotel has millions of rows). The file is
// replaced when the object is made; chiudi() commits. Destroying the object
// without chiudi() leaves an incomplete file behind: callers remove it.
class ArchivioInScrittura {
public:
    explicit ArchivioInScrittura(const std::string &file);
    ~ArchivioInScrittura();
    ArchivioInScrittura(const ArchivioInScrittura &) = delete;
    ArchivioInScrittura &operator=(const ArchivioInScrittura &) = delete;

    // Creates the table; following rows go into it.
    void iniziaTabella(const std::string &nome, const std::vector<Colonna> &colonne);
    // Missing trailing values are written as NULL. Throws ErroreDati on failure.
    void aggiungiRiga(const std::vector<dati::Valore> &riga);
    // Commits and closes the file. Throws ErroreDati on failure.
    void chiudi();

private:
    void finisciTabella();
    std::string m_file;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_st = nullptr;
    std::size_t m_colonne = 0;
};

// The columns of the suite's tables, as the suite's other modules create them.
std::vector<Colonna> colonneSuite(const std::string &tabella);

// Shorthand for building rows.
inline dati::Valore T(std::string s) { return dati::Valore::testo(std::move(s)); }
inline dati::Valore I(long long v) { return dati::Valore::intero(v); }
inline dati::Valore R(double v) { return dati::Valore::reale(v); }
inline dati::Valore N() { return dati::Valore(); }

} // namespace pc::demo
