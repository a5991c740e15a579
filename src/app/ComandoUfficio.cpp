#include "ComandiBatch.h"

#include "Ufficio.h"

#include <dlfcn.h>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace pc::app {

namespace {

// The web office's module (src/ufficio/ModuloUfficio.cpp): beside the program
// in the build tree, in <libdir>/produzione-camere once installed. Opened
// once, never closed.
using ServiUfficio = int (*)(const ufficio::ImpostazioniUfficio *, std::ostream *, std::ostream *);

ServiUfficio moduloUfficio()
{
    std::error_code ec;
    const std::filesystem::path programma = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        scriviErrore("non si trova la cartella del programma (/proc/self/exe), da cui aprire il modulo dell'ufficio.");
        return nullptr;
    }
    const std::string nome = "produzione-camere-ufficio.so";
    const std::filesystem::path cartella = programma.parent_path();
    std::filesystem::path trovato;
    for (const auto &p : {cartella / nome, (cartella / PC_MODULI_INSTALLATI / nome).lexically_normal()})
        if (trovato.empty() && std::filesystem::is_regular_file(p, ec)) trovato = p;
    if (trovato.empty()) {
        scriviErrore("modulo dell'ufficio \"" + nome + "\" non trovato accanto al programma n\xC3\xA9 in \""
                     + (cartella / PC_MODULI_INSTALLATI).lexically_normal().string() + "\": reinstallare il programma.");
        return nullptr;
    }
    void *h = dlopen(trovato.c_str(), RTLD_NOW | RTLD_LOCAL);
    void *f = h ? dlsym(h, "pc_modulo_ufficio") : nullptr;
    if (!f) {
        scriviErrore("il modulo dell'ufficio \"" + trovato.string()
                     + "\" non si pu\xC3\xB2 aprire (una libreria che usa manca o non \xC3\xA8 della versione di questo programma): "
                       "reinstallare il programma.");
        return nullptr;
    }
    return reinterpret_cast<ServiUfficio>(f);
}

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
    const ServiUfficio servi = moduloUfficio();
    if (!servi) return 1;
    return servi(&imp, &std::cerr, &std::cout);
}

} // namespace pc::app
