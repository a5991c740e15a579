#pragma once

// A shared library opened the first time the program needs it, so that the
// commands that never reach the central archive or send mail do not pay at
// every start for loading libpq, libcurl and what they bring (TLS, Kerberos,
// LDAP: some thirty libraries). The functions the program calls are defined
// by small forwarders (LibpqDinamica.cpp, CurlDinamica.cpp of the mail) with
// the library's own declarations, so a wrong signature does not compile.

#include <atomic>
#include <mutex>
#include <string>

namespace pc::dati {

class LibreriaDinamica
{
public:
    // file: the library's soname; pacchetto: the Debian package that installs it.
    LibreriaDinamica(const char *file, const char *descrizione, const char *pacchetto);

    // The address of a function of the library; throws ErroreDati (in
    // Italian, naming the library and the package) when the library or the
    // function cannot be found.
    void *funzione(const char *nome);

private:
    const char *m_file, *m_descrizione, *m_pacchetto;
    std::mutex m_mutex;
    std::atomic<void *> m_handle{nullptr};
};

} // namespace pc::dati

// Defines `nome` with the signature its header declares, forwarding to the
// library's own function; `libreria` is an expression giving the LibreriaDinamica.
#define PC_INOLTRA(libreria, ritorno, nome, parametri, argomenti)                                      \
    extern "C" ritorno nome parametri                                                                   \
    {                                                                                                   \
        static const auto pcReale = reinterpret_cast<decltype(&nome)>((libreria).funzione(#nome));     \
        return pcReale argomenti;                                                                       \
    }

// Defines `accesso()`, the LibreriaDinamica of a forwarders' file, made at its first use.
#define PC_LIBRERIA_DINAMICA(accesso, file, descrizione, pacchetto)                                    \
    namespace {                                                                                         \
    pc::dati::LibreriaDinamica &accesso()                                                               \
    {                                                                                                   \
        static pc::dati::LibreriaDinamica l(file, descrizione, pacchetto);                              \
        return l;                                                                                       \
    }                                                                                                   \
    }
