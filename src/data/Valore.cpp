#include "Valore.h"

#include <charconv>

namespace pc::dati {

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

bool Valore::leggiCifra(std::optional<Valuta> &cifra, bool intero) const
{
    cifra.reset();
    if (tipo() != Tipo::Testo) {
        if (nullo()) return true;
        cifra = inValuta();
        return cifra.has_value() && (!intero || cifra->grezzo() % Valuta::Scala == 0);
    }
    std::string t = comeTesto();
    // Only a plain number: blanks around it, a sign, digits and one decimal
    // mark with at most four decimals (no exponent, no other sign).
    {
        std::size_t i = 0, n = t.size();
        while (i < n && (t[i] == ' ' || t[i] == '\t')) ++i;
        while (n > i && (t[n - 1] == ' ' || t[n - 1] == '\t')) --n;
        if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t cifre = 0, decimali = 0, segni = 0;
        for (; i < n; ++i) {
            if (t[i] >= '0' && t[i] <= '9') {
                ++cifre;
                if (segni) ++decimali;
            } else if ((t[i] == '.' || t[i] == ',') && segni == 0) {
                ++segni;
            } else {
                return false;
            }
        }
        if (cifre == 0 || decimali > 4) return false;
    }
    const auto virgola = t.find(','), punto = t.find('.');
    const auto segno = virgola != std::string::npos ? virgola : punto;
    if (segno != std::string::npos) {
        // Not a mark that an Italian text would use for thousands: exactly
        // three digits after it and nothing else.
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
    return cifra.has_value() && (!intero || cifra->grezzo() % Valuta::Scala == 0);
}

} // namespace pc::dati
