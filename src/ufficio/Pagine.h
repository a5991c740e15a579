#pragma once

// The office's pages (HTML, Italian) and the JSON the pages and scripts read.
// Every value written into a page goes through html() or json().

#include "Analisi.h"
#include "DatiUfficio.h"

#include <string>
#include <vector>

namespace pc::ufficio {

struct Contorno {
    std::string utente;   // empty: not logged in (no menu)
};

std::string paginaLogin(const std::string &messaggio, const std::string &utente);
std::string paginaErrore(int codice, const std::string &messaggio, const Contorno &c);
std::string paginaCatena(const Catena &catena, const Contorno &c);
std::string paginaStruttura(const std::string &struttura, const analisi::Riepilogo &r, const Contorno &c);

std::string jsonStrutture(const std::vector<std::string> &strutture);
std::string jsonCatena(const Catena &catena);
std::string jsonGiorni(const std::string &struttura, const analisi::Riepilogo &r);
std::string jsonPeriodo(const std::string &struttura, const analisi::Riepilogo &r);

// The pages' own style sheet and script.
const std::string &foglioStile();
const std::string &scriptPagine();

} // namespace pc::ufficio
