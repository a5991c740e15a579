#pragma once

// The hotel industry's figures on top of the statement: rooms sold and their
// revenue (the statement's own Vendite and Produzione figures), rooms
// available, occupancy, ADR and RevPAR, optionally against the same days of
// the year before. Exact: every ratio is computed from the currency values
// with integer arithmetic, rounded half away from zero.

#include "DateReport.h"
#include "Richiesta.h"
#include "Valuta.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pc::dati { class Fonte; }

namespace pc::analisi {

struct RichiestaAnalisi {
    Giorno dalla, alla;
    Raggruppamento raggruppamento = Raggruppamento::TipiCamere;
    bool confronto = false;
    // Where the hotel is read (null: dati::fontePredefinita()). From the
    // central archive the figures are those its import stored; grouping by
    // Strutture (one column per property) needs it.
    std::shared_ptr<dati::Fonte> dati;
};

// Sold, revenue and available rooms of one column (or the whole hotel) for a
// day or the period; the comparison year's figures beside them.
struct Cifre {
    Valuta vendute, ricavo;
    Valuta venduteAP, ricavoAP;
    std::int64_t disponibili = 0;   // room-nights
    Cifre &operator+=(const Cifre &c);
};

// Ratios: nothing where the divisor is zero.
std::optional<Valuta> occupazione(Valuta vendute, std::int64_t disponibili);   // percent, one decimal
std::optional<Valuta> adr(Valuta ricavo, Valuta vendute);                      // two decimals
std::optional<Valuta> revpar(Valuta ricavo, std::int64_t disponibili);         // two decimals
// Change against the year before, in percent with one decimal.
std::optional<Valuta> variazione(Valuta ora, Valuta primaAnno);
std::optional<Valuta> variazioneAdr(const Cifre &c);
std::optional<Valuta> variazioneRevpar(const Cifre &c);
// Points of occupancy (this year's rounded figure minus last year's).
std::optional<Valuta> puntiOccupazione(const Cifre &c);

// The day one year earlier; 29 February gives 28 February.
Giorno annoPrima(Giorno g);

struct Intestazione {
    RichiestaAnalisi richiesta;
    std::vector<std::string> colonne;          // the grouping's keys, as the statement's columns
    std::vector<std::int64_t> disponibili;     // rooms of each column
    std::int64_t camereAlbergo = 0;            // rooms of the hotel's room list
    long giorni = 0;
};

// Receives the figures as they are computed: the days in order, then the
// period totals. The hotel's figures are the sums of the columns.
class Destinatario {
public:
    virtual ~Destinatario() = default;
    virtual void inizio(const Intestazione &i) = 0;
    virtual void giorno(Giorno g, const Cifre *colonne, const Cifre &albergo) = 0;
    virtual void fine(const Cifre *colonne, const Cifre &albergo) = 0;
};

// Progress: days done, days in all.
using Avanzamento = std::function<void(long, long)>;

// Reads the hotel in the working directory (and the history under DIRKV) and
// hands every day's figures to d, a block of days at a time: memory does not
// grow with the period beyond what d keeps. Throws ErroreDati with an Italian
// message when a source cannot be read.
void calcola(const RichiestaAnalisi &r, Destinatario &d, const Avanzamento &avanzamento = {});

// Keeps what the window, the summary and the PDF show: the hotel's figures of
// every day and the period totals of every column.
class Riepilogo : public Destinatario {
public:
    Intestazione intestazione;
    std::vector<Giorno> date;
    std::vector<Cifre> albergoPerGiorno;
    std::vector<Cifre> totaliColonne;
    Cifre totaleAlbergo;

    void inizio(const Intestazione &i) override;
    void giorno(Giorno g, const Cifre *colonne, const Cifre &albergo) override;
    void fine(const Cifre *colonne, const Cifre &albergo) override;
};

// Several receivers fed by one computation.
class Ripartitore : public Destinatario {
public:
    explicit Ripartitore(std::vector<Destinatario *> d) : m_d(std::move(d)) {}
    void inizio(const Intestazione &i) override { for (auto *d : m_d) d->inizio(i); }
    void giorno(Giorno g, const Cifre *c, const Cifre &a) override { for (auto *d : m_d) d->giorno(g, c, a); }
    void fine(const Cifre *c, const Cifre &a) override { for (auto *d : m_d) d->fine(c, a); }

private:
    std::vector<Destinatario *> m_d;
};

// "camere", "tipi", "macro" and back; the grouping's name in titles.
std::optional<Raggruppamento> raggruppamentoDaNome(const std::string &nome);
const char *nomeRaggruppamento(Raggruppamento r);
const char *titoloRaggruppamento(Raggruppamento r);   // "Tipi camere", ...

// The default output file: "analisi" + PCLocal + estensione (".csv", ...).
std::string nomeFileAnalisi(const std::string &estensione);

// A figure as text with the given decimals and separator; empty when absent.
std::string testoCifra(const std::optional<Valuta> &v, int decimali, char separatore);

} // namespace pc::analisi
