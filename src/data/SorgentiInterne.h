#pragma once

#include "Sorgente.h"

namespace pc::dati {

// Backends, chosen by apriSorgente() from the file's content.
std::unique_ptr<Sorgente> apriSorgenteSqlite(const std::string &percorso);   // SorgenteSqlite.cpp
std::unique_ptr<Sorgente> apriSorgenteJet(const std::string &percorso);      // SorgenteJet.cpp

} // namespace pc::dati
