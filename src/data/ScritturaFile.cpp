#include "ScritturaFile.h"

#include "ErroreDati.h"
#include "Sorgente.h"

#include <QFile>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pc::dati {

namespace fs = std::filesystem;

std::string causaSistema(int numero)
{
    switch (numero) {
    case EPERM: return "operazione non permessa";
    case ENOENT: return "il file o la cartella non esiste";
    case EIO: return "errore di ingresso/uscita del dispositivo";
    case ENXIO: return "il dispositivo non esiste o non \xC3\xA8 collegato";
    case EBADF: return "il file non \xC3\xA8 aperto correttamente";
    case EAGAIN: return "risorsa momentaneamente non disponibile";
    case ENOMEM: return "memoria insufficiente";
    case EACCES: return "permesso negato";
    case EBUSY: return "dispositivo o risorsa occupati";
    case EEXIST: return "il file esiste gi\xC3\xA0";
    case EXDEV: return "il file e la sua copia sono su dischi diversi";
    case ENODEV: return "dispositivo inesistente";
    case ENOTDIR: return "una parte del percorso non \xC3\xA8 una cartella";
    case EISDIR: return "\xC3\xA8 una cartella";
    case EINVAL: return "richiesta non valida per questo file";
    case ENFILE:
    case EMFILE: return "troppi file aperti";
    case ETXTBSY: return "il file \xC3\xA8 in uso";
    case EFBIG: return "file troppo grande (superato il limite di dimensione dei file)";
    case ENOSPC: return "spazio esaurito sul disco";
    case ESPIPE: return "il file non consente spostamenti (pipe o dispositivo)";
    case EROFS: return "il disco \xC3\xA8 in sola lettura";
    case EMLINK: return "troppi collegamenti";
    case EPIPE: return "il programma che riceveva i dati ha chiuso il canale";
    case ENAMETOOLONG: return "nome del file troppo lungo";
    case ELOOP: return "troppi collegamenti simbolici (forse un collegamento circolare)";
    case ENOTEMPTY: return "la cartella non \xC3\xA8 vuota";
    case EDQUOT: return "quota del disco superata";
    case ETIMEDOUT: return "tempo di attesa scaduto";
    case EINTR: return "operazione interrotta";
    case ESTALE: return "file di rete non pi\xC3\xB9 valido";
    case ENOTCONN: return "il collegamento di rete non \xC3\xA8 attivo";
    default: return "errore di sistema n. " + std::to_string(numero);
    }
}

std::string causaFile(const QFileDevice &file, int numero)
{
    if (numero != 0) return causaSistema(numero);
    switch (file.error()) {
    case QFileDevice::ReadError: return "errore di lettura";
    case QFileDevice::WriteError: return "errore di scrittura";
    case QFileDevice::FatalError: return "errore irreparabile del file";
    case QFileDevice::ResourceError: return "risorse esaurite (disco pieno o troppi file aperti)";
    case QFileDevice::OpenError: return "il file non si pu\xC3\xB2 aprire";
    case QFileDevice::AbortError: return "operazione annullata";
    case QFileDevice::TimeOutError: return "tempo di attesa scaduto";
    case QFileDevice::RemoveError: return "il file non si pu\xC3\xB2 eliminare";
    case QFileDevice::RenameError: return "il file non si pu\xC3\xB2 rinominare";
    case QFileDevice::PositionError: return "posizione non valida nel file";
    case QFileDevice::ResizeError: return "il file non si pu\xC3\xB2 ridimensionare";
    case QFileDevice::PermissionsError: return "permesso negato";
    case QFileDevice::CopyError: return "il file non si pu\xC3\xB2 copiare";
    case QFileDevice::NoError:
    case QFileDevice::UnspecifiedError: break;
    }
    return "errore del sistema non specificato";
}

