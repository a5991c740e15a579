#include "Formati.h"

#include <algorithm>

namespace pc::analisi {

namespace {

std::size_t caratteri(const std::string &t)
{
    return static_cast<std::size_t>(std::count_if(t.begin(), t.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

} // namespace

std::string testoRiepilogo(const Riepilogo &r, char sep)
{
    const bool confronto = r.intestazione.richiesta.confronto;
    std::vector<std::string> titoli = {"Colonna", "Disponibili", "Vendute", "Occupazione %", "Ricavo", "ADR", "RevPAR"};
    if (confronto) {
        for (const char *t : {"Vendute AP", "Occupazione % AP", "Ricavo AP", "ADR AP", "RevPAR AP",
                              "Diff. occupazione (punti)", "Var. ADR %", "Var. RevPAR %", "Var. ricavo %"})
            titoli.emplace_back(t);
    }
    std::vector<std::vector<std::string>> righe;
    auto aggiungi = [&](const std::string &nome, const Cifre &c) {
        std::vector<std::string> x = {nome,
                                      std::to_string(c.disponibili),
                                      c.vendute.formatta(0, sep),
                                      testoCifra(occupazione(c.vendute, c.disponibili), 1, sep),
                                      c.ricavo.formatta(2, sep),
                                      testoCifra(adr(c.ricavo, c.vendute), 2, sep),
                                      testoCifra(revpar(c.ricavo, c.disponibili), 2, sep)};
        if (confronto) {
            x.push_back(c.venduteAP.formatta(0, sep));
            x.push_back(testoCifra(occupazione(c.venduteAP, c.disponibili), 1, sep));
            x.push_back(c.ricavoAP.formatta(2, sep));
            x.push_back(testoCifra(adr(c.ricavoAP, c.venduteAP), 2, sep));
            x.push_back(testoCifra(revpar(c.ricavoAP, c.disponibili), 2, sep));
            x.push_back(testoCifra(puntiOccupazione(c), 1, sep));
            x.push_back(testoCifra(variazioneAdr(c), 1, sep));
            x.push_back(testoCifra(variazioneRevpar(c), 1, sep));
            x.push_back(testoCifra(variazione(c.ricavo, c.ricavoAP), 1, sep));
        }
        righe.push_back(std::move(x));
    };
    for (std::size_t k = 0; k < r.totaliColonne.size(); ++k) aggiungi(r.intestazione.colonne[k], r.totaliColonne[k]);
    aggiungi("Totale albergo", r.totaleAlbergo);

    std::vector<std::size_t> larghezze(titoli.size());
    for (std::size_t j = 0; j < titoli.size(); ++j) {
        larghezze[j] = caratteri(titoli[j]);
        for (const auto &x : righe) larghezze[j] = std::max(larghezze[j], caratteri(x[j]));
    }
    std::string t = "Analisi produzione camere dal " + r.intestazione.richiesta.dalla.ggmmaaaa() + " al " +
                    r.intestazione.richiesta.alla.ggmmaaaa() + " - " + titoloRaggruppamento(r.intestazione.richiesta.raggruppamento);
    if (confronto)
        t += " - confronto con il " + annoPrima(r.intestazione.richiesta.dalla).ggmmaaaa() + " - " +
             annoPrima(r.intestazione.richiesta.alla).ggmmaaaa();
    t += "\n\n";
    auto linea = [&](const std::vector<std::string> &x) {
        for (std::size_t j = 0; j < x.size(); ++j) {
            const std::string spazi(larghezze[j] - caratteri(x[j]), ' ');
            if (j == 0) t += x[j] + spazi;
            else t += "  " + spazi + x[j];
        }
        t += '\n';
    };
    linea(titoli);
    for (const auto &x : righe) linea(x);
    return t;
}

} // namespace pc::analisi
