#include "Formati.h"

#include <algorithm>

using pc::dati::Valuta;

namespace pc::analisi {

namespace {

constexpr std::size_t kLarghezza = 100;   // columns of the terminal output

std::size_t caratteri(const std::string &t)
{
    return static_cast<std::size_t>(std::count_if(t.begin(), t.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// One field of the table: its heading and its text for a line's figures.
struct Campo {
    const char *titolo;
    std::function<std::string(const Cifre &)> testo;
};

// Words of a long line over lines of at most kLarghezza columns.
std::string aCapo(const std::string &t)
{
    std::string risultato, linea;
    std::size_t inizio = 0;
    while (inizio <= t.size()) {
        std::size_t fine = t.find(' ', inizio);
        if (fine == std::string::npos) fine = t.size();
        const std::string parola = t.substr(inizio, fine - inizio);
        if (!linea.empty() && caratteri(linea) + 1 + caratteri(parola) > kLarghezza) {
            risultato += linea + '\n';
            linea.clear();
        }
        linea += (linea.empty() ? "" : " ") + parola;
        inizio = fine + 1;
    }
    return risultato + linea + '\n';
}

// Tables of the given lines, as many blocks of fields as the width needs,
// each block starting with the line's name.
std::string tabella(const std::vector<std::pair<std::string, const Cifre *>> &righe, const char *primoTitolo,
                    const std::vector<Campo> &campi)
{
    std::vector<std::vector<std::string>> celle(righe.size());
    std::vector<std::size_t> larghezze(campi.size());
    std::size_t larghezzaNome = caratteri(primoTitolo);
    for (std::size_t r = 0; r < righe.size(); ++r) {
        larghezzaNome = std::max(larghezzaNome, caratteri(righe[r].first));
        for (const Campo &c : campi) celle[r].push_back(c.testo(*righe[r].second));
    }
    for (std::size_t j = 0; j < campi.size(); ++j) {
        larghezze[j] = caratteri(campi[j].titolo);
        for (const auto &x : celle) larghezze[j] = std::max(larghezze[j], caratteri(x[j]));
    }
    std::string t;
    auto cella = [](const std::string &x, std::size_t larghezza, bool sinistra) {
        const std::string spazi(larghezza > caratteri(x) ? larghezza - caratteri(x) : 0, ' ');
        return sinistra ? x + spazi : spazi + x;
    };
    for (std::size_t primo = 0; primo < campi.size();) {
        std::size_t ultimo = primo, larghezza = larghezzaNome;
        while (ultimo < campi.size() && (ultimo == primo || larghezza + 2 + larghezze[ultimo] <= kLarghezza))
            larghezza += 2 + larghezze[ultimo++];
        if (primo > 0) t += '\n';
        auto linea = [&](const std::string &nome, auto campo) {
            std::string l = cella(nome, larghezzaNome, true);
            for (std::size_t j = primo; j < ultimo; ++j) l += "  " + cella(campo(j), larghezze[j], false);
            t += l + '\n';
        };
        linea(primoTitolo, [&](std::size_t j) { return std::string(campi[j].titolo); });
        for (std::size_t r = 0; r < righe.size(); ++r) linea(righe[r].first, [&](std::size_t j) { return celle[r][j]; });
        primo = ultimo;
    }
    return t;
}

} // namespace

std::string conMigliaia(const std::string &numero, char separatoreDecimale)
{
    const char migliaia = separatoreDecimale == ',' ? '.' : ',';
    const std::size_t inizio = numero.find_first_of("0123456789");
    if (inizio == std::string::npos) return numero;
    std::size_t fine = numero.find(separatoreDecimale, inizio);
    if (fine == std::string::npos) fine = numero.size();
    std::string t = numero;
    for (std::size_t k = fine; k > inizio + 3; k -= 3) t.insert(k - 3, 1, migliaia);
    return t;
}

std::string testoRiepilogo(const Riepilogo &r, char sep)
{
    const RichiestaAnalisi &q = r.intestazione.richiesta;
    const bool confronto = q.confronto;
    const bool budget = q.budget && q.periodicita != Periodicita::Giorno;
    auto importo = [sep](Valuta v, int decimali) { return conMigliaia(v.formatta(decimali, sep), sep); };
    auto cifra = [sep](const std::optional<Valuta> &v, int decimali) { return v ? conMigliaia(v->formatta(decimali, sep), sep) : std::string(); };
    std::vector<Campo> campi = {
        {"Disponibili", [&](const Cifre &c) { return conMigliaia(std::to_string(c.disponibili), sep); }},
        {"Vendute", [&](const Cifre &c) { return importo(c.vendute, 0); }},
        {"di cui prenotate", [&](const Cifre &c) { return importo(c.prenotate, 0); }},
        {"Occupazione %", [&](const Cifre &c) { return cifra(occupazione(c.vendute, c.disponibili), 1); }},
        {"Ricavo", [&](const Cifre &c) { return importo(c.ricavo, 2); }},
        {"ADR", [&](const Cifre &c) { return cifra(adr(c.ricavo, c.vendute), 2); }},
        {"RevPAR", [&](const Cifre &c) { return cifra(revpar(c.ricavo, c.disponibili), 2); }},
    };
    if (confronto) {
        const std::vector<Campo> altri = {
            {"Vendute AP", [&](const Cifre &c) { return importo(c.venduteAP, 0); }},
            {"Occupazione % AP", [&](const Cifre &c) { return cifra(occupazione(c.venduteAP, c.disponibiliAP), 1); }},
            {"Ricavo AP", [&](const Cifre &c) { return importo(c.ricavoAP, 2); }},
            {"ADR AP", [&](const Cifre &c) { return cifra(adr(c.ricavoAP, c.venduteAP), 2); }},
            {"RevPAR AP", [&](const Cifre &c) { return cifra(revpar(c.ricavoAP, c.disponibiliAP), 2); }},
            {"Diff. occupazione (punti)", [&](const Cifre &c) { return cifra(puntiOccupazione(c), 1); }},
            {"Var. ADR %", [&](const Cifre &c) { return cifra(variazioneAdr(c), 1); }},
            {"Var. RevPAR %", [&](const Cifre &c) { return cifra(variazioneRevpar(c), 1); }},
            {"Var. ricavo %", [&](const Cifre &c) { return cifra(variazione(c.ricavo, c.ricavoAP), 1); }},
        };
        campi.insert(campi.end(), altri.begin(), altri.end());
    }
    if (budget) {
        const std::vector<Campo> altri = {
            {"Budget vendute", [&](const Cifre &c) { return c.budget ? importo(c.budget->vendute, 0) : std::string(); }},
            {"Budget ricavo", [&](const Cifre &c) { return c.budget ? importo(c.budget->ricavo, 2) : std::string(); }},
            {"Scost. vendute", [&](const Cifre &c) { return cifra(scostamentoVendute(c), 0); }},
            {"Scost. ricavo", [&](const Cifre &c) { return cifra(scostamentoRicavo(c), 2); }},
        };
        campi.insert(campi.end(), altri.begin(), altri.end());
    }

    std::vector<std::pair<std::string, const Cifre *>> righe;
    for (std::size_t k = 0; k < r.totaliColonne.size(); ++k) righe.emplace_back(r.intestazione.colonne[k], &r.totaliColonne[k]);
    righe.emplace_back("Totale albergo", &r.totaleAlbergo);
    std::string t = aCapo(titoloAnalisi(r.intestazione)) + '\n' + tabella(righe, "Colonna", campi);
    // By month or year, the hotel's lines.
    if (q.periodicita != Periodicita::Giorno && !r.righe.empty()) {
        std::vector<std::pair<std::string, const Cifre *>> periodi;
        for (const auto &x : r.righe) periodi.emplace_back(etichetta(q.periodicita, x.periodo), &x.albergo);
        periodi.emplace_back("TOTALE", &r.totaleAlbergo);
        t += "\nTotale albergo per " + std::string(q.periodicita == Periodicita::Mese ? "mese" : "anno") + "\n\n" +
             tabella(periodi, q.periodicita == Periodicita::Mese ? "Mese" : "Anno", campi);
    }
    return t;
}

} // namespace pc::analisi