std::string descriviEccezione(std::exception_ptr eccezione)
{
    try {
        std::rethrow_exception(eccezione);
    } catch (const ErroreDati &e) {
        return e.what();
    } catch (const std::bad_alloc &) {
        return "Memoria insufficiente per completare l'operazione.";
    } catch (const fs::filesystem_error &e) {
        std::string nomi;
        if (!e.path1().empty()) nomi += " \"" + e.path1().string() + "\"";
        if (!e.path2().empty()) nomi += " e \"" + e.path2().string() + "\"";
        return "Errore del file system" + (nomi.empty() ? std::string() : " su" + nomi) + ": " +
               causaSistema(e.code().value()) + ".";
    } catch (const std::system_error &e) {
        if (e.code().category() == std::generic_category() || e.code().category() == std::system_category())
            return "Errore del sistema: " + causaSistema(e.code().value()) + ".";
        return "Errore imprevisto del sistema (" + std::string(e.code().category().name()) + " n. " +
               std::to_string(e.code().value()) + ").";
    } catch (const std::exception &e) {
        return "Errore imprevisto del programma (" + std::string(e.what()) + ").";
    } catch (...) {
        return "Errore imprevisto del programma.";
    }
}

std::string naturaPercorso(const std::string &percorso)
{
    std::error_code ec;
    const fs::file_status s = fs::status(percorso, ec);
    switch (s.type()) {
    case fs::file_type::directory: return "una cartella";
    case fs::file_type::fifo: return "una pipe (FIFO)";
    case fs::file_type::character: return "un dispositivo a caratteri";
    case fs::file_type::block: return "un dispositivo a blocchi";
    case fs::file_type::socket: return "un socket";
    case fs::file_type::unknown: return "un file di tipo sconosciuto";
    default: return {};
    }
}

namespace {

const char *const PrecedenteIntatto = " Il file precedente non \xC3\xA8 stato modificato.";

std::string naturaModo(mode_t modo)
{
    if (S_ISDIR(modo)) return "una cartella";
    if (S_ISFIFO(modo)) return "una pipe (FIFO)";
    if (S_ISCHR(modo)) return "un dispositivo a caratteri";
    if (S_ISBLK(modo)) return "un dispositivo a blocchi";
    if (S_ISSOCK(modo)) return "un socket";
    if (S_ISREG(modo)) return {};
    return "un file di tipo sconosciuto";
}

bool finisceCon(const std::string &t, std::string_view coda)
{
    return t.size() >= coda.size() && std::string_view(t).substr(t.size() - coda.size()) == coda;
}

bool esiste(const std::string &percorso)
{
    struct stat st;
    return ::lstat(percorso.c_str(), &st) == 0;
}

// ---- Temporary files removed on a fatal signal -------------------------
//
// A fixed table the signal handler can read without taking locks: a slot is
// 0 (free), 1 (being filled) or 2 (a temporary file that exists or may).

constexpr int Posti = 64;
struct Posto {
    std::atomic<int> stato{0};
    char percorso[PATH_MAX];
};
Posto g_posti[Posti];
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void rimuoviAlSegnale(int segnale)
{
    const int salvato = errno;
    for (Posto &p : g_posti)
        if (p.stato.load() == 2) ::unlink(p.percorso);
    errno = salvato;
    // SA_RESETHAND gave the signal back its default action: the run ends as it would have.
    ::raise(segnale);
}

void installaGestori()
{
    static std::once_flag una;
    std::call_once(una, [] {
        for (int s : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ, SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2}) {
            struct sigaction prima {};
            if (::sigaction(s, nullptr, &prima) != 0) continue;
            // An ignored signal, or one the program handles itself, is left alone.
            if ((prima.sa_flags & SA_SIGINFO) || prima.sa_handler != SIG_DFL) continue;
            struct sigaction a {};
            a.sa_handler = rimuoviAlSegnale;
            sigemptyset(&a.sa_mask);
            a.sa_flags = SA_RESETHAND | SA_NODEFER;
            ::sigaction(s, &a, nullptr);
        }
    });
}

std::string assoluto(const std::string &percorso)
{
    if (!percorso.empty() && percorso.front() == '/') return percorso;
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) return percorso;
    return std::string(cwd) + "/" + percorso;
}

