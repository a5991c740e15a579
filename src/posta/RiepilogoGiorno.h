#pragma once

// The morning summary of one day: the day, the month to that day and the
// year to that day, each beside the same period a year earlier (every day of
// last year's period counted once), for the whole hotel and for each column
// of the grouping. The figures come from the analysis; here they are only
// laid out (csv, terminal text, HTML).

#include "DateReport.h"
#include "Richiesta.h"
#include "Valuta.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pc::posta {

struct Misure {
    dati::Valuta vendute, ricavo;
    std::int64_t disponibili = 0;   // room-nights
};

struct Periodo {
    std::string nome;               // "Giorno", "Mese", "Anno"
    Giorno dal, al, dalAP, alAP;
    Misure albergo, albergoAP;
    std::vector<Misure> colonne, colonneAP;   // as RiepilogoGiorno::colonne
};

struct RiepilogoGiorno {
    Giorno giorno;
    Raggruppamento raggruppamento = Raggruppamento::TipiCamere;
    std::vector<std::string> colonne;
    Periodo periodi[3];
};

// The three periods ending on g and their comparison (CalcoloRiepilogo.cpp,
// the one place that asks the analysis). Throws ErroreDati.
RiepilogoGiorno calcolaRiepilogo(Giorno g, Raggruppamento r);

// The ratios of one set of figures, as the analysis computes them.
std::optional<dati::Valuta> occupazioneDi(const Misure &m);
std::optional<dati::Valuta> adrDi(const Misure &m);
std::optional<dati::Valuta> revparDi(const Misure &m);
// Changes against last year: percent (one decimal), occupancy in points.
std::optional<dati::Valuta> variazioneVendute(const Misure &ora, const Misure &ap);
std::optional<dati::Valuta> variazioneRicavo(const Misure &ora, const Misure &ap);
std::optional<dati::Valuta> variazioneAdr(const Misure &ora, const Misure &ap);
std::optional<dati::Valuta> variazioneRevpar(const Misure &ora, const Misure &ap);
std::optional<dati::Valuta> puntiOccupazione(const Misure &ora, const Misure &ap);

// UTF-8, ";", decimal comma, CR LF: the hotel's three lines, then (with
// perColonna) one line per column and period ("Giorno DBL").
std::string csvRiepilogo(const RiepilogoGiorno &r, bool perColonna);
// The hotel's figures as a table for a terminal or a plain-text mail.
std::string testoRiepilogo(const RiepilogoGiorno &r, const std::string &nome, char separatore);
// A whole HTML page: tiles per period with the changes coloured, inline
// styles and tables only (webmail clients drop style sheets), no images.
std::string htmlRiepilogo(const RiepilogoGiorno &r, const std::string &nome);

// "lunedì 9 marzo 2026".
std::string giornoEsteso(Giorno g);

} // namespace pc::posta
