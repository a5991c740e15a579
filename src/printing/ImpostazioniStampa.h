#pragma once

#include "SceltaStampa.h"

#include <array>
#include <string>
#include <string_view>

namespace pc::stampa {

// Everything one print needs to know, gathered afresh for every print from
// "FontStp.txt", "Contatori.mdb" and "Stampanti.mdb" in the working directory.
struct ImpostazioniStampa {
    std::string font = "Courier New";   // font of the report text on a system printer (UTF-8)
    int lunghezzaPagina = 60;           // lines a page, top margin included
    std::string destinazione;           // Destinazione of the destination record
    long long tipoStampa = 0;           // its print type, rounded
    bool tipoTrovato = false;           // the print type has a record in SetStampa
    std::array<double, 12> C{};         // Compresso groups C1..C12 (C[0] is C1)
    std::array<int, 12> G{};            // Grassetto groups G1..G12, rounded
    int lunghezzaRiempimento = 66;      // lines a raw page is filled to with option "U"
    int margineAlto = 0;                // blank lines at the top of every page (G6)
    std::string dispositivo;            // system printer name, or device / file of the raw path (UTF-8)

    // C6 = 1 chooses the system printer; any other value the raw device.
    bool suStampanteDiSistema() const { return C[5] == 1.0; }
};

// Reads every setting of one print for the given choices and the current
// hotel (TavoRoutine::HotelCorrente). Throws ErroreDati with an Italian
// message when a database, table or field is missing, a value is unusable, or
// the destination has no record in table Stampanti.
ImpostazioniStampa raccogliImpostazioni(const SceltaStampa &scelta);

// --- Rules used by the gathering, public for their tests ---

// A number written as text, read the way the suite reads it: blanks are
// ignored, an optional sign, digits up to the first other character, a point
// starting the decimals. Anything else (or nothing) gives 0.
double leggiNumero(std::string_view testo);

// The twelve three-character groups of a Compresso / Grassetto text, each read
// with leggiNumero; a group beyond the end of the text is 0.
std::array<double, 12> leggiGruppi(std::string_view testo);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2);
// a value beyond the range of long long gives its nearest end, NaN gives 0.
long long arrotondaPari(double valore);

} // namespace pc::stampa
