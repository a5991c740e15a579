#pragma once

// The one door through which the program writes files. Nothing else opens a
// file for writing (a structural test checks the sources):
//  - ScritturaFile / scriviFileAtomico / copiaFileAtomico write bytes;
//  - FileProvvisorio gives a third-party writer (libxlsxwriter, Qt's PDF
//    writer and printer) a temporary path beside the target and then puts the
//    finished file in place;
//  - scriviDispositivo writes raw bytes on a print device.
//
// The rules every writer follows:
//  - the bytes go to a temporary file beside the target, named
//    ".<name>.pc-tmp.<host>.<pid>.<random>", which takes the target's name
//    only when every write, the flush and the rename succeeded; on any failure
//    the temporary file goes and the previous file stays as it was;
//  - a temporary file is also removed when the run ends by a signal
//    (SIGTERM, SIGINT, SIGHUP, SIGXFSZ, ...); what a SIGKILL leaves behind is
//    removed by a later write in that folder once its process is gone (same
//    host only: another workstation's file in progress is never touched);
//  - a target that is, or leads by symbolic links to, one of the hotel's
//    databases (recognised by content) is never written;
//  - a target that exists and is not a regular file (a folder, a device, a
//    pipe, a socket) is refused before anything is opened, so nothing blocks;
//  - a symbolic link is followed: the file it leads to is replaced in its own
//    folder and the link stays (a link to a missing file creates that file).

#include <QString>

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

class QFileDevice;

namespace pc::dati {

// Italian text of a system error (errno); "errore di sistema n. N" for a
// number it does not know.
std::string causaSistema(int numero);

// Italian text of the failure of a Qt file: from the system error saved right
// after the failing call (0 if none) or else from the file's error kind.
std::string causaFile(const QFileDevice &file, int numero);

// Italian text of any exception: the data store's own message as it is,
// and for the others (memory exhausted, a file system error, anything) a
// message that names the cause without the library's English.
std::string descriviEccezione(std::exception_ptr eccezione);

// What a path that is not a regular file really is ("una cartella", "una
// pipe (FIFO)", "un dispositivo a caratteri", ...); empty for a regular file
// or a missing path. Links are followed.
std::string naturaPercorso(const std::string &percorso);

// Throws ErroreDati when `percorso`, or the file a chain of symbolic links
// leads it to, is one of the hotel's databases (recognised by its content):
// such a file is never written. `descrizione` names the file in the message
// ("il file del report").
void vietaArchivio(const std::string &percorso, const std::string &descrizione);

// Checks a target before any work is done and returns the path the writer
// will really replace (links followed). Throws ErroreDati, in Italian, for a
// database, a path that exists and is not a regular file, a link that loops.
std::string controllaDestinazione(const std::string &percorso, const std::string &descrizione = "il file");

// A temporary file beside a target (beside the file the target's links lead
// to). Either bytes are written through scrivi(), or a third-party writer
// writes the file at percorso(); conferma() then checks the temporary file
// and gives it the target's name (with the old file's permissions). Without
// conferma() the temporary file is removed (destructor, annulla()).
class FileProvvisorio {
public:
    explicit FileProvvisorio(const std::string &destinazione, std::string descrizione = "il file");
    ~FileProvvisorio();
    FileProvvisorio(const FileProvvisorio &) = delete;
    FileProvvisorio &operator=(const FileProvvisorio &) = delete;

    // The temporary file's path, for a writer that opens it itself.
    const std::string &percorso() const { return m_temporaneo; }
    QString percorsoQt() const;
    // The target as it was given.
    const std::string &destinazione() const { return m_destinazione; }

    void scrivi(std::string_view byte);
    // Back to the start and read: a scratch file that is never confirmed.
    void riavvolgi();
    std::size_t leggi(char *dove, std::size_t quanti);

    void conferma();
    void annulla();
    // An ErroreDati naming the target, the cause, and whether the old file stayed.
    [[noreturn]] void fallita(const std::string &causa);

private:
    [[noreturn]] void fallitaSistema(int numero);

    std::string m_destinazione, m_finale, m_descrizione, m_temporaneo;
    int m_fd = -1;
    int m_posto = -1;
    dev_t m_dispositivo = 0;
    ino_t m_inode = 0;
    std::optional<mode_t> m_modo;   // the old file's, given to the new one
    std::optional<uid_t> m_proprietario;
    std::optional<gid_t> m_gruppo;
    bool m_chiuso = false;
};

// Writes one file through a FileProvvisorio, a piece at a time.
class ScritturaFile {
public:
    ScritturaFile(std::string percorso, std::string descrizione = "il file");
    ~ScritturaFile();
    ScritturaFile(const ScritturaFile &) = delete;
    ScritturaFile &operator=(const ScritturaFile &) = delete;

    void scrivi(std::string_view byte);
    // Makes the file final. After a failure nothing is left but the old file.
    void conferma();
    // Drops what was written; the old file stays as it was.
    void annulla();

private:
    std::unique_ptr<FileProvvisorio> m_file;
    std::string m_percorso, m_descrizione;
};

// The whole file in one call.
void scriviFileAtomico(const std::string &percorso, std::string_view contenuto,
                       const std::string &descrizione = "il file");

// Copies the file `sorgente` into `destinazione` as above, in blocks (a
// large file is never held whole in memory). A source that is not a regular
// file (a pipe, a device) is refused: it is never read.
void copiaFileAtomico(const std::string &sorgente, const std::string &destinazione,
                      const std::string &descrizione = "il file");

// Gives `temporaneo` (a finished file beside `finale`) the name `finale`,
// with the checks of controllaDestinazione; on failure removes it and throws
// ErroreDati naming `finale`.
void sostituisciFile(const std::string &temporaneo, const std::string &finale, const std::string &descrizione);

// Raw bytes on a print destination: a character device or a pipe with a
// reader is written in place (opened without waiting: a pipe nobody reads is
// an error, not a hang); a regular or missing file is written as above;
// anything else is refused.
void scriviDispositivo(const std::string &dispositivo, std::string_view byte, const std::string &descrizione);

// True when the file's last bytes, blanks and line ends aside, are `marca`
// ("%%EOF": a PDF written to the end, where the writer reports no failure).
bool fileTerminaCon(const std::string &percorso, std::string_view marca);

// A descriptor on /dev/null for writing (to hide a library's own output);
// -1 on failure. The caller closes it.
int apriScaricoNullo();

// Throws ErroreDati when `percorso` exists and is not a regular file (it
// would block or make no sense to read): the input files' check.
void controllaFileDaLeggere(const std::string &percorso, const std::string &descrizione);

} // namespace pc::dati
