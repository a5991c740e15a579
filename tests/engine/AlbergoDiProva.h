#pragma once

// A small hotel written as SQLite files in a temporary folder, with the
// working directory, DIRKV and PCLocal set for a report run.

#include "CartellaProva.h"
#include "ScrittoreSqlite.h"

#include <QDir>

#include <map>
#include <string>
#include <vector>

namespace pc::prova {

using demo::I;
using demo::N;
using demo::R;
using demo::T;
using Righe = std::vector<std::vector<dati::Valore>>;

struct AlbergoDiProva {
    // Rows of each table, columns in the suite's order (see colonneSuite).
    Righe numeriCamere;      // NumeroHotel, NumeroCamera, TipoCamera
    Righe tipiCamere;        // NumeroHotel, Sigla, Tipologia
    Righe macroN;            // NumeroHotel, Sigla
    Righe macro;             // TipoCamera, Sigla
    Righe schede;            // NumeroHotel, DataArrivo, DataPartenza, NumeroCamera
    Righe schedeStorico;     // NumeroHotel, DataArrivo, DataPartenzaReale, NumeroCamera
    Righe prenotazioni;      // NumeroHotel, DataArrivo, DataPartenza, NumeroCamera, TipoCamera, QuantitàCamere
    Righe conti;             // NumeroHotel, DataAddebito, VoceAddebito, NumeroCamera, Importo
    Righe contiStorico;      // same columns
    Righe arrangiamenti;     // NumeroHotel, NumeroCamera, DataInizio, DataFine, VoceAddebito, ImportoTotale
    Righe vociFattura;       // NumeroHotel, Codice, Reparto

    // Writes every file into dir (history under dir/storico).
    void scrivi(const QString &dir) const;
};

// The working folder of a report run: PCLocal 7, the history in its "storico".
inline constexpr CartellaProva::Lavoro perIlReport{.pcLocal = "7", .storico = true};

// Report file bytes with the box-drawing bytes shown as the characters they
// stand for and CR LF as '\n', for readable expectations.
std::string leggibile(const std::string &bytes);

} // namespace pc::prova
