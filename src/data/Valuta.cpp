#include "Valuta.h"

#include "ErroreDati.h"

#include <charconv>
#include <cstdlib>
#include <limits>

namespace pc::dati {

Valuta Valuta::daIntero(std::int64_t intero)
{
    std::int64_t grezzo = 0;
    if (__builtin_mul_overflow(intero, Scala, &grezzo))
        throw ErroreDati("Valore fuori dall'intervallo degli importi: " + std::to_string(intero));
    return daGrezzo(grezzo);
}

std::optional<Valuta> Valuta::daTesto(std::string_view t)
{
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (t.empty()) return std::nullopt;
    bool negativo = false;
    if (t.front() == '+' || t.front() == '-') {
        negativo = t.front() == '-';
        t.remove_prefix(1);
    }
    // Digits as a decimal string with the position of the point, then the exponent.
    std::string cifre;
    int decimali = 0;
    bool punto = false, qualcheCifra = false;
    std::size_t i = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c >= '0' && c <= '9') {
            qualcheCifra = true;
            if (cifre.empty() && c == '0' && !punto) continue;
            cifre += c;
            if (punto) ++decimali;
        } else if (c == '.' && !punto) {
            punto = true;
        } else {
            break;
        }
    }
    if (!qualcheCifra) return std::nullopt;
    int esponente = 0;
    if (i < t.size()) {
        if (t[i] != 'e' && t[i] != 'E') return std::nullopt;
        ++i;
        auto resto = t.substr(i);
        if (!resto.empty() && resto.front() == '+') resto.remove_prefix(1);
        auto [p, ec] = std::from_chars(resto.data(), resto.data() + resto.size(), esponente);
        if (ec != std::errc() || p != resto.data() + resto.size()) return std::nullopt;
        if (esponente > 40 || esponente < -40) {
            if (esponente < 0) return Valuta();
            bool tuttiZero = cifre.find_first_not_of('0') == std::string::npos;
            if (tuttiZero) return Valuta();
            return std::nullopt;
        }
    }
    // value = cifre * 10^(esponente - decimali); we want round(value * 10^4).
    int scala = 4 + esponente - decimali;
    if (scala >= 0) {
        cifre.append(static_cast<std::size_t>(scala), '0');
        scala = 0;
    }
    std::size_t tagliare = static_cast<std::size_t>(-scala);
    bool arrotondaSu = false;
    if (tagliare > 0) {
        if (tagliare >= cifre.size() + 1) {
            cifre.clear();
        } else if (tagliare == cifre.size()) {
            arrotondaSu = cifre[0] >= '5';
            cifre.clear();
        } else {
            arrotondaSu = cifre[cifre.size() - tagliare] >= '5';
            cifre.resize(cifre.size() - tagliare);
        }
    }
    // Strip leading zeros and convert with overflow check.
    std::uint64_t assoluto = 0;
    for (char c : cifre) {
        if (__builtin_mul_overflow(assoluto, 10u, &assoluto)) return std::nullopt;
        if (__builtin_add_overflow(assoluto, static_cast<unsigned>(c - '0'), &assoluto)) return std::nullopt;
    }
    if (arrotondaSu && __builtin_add_overflow(assoluto, 1u, &assoluto)) return std::nullopt;
    const std::uint64_t limite = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (assoluto > limite + (negativo ? 1 : 0)) return std::nullopt;
    std::int64_t grezzo = negativo ? static_cast<std::int64_t>(0 - assoluto) : static_cast<std::int64_t>(assoluto);
    return daGrezzo(grezzo);
}

std::optional<Valuta> Valuta::daDouble(double valore)
{
    // Fast path: when n / 10000 (n = the value in ten-thousandths, rounded)
    // is the decimal that reads back as this double, it is also what its
    // shortest form gives, as long as one unit in the last place stays far
    // below 0.0001 (|value| < 1e11).
    if (valore > -1e11 && valore < 1e11) {
        const double scalato = valore * static_cast<double>(Scala);
        const auto n = static_cast<std::int64_t>(scalato < 0 ? scalato - 0.5 : scalato + 0.5);
        if (static_cast<double>(n) / static_cast<double>(Scala) == valore) return daGrezzo(n);
    }
    char buffer[64];
    auto [p, ec] = std::to_chars(buffer, buffer + sizeof buffer, valore);
    if (ec != std::errc()) return std::nullopt;
    return daTesto(std::string_view(buffer, static_cast<std::size_t>(p - buffer)));
}

Valuta &Valuta::operator+=(Valuta altro)
{
    if (__builtin_add_overflow(m_grezzo, altro.m_grezzo, &m_grezzo))
        throw ErroreDati("Somma fuori dall'intervallo degli importi");
    return *this;
}

int Valuta::scrivi(char *buffer, int decimali, char separatore) const
{
    if (decimali < 0) decimali = 0;
    if (decimali > 4) decimali = 4;
    const bool negativo = m_grezzo < 0;
    // Work on the magnitude as unsigned so that INT64_MIN is safe.
    std::uint64_t assoluto = negativo ? 0 - static_cast<std::uint64_t>(m_grezzo) : static_cast<std::uint64_t>(m_grezzo);
    std::uint64_t divisore = 1;
    for (int i = decimali; i < 4; ++i) divisore *= 10;
    std::uint64_t arrotondato = assoluto / divisore;
    if (assoluto % divisore * 2 >= divisore) ++arrotondato;   // half away from zero
    // Digits from the right: decimals, separator, at least one integer digit.
    char rovescio[32];
    int n = 0;
    for (int i = 0; i < decimali; ++i) {
        rovescio[n++] = static_cast<char>('0' + arrotondato % 10);
        arrotondato /= 10;
    }
    if (decimali > 0) rovescio[n++] = separatore;
    do {
        rovescio[n++] = static_cast<char>('0' + arrotondato % 10);
        arrotondato /= 10;
    } while (arrotondato > 0);
    int lunghezza = 0;
    bool tuttoZero = true;
    for (int i = 0; i < n; ++i)
        if (rovescio[i] >= '1' && rovescio[i] <= '9') tuttoZero = false;
    if (negativo && !tuttoZero) buffer[lunghezza++] = '-';
    while (n > 0) buffer[lunghezza++] = rovescio[--n];
    return lunghezza;
}

std::string Valuta::formatta(int decimali, char separatore) const
{
    char buffer[32];
    return std::string(buffer, static_cast<std::size_t>(scrivi(buffer, decimali, separatore)));
}

} // namespace pc::dati
