#pragma once

#include "Valore.h"

#include <memory>
#include <string>
#include <vector>

namespace pc::dati {

// The rows of one table, in the table's own order.
struct Tabella {
    std::string nome;
    std::vector<std::string> colonne;            // names as stored (UTF-8)
    std::vector<std::vector<Valore>> righe;      // righe[i][c] is column c of row i
};

// One database file of a given engine (SQLite, Jet). Read-only: a Sorgente
// never writes to its file. Queries are evaluated above it (see Database), so
// a backend only lists and reads tables.
class Sorgente {
public:
    virtual ~Sorgente() = default;
    virtual const std::string &percorso() const = 0;
    // Table names as stored.
    virtual std::vector<std::string> tabelle() = 0;
    // The whole table; the name is matched without regard to case. Throws
    // ErroreDati naming the file and the table when it is missing or unreadable.
    virtual Tabella leggiTabella(const std::string &nome) = 0;
};

// Opens a database file, recognising its engine by content (not by name).
// Throws ErroreDati naming the file when it is missing, unreadable or of an
// unknown kind.
std::unique_ptr<Sorgente> apriSorgente(const std::string &percorso);

} // namespace pc::dati
