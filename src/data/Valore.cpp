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

bool Valore::leggiCifra(std::optional<Valuta> &cifra) const
{
    cifra.reset();
    if (tipo() != Tipo::Testo) {
        if (nullo()) return true;
        cifra = inValuta();
        return cifra.has_value();
    }
    std::string t = comeTesto();
    const auto virgola = t.find(','), punto = t.find('.');
    const auto segno = virgola != std::string::npos ? virgola : punto;
    if (segno != std::string::npos) {
        // One decimal mark only, and not one that an Italian text would use
        // for thousands: exactly three digits after it and nothing else.
        if (virgola != std::string::npos && punto != std::string::npos) return false;
        if (t.find(t[segno], segno + 1) != std::string::npos) return false;
        std::size_t fine = segno + 1;
        while (fine < t.size() && t[fine] >= '0' && t[fine] <= '9') ++fine;
        std::size_t resto = fine;
        while (resto < t.size() && (t[resto] == ' ' || t[resto] == '\t')) ++resto;
        if (fine - segno - 1 == 3 && resto == t.size()) {
            std::size_t inizio = segno;
            while (inizio > 0 && t[inizio - 1] >= '0' && t[inizio - 1] <= '9') --inizio;
            if (segno - inizio >= 1 && t.find_first_not_of('0', inizio) < segno) return false;
        }
        t[segno] = '.';
    }
    cifra = Valuta::daTesto(t);
    return cifra.has_value();
}

} // namespace pc
