#include "SessioneMdb.h"

#include "ScritturaFile.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace pc::dati {

namespace {

std::recursive_mutex &bloccoMdb()
{
    static std::recursive_mutex blocco;
    return blocco;
}

thread_local int profondita = 0;

constexpr int kDescrittori[2] = {STDERR_FILENO, STDOUT_FILENO};

} // namespace

SessioneMdb::SessioneMdb() : m_blocco(bloccoMdb())
{
    if (profondita++ > 0) return;
    m_esterna = true;
    // The stdio locks first (recursive for this thread: libmdb's own fprintf
    // goes through), then what is buffered goes out before the descriptors move.
    ::flockfile(stdout);
    ::flockfile(stderr);
    std::fflush(stdout);
    std::fflush(stderr);
    const int nulla = apriScaricoNullo();
    if (nulla < 0) return;
    for (int i = 0; i < 2; ++i) {
        m_salvati[i] = ::fcntl(kDescrittori[i], F_DUPFD_CLOEXEC, 3);
        if (m_salvati[i] >= 0 && ::dup2(nulla, kDescrittori[i]) < 0) {
            ::close(m_salvati[i]);
            m_salvati[i] = -1;
        }
    }
    ::close(nulla);
}

SessioneMdb::~SessioneMdb()
{
    --profondita;
    if (!m_esterna) return;
    // What libmdb left in the buffers goes to /dev/null with the rest.
    std::fflush(stdout);
    std::fflush(stderr);
    for (int i = 0; i < 2; ++i) {
        if (m_salvati[i] < 0) continue;
        ::dup2(m_salvati[i], kDescrittori[i]);
        ::close(m_salvati[i]);
    }
    ::funlockfile(stderr);
    ::funlockfile(stdout);
}

} // namespace pc::dati
