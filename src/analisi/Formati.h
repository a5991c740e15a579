#pragma once

// The analysis's outputs without a window: the csv file other programs read,
// the terminal summary, the spreadsheet. Every file is written beside the old
// one and replaces it only when complete; failures throw ErroreDati with an
// Italian message naming the file, leaving the old file as it was.

#include "Analisi.h"

#include "ScritturaFile.h"

#include <QString>

#include <memory>
#include <string>

namespace pc::analisi {

// "Data;Colonna;Disponibili;Vendute;Occupazione;Ricavo;ADR;RevPAR" (with the
// comparison: ";Vendute_AP;Occupazione_AP;Ricavo_AP;ADR_AP;RevPAR_AP"), UTF-8,
// decimal comma: the days of every column, the columns' totals ("TOTALE"),
// then the hotel's days and total ("Totale albergo").
class ScrittoreCsv : public Destinatario {
public:
    explicit ScrittoreCsv(const QString &nome);
    void inizio(const Intestazione &i) override;
    void giorno(Giorno g, const Cifre *colonne, const Cifre &albergo) override;
    void fine(const Cifre *colonne, const Cifre &albergo) override;

private:
    void riga(std::string &dove, const std::string &data, const std::string &colonna, const Cifre &c) const;
    void svuota(bool sempre);

    std::string m_nome;
    std::unique_ptr<FileProvvisorio> m_file;
    Intestazione m_i;
    std::vector<std::string> m_colonne;   // quoted where needed
    std::string m_blocco, m_albergo;
};

// The period summary table for a terminal (UTF-8), one line per column and
// the hotel's; with the comparison, last year's figures and the differences.
std::string testoRiepilogo(const Riepilogo &r, char separatore);

// The spreadsheet: a summary sheet, one sheet per measure (days down, columns
// across, totals as formulas) and a chart of occupancy and RevPAR per day.
class ScrittoreXlsx : public Destinatario {
public:
    explicit ScrittoreXlsx(const QString &nome);
    ~ScrittoreXlsx() override;
    void inizio(const Intestazione &i) override;
    void giorno(Giorno g, const Cifre *colonne, const Cifre &albergo) override;
    void fine(const Cifre *colonne, const Cifre &albergo) override;

private:
    struct Stato;
    std::unique_ptr<Stato> m;
};

// The limits of a workbook's sheet; a period or a grouping beyond them is
// refused before anything is computed.
constexpr long RigheMassimeXlsx = 1048576;
constexpr long ColonneMassimeXlsx = 16384;
// Why `giorni` days of `colonne` columns do not fit in a sheet; empty when they do.
std::string fuoriLimitiXlsx(long giorni, std::size_t colonne);

// Writes bytes to a file through the file writer (ScritturaFile.h).
void scriviFile(const QString &nome, const std::string &contenuto);

} // namespace pc::analisi
