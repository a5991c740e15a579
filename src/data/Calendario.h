#pragma once

// Civil dates of the proleptic Gregorian calendar as serial day numbers (days
// since 1 January 1970), and today's date, read from one place so that tests
// can fix it.
namespace pc::dati::calendario {

struct DataCivile {
    long anno = 1970;
    int mese = 1;
    int giorno = 1;
};

long seriale(long anno, int mese, int giorno);
DataCivile civile(long seriale);

// The full Gregorian rule: every fourth year, except the centuries not divisible by 400.
bool bisestile(long anno);
int giorniNelMese(long anno, int mese);   // mese 1..12

// Today (the local date), or the day set by impostaOggi.
long oggi();
// Fixes today (tests); ripristinaOggi() goes back to the system clock.
void impostaOggi(long seriale);
void ripristinaOggi();

// A year written with two digits (or fewer): 20yy when that is at most twenty
// years after the current year, else 19yy.
int annoDaDueCifre(int aa);

} // namespace pc::dati::calendario
