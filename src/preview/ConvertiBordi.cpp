#include "ConvertiBordi.h"

#include <array>

namespace pc::anteprima {

namespace {

constexpr std::array<unsigned char, 256> creaTabella()
{
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    // Accented capitals first: these codes are also box corners in the report.
    t[192] = 224; // À -> à
    t[200] = 232; // È -> è
    t[201] = 233; // É -> é
    t[204] = 236; // Ì -> ì
    t[217] = 249; // Ù -> ù
    t[210] = 242; // Ò -> ò
    for (int c : {187, 188, 191, 193, 194, 196, 197, 202, 203, 206, 218}) t[c] = '-';
    for (int c : {179, 180, 183, 186, 195}) t[c] = '|';
    return t;
}

constexpr auto tabella = creaTabella();

} // namespace

std::string &ConvertiBordi(std::string &riga)
{
    for (char &c : riga) c = static_cast<char>(tabella[static_cast<unsigned char>(c)]);
    return riga;
}

} // namespace pc::anteprima
