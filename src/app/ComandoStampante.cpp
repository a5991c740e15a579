#include "ComandiBatch.h"

#include "DestinazioniStampa.h"
#include "ErroreDati.h"
#include "StampaReport.h"

#include <iostream>

using pc::dati::ErroreDati;
using pc::stampa::EsitoStampa;
using pc::stampa::SceltaStampa;
using pc::stampa::leggiCodiceAssistenza;
using pc::stampa::stampaReport;

namespace pc::app {

int comandoStampante(const std::vector<std::string> &argomenti)
{
    Opzioni o;
    if (!leggiOpzioni(argomenti, conOpzioniArchivio({"--destinazione", "--stampante"}),
                      {"--compressa", "--orizzontale", "--fronte-retro"}, o)
        || !attivaArchivio(o))
        return 2;
    if (!senzaPosizionali(o)) return 2;
    const std::string *destinazione = o.valore("--destinazione");
    if (!destinazione || destinazione->empty()) {
        scriviErrore("indicare la destinazione di stampa con --destinazione NOME (tabella Stampanti di Stampanti.mdb).");
        return 2;
    }
    SceltaStampa scelta;
    scelta.destinazione = *destinazione;
    if (const std::string *s = o.valore("--stampante")) scelta.stampante = *s;
    scelta.compressa = o.interruttore("--compressa");
    scelta.orizzontale = o.interruttore("--orizzontale");
    scelta.fronteRetro = o.interruttore("--fronte-retro");
    try {
        const EsitoStampa esito = stampaReport(scelta, leggiCodiceAssistenza().value_or(std::string()));
        std::cout << "Stampa della destinazione \"" << scelta.destinazione << "\" inviata a \"" << esito.dispositivo << "\" ("
                  << (esito.suStampanteDiSistema ? "stampante di sistema" : "dispositivo diretto") << ", " << esito.pagine
                  << (esito.pagine == 1 ? " pagina).\n" : " pagine).\n");
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
    return 0;
}

} // namespace pc::app
