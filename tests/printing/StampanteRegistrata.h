#pragma once

// A printer that records what the print asks of it, both as a flat log of
// operations and as pages of lines of segments (text with the font, size and
// bold it was printed in).

#include "OperazioniStampante.h"

#include <string>
#include <vector>

namespace pc::prova {

struct Segmento {
    std::string testo;   // Windows-1252 bytes
    std::string font;
    double dimensione = 0;
    bool grassetto = false;
};
using RigaStampata = std::vector<Segmento>;

struct PaginaStampata {
    stampa::Orientamento orientamento = stampa::Orientamento::Verticale;
    std::vector<RigaStampata> righe;
};

class StampanteRegistrata : public stampa::OperazioniStampante {
public:
    std::vector<std::string> operazioni;
    std::vector<PaginaStampata> pagine;
    std::string stampanteScelta;
    bool fronteRetro = false;
    bool finito = false;
    stampa::Orientamento orientamento = stampa::Orientamento::Verticale;

    void scegliStampante(const std::string &nome) override
    {
        stampanteScelta = nome;
        operazioni.push_back("stampante " + nome);
    }
    void impostaFronteRetro() override
    {
        fronteRetro = true;
        operazioni.push_back("fronte-retro");
    }
    void impostaOrientamento(stampa::Orientamento o) override
    {
        orientamento = o;
        operazioni.push_back(o == stampa::Orientamento::Orizzontale ? "orientamento 2" : "orientamento 1");
    }
    void impostaFont(const std::string &nome) override
    {
        m_font = nome;
        operazioni.push_back("font " + nome);
    }
    void impostaDimensione(double punti) override
    {
        m_dimensione = punti;
        operazioni.push_back("dimensione " + std::to_string(punti));
    }
    double dimensione() const override { return m_dimensione; }
    void impostaGrassetto(bool g) override
    {
        m_grassetto = g;
        operazioni.push_back(g ? "grassetto si" : "grassetto no");
    }
    void scrivi(std::string_view testo, bool fineRiga) override
    {
        if (pagine.empty()) pagine.push_back({orientamento, {}});
        operazioni.push_back("scrivi \"" + std::string(testo) + (fineRiga ? "\" a capo" : "\""));
        m_riga.push_back({std::string(testo), m_font, m_dimensione, m_grassetto});
        if (fineRiga) {
            pagine.back().righe.push_back(std::move(m_riga));
            m_riga.clear();
        }
    }
    void nuovaPagina() override
    {
        if (pagine.empty()) pagine.push_back({orientamento, {}});
        operazioni.push_back("nuova pagina");
        pagine.push_back({orientamento, {}});
    }
    void fineDocumento() override
    {
        finito = true;
        operazioni.push_back("fine documento");
    }

    // The text of a printed line, segments joined.
    static std::string testo(const RigaStampata &r)
    {
        std::string t;
        for (const auto &s : r) t += s.testo;
        return t;
    }

private:
    std::string m_font;
    double m_dimensione = 0;
    bool m_grassetto = false;
    RigaStampata m_riga;
};

} // namespace pc::prova
