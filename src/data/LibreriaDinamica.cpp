#include "LibreriaDinamica.h"

#include "ErroreDati.h"

#include <dlfcn.h>

namespace pc::dati {

LibreriaDinamica::LibreriaDinamica(const char *file, const char *descrizione, const char *pacchetto)
    : m_file(file), m_descrizione(descrizione), m_pacchetto(pacchetto)
{
}

void *LibreriaDinamica::funzione(const char *nome)
{
    void *h = m_handle.load(std::memory_order_acquire);
    if (!h) {
        std::lock_guard<std::mutex> blocco(m_mutex);
        h = m_handle.load(std::memory_order_relaxed);
        if (!h) {
            // Never closed: its functions stay in use until the program ends.
            h = dlopen(m_file, RTLD_NOW | RTLD_LOCAL);
            if (!h)
                throw ErroreDati(std::string("La libreria ") + m_descrizione + " (\"" + m_file
                                 + "\") non \xC3\xA8 installata o non si pu\xC3\xB2 caricare: installare il pacchetto "
                                 + m_pacchetto + ".");
            m_handle.store(h, std::memory_order_release);
        }
    }
    void *f = dlsym(h, nome);
    if (!f)
        throw ErroreDati(std::string("La libreria ") + m_descrizione + " (\"" + m_file + "\") non offre la funzione "
                         + nome + ": installare la versione del pacchetto " + m_pacchetto + " di Debian 12.");
    return f;
}

} // namespace pc::dati
