#pragma once

// The hotel industry's figures on top of the statement: rooms sold and their
// revenue (the statement's own Vendite and Produzione figures), the part of
// the rooms sold that are bookings not yet arrived, rooms available,
// occupancy, ADR and RevPAR, optionally against the year before and a budget.
// Exact: every ratio is computed from the currency values with integer
// arithmetic, rounded half away from zero.

#include "DateReport.h"
#include "Raggruppamenti.h"
#include "Richiesta.h"
#include "Valuta.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pc::dati { class Fonte; }

namespace pc::analisi {

// ------------------------------------------------- periods and last year

// A run of consecutive days, both ends included.
struct Periodo {
    Giorno dalla, alla;
    long giorni() const { return alla >= dalla ? alla.seriale - dalla.seriale + 1 : 0; }
    friend bool operator==(const Periodo &, const Periodo &) = default;
};

// What a day or a period is compared with: the same date a year earlier
// (29 February gives 28 February) or the same weekday 364 days earlier.
enum class ModoConfronto { Data, Settimana };

// The day a day line is compared with.
Giorno giornoPrecedente(Giorno g, ModoConfronto m);
// The period a period is compared with, each of its days once, as last
// year's own statement of it gives it: by date from the day compared with
// the first day to the one compared with the last, a period ending on
// 28 February reaching 29 February of a leap year before it (February 2012
// against the 28 days of February 2011, February 2025 against the 29 of
// February 2024); by weekday, the period 364 days earlier.
Periodo periodoPrecedente(const Periodo &p, ModoConfronto m);

// Sold, revenue, booked and available rooms of one column (or the whole
// hotel) for a day or a period; the comparison period's figures beside them.
struct VoceBudget {
    dati::Valuta vendute, ricavo;
};

struct Cifre {
    dati::Valuta vendute, ricavo;
    dati::Valuta prenotate;                 // the part of vendute that are bookings not yet arrived
    dati::Valuta venduteAP, ricavoAP, prenotateAP;
    std::int64_t disponibili = 0;     // room-nights
    std::int64_t disponibiliAP = 0;   // room-nights of the comparison period
    // Day lines only: the day (or the day compared with) comes before the
    // first day the hotel's data record anything.
    bool mancante = false, mancanteAP = false;
    // With a budget: a month's (its share for part of a month); a year's or the
    // period's, the sum of its months' when each of them has one.
    std::optional<VoceBudget> budget;

    // Sums the figures (not the marks nor the budget).
    Cifre &operator+=(const Cifre &c);
    // Mostly bookings: more than half of the rooms sold are not yet arrived.
    bool inPrenotazione() const;
};

// The figures of each period and of its previous-year period, each day once,
// by column (the grouping's keys, as the statement's columns) and for the
// hotel: what the morning summary and the analysis's month and year lines
// compare. Reads the hotel in the working directory (history under DIRKV)
// once for all the periods; throws ErroreDati with an Italian message.
struct CifreDiPeriodo {
    Periodo periodo, precedente;
    std::vector<Cifre> colonne;
    Cifre albergo;
};
struct CifreConAnnoPrecedente {
    std::vector<std::string> colonne;
    std::vector<std::int64_t> camere;   // rooms of each column
    std::int64_t camereAlbergo = 0;
    std::vector<CifreDiPeriodo> periodi;   // in the order asked
};
CifreConAnnoPrecedente cifreConAnnoPrecedente(const std::vector<Periodo> &periodi, Raggruppamento r,
                                              ModoConfronto m = ModoConfronto::Data);

// ------------------------------------------------------------------ ratios

// Ratios: nothing where the divisor is zero.
std::optional<dati::Valuta> occupazione(dati::Valuta vendute, std::int64_t disponibili);   // percent, one decimal
std::optional<dati::Valuta> adr(dati::Valuta ricavo, dati::Valuta vendute);                      // two decimals
std::optional<dati::Valuta> revpar(dati::Valuta ricavo, std::int64_t disponibili);         // two decimals
// Change against the year before, in percent with one decimal.
std::optional<dati::Valuta> variazione(dati::Valuta ora, dati::Valuta primaAnno);
std::optional<dati::Valuta> variazioneAdr(const Cifre &c);
std::optional<dati::Valuta> variazioneRevpar(const Cifre &c);
// Points of occupancy: this year's exact occupancy minus last year's, one decimal.
std::optional<dati::Valuta> puntiOccupazione(const Cifre &c);
// Actual minus budget; nothing without a budget.
std::optional<dati::Valuta> scostamentoVendute(const Cifre &c);
std::optional<dati::Valuta> scostamentoRicavo(const Cifre &c);

// The day one year earlier; 29 February gives 28 February.
Giorno annoPrima(Giorno g);

// ------------------------------------------------------------------ budget

// Sold rooms and revenue planned per month and column ("Totale albergo" for
// the hotel; without such a line, the hotel's budget of a month is the sum of
// its columns').
class Budget {
public:
    // Reads "Mese;Colonna;Vendute;Ricavo" lines (mese "mm/aaaa", decimal
    // comma, UTF-8 or Windows-1252; a first line naming the fields and blank
    // lines are skipped). Throws ErroreDati naming the line of a malformed one.
    static Budget leggi(const std::string &contenuto);
    // Reads the file; ErroreDati when it cannot be read or is malformed.
    static Budget leggiFile(const std::string &percorso);

