// The one place where the summary asks the analysis for its figures.

#include "RiepilogoGiorno.h"

#include "Analisi.h"

#include <unordered_map>

namespace pc::posta {

namespace {

// Adds the analysis's day figures into the periods whose days they fall in.
class Raccolta : public analisi::Destinatario {
public:
    struct Intervallo {
        Giorno dal, al;
        Misure *albergo;
        std::vector<Misure> *colonne;
    };
    explicit Raccolta(std::vector<Intervallo> intervalli) : m_intervalli(std::move(intervalli)) {}

    std::vector<std::string> colonne;

    void inizio(const analisi::Intestazione &i) override
    {
        colonne = i.colonne;
        for (auto &x : m_intervalli) x.colonne->assign(colonne.size(), Misure{});
    }
    void giorno(Giorno g, const analisi::Cifre *c, const analisi::Cifre &albergo) override
    {
        for (auto &x : m_intervalli) {
            if (g < x.dal || g > x.al) continue;
            aggiungi(*x.albergo, albergo);
            for (std::size_t k = 0; k < colonne.size(); ++k) aggiungi((*x.colonne)[k], c[k]);
        }
    }
    void fine(const analisi::Cifre *, const analisi::Cifre &) override {}

private:
    static void aggiungi(Misure &m, const analisi::Cifre &c)
    {
        m.vendute += c.vendute;
        m.ricavo += c.ricavo;
        m.disponibili += c.disponibili;
    }
    std::vector<Intervallo> m_intervalli;
};

} // namespace

RiepilogoGiorno calcolaRiepilogo(Giorno g, Raggruppamento r)
{
    RiepilogoGiorno s;
    s.giorno = g;
    s.raggruppamento = r;
    const char *nomi[3] = {"Giorno", "Mese", "Anno"};
    const Giorno inizi[3] = {g, Giorno::da(g.anno(), g.mese(), 1), Giorno::da(g.anno(), 1, 1)};
    const Giorno gAP = analisi::annoPrima(g);
    const Giorno iniziAP[3] = {gAP, Giorno::da(gAP.anno(), gAP.mese(), 1), Giorno::da(gAP.anno(), 1, 1)};
    std::vector<Raccolta::Intervallo> ora, prima;
    for (int p = 0; p < 3; ++p) {
        Periodo &x = s.periodi[p];
        x.nome = nomi[p];
        x.dal = inizi[p];
        x.al = g;
        x.dalAP = iniziAP[p];
        x.alAP = gAP;
        ora.push_back({x.dal, x.al, &x.albergo, &x.colonne});
        prima.push_back({x.dalAP, x.alAP, &x.albergoAP, &x.colonneAP});
    }
    // This year's days, then last year's: each day of either period once.
    Raccolta raccoltaOra(ora), raccoltaPrima(prima);
    analisi::calcola(analisi::RichiestaAnalisi{inizi[2], g, r, false}, raccoltaOra);
    analisi::calcola(analisi::RichiestaAnalisi{iniziAP[2], gAP, r, false}, raccoltaPrima);
    s.colonne = raccoltaOra.colonne;
    if (raccoltaPrima.colonne != s.colonne) {
        // Last year's figures follow this year's columns by name.
        std::unordered_map<std::string, std::size_t> indice;
        for (std::size_t k = 0; k < raccoltaPrima.colonne.size(); ++k) indice.emplace(raccoltaPrima.colonne[k], k);
        for (auto &x : s.periodi) {
            std::vector<Misure> allineate(s.colonne.size());
            for (std::size_t k = 0; k < s.colonne.size(); ++k)
                if (auto it = indice.find(s.colonne[k]); it != indice.end()) allineate[k] = x.colonneAP[it->second];
            x.colonneAP = std::move(allineate);
        }
    }
    return s;
}

std::optional<Valuta> occupazioneDi(const Misure &m) { return analisi::occupazione(m.vendute, m.disponibili); }
std::optional<Valuta> adrDi(const Misure &m) { return analisi::adr(m.ricavo, m.vendute); }
std::optional<Valuta> revparDi(const Misure &m) { return analisi::revpar(m.ricavo, m.disponibili); }

std::optional<Valuta> variazioneVendute(const Misure &ora, const Misure &ap) { return analisi::variazione(ora.vendute, ap.vendute); }
std::optional<Valuta> variazioneRicavo(const Misure &ora, const Misure &ap) { return analisi::variazione(ora.ricavo, ap.ricavo); }

std::optional<Valuta> variazioneAdr(const Misure &ora, const Misure &ap)
{
    analisi::Cifre c;
    c.vendute = ora.vendute;
    c.ricavo = ora.ricavo;
    c.venduteAP = ap.vendute;
    c.ricavoAP = ap.ricavo;
    return analisi::variazioneAdr(c);
}

std::optional<Valuta> variazioneRevpar(const Misure &ora, const Misure &ap)
{
    // RevPAR is revenue over room-nights as ADR is revenue over rooms sold:
    // the same exact change, with the room-nights of each period (a month
    // to 29 February has a night more than last year's).
    if (ora.disponibili == 0 || ap.disponibili == 0) return std::nullopt;
    analisi::Cifre c;
    c.vendute = Valuta::daIntero(ora.disponibili);
    c.ricavo = ora.ricavo;
    c.venduteAP = Valuta::daIntero(ap.disponibili);
    c.ricavoAP = ap.ricavo;
    return analisi::variazioneAdr(c);
}

std::optional<Valuta> puntiOccupazione(const Misure &ora, const Misure &ap)
{
    const auto a = occupazioneDi(ora), b = occupazioneDi(ap);
    if (!a || !b) return std::nullopt;
    return Valuta::daGrezzo(a->grezzo() - b->grezzo());
}

} // namespace pc::posta
