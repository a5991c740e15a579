#pragma once

#include "Valore.h"

#include <string>
#include <vector>

// Writes hotel databases as SQLite files under the suite's file names, for the
// demo hotel, the benchmark and the tests.
namespace pc::strumenti {

struct Colonna {
    std::string nome;
    std::string tipo;   // "INTEGER", "TEXT" or "REAL" (amounts)
};

struct TabellaDaScrivere {
    std::string nome;
    std::vector<Colonna> colonne;
    std::vector<std::vector<Valore>> righe;
};

// Creates (or replaces) the SQLite file with the given tables, rows in order.
// Throws ErroreDati on failure.
void scriviArchivio(const std::string &file, const std::vector<TabellaDaScrivere> &tabelle);

// The columns of the suite's tables, as the suite's other modules create them.
std::vector<Colonna> colonneSuite(const std::string &tabella);

// Shorthand for building rows.
inline Valore T(std::string s) { return Valore::testo(std::move(s)); }
inline Valore I(long long v) { return Valore::intero(v); }
inline Valore R(double v) { return Valore::reale(v); }
inline Valore N() { return Valore(); }

} // namespace pc::strumenti