    // The budget of the days [dalla, alla] of one month for a column (or the
    // hotel when colonna is null): the month's budget, or the share of its
    // days when the period holds only part of the month.
    std::optional<VoceBudget> voce(const Periodo &giorniDelMese, const std::string *colonna) const;
    bool vuoto() const { return m_mesi.empty(); }

private:
    struct Mese {
        std::map<std::string, VoceBudget> colonne;
        std::optional<VoceBudget> albergo;
    };
    std::map<int, Mese> m_mesi;   // by year * 12 + month - 1
};

// ---------------------------------------------------------- the computation

enum class Periodicita { Giorno, Mese, Anno };

struct RichiestaAnalisi {
    RichiestaAnalisi() = default;
    RichiestaAnalisi(Giorno dalla, Giorno alla, Raggruppamento r, bool confronto, ModoConfronto modo = ModoConfronto::Data,
                     Periodicita periodicita = Periodicita::Giorno, std::shared_ptr<const Budget> budget = {})
        : dalla(dalla), alla(alla), raggruppamento(r), confronto(confronto), modoConfronto(modo), periodicita(periodicita),
          budget(std::move(budget))
    {
    }

    Giorno dalla, alla;
    Raggruppamento raggruppamento = Raggruppamento::TipiCamere;
    bool confronto = false;
    ModoConfronto modoConfronto = ModoConfronto::Data;
    Periodicita periodicita = Periodicita::Giorno;
    std::shared_ptr<const Budget> budget;
    // Where the hotel is read (null: dati::fontePredefinita()). From the
    // central archive the figures are those its import stored; grouping by
    // Strutture (one column per property) needs it.
    std::shared_ptr<dati::Fonte> dati;
};

struct Intestazione {
    RichiestaAnalisi richiesta;
    std::vector<std::string> colonne;          // the grouping's keys, as the statement's columns
    std::vector<std::int64_t> disponibili;     // rooms of each column
    std::int64_t camereAlbergo = 0;            // rooms of the hotel's room list
    long giorni = 0;
    Periodo precedente;                        // the comparison period, with the comparison
};

// Receives the figures as they are computed: the days in order, each month
// and year of the period once its last day is done (the part of it within
// the period), then the period totals. The hotel's figures are the sums of
// the columns'.
class Destinatario {
public:
    virtual ~Destinatario() = default;
    virtual void inizio(const Intestazione &i) = 0;
    virtual void giorno(Giorno g, const Cifre *colonne, const Cifre &albergo) = 0;
    virtual void periodo(Periodicita, const Periodo &, const Cifre *, const Cifre &) {}
    virtual void fine(const Cifre *colonne, const Cifre &albergo) = 0;
};

// Progress: days done, days in all.
using Avanzamento = std::function<void(long, long)>;

// Reads the hotel in the working directory (and the history under DIRKV) and
// hands every day's figures to d, a block of days at a time: memory does not
// grow with the period beyond what d keeps. Throws ErroreDati with an Italian
// message when a source cannot be read.
void calcola(const RichiestaAnalisi &r, Destinatario &d, const Avanzamento &avanzamento = {});

// The lines of a period as the request's periodicity groups them.
struct RigaPeriodo {
    Periodo periodo;
    std::vector<Cifre> colonne;
    Cifre albergo;
};

// "gg/mm/aaaa", "mm/aaaa" or "aaaa": how a line of the periodicity is named.
std::string etichetta(Periodicita p, const Periodo &periodo);

// Keeps what the window, the summary and the PDF show: the hotel's figures of
// every day, the lines of the request's periodicity, the period totals of
// every column and, when asked, every column's days.
class Riepilogo : public Destinatario {
public:
    explicit Riepilogo(bool conColonneDelGiorno = false) : m_conColonne(conColonneDelGiorno) {}

