#include "Valore.h"

#include <charconv>

namespace pc {

std::string Valore::inTesto() const
{
    switch (tipo()) {
    case Tipo::Nullo:
        return {};
    case Tipo::Intero:
        return std::to_string(comeIntero());
    case Tipo::Reale: {
        char buffer[64];
        auto [p, ec] = std::to_chars(buffer, buffer + sizeof buffer, comeReale());
        return ec == std::errc() ? std::string(buffer, p) : std::string();
    }
    case Tipo::Valuta: {
        // Shortest form: drop trailing zeros of the four decimals.
        std::string s = comeValuta().formatta(4, '.');
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
        return s;
    }
    case Tipo::Testo:
        return comeTesto();
    }
    return {};
}

std::optional<Valuta> Valore::inValuta() const
{
    switch (tipo()) {
    case Tipo::Nullo:
        return std::nullopt;
    case Tipo::Intero:
        if (comeIntero() > INT64_MAX / Valuta::Scala || comeIntero() < INT64_MIN / Valuta::Scala) return std::nullopt;
        return Valuta::daGrezzo(comeIntero() * Valuta::Scala);
    case Tipo::Reale:
        return Valuta::daDouble(comeReale());
    case Tipo::Valuta:
        return comeValuta();
    case Tipo::Testo:
        return Valuta::daTesto(comeTesto());
    }
    return std::nullopt;
}

} // namespace pc
