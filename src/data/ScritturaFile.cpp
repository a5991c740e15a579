#include "ScritturaFile.h"

#include "ErroreDati.h"
#include "Sorgente.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

namespace pc {

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

void vietaArchivio(const std::string &percorso, const std::string &descrizione)
{
    std::error_code ec;
    if (!fs::is_regular_file(percorso, ec)) return;   // never read a pipe or a device here
    const dati::TipoArchivio tipo = dati::riconosciArchivio(percorso);
    if (tipo == dati::TipoArchivio::Nessuno) return;
    std::string tramite;
    if (fs::is_symlink(percorso, ec)) {
        const fs::path vero = fs::canonical(percorso, ec);
        if (!ec) tramite = " (un collegamento a \"" + vero.string() + "\")";
    }
    throw ErroreDati("Impossibile scrivere " + descrizione + " \"" + percorso + "\"" + tramite +
                     ": \xC3\xA8 un archivio " + (tipo == dati::TipoArchivio::Sqlite ? "SQLite" : "Jet/Access") +
                     " dell'albergo e non viene mai sovrascritto. Il file non \xC3\xA8 stato modificato.");
}

ScritturaFile::ScritturaFile(std::string percorso, std::string descrizione)
    : m_percorso(std::move(percorso)), m_descrizione(std::move(descrizione))
{
    vietaArchivio(m_percorso, m_descrizione);
    const std::string natura = naturaPercorso(m_percorso);
    if (natura == "una cartella")
        throw ErroreDati("Impossibile scrivere " + m_descrizione + " \"" + m_percorso + "\": \xC3\xA8 una cartella.");
    const QString nome = QString::fromStdString(m_percorso);
    m_diretta = !natura.empty();
    if (m_diretta) {
        // A device or a pipe: written in place, every write checked.
        auto f = std::make_unique<QFile>(nome);
        errno = 0;
        const bool aperto = f->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        m_file = std::move(f);
        if (!aperto) fallita(errno);
        return;
    }
    auto f = std::make_unique<QSaveFile>(nome);
    errno = 0;
    const bool aperto = f->open(QIODevice::WriteOnly);
    m_file = std::move(f);
    if (!aperto) fallita(errno);
}

ScritturaFile::~ScritturaFile()
{
    if (!m_chiusa) annulla();
}

void ScritturaFile::annulla()
{
    if (m_chiusa) return;
    m_chiusa = true;
    if (!m_file) return;
    if (auto *s = dynamic_cast<QSaveFile *>(m_file.get())) s->cancelWriting();
    else m_file->close();
    m_file.reset();   // a QSaveFile not committed removes its temporary file here
}

void ScritturaFile::fallita(int numero)
{
    const std::string causa = m_file ? causaFile(*m_file, numero) : causaSistema(numero);
    annulla();
    std::string esito;
    std::error_code ec;
    if (!m_diretta && fs::exists(m_percorso, ec)) esito = " Il file precedente non \xC3\xA8 stato modificato.";
    throw ErroreDati("Impossibile scrivere " + m_descrizione + " \"" + m_percorso + "\": " + causa + "." + esito);
}

void ScritturaFile::scrivi(std::string_view byte)
{
    if (m_chiusa) throw ErroreDati("Impossibile scrivere " + m_descrizione + " \"" + m_percorso + "\": il file \xC3\xA8 gi\xC3\xA0 chiuso.");
    while (!byte.empty()) {
        errno = 0;
        const qint64 scritti = m_file->write(byte.data(), static_cast<qint64>(byte.size()));
        if (scritti <= 0) fallita(errno);
        byte.remove_prefix(static_cast<std::size_t>(scritti));
    }
}

void ScritturaFile::conferma()
{
    if (m_chiusa) throw ErroreDati("Impossibile scrivere " + m_descrizione + " \"" + m_percorso + "\": il file \xC3\xA8 gi\xC3\xA0 chiuso.");
    errno = 0;
    if (!m_file->flush()) fallita(errno);
    if (m_file->error() != QFileDevice::NoError) fallita(errno);
    if (auto *s = dynamic_cast<QSaveFile *>(m_file.get())) {
        errno = 0;
        if (!s->commit()) fallita(errno);
        m_file.reset();
    } else {
        m_file->close();
        if (m_file->error() != QFileDevice::NoError) fallita(errno);
    }
    m_chiusa = true;
}

void scriviFileAtomico(const std::string &percorso, std::string_view contenuto, const std::string &descrizione)
{
    ScritturaFile f(percorso, descrizione);
    f.scrivi(contenuto);
    f.conferma();
}

void copiaFileAtomico(const std::string &sorgente, const std::string &destinazione, const std::string &descrizione)
{
    QFile in(QString::fromStdString(sorgente));
    errno = 0;
    if (!in.open(QIODevice::ReadOnly))
        throw ErroreDati("Impossibile leggere il file \"" + sorgente + "\": " + causaFile(in, errno) + ".");
    ScritturaFile out(destinazione, descrizione);
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
        vietaArchivio(finale, descrizione);
        const std::string natura = naturaPercorso(finale);
        if (!natura.empty())
            throw ErroreDati("Impossibile scrivere " + descrizione + " \"" + finale + "\": non \xC3\xA8 un file ma " + natura + ".");
        errno = 0;
        if (std::rename(temporaneo.c_str(), finale.c_str()) != 0) {
            const int numero = errno;
            std::string esito;
            std::error_code ec;
            if (fs::exists(finale, ec)) esito = " Il file precedente non \xC3\xA8 stato modificato.";
            throw ErroreDati("Impossibile scrivere " + descrizione + " \"" + finale + "\": " + causaSistema(numero) + "." + esito);
        }
    } catch (...) {
        std::remove(temporaneo.c_str());
        throw;
    }
}

} // namespace pc