    Intestazione intestazione;
    std::vector<Giorno> date;
    std::vector<Cifre> albergoPerGiorno;
    std::vector<Cifre> colonnePerGiorno;   // day-major, with conColonneDelGiorno
    std::vector<RigaPeriodo> righe;        // days (the hotel alone), months or years as asked
    std::vector<Cifre> totaliColonne;
    Cifre totaleAlbergo;

    // The figures of column k (the hotel for k == number of columns) on day d
    // (columns with conColonneDelGiorno only).
    const Cifre &delGiorno(std::size_t d, std::size_t k) const;
    // The same for a line of righe; nothing for a column of a day line
    // without conColonneDelGiorno.
    const Cifre *dellaRiga(std::size_t riga, std::size_t k) const;
    bool conColonneDelGiorno() const { return m_conColonne; }

    void inizio(const Intestazione &i) override;
    void giorno(Giorno g, const Cifre *colonne, const Cifre &albergo) override;
    void periodo(Periodicita p, const Periodo &periodo, const Cifre *colonne, const Cifre &albergo) override;
    void fine(const Cifre *colonne, const Cifre &albergo) override;

private:
    bool m_conColonne;
};

// Several receivers fed by one computation.
class Ripartitore : public Destinatario {
public:
    explicit Ripartitore(std::vector<Destinatario *> d) : m_d(std::move(d)) {}
    void inizio(const Intestazione &i) override { for (auto *d : m_d) d->inizio(i); }
    void giorno(Giorno g, const Cifre *c, const Cifre &a) override { for (auto *d : m_d) d->giorno(g, c, a); }
    void periodo(Periodicita p, const Periodo &q, const Cifre *c, const Cifre &a) override { for (auto *d : m_d) d->periodo(p, q, c, a); }
    void fine(const Cifre *c, const Cifre &a) override { for (auto *d : m_d) d->fine(c, a); }

private:
    std::vector<Destinatario *> m_d;
};

// "giorno", "mese", "anno" and back.
std::optional<Periodicita> periodicitaDaNome(const std::string &nome);
const char *nomePeriodicita(Periodicita p);

// The title line of the analysis: period, grouping and, with the comparison,
// the comparison period.
std::string titoloAnalisi(const Intestazione &i);

// The default output file: "analisi" + PCLocal + estensione (".csv", ...).
std::string nomeFileAnalisi(const std::string &estensione);

// A figure as text with the given decimals and separator; empty when absent.
std::string testoCifra(const std::optional<dati::Valuta> &v, int decimali, char separatore);

} // namespace pc::analisi
