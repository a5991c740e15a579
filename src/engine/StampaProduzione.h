#pragma once

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

// How the day figures are computed: in one sweep over the records (the normal
// way), or day by day with find first / find next as the suite's own report
// does (kept as the reference the sweep is checked against, and for the benchmark).
enum class MetodoCalcolo { Rapido, GiornoPerGiorno };
void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento, MetodoCalcolo metodo);

} // namespace pc
