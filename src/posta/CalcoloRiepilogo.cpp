// The one place where the summary asks the analysis for its figures.

#include "RiepilogoGiorno.h"

#include "Analisi.h"

using pc::dati::Valuta;

namespace pc::posta {

namespace {

Misure misure(const analisi::Cifre &c, bool annoPrima)
{
    return annoPrima ? Misure{c.venduteAP, c.ricavoAP, c.disponibiliAP} : Misure{c.vendute, c.ricavo, c.disponibili};
}

// A period and last year's, as the analysis's comparison functions take them.
analisi::Cifre cifre(const Misure &ora, const Misure &ap)
{
    analisi::Cifre c;
    c.vendute = ora.vendute;
    c.ricavo = ora.ricavo;
    c.disponibili = ora.disponibili;
    c.venduteAP = ap.vendute;
    c.ricavoAP = ap.ricavo;
    c.disponibiliAP = ap.disponibili;
    return c;
}

} // namespace

RiepilogoGiorno calcolaRiepilogo(Giorno g, Raggruppamento r)
{
    RiepilogoGiorno s;
    s.giorno = g;
    s.raggruppamento = r;
    const char *nomi[3] = {"Giorno", "Mese", "Anno"};
    const std::vector<analisi::Periodo> periodi = {{g, g}, {Giorno::da(g.anno(), g.mese(), 1), g}, {Giorno::da(g.anno(), 1, 1), g}};
    // One reading for the three periods and last year's, each day of those once.
    const analisi::CifreConAnnoPrecedente c = analisi::cifreConAnnoPrecedente(periodi, r);
    s.colonne = c.colonne;
    for (int p = 0; p < 3; ++p) {
        const analisi::CifreDiPeriodo &x = c.periodi[static_cast<std::size_t>(p)];
        Periodo &y = s.periodi[p];
        y.nome = nomi[p];
        y.dal = x.periodo.dalla;
        y.al = x.periodo.alla;
        y.dalAP = x.precedente.dalla;
        y.alAP = x.precedente.alla;
        y.albergo = misure(x.albergo, false);
        y.albergoAP = misure(x.albergo, true);
        for (const analisi::Cifre &k : x.colonne) {
            y.colonne.push_back(misure(k, false));
            y.colonneAP.push_back(misure(k, true));
        }
    }
    return s;
}

std::optional<Valuta> occupazioneDi(const Misure &m) { return analisi::occupazione(m.vendute, m.disponibili); }
std::optional<Valuta> adrDi(const Misure &m) { return analisi::adr(m.ricavo, m.vendute); }
std::optional<Valuta> revparDi(const Misure &m) { return analisi::revpar(m.ricavo, m.disponibili); }

std::optional<Valuta> variazioneVendute(const Misure &ora, const Misure &ap) { return analisi::variazione(ora.vendute, ap.vendute); }
std::optional<Valuta> variazioneRicavo(const Misure &ora, const Misure &ap) { return analisi::variazione(ora.ricavo, ap.ricavo); }
std::optional<Valuta> variazioneAdr(const Misure &ora, const Misure &ap) { return analisi::variazioneAdr(cifre(ora, ap)); }
std::optional<Valuta> variazioneRevpar(const Misure &ora, const Misure &ap) { return analisi::variazioneRevpar(cifre(ora, ap)); }
std::optional<Valuta> puntiOccupazione(const Misure &ora, const Misure &ap) { return analisi::puntiOccupazione(cifre(ora, ap)); }

} // namespace pc::posta
