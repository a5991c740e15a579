#pragma once

#include "DateReport.h"
#include "MotoreReport.h"
#include "Richiesta.h"
#include "SommaEsatta.h"

#include <memory>

namespace pc {

// Computes the figures of the days of the period in one sweep over the three
// record sets, with the same result as calling AccumulaCamere / AccumulaImporti
// once a day (which search every record set from the start for every day).
//
// Each record matches a contiguous run of days (its dates compared with the
// day as the criteria compare them), so it is looked at once; the guest-card
// passes, whose "same room as the card before" rule depends on the order of
// the day's matching cards, walk the cards active on each day in query order.
// Room, type and macro lookups are made once per distinct value.
//
// The records are read once when it is made (m.CodiciRiga and the three
// record sets must be set up; they may be released afterwards); the days are
// then given out block after block, in memory bounded by the records and the
// block: the runs of days that go on past a block are carried to the next.
class AccumulatoreRapido {
public:
    AccumulatoreRapido(MotoreReport &m, Giorno dalla, long giorni, TipoReport tipo, Raggruppamento raggruppamento);
    ~AccumulatoreRapido();

    // Adds the figures of days [inizio, inizio + quanti) (indexes from the
    // first day of the period) to cifre, quanti x N, day-major. Blocks must
    // follow one another from day 0. When terza is given, the part of the
    // figures that comes from the third source (bookings for sales,
    // arrangements for production) is added to it too, laid out alike.
    void blocco(long inizio, long quanti, SommaEsatta *cifre, SommaEsatta *terza = nullptr);

private:
    class Calcolo;
    std::unique_ptr<Calcolo> m_calcolo;
};

} // namespace pc
