#pragma once

// A report text file as the report engine writes it (box-drawing bytes of the
// IBM PC set, Windows-1252, CR LF), built line by line for the print tests.

#include <string>
#include <vector>

namespace pc::prova {

// Title, top border, heading with the rooms 101 102 103, separator, one line
// per day from 01/01/2026, separator, totals, bottom border: giorni + 7 lines.
inline std::vector<std::string> reportDiProva(int giorni)
{
    const std::string h(10, '\xC4');
    std::vector<std::string> r;
    r.push_back("STAMPA VENDITE PER NUMERO CAMERA DAL 01/01/2026 AL 31/12/2026");
    r.push_back("\xDA" + h + "\xC2" + h + "\xC2" + h + "\xC2" + h + "\xBF");
    r.push_back("\xB3   DATA   \xB3" "101       \xB3" "102       \xB3" "103       \xB3");
    r.push_back("\xC3" + h + "\xC5" + h + "\xC5" + h + "\xC5" + h + "\xB4");
    for (int g = 0; g < giorni; ++g) {
        const int mese = g / 28 + 1, giorno = g % 28 + 1;
        char data[11];
        std::snprintf(data, sizeof data, "%02d/%02d/2026", giorno, mese);
        r.push_back("\xB3" + std::string(data) + "\xB3         1\xB3         0\xB3         " + std::to_string(g % 10) + "\xB3");
    }
    r.push_back("\xC3" + h + "\xC5" + h + "\xC5" + h + "\xC5" + h + "\xB4");
    r.push_back("\xB3TOTALI    \xB3" "        92\xB3         0\xB3       411\xB3");
    r.push_back("\xC0" + h + "\xC1" + h + "\xC1" + h + "\xC1" + h + "\xD9");
    return r;
}

inline std::string comeFile(const std::vector<std::string> &righe)
{
    std::string s;
    for (const auto &r : righe) s += r + "\r\n";
    return s;
}

} // namespace pc::prova
