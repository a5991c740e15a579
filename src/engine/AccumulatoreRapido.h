#pragma once

#include "DateReport.h"
#include "Richiesta.h"
#include "SommaEsatta.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace pc::dati { class Fonte; }

namespace pc {

// One data source of a statement: a database file and the Select read from it.
struct FonteReport {
    std::string file;
    std::string sql;
    std::shared_ptr<dati::Fonte> dati{};   // where the file is read (null: dati::fontePredefinita())
};

// Computes the figures of the days of the period in one sweep over the three
// sources, with the same result as calling MotoreReport::AccumulaCamere /
// AccumulaImporti once a day (which search every record set from the start
// for every day).
//
// Each record matches a contiguous run of days (its dates compared with the
// day as the criteria compare them), so it is looked at once; the guest-card
// passes, whose "same room as the card before" rule depends on the order of
// the day's matching cards, walk the cards active on each day in query order.
// Room, type and macro lookups are made once per distinct value.
//
// The sources are read when it is made, record by record: of each record
// only what the sweep needs is kept (its days, a room or type number, an
// amount), never the records themselves. Errors come as the day-by-day
// accumulation raises them: reading errors while reading, a missing field or
// an unreadable figure when the first block is computed. The days are then
// given out block after block, in memory bounded by what was kept and the
// block: the runs of days that go on past a block are carried to the next.
class AccumulatoreRapido {
public:
    // codiciRiga: the row keys in column order (kept by reference).
    AccumulatoreRapido(const std::vector<std::string> &codiciRiga, Giorno dalla, long giorni, TipoReport tipo,
                       Raggruppamento raggruppamento, const std::array<FonteReport, 3> &fonti);
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
