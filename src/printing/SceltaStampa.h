#pragma once

#include <string>

namespace pc::stampa {

// What the user chose for one print, as the print menu holds it (or as the
// batch command states it). Texts are UTF-8.
struct SceltaStampa {
    std::string destinazione;   // the chosen print destination (Destinazione of table Stampanti)
    std::string stampante;      // the chosen system printer; blank = the destination's own device
    bool compressa = false;     // "Stampa Compressa"
    bool orizzontale = false;   // "Stampa orizzontale"
    bool fronteRetro = false;   // "Stampa fronte / retro"
};

} // namespace pc::stampa
