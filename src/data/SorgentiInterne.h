#pragma once

#include "Sorgente.h"

#include <cstddef>

namespace pc::dati {

// Backends, chosen by apriSorgente() from the file's content.
std::unique_ptr<Sorgente> apriSorgenteSqlite(const std::string &percorso);   // SorgenteSqlite.cpp
std::unique_ptr<Sorgente> apriSorgenteJet(const std::string &percorso);      // SorgenteJet.cpp

// How long an SQLite read waits for a lock held by a writer before it fails
// (5 seconds unless changed; the tests shorten it).
void impostaAttesaBloccoSqlite(int millisecondi);

// Whether Selects are translated into the backend's own SQL when it can run
// them with identical results (on by default; off: always evaluated in
// memory). The counter tells how many were run translated.
void impostaTraduzioneSql(bool attiva);
bool traduzioneSql();
std::size_t interrogazioniTradotte();

} // namespace pc::dati
