#pragma once

#include "Valore.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pc::dati {

namespace dialetto { struct Query; }

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

    // Optional fast path: runs a Select (Where and Order by) inside the
    // backend with exactly the results of the in-memory evaluation. Returns
    // nothing when the query cannot be translated faithfully; the caller
    // then reads the table and evaluates it itself. sottoselezione gives the
    // values of an "In (Select ...)" sub-select.
    using Sottoselezione = std::function<std::vector<Valore>(const dialetto::Query &)>;
    virtual std::optional<Tabella> interroga(const dialetto::Query &, const Sottoselezione &) { return std::nullopt; }
};

// Opens a database file, recognising its engine by content (not by name).
// Throws ErroreDati naming the file when it is missing, unreadable or of an
// unknown kind.
std::unique_ptr<Sorgente> apriSorgente(const std::string &percorso);

} // namespace pc::dati
