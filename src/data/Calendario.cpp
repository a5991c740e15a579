#include "Calendario.h"

#include <QDate>

#include <atomic>

namespace pc::dati::calendario {

namespace {

constexpr long NessunGiorno = -2147483647L - 1;
std::atomic<long> g_oggiFissato{NessunGiorno};

} // namespace

// Howard Hinnant's civil-date algorithms.
long seriale(long anno, int mese, int giorno)
{
    anno -= mese <= 2;
    const long era = (anno >= 0 ? anno : anno - 399) / 400;
    const auto yoe = static_cast<unsigned>(anno - era * 400);
    const auto m = static_cast<unsigned>(mese);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + static_cast<unsigned>(giorno) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

DataCivile civile(long z)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long y = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    DataCivile d;
    d.giorno = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    d.mese = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.anno = y + (d.mese <= 2);
    return d;
}

bool bisestile(long anno) { return (anno % 4 == 0 && anno % 100 != 0) || anno % 400 == 0; }

int giorniNelMese(long anno, int mese)
{
    static constexpr int giorni[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (mese == 2) return bisestile(anno) ? 29 : 28;
    return giorni[mese - 1];
}

long oggi()
{
    const long fissato = g_oggiFissato.load();
    if (fissato != NessunGiorno) return fissato;
    // Julian day 2440588 is 1 January 1970.
    return static_cast<long>(QDate::currentDate().toJulianDay() - 2440588);
}

void impostaOggi(long s) { g_oggiFissato = s; }
void ripristinaOggi() { g_oggiFissato = NessunGiorno; }

int annoDaDueCifre(int aa)
{
    const long corrente = civile(oggi()).anno;
    return 2000 + aa <= corrente + 20 ? 2000 + aa : 1900 + aa;
}

} // namespace pc::dati::calendario
