#include "StampaReport.h"

#include "ConvertiBordi.h"
#include "Converti2.h"
#include "ErroreDati.h"
#include "ScritturaFile.h"
#include "StampanteQt.h"
#include "Testo.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>

using pc::anteprima::ConvertiBordi;
using pc::dati::ErroreDati;
using pc::dati::controllaFileDaLeggere;
using pc::dati::scriviDispositivo;

namespace pc::stampa {

namespace {

constexpr char Grassetto = '\xE7';   // "ç" in Windows-1252: switches bold on and off
constexpr double PassoGrassetto = 0.4;

bool contiene(const std::string &codice, char lettera) { return codice.find(lettera) != std::string::npos; }

// Sizes are kept to the hundredth of a point, so that lowering and raising by
// 0.4 gives back exactly the size it started from.
double alCentesimo(double punti) { return std::round(punti * 100.0) / 100.0; }

// The system-printer path. A page is started only when something is to be
// printed on it: a full page, or a form-feed line, closes the page, and the
// next line opens the new one with its heading and top margin. So a report
// that fills its last page exactly leaves no blank sheet, and a form feed
// gives one page break.
int stampaSuStampante(const ImpostazioniStampa &imp, const SceltaStampa &scelta, const std::string &codice,
                      const std::vector<std::string> &righe, OperazioniStampante &st)
{
    st.scegliStampante(imp.dispositivo);
    if (scelta.fronteRetro) st.impostaFronteRetro();
    const Orientamento orientamento = scelta.orizzontale ? Orientamento::Orizzontale : Orientamento::Verticale;
    st.impostaOrientamento(orientamento);
    const double dimensione = scelta.compressa ? imp.C[0] : imp.C[6];
    const bool converti = !contiene(codice, 'K');

    int contatore = 0;
    auto intestazione = [&] {
        st.impostaFont("Times New Roman");
        st.impostaDimensione(imp.C[0]);
        st.scrivi(" ", true);
        st.impostaFont(imp.font);
    };
    auto margine = [&] {
        for (int i = 0; i < imp.margineAlto; ++i) st.scrivi(" ", true);
        contatore += imp.margineAlto;
    };

    intestazione();
    margine();
    st.impostaDimensione(dimensione);
    int pagine = 1;
    bool paginaChiusa = false;

    for (const std::string &originale : righe) {
        std::string riga = originale;
        if (converti) Converti2(riga);
        if (riga == "\f") {
            paginaChiusa = true;
            continue;
        }
        if (paginaChiusa) {
            st.nuovaPagina();
            ++pagine;
            st.impostaOrientamento(orientamento);
            intestazione();
            st.impostaDimensione(dimensione);
            contatore = 0;
            margine();
            paginaChiusa = false;
        }
        StampaLaser(riga, st);
        ++contatore;
        if (contatore >= imp.lunghezzaPagina) paginaChiusa = true;
    }
    st.fineDocumento();
    if (scelta.orizzontale) st.impostaOrientamento(Orientamento::Verticale);
    return pagine;
}

} // namespace

void StampaLaser(const std::string &testo, OperazioniStampante &st)
{
    bool grassetto = false;
    std::string sospeso;
    for (char c : testo) {
        if (c != Grassetto) {
            sospeso += c;
            continue;
        }
        st.scrivi(sospeso, false);
        sospeso.clear();
        if (!grassetto) {
            // Every line with an odd number of markers leaves the size 0.4
            // point lower: a report full of stray markers would end at no
            // size at all, which is the report's fault, not the settings'.
            const double minore = alCentesimo(st.dimensione() - PassoGrassetto);
            if (!(minore > 0.0))
                throw ErroreDati("Il report contiene troppi segni di grassetto (il carattere \"\xC3\xA7\", byte 231) senza "
                                 "chiusura: ogni riga con un numero dispari di segni riduce il carattere di 0,4 punti e la "
                                 "dimensione scenderebbe a zero. Il report contiene byte estranei: rifare la stampa della "
                                 "produzione. Nulla \xC3\xA8 stato stampato.");
            st.impostaDimensione(minore);
            st.impostaGrassetto(true);
        } else {
            st.impostaDimensione(alCentesimo(st.dimensione() + PassoGrassetto));
            st.impostaGrassetto(false);
        }
        grassetto = !grassetto;
    }
    st.scrivi(sospeso, true);
}

std::string preparaStampaGrezza(const ImpostazioniStampa &imp, const SceltaStampa &scelta, const std::string &codice,
                                const std::vector<std::string> &righe, int *pagine)
{
    std::string out;
    const std::size_t primo = scelta.compressa ? 0 : 6;
    for (std::size_t k = primo; k < primo + 5; ++k) {
        const long long b = arrotondaPari(imp.C[k]);
        if (b < 0 || b > 255)
            throw ErroreDati("Il byte di avvio C" + std::to_string(k + 1) + " = " + std::to_string(b) + " del tipo di stampa " +
                             std::to_string(imp.tipoStampa) + " (campo Compresso della tabella SetStampa) non \xC3\xA8 tra 0 e 255.");
        out += static_cast<char>(static_cast<unsigned char>(b));
    }

    const bool converti = !contiene(codice, 'K');
    const bool riempi = contiene(codice, 'U');
    int contatore = 0;
    int numeroPagine = 1;
    auto margine = [&] {
        for (int i = 0; i < imp.margineAlto; ++i) out += " \r\n";
        contatore += imp.margineAlto;
    };
    auto finePagina = [&] {
        if (!riempi) {
            out += '\f';
        } else {
            for (; contatore < imp.lunghezzaRiempimento; ++contatore) out += "\r\n";
        }
    };

    margine();
    bool paginaChiusa = false;
    for (const std::string &originale : righe) {
        std::string riga = originale;
        if (converti) ConvertiBordi(riga);
        if (riga == "\f") {
            if (!paginaChiusa) {
                finePagina();
                paginaChiusa = true;
            }
            continue;
        }
        if (paginaChiusa) {
            ++numeroPagine;
            contatore = 0;
            margine();
            paginaChiusa = false;
        }
        out += riga;
        out += "\r\n";
        ++contatore;
        // "At least": a top margin as long as the page still ends every page.
        if (contatore >= imp.lunghezzaPagina) {
            finePagina();
            paginaChiusa = true;
        }
    }
    if (!paginaChiusa && contatore > 0) finePagina();
    if (pagine) *pagine = numeroPagine;
    return out;
}

void scriviSuDispositivo(const std::string &dispositivo, const std::string &byte)
{
    // A device, a port or a pipe is written in place; a file is replaced
    // only when complete.
    scriviDispositivo(dispositivo, byte, "sul dispositivo di stampa");
}

std::vector<std::string> leggiRigheReport(const std::string &file)
{
    controllaFileDaLeggere(file, "il file del report");
    std::ifstream f(file, std::ios::binary);
    if (!f)
        throw ErroreDati("Il file del report \"" + file +
                         "\" non esiste nella cartella corrente: eseguire prima la stampa della produzione. Nulla \xC3\xA8 stato stampato.");
    const std::string tutto((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (f.bad()) throw ErroreDati("Impossibile leggere il file del report \"" + file + "\".");
    std::vector<std::string> righe;
    std::size_t inizio = 0;
    while (inizio < tutto.size()) {
        std::size_t fine = tutto.find('\n', inizio);
        if (fine == std::string::npos) fine = tutto.size();
        std::string riga = tutto.substr(inizio, fine - inizio);
        if (!riga.empty() && riga.back() == '\r') riga.pop_back();
        righe.push_back(std::move(riga));
        inizio = fine + 1;
    }
    return righe;
}

EsitoStampa eseguiStampa(const ImpostazioniStampa &imp, const SceltaStampa &scelta, const std::string &codice,
                         const std::vector<std::string> &righe, OperazioniStampante *stampante)
{
    EsitoStampa esito;
    esito.suStampanteDiSistema = imp.suStampanteDiSistema();
    if (esito.suStampanteDiSistema) {
        std::unique_ptr<StampanteQt> propria;
        if (!stampante) {
            propria = std::make_unique<StampanteQt>();
            stampante = propria.get();
        }
        esito.pagine = stampaSuStampante(imp, scelta, codice, righe, *stampante);
        esito.dispositivo = imp.dispositivo;
        if (propria) {
            // The sheets really used, those a too long page ran onto included.
            esito.pagine = propria->pagine();
            esito.dispositivo = propria->nomeUsato();
        }
        return esito;
    }
    if (dati::testo::trim(imp.dispositivo).empty())
        throw ErroreDati("La destinazione di stampa \"" + imp.destinazione +
                         "\" non indica alcun dispositivo (campo Linea vuoto e nessuna stampante scelta): nulla \xC3\xA8 stato stampato.");
    const std::string byte = preparaStampaGrezza(imp, scelta, codice, righe, &esito.pagine);
    scriviSuDispositivo(imp.dispositivo, byte);
    esito.dispositivo = imp.dispositivo;
    return esito;
}

} // namespace pc::stampa
