#include "Moduli.h"

#include "ComandiBatch.h"

#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace pc::app {

void *funzioneDelModulo(const std::string &file, const char *funzione, const std::string &cosa)
{
    std::error_code ec;
    const std::filesystem::path programma = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        scriviErrore("non si trova la cartella del programma (/proc/self/exe), da cui aprire il modulo " + cosa + ".");
        return nullptr;
    }
    const std::filesystem::path cartella = programma.parent_path();
    const std::filesystem::path installati = (cartella / PC_MODULI_INSTALLATI).lexically_normal();
    std::filesystem::path trovato;
    for (const auto &p : {cartella / file, installati / file})
        if (trovato.empty() && std::filesystem::is_regular_file(p, ec)) trovato = p;
    if (trovato.empty()) {
        scriviErrore("modulo " + cosa + " \"" + file + "\" non trovato accanto al programma n\xC3\xA9 in \"" + installati.string()
                     + "\": reinstallare il programma.");
        return nullptr;
    }
    void *h = dlopen(trovato.c_str(), RTLD_NOW | RTLD_LOCAL);
    void *f = h ? dlsym(h, funzione) : nullptr;
    if (!f)
        scriviErrore("il modulo " + cosa + " \"" + trovato.string()
                     + "\" non si pu\xC3\xB2 aprire (una libreria che usa manca o non \xC3\xA8 della versione di questo programma): "
                       "reinstallare il programma.");
    return f;
}

} // namespace pc::app
