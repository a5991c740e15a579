#pragma once

#include "DateReport.h"
#include "MotoreReport.h"
#include "Richiesta.h"

#include <vector>

namespace pc {

// Computes the figures of every day of the period in one sweep over the three
// record sets, with the same result as calling AccumulaCamere / AccumulaImporti
// once a day (which search every record set from the start for every day).
//
// Each record matches a contiguous run of days (its dates compared with the
// day as the criteria compare them), so it is looked at once; the guest-card
// passes, whose "same room as the card before" rule depends on the order of
// the day's matching cards, walk the cards active on each day in query order.
// Room, type and macro lookups are made once per distinct value.
//
// cifre receives giorni x N day figures (day-major); m.ValoriRiga[k][1] the
// totals. m.CodiciRiga and the three record sets must be set up.
void accumulaPeriodo(MotoreReport &m, Giorno dalla, long giorni, TipoReport tipo, Raggruppamento raggruppamento,
                     std::vector<Valuta> &cifre, const AvanzamentoReport &avanzamento);

} // namespace pc
