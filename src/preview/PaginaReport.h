#pragma once

#include "ErroreDati.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <string>

namespace pc::anteprima {

// A step on the open report file failed (the file is not open any more, or
// reading it failed). Retrying after reopening the file may succeed.
class ErroreFileReport : public dati::ErroreDati {
public:
    using dati::ErroreDati::ErroreDati;
};

// Reads the report file page by page for the preview. The file stays open
// between pages. Lines are read as Windows-1252, cleaned with ConvertiBordi
// and returned as screen text, each line followed by '\n'.
class PaginaReport {
public:
    // Page limits, in characters of the report lines (line ends not counted).
    static constexpr std::int32_t LimitePrimaPagina = 20000;
    static constexpr std::int32_t LimitePagine = 26000;

    explicit PaginaReport(std::string file);

    const std::string &file() const { return m_file; }

    // Opens the report file at its start. False when it does not exist or
    // cannot be opened.
    bool apri();
    bool aperto() const { return m_f.isOpen(); }
    void chiudi();

    // Reopens the file after a failed step and goes back to where the next
    // page starts (its end, if the file became shorter). Throws
    // ErroreFileReport when the file cannot be opened.
    void riapriDoveEra();

    // Loads the next page: lines are added while the file has lines left and
    // fewer than `limite` characters are on the page, so the line that
    // reaches the limit still belongs to the page. Sets caratteriPagina() and
    // altreRighe(). Throws ErroreFileReport when the file is not open or
    // cannot be read.
    QString caricaPagina(std::int32_t limite);

    // Goes back to the start: closes and reopens the file, then loads the
    // first page with `limite`.
    QString ricomincia(std::int32_t limite);

    // Replaces the report file with `testo` (as shown on screen) followed by
    // one more CR LF, in Windows-1252, then reopens it for reading at its
    // start. caratteriPagina() and altreRighe() keep their values. Throws
    // ErroreDati when the file cannot be written (it then stays as it was and
    // reading goes on where it was).
    void salva(const QString &testo);

    std::int32_t caratteriPagina() const { return m_caratteri; }
    // 1 when the file has lines after the page loaded last, else 0.
    std::int16_t altreRighe() const { return m_altreRighe; }

private:
    void apriOppureErrore();

    std::string m_file;
    QFile m_f;
    qint64 m_posizione = 0;   // where the next page starts
    std::int32_t m_caratteri = 0;
    std::int16_t m_altreRighe = 0;
};

} // namespace pc::anteprima
