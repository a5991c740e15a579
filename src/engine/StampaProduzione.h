#pragma once

#include "FigureGiornaliere.h"
#include "Richiesta.h"

#include <cstddef>
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

// What the statement holds in memory at once: the days computed per block and
// the bytes of day lines kept before they go to a temporary file beside the
// report (until the column widths are known).
struct LimitiStampa {
    long giorniPerBlocco = 32;
    std::size_t righeInMemoria = std::size_t(16) << 20;
};
void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento, MetodoCalcolo metodo,
                      const LimitiStampa &limiti);

} // namespace pc
