#include "ComandiBatch.h"

#include "Analisi.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "Raggruppamenti.h"
#include "RiepilogoGiorno.h"
#include "ScritturaFile.h"

#include <QDate>

#include <iostream>

using pc::dati::ErroreDati;
using pc::dati::scriviFileAtomico;

namespace pc::app {

namespace {

Giorno oggi()
{
    // PC_OGGI (GG/MM/AAAA) stands for the clock's today: a day replayed, or a test.
    if (const char *o = std::getenv("PC_OGGI"); o && *o) {
        if (auto g = Giorno::leggi(o)) return *g;
        scriviErrore(std::string("PC_OGGI \"") + o + "\" non \xC3\xA8 una data (gg/mm/aaaa): vale la data di oggi.");
    }
    const QDate d = QDate::currentDate();
    return Giorno::da(d.year(), d.month(), d.day());
}

} // namespace

Giorno giornoDiOggi() { return oggi(); }

int comandoRiepilogo(const std::vector<std::string> &argomenti)
{
    Opzioni o;
    if (!leggiOpzioni(argomenti, conOpzioniArchivio({"--giorno", "--raggruppamento", "--formato", "--uscita"}), {}, o) ||
        !senzaPosizionali(o) || !attivaArchivio(o))
        return 2;
    Giorno g{oggi().seriale - 1};
    if (const std::string *t = o.valore("--giorno")) {
        const auto letto = Giorno::leggi(*t);
        if (!letto) {
            scriviErrore("la data \"" + *t + "\" non \xC3\xA8 una data valida (gg/mm/aaaa).");
            return 2;
        }
        g = *letto;
    }
    const std::string *gruppo = o.valore("--raggruppamento");
    const auto r = raggruppamentoDaNome(gruppo ? *gruppo : "tipi");
    if (!r) {
        scriviErrore("raggruppamento \"" + *gruppo + "\" sconosciuto: usare camere, tipi o macro.");
        return 2;
    }
    const std::string formato = o.valore("--formato") ? *o.valore("--formato") : "testo";
    if (formato != "csv" && formato != "testo" && formato != "html") {
        scriviErrore("formato \"" + formato + "\" sconosciuto: usare csv, testo o html.");
        return 2;
    }
    try {
        const posta::RiepilogoGiorno s = posta::calcolaRiepilogo(g, *r);
        std::string testo;
        if (formato == "csv") testo = posta::csvRiepilogo(s, gruppo != nullptr);
        else if (formato == "html") testo = posta::htmlRiepilogo(s, std::string());
        else testo = posta::testoRiepilogo(s, std::string(), separatoreDecimale());
        if (const std::string *uscita = o.valore("--uscita")) {
            scriviFileAtomico(*uscita, testo, "il riepilogo");
            std::cout << *uscita << std::endl;
        } else {
            std::cout << testo << std::flush;
        }
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
    return 0;
}

} // namespace pc::app
