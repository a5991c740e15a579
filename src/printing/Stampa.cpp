#include "StampaReport.h"

#include "FileReport.h"

namespace pc::stampa {

EsitoStampa stampaReport(const SceltaStampa &scelta, const std::string &codiceAssistenza, OperazioniStampante *stampante)
{
    // Settings first: a missing destination stops the print before anything is opened.
    const ImpostazioniStampa impostazioni = raccogliImpostazioni(scelta);
    const std::vector<std::string> righe = leggiRigheReport(nomeFileReport());
    return eseguiStampa(impostazioni, scelta, codiceAssistenza, righe, stampante);
}

} // namespace pc::stampa
