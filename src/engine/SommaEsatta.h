#pragma once

#include "Valuta.h"

#include <cstdint>
#include <optional>

namespace pc {

// A sum of amounts kept exactly: 128 bits hold the sum of any number of
// amounts a statement can read, whatever their order, so the two ways of
// computing a figure agree and only the figure itself can be out of range.
class SommaEsatta {
public:
    SommaEsatta &operator+=(dati::Valuta v) { m_somma += v.grezzo(); return *this; }
    SommaEsatta &operator-=(dati::Valuta v) { m_somma -= v.grezzo(); return *this; }
    SommaEsatta &operator+=(SommaEsatta s) { m_somma += s.m_somma; return *this; }
    SommaEsatta &operator-=(SommaEsatta s) { m_somma -= s.m_somma; return *this; }
    bool zero() const { return m_somma == 0; }
    // The sum as an amount; nothing when it does not fit.
    std::optional<dati::Valuta> valuta() const
    {
        if (m_somma < INT64_MIN || m_somma > INT64_MAX) return std::nullopt;
        return dati::Valuta::daGrezzo(static_cast<std::int64_t>(m_somma));
    }

private:
    __int128 m_somma = 0;
};

} // namespace pc
