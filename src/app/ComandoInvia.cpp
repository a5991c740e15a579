#include "ComandiBatch.h"

#include "Configurazione.h"
#include "ErroreDati.h"
#include "InvioGiornaliero.h"
#include "Pianificazione.h"
#include "ScritturaFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <iostream>

using pc::dati::ErroreDati;

namespace pc::app {

int comandoInvia(const std::vector<std::string> &argomenti)
{
    Opzioni o;
    if (!leggiOpzioni(argomenti, {"--configurazione", "--giorno", "--prova"}, {"--forza"}, o) || !senzaPosizionali(o)) return 2;
    const std::string *file = o.valore("--configurazione");
    if (!file) {
        scriviErrore("indicare il file di configurazione con --configurazione FILE.");
        return 2;
    }
    posta::OpzioniInvio opzioni;
    opzioni.oggi = giornoDiOggi();
    opzioni.forza = o.interruttore("--forza");
    if (const std::string *g = o.valore("--giorno")) {
        opzioni.giorno = Giorno::leggi(*g);
        if (!opzioni.giorno) {
            scriviErrore("la data \"" + *g + "\" non \xC3\xA8 una data valida (gg/mm/aaaa).");
            return 2;
        }
    }
    if (const std::string *p = o.valore("--prova")) {
        if (!posta::indirizzoValido(*p)) {
            scriviErrore("l'indirizzo di prova \"" + *p + "\" non \xC3\xA8 un indirizzo valido.");
            return 2;
        }
        opzioni.prova = *p;
    }
    try {
        const posta::Configurazione c = posta::leggiConfigurazione(*file);
        posta::attivaAlbergo(c);
        return posta::eseguiInvio(
            c, opzioni, [](const std::string &m) { std::cerr << "produzione-camere: " << m << std::endl; },
            [](const std::string &m) { scriviErrore(m); });
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
}

int comandoPianifica(const std::vector<std::string> &argomenti)
{
    Opzioni o;
    if (!leggiOpzioni(argomenti, {"--configurazione", "--ora"}, {"--rimuovi"}, o) || !senzaPosizionali(o)) return 2;
    try {
        if (o.interruttore("--rimuovi")) {
            if (o.valore("--ora")) {
                scriviErrore("--rimuovi non prende --ora.");
                return 2;
            }
            std::cout << posta::rimuoviPianificazione() << std::flush;
            return 0;
        }
        const std::string *file = o.valore("--configurazione"), *ora = o.valore("--ora");
        if (!file || !ora) {
            scriviErrore("indicare --configurazione FILE e --ora HH:MM (oppure --rimuovi).");
            return 2;
        }
        const auto minuti = posta::leggiOra(*ora);
        if (!minuti) {
            scriviErrore("l'ora \"" + *ora + "\" non \xC3\xA8 valida (HH:MM, da 00:00 a 23:59).");
            return 2;
        }
        // The file must be usable now, not at the first run.
        const posta::Configurazione c = posta::leggiConfigurazione(*file);
        std::cout << posta::pianifica(QCoreApplication::applicationFilePath().toStdString(), c.percorso, *minuti) << std::flush;
        return 0;
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
}

} // namespace pc::app
