#pragma once

#include <QSaveFile>

#include <exception>
#include <memory>
#include <string>
#include <string_view>

class QFileDevice;

namespace pc {

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

// Writes one file all at once: the bytes go to a temporary file beside the
// target, which takes the target's name only when every write, the flush and
// the final rename succeeded. On any failure an ErroreDati names the file and
// the cause in Italian, the temporary file is removed and the previous file
// stays as it was. A target that exists but is a device or a pipe (not a
// regular file, not a folder) cannot be replaced: it is written directly.
// A target that is one of the hotel's databases is refused before anything
// is written (see vietaArchivio).
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
    [[noreturn]] void fallita(int numero);

    std::string m_percorso;
    std::string m_descrizione;
    std::unique_ptr<QFileDevice> m_file;
    bool m_diretta = false;
    bool m_chiusa = false;
};

// The whole file in one call.
void scriviFileAtomico(const std::string &percorso, std::string_view contenuto,
                       const std::string &descrizione = "il file");

// Copies the file `sorgente` into `destinazione` as above, in blocks (a
// large file is never held whole in memory).
void copiaFileAtomico(const std::string &sorgente, const std::string &destinazione,
                      const std::string &descrizione = "il file");

// Gives `temporaneo` (a finished file beside `finale`) the name `finale`; on
// failure removes it and throws ErroreDati naming `finale`.
void sostituisciFile(const std::string &temporaneo, const std::string &finale, const std::string &descrizione);

} // namespace pc
