#pragma once

#include "FigureGiornaliere.h"
#include "Richiesta.h"

#include <string>

namespace pc {

// Turns one report request into the report text file "fd" + PCLocal
// (nomeFileReport()) in the working directory, reading the hotel databases
// there and the history databases under DIRKV. The previous report file is
// replaced only when the new one is complete.
//
// Throws ErroreDati with an Italian message naming the cause (database, table,
// field, date, report file) when the report cannot be made; the previous
// report file then stays as it was.
void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento = {});

void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento, MetodoCalcolo metodo);

} // namespace pc
