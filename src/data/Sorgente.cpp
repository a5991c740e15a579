#include "Sorgente.h"

#include "ErroreDati.h"
#include "SorgentiInterne.h"

#include <cstring>
#include <fstream>

namespace pc::dati {

std::unique_ptr<Sorgente> apriSorgente(const std::string &percorso)
{
    std::ifstream f(percorso, std::ios::binary);
    if (!f) throw ErroreDati("Archivio \"" + percorso + "\" non trovato o non leggibile.");
    char testa[32] = {};
    f.read(testa, sizeof testa);
    const auto letti = static_cast<std::size_t>(f.gcount());
    if (letti >= 16 && std::memcmp(testa, "SQLite format 3", 16) == 0) return apriSorgenteSqlite(percorso);
    // Jet 3/4 (and ACE) files carry their engine's name at offset 4.
    if (letti >= 19 && (std::memcmp(testa + 4, "Standard Jet DB", 15) == 0 || std::memcmp(testa + 4, "Standard ACE DB", 15) == 0))
        return apriSorgenteJet(percorso);
    throw ErroreDati("Il file \"" + percorso + "\" non \xC3\xA8 un archivio riconosciuto (n\xC3\xA9 SQLite n\xC3\xA9 Jet/Access).");
}

} // namespace pc::dati
