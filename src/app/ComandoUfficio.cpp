#include "ComandiBatch.h"

#include "Moduli.h"
#include "Ufficio.h"

#include <filesystem>
#include <iostream>

namespace pc::app {

namespace {

// The web office's module (src/ufficio/ModuloUfficio.cpp).
using ServiUfficio = int (*)(const ufficio::ImpostazioniUfficio *, std::ostream *, std::ostream *);

} // namespace

int comandoUfficio(const std::vector<std::string> &argomenti)
{
    Opzioni o;
    if (!leggiOpzioni(argomenti, {"--archivio", "--indirizzo", "--porta", "--certificato", "--chiave", "--lavoratori"}, {}, o)) return 2;
    if (!senzaPosizionali(o)) return 2;
    ufficio::ImpostazioniUfficio imp;
    std::optional<std::pair<std::string, std::string>> archivio;
    if (!leggiArchivio(o, archivio, true)) return 2;
    if (!archivio) {
        scriviErrore("indicare l'archivio centrale con --archivio URL (o PC_ARCHIVIO).");
        return 2;
    }
    imp.archivio = archivio->first;
    if (const auto *v = o.valore("--indirizzo")) imp.indirizzo = *v;
    auto intero = [](const std::string *v, int minimo, int massimo, int &dove, const char *nome) {
        if (!v) return true;
        std::size_t fine = 0;
        int n = -1;
        try {
            n = std::stoi(*v, &fine);
        } catch (const std::exception &) {
        }
        if (fine != v->size() || n < minimo || n > massimo) {
            scriviErrore(std::string(nome) + " deve essere un numero da " + std::to_string(minimo) + " a " + std::to_string(massimo) +
                         ": \"" + *v + "\".");
            return false;
        }
        dove = n;
        return true;
    };
    if (!intero(o.valore("--porta"), 1, 65535, imp.porta, "--porta")) return 2;
    if (!intero(o.valore("--lavoratori"), 2, 256, imp.lavoratori, "--lavoratori")) return 2;
    const auto *certificato = o.valore("--certificato"), *chiave = o.valore("--chiave");
    if (!certificato != !chiave) {
        scriviErrore("per HTTPS indicare sia --certificato FILE sia --chiave FILE.");
        return 2;
    }
    // The service works in a folder of its own: the files are named as given here.
    if (certificato) {
        imp.certificato = std::filesystem::absolute(*certificato).string();
        imp.chiave = std::filesystem::absolute(*chiave).string();
    }
    const auto servi = reinterpret_cast<ServiUfficio>(
        funzioneDelModulo("produzione-camere-ufficio.so", "pc_modulo_ufficio", "dell'ufficio"));
    if (!servi) return 1;
    return servi(&imp, &std::cerr, &std::cout);
}

} // namespace pc::app
