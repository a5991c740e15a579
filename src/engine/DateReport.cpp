#include "DateReport.h"

#include "Calendario.h"

#include <cstdio>

namespace pc {

Giorno Giorno::da(int anno, int mese, int giorno) { return Giorno{dati::calendario::seriale(anno, mese, giorno)}; }

std::optional<Giorno> Giorno::seValido(int anno, int mese, int giorno)
{
    if (anno < 100 || mese < 1 || mese > 12 || giorno < 1 || giorno > dati::calendario::giorniNelMese(anno, mese)) return std::nullopt;
    return da(anno, mese, giorno);
}

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
    if (cifre[2] <= 2) a = dati::calendario::annoDaDueCifre(a);
    else if (cifre[2] != 4) return std::nullopt;
    return seValido(a, m, g);
}

int Giorno::anno() const { return static_cast<int>(dati::calendario::civile(seriale).anno); }
int Giorno::mese() const { return dati::calendario::civile(seriale).mese; }
int Giorno::giorno() const { return dati::calendario::civile(seriale).giorno; }

std::string Giorno::ggmmaaaa() const
{
    const auto d = dati::calendario::civile(seriale);
    char b[32];
    std::snprintf(b, sizeof b, "%02d/%02d/%04ld", d.giorno, d.mese, d.anno);
    return b;
}

std::string Giorno::aaaammgg() const
{
    const auto d = dati::calendario::civile(seriale);
    char b[32];
    std::snprintf(b, sizeof b, "%04ld%02d%02d", d.anno, d.mese, d.giorno);
    return b;
}

} // namespace pc
