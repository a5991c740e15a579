#pragma once

// Stand-in for the engine's day-figure stream until it is available: computes
// the whole period at once and hands it out in blocks of the same shape.

#include "DateReport.h"
#include "Richiesta.h"
#include "StampaProduzione.h"
#include "Valuta.h"

#include <string>
#include <vector>

namespace pc {

class FigureGiornaliere {
public:
    FigureGiornaliere(TipoReport tipo, Raggruppamento raggruppamento, Giorno dalla, Giorno alla,
                      MetodoCalcolo metodo = MetodoCalcolo::Rapido);

    const std::vector<std::string> &chiavi() const { return m_chiavi; }
    bool prossimoBlocco(Giorno &primo, long &giorni, const Valuta *&cifre, long massimoGiorni = 366);
    const std::vector<Valuta> &totali() const { return m_totali; }

private:
    std::vector<std::string> m_chiavi;
    std::vector<Valuta> m_cifre, m_totali;
    Giorno m_dalla;
    long m_giorni = 0, m_fatti = 0;
};

} // namespace pc
