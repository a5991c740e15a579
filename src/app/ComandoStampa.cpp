#include "ComandiBatch.h"

#include "DateReport.h"
#include "Sorgente.h"
#include "ErroreDati.h"
#include "Raggruppamenti.h"
#include "FileReport.h"
#include "StampaProduzione.h"
#include "TestoReport.h"

#include <fstream>
#include <iostream>
#include <iterator>

using pc::dati::ErroreDati;

namespace pc::app {

int comandoStampa(const std::vector<std::string> &argomenti)
{
    Opzioni o;
    if (!leggiOpzioni(argomenti, conOpzioniArchivio({"--dal", "--al", "--tipo", "--raggruppamento"}), {"--mostra"}, o)) return 2;
    const bool catena = o.valore("--raggruppamento") && *o.valore("--raggruppamento") == "strutture";
    std::shared_ptr<dati::Fonte> fonte;
    if (!leggiFonte(o, fonte, catena)) return 2;
    if (!senzaPosizionali(o)) return 2;
    RichiestaReport r;
    r.dati = fonte;
    const std::string *dal = o.valore("--dal"), *al = o.valore("--al");
    if (!dal || !al) {
        scriviErrore("indicare il periodo con --dal GG/MM/AAAA e --al GG/MM/AAAA.");
        return 2;
    }
    // The dates are used as typed; a wrong date or a reversed period is a wrong command line.
    const auto dalla = Giorno::leggi(*dal), alla = Giorno::leggi(*al);
    if (!dalla || !alla) {
        scriviErrore("la data \"" + (dalla ? *al : *dal) + "\" non \xC3\xA8 una data valida (gg/mm/aaaa).");
        return 2;
    }
    if (*dalla > *alla) {
        scriviErrore("la data iniziale " + dalla->ggmmaaaa() + " \xC3\xA8 successiva alla data finale " + alla->ggmmaaaa() +
                     ". Il report precedente non \xC3\xA8 stato modificato.");
        return 2;
    }
    r.dalla = *dal;
    r.alla = *al;
    const std::string tipo = o.valore("--tipo") ? *o.valore("--tipo") : "vendite";
    if (tipo == "vendite") r.tipo = TipoReport::Vendite;
    else if (tipo == "produzione") r.tipo = TipoReport::Produzione;
    else {
        scriviErrore("tipo di report \"" + tipo + "\" sconosciuto: usare vendite o produzione.");
        return 2;
    }
    const std::string gruppo = o.valore("--raggruppamento") ? *o.valore("--raggruppamento") : "camere";
    if (const auto g = raggruppamentoDaNome(gruppo)) r.raggruppamento = *g;
    else if (gruppo == "strutture" && fonte) r.raggruppamento = Raggruppamento::Strutture;
    else if (gruppo == "strutture") {
        scriviErrore("il raggruppamento strutture (report della catena) richiede l'archivio centrale: --archivio URL (o PC_ARCHIVIO).");
        return 2;
    } else {
        scriviErrore("raggruppamento \"" + gruppo + "\" sconosciuto: usare camere, tipi, macro o (con --archivio) strutture.");
        return 2;
    }
    try {
        StampaProduzione(r);
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
    if (o.interruttore("--mostra")) {
        std::ifstream f(nomeFileReport(), std::ios::binary);
        std::string contenuto((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        std::cout << reportPerTerminale(contenuto);
    }
    return 0;
}

} // namespace pc::app
