#pragma once

#include "DateReport.h"
#include "Richiesta.h"
#include "Valuta.h"

#include <memory>

namespace pc::dati { class Fonte; }
#include <string>
#include <vector>

namespace pc {

// How the day figures are computed: in one sweep over the records (the normal
// way), or day by day with find first / find next as the suite's own report
// does (kept as the reference the sweep is checked against, and for the benchmark).
enum class MetodoCalcolo { Rapido, GiornoPerGiorno };

// The day figures of one statement, computed a block of consecutive days at a
// time, in memory bounded by the block.
//
// Reads the hotel through fonte (null: dati::fontePredefinita(); the working
// directory and the history databases under DIRKV); throws ErroreDati with an Italian message naming the
// cause when they cannot be read or a figure does not fit an amount.
class FigureGiornaliere {
public:
    // Reads the grouping's row keys and opens the kind's three sources for [dalla, alla] (same queries as the statement).
    FigureGiornaliere(TipoReport tipo, Raggruppamento raggruppamento, Giorno dalla, Giorno alla,
                      MetodoCalcolo metodo = MetodoCalcolo::Rapido, std::shared_ptr<dati::Fonte> fonte = {});
    ~FigureGiornaliere();
    FigureGiornaliere(const FigureGiornaliere &) = delete;
    FigureGiornaliere &operator=(const FigureGiornaliere &) = delete;

    const std::vector<std::string> &chiavi() const;   // column keys (UTF-8), column order
    // Computes the next block of at most `massimoGiorni` days; false when the period is done.
    // cifre: giorni x chiavi().size() figures, day-major, valid until the next call.
    bool prossimoBlocco(Giorno &primo, long &giorni, const dati::Valuta *&cifre, long massimoGiorni = 366);
    // The part of the last block's figures that comes from the third source
    // (bookings for sales, arrangements for production), laid out like the
    // block; empty with MetodoCalcolo::GiornoPerGiorno.
    const std::vector<dati::Valuta> &terzaFonte() const;
    const std::vector<dati::Valuta> &totali() const;         // column totals, complete once the period is done
    void impostaAvanzamento(AvanzamentoReport a);

    // Days in the period (0 when the last day comes before the first).
    long giorniTotali() const;

private:
    struct Stato;
    std::unique_ptr<Stato> m_stato;
};

} // namespace pc
