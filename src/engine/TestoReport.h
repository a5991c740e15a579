#pragma once

#include "Richiesta.h"
#include "Valuta.h"

#include <string>
#include <string_view>
#include <vector>

namespace pc {

// The lines of the report text file. Every text here is Windows-1252 bytes,
// with the box-drawing bytes of the IBM PC set. Columns are 10 characters
// wide; a column whose heading or figures are longer is widened on every line
// so that nothing is cut and the table stays aligned.
class TestoReport {
public:
    static constexpr int LarghezzaColonna = 10;

    // larghezze[0] is the date column, larghezze[k] the column of row k.
    explicit TestoReport(std::vector<int> larghezze) : m_larghezze(std::move(larghezze)) {}

    static std::string titolo(const RichiestaReport &richiesta);

    std::string bordoSuperiore() const { return bordo('\xDA', '\xC2', '\xBF'); }
    std::string separatore() const { return bordo('\xC3', '\xC5', '\xB4'); }
    std::string bordoInferiore() const { return bordo('\xC0', '\xC1', '\xD9'); }
    // Heading: "   DATA   " then the keys, left-aligned.
    std::string intestazione(const std::vector<std::string> &chiavi) const;
    // Day or totals line: the first cell left-aligned, figures right-aligned.
    std::string riga(std::string_view prima, const std::vector<std::string> &cifre) const;
    // The same line, appended to out with its CR LF, straight from the
    // figures (one per column) with the given decimals.
    void aggiungiRiga(std::string &out, std::string_view prima, const dati::Valuta *cifre, int decimali, char separatore) const;

private:
    std::string bordo(char inizio, char giunto, char fine) const;
    std::vector<int> m_larghezze;
};

// The report as UTF-8 for a terminal: box-drawing bytes shown as the lines they
// stand for, every other byte decoded from Windows-1252, CR LF as LF.
std::string reportPerTerminale(std::string_view contenuto);

} // namespace pc
