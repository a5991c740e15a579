#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pc::dati {

// Signed 64-bit fixed-point amount with four decimals: the type of every
// count and amount of the report. Never goes through floating point except
// when a stored REAL is read (see daDouble).
class Valuta {
public:
    static constexpr std::int64_t Scala = 10000;

    constexpr Valuta() = default;
    static constexpr Valuta daGrezzo(std::int64_t grezzo) { Valuta v; v.m_grezzo = grezzo; return v; }
    // Whole number; throws ErroreDati when it does not fit.
    static Valuta daIntero(std::int64_t intero);
    // Decimal text such as "8.5300", "-9.99", "1234567.891", "+3", "1e3";
    // digits beyond the fourth decimal are rounded half away from zero.
    // Returns nothing for a text that is not a number or does not fit.
    static std::optional<Valuta> daTesto(std::string_view testo);
    // A REAL as stored by the suite's SQLite files: read through its shortest
    // round-trip decimal form, so 1.0005 stays 1.0005.
    static std::optional<Valuta> daDouble(double valore);

    constexpr std::int64_t grezzo() const { return m_grezzo; }
    constexpr bool zero() const { return m_grezzo == 0; }

    // Throws ErroreDati on overflow.
    Valuta &operator+=(Valuta altro);
    friend Valuta operator+(Valuta a, Valuta b) { a += b; return a; }
    friend constexpr bool operator==(Valuta a, Valuta b) = default;
    friend constexpr auto operator<=>(Valuta a, Valuta b) = default;

    // Fixed number of decimals (0 to 4), rounded half away from zero, no
    // thousands separator, '-' for negatives, at least one integer digit.
    std::string formatta(int decimali, char separatoreDecimale = '.') const;
    // The same into a buffer of at least 32 bytes, without allocating; returns the length.
    int scrivi(char *buffer, int decimali, char separatoreDecimale = '.') const;

private:
    std::int64_t m_grezzo = 0;
};

} // namespace pc::dati
