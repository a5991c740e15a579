#include "DateReport.h"

#include <cstdio>

namespace pc {

namespace {

// Howard Hinnant's civil-date algorithms (proleptic Gregorian calendar).
long giorniDaCivile(long a, unsigned m, unsigned g)
{
    a -= m <= 2;
    const long era = (a >= 0 ? a : a - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(a - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + g - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

void civileDaGiorni(long z, int &a, int &m, int &g)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long y = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    g = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    a = static_cast<int>(y + (m <= 2));
}

int giorniNelMese(int anno, int mese)
{
    static const int giorni[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (mese == 2) {
        const bool bisestile = (anno % 4 == 0 && anno % 100 != 0) || anno % 400 == 0;
        return bisestile ? 29 : 28;
    }
    return giorni[mese - 1];
}

} // namespace

Giorno Giorno::da(int anno, int mese, int giorno) { return Giorno{giorniDaCivile(anno, static_cast<unsigned>(mese), static_cast<unsigned>(giorno))}; }

std::optional<Giorno> Giorno::leggi(std::string_view t)
{
    int pezzi[3] = {0, 0, 0};
    int cifre[3] = {0, 0, 0};
    int n = 0;
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    while (n < 3) {
        if (i >= t.size() || t[i] < '0' || t[i] > '9') return std::nullopt;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            if (cifre[n] >= 4) return std::nullopt;
            pezzi[n] = pezzi[n] * 10 + (t[i] - '0');
            ++cifre[n];
            ++i;
        }
        ++n;
        if (n == 3) break;
        if (i >= t.size() || (t[i] != '/' && t[i] != '-' && t[i] != '.' && t[i] != ' ')) return std::nullopt;
        ++i;
    }
    while (i < t.size() && t[i] == ' ') ++i;
    if (i != t.size()) return std::nullopt;
    int g = pezzi[0], m = pezzi[1], a = pezzi[2];
    if (cifre[0] > 2 || cifre[1] > 2) return std::nullopt;
    if (cifre[2] <= 2) a += a < 30 ? 2000 : 1900;
    else if (cifre[2] != 4) return std::nullopt;
    if (a < 100 || m < 1 || m > 12 || g < 1 || g > giorniNelMese(a, m)) return std::nullopt;
    return da(a, m, g);
}

int Giorno::anno() const { int a, m, g; civileDaGiorni(seriale, a, m, g); return a; }
int Giorno::mese() const { int a, m, g; civileDaGiorni(seriale, a, m, g); return m; }
int Giorno::giorno() const { int a, m, g; civileDaGiorni(seriale, a, m, g); return g; }

std::string Giorno::ggmmaaaa() const
{
    int a, m, g;
    civileDaGiorni(seriale, a, m, g);
    char b[16];
    std::snprintf(b, sizeof b, "%02d/%02d/%04d", g, m, a);
    return b;
}

std::string Giorno::aaaammgg() const
{
    int a, m, g;
    civileDaGiorni(seriale, a, m, g);
    char b[16];
    std::snprintf(b, sizeof b, "%04d%02d%02d", a, m, g);
    return b;
}

} // namespace pc
