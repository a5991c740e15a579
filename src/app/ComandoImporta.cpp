#include "ComandiBatch.h"

#include "Catena.h"
#include "ErroreDati.h"
#include "FileReport.h"

#include <chrono>
#include <iostream>

using pc::dati::ErroreDati;

namespace pc::app {

int comandoImporta(const std::vector<std::string> &argomenti)
{
    Opzioni o;
    if (!leggiOpzioni(argomenti, conOpzioniArchivio({}), {}, o)) return 2;
    if (!senzaPosizionali(o)) return 2;
    std::optional<std::pair<std::string, std::string>> archivio;
    if (!leggiArchivio(o, archivio)) return 2;
    if (!archivio) {
        scriviErrore("indicare l'archivio centrale con --archivio URL e la struttura con --struttura NOME.");
        return 2;
    }
    if (const std::string motivo = dati::centrale::nomeStrutturaNonValido(archivio->second); !motivo.empty()) {
        scriviErrore("il nome della struttura indicato con --struttura " + motivo + ".");
        return 2;
    }
    std::string storico;
    try {
        storico = cartellaStorico();
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 2;
    }
    try {
        const auto inizio = std::chrono::steady_clock::now();
        const auto esito = catena::importa(archivio->first, archivio->second, ".", storico);
        const double secondi = std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
        std::cout << "Struttura \"" << archivio->second << "\" importata nell'archivio centrale ("
                  << dati::centrale::descrizioneServer(archivio->first) << "): " << esito.tabelle << " tabelle, " << esito.righe
                  << " righe, " << esito.giorni << " giorni di cifre in " << static_cast<long>(secondi * 1000) << " ms.\n";
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
    return 0;
}

} // namespace pc::app
