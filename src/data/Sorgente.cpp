#include "Sorgente.h"

#include "ErroreDati.h"
#include "ScritturaFile.h"
#include "SorgentiInterne.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace pc::dati {

namespace {
constexpr std::size_t PaginaGrande = std::size_t{2} << 20;
}

void *allocaCelle(std::size_t byte)
{
    if (byte < PaginaGrande) return ::operator new(byte);
    const std::size_t intero = (byte + PaginaGrande - 1) / PaginaGrande * PaginaGrande;
    void *p = std::aligned_alloc(PaginaGrande, intero);
    if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, intero, MADV_HUGEPAGE);   // only advice: ignored where huge pages are off
#endif
    return p;
}

void liberaCelle(void *p, std::size_t byte) noexcept
{
    if (byte < PaginaGrande)
        ::operator delete(p);
    else
        std::free(p);
}

TipoArchivio tipoArchivio(const char *testa, std::size_t letti)
{
    if (letti >= 16 && std::memcmp(testa, "SQLite format 3", 16) == 0) return TipoArchivio::Sqlite;
    // Jet 3/4 (and ACE) files carry their engine's name at offset 4.
    if (letti >= 19 && (std::memcmp(testa + 4, "Standard Jet DB", 15) == 0 || std::memcmp(testa + 4, "Standard ACE DB", 15) == 0))
        return TipoArchivio::Jet;
    return TipoArchivio::Nessuno;
}

TipoArchivio riconosciArchivio(const std::string &percorso)
{
    std::ifstream f(percorso, std::ios::binary);
    if (!f) return TipoArchivio::Nessuno;
    char testa[32] = {};
    f.read(testa, sizeof testa);
    return tipoArchivio(testa, static_cast<std::size_t>(f.gcount()));
}

std::unique_ptr<Sorgente> apriSorgente(const std::string &percorso)
{
    // Non-blocking: a FIFO put in the file's place meanwhile must not hang the run.
    const int fd = ::open(percorso.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int numero = errno;
        throw ErroreDati("Archivio \"" + percorso + "\" " +
                         (numero == ENOENT ? std::string("non trovato.") : "non leggibile: " + causaSistema(numero) + "."));
    }
    struct stat st {};
    char testa[32] = {};
    ssize_t letti = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        letti = ::pread(fd, testa, sizeof testa, 0);
        if (letti < 0) {
            const int numero = errno;
            ::close(fd);
            throw ErroreDati("Archivio \"" + percorso + "\" non leggibile: " + causaSistema(numero) + ".");
        }
    } else {
        ::close(fd);
        throw ErroreDati("\"" + percorso + "\" non \xC3\xA8 un archivio ma " +
                         (S_ISDIR(st.st_mode) ? std::string("una cartella") : std::string("un file speciale")) + " (non un file regolare).");
    }
    ::close(fd);
    const TipoArchivio tipo = tipoArchivio(testa, static_cast<std::size_t>(letti));
    if (tipo == TipoArchivio::Sqlite) return apriSorgenteSqlite(percorso);
    if (tipo == TipoArchivio::Jet) return apriSorgenteJet(percorso);
    throw ErroreDati("Il file \"" + percorso + "\" non \xC3\xA8 un archivio riconosciuto (n\xC3\xA9 SQLite n\xC3\xA9 Jet/Access).");
}

} // namespace pc::dati
