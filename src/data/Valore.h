#pragma once

#include "Valuta.h"

#include <cstdint>
#include <string>
#include <variant>

namespace pc::dati {

// One field value as read from a hotel database. Texts are UTF-8.
class Valore {
public:
    enum class Tipo { Nullo, Intero, Reale, Valuta, Testo };

    Valore() = default;
    static Valore intero(std::int64_t v) { Valore x; x.m_v = v; return x; }
    static Valore reale(double v) { Valore x; x.m_v = v; return x; }
    static Valore valuta(Valuta v) { Valore x; x.m_v = v; return x; }
    static Valore testo(std::string v) { Valore x; x.m_v = std::move(v); return x; }

    // Replaces the value with a text built in place from its bytes.
    void assegnaTesto(const char *p, std::size_t n) { m_v.emplace<std::string>(p, n); }

    Tipo tipo() const { return static_cast<Tipo>(m_v.index()); }
    bool nullo() const { return m_v.index() == 0; }
    bool eTesto() const { return tipo() == Tipo::Testo; }
    bool eNumero() const { return tipo() == Tipo::Intero || tipo() == Tipo::Reale || tipo() == Tipo::Valuta; }

    std::int64_t comeIntero() const { return std::get<std::int64_t>(m_v); }
    double comeReale() const { return std::get<double>(m_v); }
    Valuta comeValuta() const { return std::get<Valuta>(m_v); }
    const std::string &comeTesto() const { return std::get<std::string>(m_v); }

    // The value as text, as the suite's code converts a field to a string:
    // texts unchanged, whole numbers in decimal, other numbers in their
    // shortest decimal form with '.', null as the empty text.
    std::string inTesto() const;
    // The value as a currency amount; nothing for null or a text that is not a number.
    std::optional<Valuta> inValuta() const;
    // The value as an amount or a quantity of a hotel table. Null gives
    // nothing; a number in the currency range, or a text of one with '.' or
    // ',' as its decimal mark ("162.00", "162,00", "-3"), gives its value.
    // Returns false for anything else: a text that is not such a number (an
    // exponent as in "1e2", more than four decimals), one with thousands
    // marks ("1.234,50") or that could be read both ways ("1.234"), a number
    // beyond the range; with `intero`, any value that is not a whole number.
    bool leggiCifra(std::optional<Valuta> &cifra, bool intero = false) const;

    friend bool operator==(const Valore &, const Valore &) = default;

private:
    std::variant<std::monostate, std::int64_t, double, Valuta, std::string> m_v;
};

} // namespace pc::dati