int registra(const std::string &percorso)
{
    installaGestori();
    const std::string pieno = assoluto(percorso);
    if (pieno.size() >= PATH_MAX) return -1;
    for (int i = 0; i < Posti; ++i) {
        int libero = 0;
        if (g_posti[i].stato.compare_exchange_strong(libero, 1)) {
            std::memcpy(g_posti[i].percorso, pieno.c_str(), pieno.size() + 1);
            g_posti[i].stato.store(2);
            return i;
        }
    }
    return -1;
}

void libera(int posto)
{
    if (posto >= 0) g_posti[posto].stato.store(0);
}

// ---- Names of temporary files --------------------------------------------

const char *const MarcaTemporaneo = ".pc-tmp.";

std::string nomeHost()
{
    char h[256] = {};
    if (::gethostname(h, sizeof h - 1) != 0) h[0] = '\0';
    std::string t;
    for (const char *c = h; *c && t.size() < 40; ++c)
        t += (std::isalnum(static_cast<unsigned char>(*c)) || *c == '-') ? *c : '-';
    return t.empty() ? std::string("host") : t;
}

std::string nomeTemporaneo(const std::string &base)
{
    static const char cifre[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 caso{std::random_device{}() ^ (static_cast<std::uint64_t>(::getpid()) << 32)};
    std::string casuale;
    for (int i = 0; i < 8; ++i) casuale += cifre[caso() % (sizeof cifre - 1)];
    // The target's name, cut so that the whole stays within a file name's limit.
    return "." + base.substr(0, 120) + MarcaTemporaneo + nomeHost() + "." + std::to_string(::getpid()) + "." + casuale;
}

// Removes, once per folder and run, the temporary files of this host whose
// process is gone (left by a SIGKILL or a power cut).
void rimuoviResidui(const std::string &cartella)
{
    static std::mutex blocco;
    static std::set<std::string> fatte;
    {
        std::lock_guard<std::mutex> l(blocco);
        if (!fatte.insert(assoluto(cartella)).second) return;
    }
    DIR *d = ::opendir(cartella.c_str());
    if (!d) return;
    const std::string host = nomeHost();
    while (const dirent *e = ::readdir(d)) {
        const std::string_view n = e->d_name;
        const auto k = n.rfind(MarcaTemporaneo);
        if (n.size() < 2 || n.front() != '.' || k == std::string_view::npos) continue;
        const std::string_view resto = n.substr(k + std::strlen(MarcaTemporaneo));   // host.pid.random
        const auto p1 = resto.find('.');
        if (p1 == std::string_view::npos || resto.substr(0, p1) != host) continue;
        const auto p2 = resto.find('.', p1 + 1);
        if (p2 == std::string_view::npos || resto.find('.', p2 + 1) != std::string_view::npos) continue;
        const std::string_view cifre = resto.substr(p1 + 1, p2 - p1 - 1);
        if (cifre.empty() || cifre.size() > 9 || cifre.find_first_not_of("0123456789") != std::string_view::npos) continue;
        const auto pid = static_cast<pid_t>(std::stol(std::string(cifre)));
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;   // alive (or not ours to ask)
        const std::string f = cartella + "/" + std::string(n);
        struct stat st;
        if (::lstat(f.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(f.c_str());
    }
    ::closedir(d);
}

// ---- Targets -----------------------------------------------------------

// The path a target really names: symbolic links followed to the end.
struct Bersaglio {
    std::string finale;
    bool esiste = false;
    struct stat st {};
};

std::string mostra(const std::string &percorso)
{
    return fs::path(percorso).lexically_normal().string();
}

std::string inizioMessaggio(const std::string &percorso, const std::string &finale, const std::string &descrizione)
{
    std::string t = "Impossibile scrivere " + descrizione + " \"" + percorso + "\"";
    if (finale != percorso) t += " (un collegamento a \"" + mostra(finale) + "\")";
    return t + ": ";
}

Bersaglio risolvi(const std::string &percorso, const std::string &descrizione)
{
    if (percorso.empty()) throw ErroreDati("Impossibile scrivere " + descrizione + ": manca il nome del file.");
    Bersaglio b;
    b.finale = percorso;
    for (int salti = 0;; ++salti) {
        if (::lstat(b.finale.c_str(), &b.st) != 0) {
            const int numero = errno;
            if (numero == ENOENT) return b;
            throw ErroreDati(inizioMessaggio(percorso, b.finale, descrizione) + causaSistema(numero) + ".");
        }
        if (!S_ISLNK(b.st.st_mode)) {
            b.esiste = true;
            return b;
        }
        if (salti >= 40) throw ErroreDati(inizioMessaggio(percorso, b.finale, descrizione) + causaSistema(ELOOP) + ".");
        std::string dove(PATH_MAX, '\0');
        const ssize_t n = ::readlink(b.finale.c_str(), dove.data(), dove.size());
        if (n <= 0) throw ErroreDati(inizioMessaggio(percorso, b.finale, descrizione) + causaSistema(n < 0 ? errno : EINVAL) + ".");
        dove.resize(static_cast<std::size_t>(n));
        if (dove.front() != '/') {
            const auto barra = b.finale.rfind('/');
            if (barra != std::string::npos) dove = b.finale.substr(0, barra + 1) + dove;
        }
        b.finale = dove;
    }
}

void controlla(const std::string &percorso, const Bersaglio &b, const std::string &descrizione)
{
    const std::string inizio = inizioMessaggio(percorso, b.finale, descrizione);
    // A SQLite database's journal or WAL beside it is part of the database.
    for (const char *coda : {"-wal", "-shm", "-journal"}) {
        if (!finisceCon(b.finale, coda)) continue;
        const std::string archivio = b.finale.substr(0, b.finale.size() - std::strlen(coda));
        struct stat st;
        if (::stat(archivio.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            dati::riconosciArchivio(archivio) == dati::TipoArchivio::Sqlite)
            throw ErroreDati(inizio + "\xC3\xA8 un file di lavoro dell'archivio SQLite \"" + mostra(archivio) +
                             "\" dell'albergo e non viene mai scritto. Il file non \xC3\xA8 stato modificato.");
    }
    if (!b.esiste) return;
    if (S_ISREG(b.st.st_mode)) {
        // A file that cannot be read cannot be told from a database: it is not replaced.
        if (::access(b.finale.c_str(), R_OK) != 0)
            throw ErroreDati(inizio + "il file esistente non si pu\xC3\xB2 leggere (" + causaSistema(errno) +
                             ") e non si pu\xC3\xB2 verificare che non sia un archivio dell'albergo. Il file non \xC3\xA8 stato modificato.");
        const dati::TipoArchivio tipo = dati::riconosciArchivio(b.finale);
        if (tipo == dati::TipoArchivio::Nessuno) return;
        throw ErroreDati(inizio + "\xC3\xA8 un archivio " + (tipo == dati::TipoArchivio::Sqlite ? "SQLite" : "Jet/Access") +
                         " dell'albergo e non viene mai sovrascritto. Il file non \xC3\xA8 stato modificato.");
    }
    if (S_ISDIR(b.st.st_mode)) throw ErroreDati(inizio + "\xC3\xA8 una cartella; indicare il nome di un file.");
    throw ErroreDati(inizio + "non \xC3\xA8 un file ma " + naturaModo(b.st.st_mode) +
                     ", che non viene n\xC3\xA9 sostituito n\xC3\xA9 scritto.");
}

} // namespace

void vietaArchivio(const std::string &percorso, const std::string &descrizione)
{
    Bersaglio b = risolvi(percorso, descrizione);
    if (b.esiste && !S_ISREG(b.st.st_mode)) return;   // never read a pipe or a device here
    controlla(percorso, b, descrizione);
}

std::string controllaDestinazione(const std::string &percorso, const std::string &descrizione)
{
    Bersaglio b = risolvi(percorso, descrizione);
    controlla(percorso, b, descrizione);
    return b.finale;
}

// ---- FileProvvisorio -----------------------------------------------------

FileProvvisorio::FileProvvisorio(const std::string &destinazione, std::string descrizione)
    : m_destinazione(destinazione), m_descrizione(std::move(descrizione))
{
    const Bersaglio b = risolvi(m_destinazione, m_descrizione);
    controlla(m_destinazione, b, m_descrizione);
    m_finale = b.finale;
    const auto barra = m_finale.rfind('/');
    const std::string cartella = barra == std::string::npos ? "." : barra == 0 ? "/" : m_finale.substr(0, barra);
    const std::string base = barra == std::string::npos ? m_finale : m_finale.substr(barra + 1);
    if (base.empty() || base == "." || base == "..")
        throw ErroreDati(inizioMessaggio(m_destinazione, m_finale, m_descrizione) + "manca il nome del file.");
    rimuoviResidui(cartella);
    for (int tentativo = 0;; ++tentativo) {
        m_temporaneo = (barra == std::string::npos ? std::string() : m_finale.substr(0, barra + 1)) + nomeTemporaneo(base);
        m_posto = registra(m_temporaneo);
        m_fd = ::open(m_temporaneo.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0) break;
        const int numero = errno;
        libera(m_posto);
        m_posto = -1;
        if (numero == EEXIST && tentativo < 100) continue;
        m_temporaneo.clear();
        m_chiuso = true;
        std::string causa = causaSistema(numero), nomeCartella = mostra(assoluto(cartella));
        if (nomeCartella.size() > 1 && nomeCartella.back() == '/') nomeCartella.pop_back();
        struct stat sc;
        if (numero == ENOENT && ::stat(cartella.c_str(), &sc) != 0) causa = "la cartella \"" + nomeCartella + "\" non esiste";
        else if (numero == EACCES || numero == EPERM || numero == EROFS)
            causa += " (nella cartella \"" + nomeCartella + "\" non si possono creare file)";
        throw ErroreDati(inizioMessaggio(m_destinazione, m_finale, m_descrizione) + causa + "." +
                         (b.esiste ? PrecedenteIntatto : ""));
    }
    struct stat st;
    if (::fstat(m_fd, &st) == 0) {
        m_dispositivo = st.st_dev;
        m_inode = st.st_ino;
    }
    if (b.esiste) {
        m_modo = b.st.st_mode & 0777;
        m_proprietario = b.st.st_uid;
        m_gruppo = b.st.st_gid;
    }
}

FileProvvisorio::~FileProvvisorio()
{
    if (!m_chiuso) annulla();
}

QString FileProvvisorio::percorsoQt() const { return QFile::decodeName(QByteArray::fromStdString(m_temporaneo)); }

void FileProvvisorio::annulla()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporaneo.empty()) ::unlink(m_temporaneo.c_str());
    libera(m_posto);
    m_posto = -1;
    m_chiuso = true;
}

void FileProvvisorio::fallita(const std::string &causa)
{
    annulla();
    throw ErroreDati(inizioMessaggio(m_destinazione, m_finale, m_descrizione) + causa + "." +
                     (esiste(m_finale) ? PrecedenteIntatto : ""));
}

void FileProvvisorio::fallitaSistema(int numero) { fallita(causaSistema(numero)); }

void FileProvvisorio::scrivi(std::string_view byte)
{
    if (m_chiuso) fallita("il file \xC3\xA8 gi\xC3\xA0 chiuso");
    while (!byte.empty()) {
        const ssize_t scritti = ::write(m_fd, byte.data(), byte.size());
        if (scritti < 0 && errno == EINTR) continue;
        if (scritti <= 0) fallitaSistema(scritti < 0 ? errno : EIO);
        byte.remove_prefix(static_cast<std::size_t>(scritti));
    }
}

void FileProvvisorio::riavvolgi()
{
    if (m_chiuso) fallita("il file \xC3\xA8 gi\xC3\xA0 chiuso");
    if (::lseek(m_fd, 0, SEEK_SET) != 0) fallitaSistema(errno);
}

std::size_t FileProvvisorio::leggi(char *dove, std::size_t quanti)
{
    if (m_chiuso) fallita("il file \xC3\xA8 gi\xC3\xA0 chiuso");
    for (;;) {
        const ssize_t letti = ::read(m_fd, dove, quanti);
        if (letti >= 0) return static_cast<std::size_t>(letti);
        if (errno != EINTR) fallitaSistema(errno);
    }
}

void FileProvvisorio::conferma()
{
    if (m_chiuso) fallita("il file \xC3\xA8 gi\xC3\xA0 chiuso");
    // What a third-party writer left at the temporary path must still be the
    // regular file created here.
    struct stat st;
    if (::lstat(m_temporaneo.c_str(), &st) != 0) fallitaSistema(errno);
    if (!S_ISREG(st.st_mode) || st.st_dev != m_dispositivo || st.st_ino != m_inode)
        fallita("il file provvisorio \"" + m_temporaneo + "\" \xC3\xA8 stato sostituito durante la scrittura");
    if (m_modo) {
        // The new file keeps the old one's permissions (and, when root writes, its owner);
        // set only now, so that a writer may still open a file that was read-only.
        if (::geteuid() == 0 && ::fchown(m_fd, *m_proprietario, *m_gruppo) != 0) {
            // not fatal: the file then belongs to root, as a new one would
        }
        ::fchmod(m_fd, *m_modo);
    }
    if (::fdatasync(m_fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) fallitaSistema(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) fallitaSistema(errno);
    // The target is checked again right before it is replaced.
    const Bersaglio b = risolvi(m_destinazione, m_descrizione);
    if (b.finale != m_finale) fallita("il collegamento \xC3\xA8 cambiato durante la scrittura");
    try {
        controlla(m_destinazione, b, m_descrizione);
    } catch (...) {
        annulla();
        throw;
    }
    if (::rename(m_temporaneo.c_str(), m_finale.c_str()) != 0) fallitaSistema(errno);
    libera(m_posto);
    m_posto = -1;
    m_temporaneo.clear();
    m_chiuso = true;
}

// ---- ScritturaFile and the one-call writers ------------------------------

ScritturaFile::ScritturaFile(std::string percorso, std::string descrizione)
    : m_percorso(std::move(percorso)), m_descrizione(std::move(descrizione))
{
    m_file = std::make_unique<FileProvvisorio>(m_percorso, m_descrizione);
}

ScritturaFile::~ScritturaFile() = default;

void ScritturaFile::scrivi(std::string_view byte)
{
    if (!m_file) throw ErroreDati("Impossibile scrivere " + m_descrizione + " \"" + m_percorso + "\": il file \xC3\xA8 gi\xC3\xA0 chiuso.");
    m_file->scrivi(byte);
}

void ScritturaFile::conferma()
{
    if (!m_file) throw ErroreDati("Impossibile scrivere " + m_descrizione + " \"" + m_percorso + "\": il file \xC3\xA8 gi\xC3\xA0 chiuso.");
    std::unique_ptr<FileProvvisorio> f = std::move(m_file);
    f->conferma();
}

void ScritturaFile::annulla() { m_file.reset(); }

void scriviFileAtomico(const std::string &percorso, std::string_view contenuto, const std::string &descrizione)
{
    FileProvvisorio f(percorso, descrizione);
    f.scrivi(contenuto);
    f.conferma();
}

void controllaFileDaLeggere(const std::string &percorso, const std::string &descrizione)
{
    struct stat st;
    if (::stat(percorso.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return;
    throw ErroreDati("Impossibile leggere " + descrizione + " \"" + percorso + "\": non \xC3\xA8 un file ma " +
                     naturaModo(st.st_mode) + ".");
}

void copiaFileAtomico(const std::string &sorgente, const std::string &destinazione, const std::string &descrizione)
{
    controllaFileDaLeggere(sorgente, "il file");
    QFile in(QString::fromStdString(sorgente));
    errno = 0;
    if (!in.open(QIODevice::ReadOnly))
        throw ErroreDati("Impossibile leggere il file \"" + sorgente + "\": " + causaFile(in, errno) + ".");
    FileProvvisorio out(destinazione, descrizione);
    std::string blocco(std::size_t{1} << 20, '\0');
    for (;;) {
        errno = 0;
        const qint64 letti = in.read(blocco.data(), static_cast<qint64>(blocco.size()));
        if (letti < 0) {
            const int numero = errno;
            throw ErroreDati("Impossibile leggere il file \"" + sorgente + "\": " + causaFile(in, numero) + ".");
        }
        if (letti == 0) break;
        out.scrivi(std::string_view(blocco.data(), static_cast<std::size_t>(letti)));
    }
    out.conferma();
}

void sostituisciFile(const std::string &temporaneo, const std::string &finale, const std::string &descrizione)
{
    try {
        const Bersaglio b = risolvi(finale, descrizione);
        controlla(finale, b, descrizione);
        if (::rename(temporaneo.c_str(), b.finale.c_str()) != 0) {
            const int numero = errno;
            throw ErroreDati(inizioMessaggio(finale, b.finale, descrizione) + causaSistema(numero) + "." +
                             (b.esiste ? PrecedenteIntatto : ""));
        }
    } catch (...) {
        ::unlink(temporaneo.c_str());
        throw;
    }
}

void scriviDispositivo(const std::string &dispositivo, std::string_view byte, const std::string &descrizione)
{
    struct stat st;
    if (::stat(dispositivo.c_str(), &st) != 0 || S_ISREG(st.st_mode)) {
        scriviFileAtomico(dispositivo, byte, descrizione);
        return;
    }
    const std::string inizio = "Impossibile scrivere " + descrizione + " \"" + dispositivo + "\": ";
    if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode))
        throw ErroreDati(inizio + "non \xC3\xA8 un file n\xC3\xA9 un dispositivo di stampa ma " + naturaModo(st.st_mode) + ".");
    // Opened without waiting; the writes then wait for a slow device or reader.
    const int fd = ::open(dispositivo.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int numero = errno;
        if (numero == ENXIO && S_ISFIFO(st.st_mode))
            throw ErroreDati(inizio + "nessun programma sta leggendo la pipe. Nulla \xC3\xA8 stato scritto.");
        throw ErroreDati(inizio + causaSistema(numero) + ".");
    }
    const int flag = ::fcntl(fd, F_GETFL);
    if (flag >= 0) ::fcntl(fd, F_SETFL, flag & ~O_NONBLOCK);
    while (!byte.empty()) {
        const ssize_t scritti = ::write(fd, byte.data(), byte.size());
        if (scritti < 0 && errno == EINTR) continue;
        if (scritti <= 0) {
            const int numero = scritti < 0 ? errno : EIO;
            ::close(fd);
            throw ErroreDati(inizio + causaSistema(numero) + ".");
        }
        byte.remove_prefix(static_cast<std::size_t>(scritti));
    }
    if (::close(fd) != 0 && errno != EINTR) throw ErroreDati(inizio + causaSistema(errno) + ".");
}

bool fileTerminaCon(const std::string &percorso, std::string_view marca)
{
    controllaFileDaLeggere(percorso, "il file");
    const int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char coda[256];
    const off_t dimensione = ::lseek(fd, 0, SEEK_END);
    const off_t da = dimensione > static_cast<off_t>(sizeof coda) ? dimensione - static_cast<off_t>(sizeof coda) : 0;
    const ssize_t letti = dimensione > 0 ? ::pread(fd, coda, sizeof coda, da) : 0;
    ::close(fd);
    if (letti <= 0) return false;
    std::string_view fine(coda, static_cast<std::size_t>(letti));
    while (!fine.empty() && (fine.back() == '\n' || fine.back() == '\r' || fine.back() == ' ')) fine.remove_suffix(1);
    return fine.size() >= marca.size() && fine.substr(fine.size() - marca.size()) == marca;
}

int apriScaricoNullo() { return ::open("/dev/null", O_WRONLY | O_CLOEXEC); }

} // namespace pc::dati
