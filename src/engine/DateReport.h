#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pc {

// A calendar day as a serial number (days since 1 January 1970), so that the
// day loop and the query texts need no locale and no time zone.
struct Giorno {
    long seriale = 0;

    // Reads a day typed as day, month and year separated by '/', '-', '.' or
    // blanks (01/03/2012, 01-03-2012, 1/3/2012); a year of one or two digits
    // is completed by dati::calendario::annoDaDueCifre. Nothing when the text is not
    // a calendar date. The one reading of a typed date: the window's check
    // and the batch commands use it too.
    static std::optional<Giorno> leggi(std::string_view testo);
    static Giorno da(int anno, int mese, int giorno);
    // The day, when anno / mese / giorno form a calendar date.
    static std::optional<Giorno> seValido(int anno, int mese, int giorno);

    int anno() const;
    int mese() const;
    int giorno() const;

    std::string ggmmaaaa() const;   // "dd/mm/yyyy"
    std::string aaaammgg() const;   // "yyyymmdd", as dates are stored in the databases

    Giorno successivo() const { return Giorno{seriale + 1}; }
    friend bool operator==(Giorno, Giorno) = default;
    friend auto operator<=>(Giorno, Giorno) = default;
};

} // namespace pc
