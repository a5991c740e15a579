#pragma once

// The analysis's outputs without a window: the csv file other programs read,
// the terminal summary, the spreadsheet. Every file is written beside the old
// one and replaces it only when complete; failures throw ErroreDati with an
// Italian message naming the file, leaving the old file as it was.

#include "Analisi.h"

#include "ScritturaFile.h"

#include <QString>

#include <functional>

#include <memory>
#include <string>

namespace pc::analisi {

// A csv field (";" separated): quoted, with inner quotes doubled, when it
// holds a separator, a quote or a line break.
std::string virgolette(const std::string &t);

// "Data;Colonna;Disponibili;Vendute;Occupazione;Ricavo;ADR;RevPAR" (with the
// comparison: ";Vendute_AP;Occupazione_AP;Ricavo_AP;ADR_AP;RevPAR_AP"), then
// ";Prenotate" (";Prenotate_AP"), and with a budget by month or year
// ";Budget_Vendute;Budget_Ricavo;Scost_Vendute;Scost_Ricavo"; UTF-8, decimal
// comma: the lines (days "gg/mm/aaaa", months "mm/aaaa" or years "aaaa") of
// every column, the columns' totals ("TOTALE"), then the hotel's lines and
// total ("Totale albergo").
class ScrittoreCsv : public Destinatario {
public:
    explicit ScrittoreCsv(const QString &nome);
    void inizio(const Intestazione &i) override;
    void giorno(Giorno g, const Cifre *colonne, const Cifre &albergo) override;
    void periodo(Periodicita p, const Periodo &periodo, const Cifre *colonne, const Cifre &albergo) override;
    void fine(const Cifre *colonne, const Cifre &albergo) override;

private:
    bool conBudget() const;
    void riga(std::string &dove, const std::string &data, const std::string &colonna, const Cifre &c) const;
    void svuota(bool sempre);

    std::string m_nome;
    std::unique_ptr<dati::FileProvvisorio> m_file;
    Intestazione m_i;
    std::vector<std::string> m_colonne;   // quoted where needed
    std::string m_blocco, m_albergo;
};

// The period summary table for a terminal (UTF-8, at most 100 columns wide:
// the fields go over as many blocks as needed), one line per column and the
// hotel's; with the comparison, last year's figures and the differences; by
// month or year, the hotel's lines after it. Amounts with thousands separators.
std::string testoRiepilogo(const Riepilogo &r, char separatore);
// "1234567,50" -> "1.234.567,50" (with '.' as the decimal separator, "1,234,567.50").
std::string conMigliaia(const std::string &numero, char separatoreDecimale);

// The spreadsheet: a summary sheet and the ratio sheets as formulas over the
// day sheets (sold, booked, revenue and available rooms: days down, columns
// across, totals as formulas), a sheet of the month lines (with the budget),
// charts of occupancy and RevPAR per day; pages set up for printing.
class ScrittoreXlsx : public Destinatario {
public:
    explicit ScrittoreXlsx(const QString &nome);
    ~ScrittoreXlsx() override;
    void inizio(const Intestazione &i) override;
    void giorno(Giorno g, const Cifre *colonne, const Cifre &albergo) override;
    void periodo(Periodicita p, const Periodo &periodo, const Cifre *colonne, const Cifre &albergo) override;
    void fine(const Cifre *colonne, const Cifre &albergo) override;

private:
    struct Stato;
    std::unique_ptr<Stato> m_stato;
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
