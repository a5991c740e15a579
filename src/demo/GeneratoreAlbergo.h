#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Deterministic generator of whole hotels (rooms, types, guest cards current
// and historical, bookings, guest accounts, arrangements, print settings) as
// SQLite files under the suite's file names. Same parameters, same bytes: the
// generator draws from its own fixed pseudo-random sequence and uses no
// floating point in what it writes, so the output does not depend on the
// standard library or the machine.
namespace pc::demo {

// The fixed pseudo-random sequence the generator draws from (splitmix64).
class Caso {
public:
    explicit Caso(std::uint64_t seme) : m_stato(seme) {}
    std::uint64_t prossimo();
    // Whole number in [0, n); 0 when n is 0.
    std::uint64_t sotto(std::uint64_t n);
    // True with probability permille / 1000.
    bool permille(int permille) { return sotto(1000) < static_cast<std::uint64_t>(permille < 0 ? 0 : permille); }

private:
    std::uint64_t m_stato;
};

struct TipoDaGenerare {
    std::string sigla;           // TipiCamere.Sigla, e.g. "DBL"
    std::string tipologia;       // "C" for bedrooms; any other value: rooms that take no guests
    std::string macro;           // its macro category (TipiCamere_MacroN.Sigla); empty: none
    int peso = 1;                // share of the hotel's rooms
    int capienza = 2;            // most guest cards a stay of this type has
    long prezzoCentesimi = 10000; // room charge per night in high-enough season (cents)
};

// One hotel's rooms and types.
struct AlbergoDaGenerare {
    int numero = 1;                      // NumeroHotel
    int camere = 60;                     // rooms of every type
    int camerePerPiano = 15;             // bedrooms are numbered floor by floor: 101, 102, ..., 201, ...
    std::vector<TipoDaGenerare> tipi;
    std::vector<std::string> macro;      // TipiCamere_MacroN codes, in the order written
    int densitaPermille = 700;           // share of the bedroom nights that are sold
};

struct ParametriAlbergo {
    std::uint64_t seme = 1;
    std::vector<AlbergoDaGenerare> alberghi;  // the first is the hotel the reports are about
    std::string primoGiorno = "20240301";      // first day of the history, yyyymmdd
    std::string oggi = "20260315";             // reference today, yyyymmdd
    int giorniPrenotazioni = 120;              // bookings reach this many days after today
    int schedeMin = 1, schedeMax = 3;          // guest cards a stay
    int arrangiamentiPercento = 20;            // stays sold as a board arrangement
    int extraPermille = 400;                   // chance of an extra charge (bar, restaurant, ...) a night
    int prenotazioniSenzaCamera = 8;           // bookings by type and quantity, no room yet (each hotel)
    int prenotazioniAnnullate = 3;             // bookings with quantity 0 (each hotel)
};

// A believable hotel for trying the tool: about 60 rooms on four floors, five
// bedroom types and meeting rooms, three macro categories, two years of history
// up to 15/03/2026, a second small hotel.
ParametriAlbergo parametriDemo();
// The benchmark's hotel: 300 rooms, history 01/01/2016 to 31/12/2025, density 0.75.
ParametriAlbergo parametriGrande();

struct TabellaScritta {
    std::string file;      // relative to the hotel folder, e.g. "storico/ContoStoricoClienti.mdb"
    std::string tabella;
    long long righe = 0;
};

struct RiepilogoAlbergo {
    std::vector<TabellaScritta> tabelle;
    // Rows written into a table; 0 when not written.
    long long righe(const std::string &tabella, const std::string &file = {}) const;
};

// The files generaAlbergo writes, relative to the hotel folder (the history
// ones under "storico/").
const std::vector<std::string> &fileAlbergo();

// Writes the hotel into cartella (created when missing), history databases in
// cartella/storico, replacing files of the same names. Throws ErroreDati with
// an Italian message on bad parameters or when a file cannot be written; the
// files written so far are then removed.
RiepilogoAlbergo generaAlbergo(const ParametriAlbergo &parametri, const std::string &cartella);

} // namespace pc::demo
