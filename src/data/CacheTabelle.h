#pragma once

#include "Sorgente.h"

#include <cstddef>
#include <memory>
#include <string>

// Process-wide cache of whole tables read by the generic path. A report opens
// the same small lookup tables once per day: while the file is unchanged on
// disk (same canonical path, size and modification time to the nanosecond)
// they are read once. Bounded by rows so that large tables do not pin memory.
namespace pc::dati::cache {

struct ChiaveFile {
    std::string canonico;       // empty: the file cannot be identified, no caching
    std::uintmax_t dimensione = 0;
    long long modificaNs = 0;
};

ChiaveFile identifica(const std::string &percorso);

// The whole table, from the cache or read from the source (and kept when small).
std::shared_ptr<const Tabella> tabella(Sorgente &sorgente, const ChiaveFile &file, const std::string &nome);

struct Statistiche {
    std::size_t letture = 0;     // tables read from their source
    std::size_t riusi = 0;       // tables served from the cache
    std::size_t righeTenute = 0; // rows held now
};
Statistiche statistiche();
void svuota();

// Tables up to this many rows are kept; the least recently used go first
// when the rows held exceed the total.
constexpr std::size_t RigheMassimeTabella = 20000;
constexpr std::size_t RigheMassimeTotali = 200000;

} // namespace pc::dati::cache
