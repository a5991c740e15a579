#include "ConvertiXLS.h"

#include "ErroreDati.h"
#include "FileReport.h"
#include "FileTesto.h"
#include "ScritturaFile.h"
#include "Testo.h"

#include <fstream>
#include <string_view>
#include <vector>

using pc::dati::ErroreDati;
using pc::dati::ScritturaFile;
using pc::dati::controllaFileDaLeggere;

namespace pc::anteprima {

namespace {

bool cifra(const std::string &riga, std::size_t i)
{
    // Positions before the first or after the last character hold no digit;
    // `i` wraps to a huge value for "position 0".
    return i < riga.size() && riga[i] >= '0' && riga[i] <= '9';
}

// A digit before `i` and two after it.
bool traCifre(const std::string &riga, std::size_t i)
{
    return i > 0 && cifra(riga, i - 1) && cifra(riga, i + 1) && cifra(riga, i + 2);
}

// A UTF-8 text with at least one character outside ASCII and nothing that
// UTF-8 forbids: a settings file saved by an editor as UTF-8.
bool utf8NonAscii(std::string_view t)
{
    bool oltreAscii = false;
    for (std::size_t i = 0; i < t.size();) {
        const auto c = static_cast<unsigned char>(t[i]);
        std::size_t n = 0;
        if (c < 0x80) n = 1;
        else if (c >= 0xC2 && c <= 0xDF) n = 2;
        else if (c >= 0xE0 && c <= 0xEF) n = 3;
        else if (c >= 0xF0 && c <= 0xF4) n = 4;
        else return false;
        if (i + n > t.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return false;
        oltreAscii = oltreAscii || n > 1;
        i += n;
    }
    return oltreAscii;
}

} // namespace

SeparatoriXLS leggiSeparatoriXLS(const std::string &file)
{
    SeparatoriXLS s;
    std::string contenuto;
    if (!filetesto::leggi(file, contenuto)) return s;
    // Saved by an editor as UTF-8 (with or without its mark): read as such.
    if (contenuto.rfind("\xEF\xBB\xBF", 0) == 0) contenuto = dati::testo::utf8InCp1252(std::string_view(contenuto).substr(3));
    else if (utf8NonAscii(contenuto)) contenuto = dati::testo::utf8InCp1252(contenuto);
    const auto r = filetesto::righe(contenuto);
    if (r.size() > 0) s.campo = r[0];
    if (r.size() > 1) s.decimale = r[1];
    if (r.size() > 2) s.valuta = r[2];
    return s;
}

std::optional<std::vector<bool>> corniceDellaRiga(const std::string &riga)
{
    if (riga.empty()) return std::nullopt;
    const auto primo = static_cast<unsigned char>(riga[0]);
    if (primo != 218 && primo != 195 && primo != 192) return std::nullopt;
    std::vector<bool> cornice(riga.size(), false);
    bool regola = false;
    for (std::size_t i = 0; i < riga.size(); ++i) {
        switch (static_cast<unsigned char>(riga[i])) {
        case 196: regola = true; break;
        case 218: case 194: case 191: case 195: case 197: case 180: case 192: case 193: case 217:
            cornice[i] = true;
            break;
        default: return std::nullopt;
        }
    }
    if (!regola) return std::nullopt;
    return cornice;
}

std::string convertiRigaXLS(const std::string &riga, const SeparatoriXLS &sep, char virgola, const std::vector<bool> *cornice)
{
    const char migliaia = virgola == '.' ? ',' : '.';
    std::string uscita;
    uscita.reserve(riga.size() + 16);
    const std::size_t n = riga.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(riga[i]);
        const bool suCornice = !cornice || (i < cornice->size() && (*cornice)[i]);
        switch (suCornice ? c : 0) {
        case 217: case 197: case 194: case 195: case 192: case 193: case 179: case 191: case 218:
        case '|': case '+':
            uscita += sep.campo;
            continue;
        case 180:
            // The right end of a separator line closes the last field;
            // anywhere else it is part of a rule.
            if (i + 1 == n) uscita += sep.campo;
            else uscita += ' ';
            continue;
        case 196:
            uscita += ' ';
            continue;
        default:
            break;
        }
        if (c == static_cast<unsigned char>(virgola)) {
            if (traCifre(riga, i)) {
                // The currency sign takes the place of the nearest blank
                // before the amount (the last blank of its right alignment).
                // With no blank at all there is no place for it.
                if (!sep.valuta.empty()) {
                    const auto spazio = uscita.rfind(' ');
                    if (spazio != std::string::npos) uscita[spazio] = sep.valuta[0];
                }
                uscita += sep.decimale;
            } else if (c == ',') {
                uscita += ' ';   // a stray comma would split the field
            } else {
                uscita += riga[i];
            }
            continue;
        }
        if (c == static_cast<unsigned char>(migliaia)) {
            if (traCifre(riga, i)) continue;   // thousands mark: dropped
            uscita += c == ',' ? ' ' : riga[i];
            continue;
        }
        if (c == '-') {
            uscita += cifra(riga, i + 1) ? '-' : ' ';
            continue;
        }
        uscita += riga[i];
    }
    return uscita;
}

std::string nomeFileCsv() { return nomeFileReport() + ".csv"; }

namespace {

constexpr unsigned char Verticale = 179;

// The decimal mark of the amounts of a day or totals line of a report: a
// report's figures carry exactly two decimals and no thousands marks, so the
// character before the last two digits of a figure is its decimal mark.
// NessunaCifra for a line that is not a line of figures, InteriSoli for one
// whose figures are whole numbers.
constexpr int NessunaCifra = -1;
constexpr int InteriSoli = 0;
int virgolaDellaRiga(const std::string &riga)
{
    if (riga.empty() || static_cast<unsigned char>(riga[0]) != Verticale) return NessunaCifra;
    const std::size_t primaCella = riga.find(static_cast<char>(Verticale), 1);
    if (primaCella == std::string::npos || dati::testo::trim(std::string_view(riga).substr(1, primaCella - 1)) == "DATA")
        return NessunaCifra;
    bool cifre = false;
    for (std::size_t i = primaCella + 1; i < riga.size(); ++i) {
        cifre = cifre || cifra(riga, i);
        // A figure ends at a frame character: "...d,dd" + 179.
        if (static_cast<unsigned char>(riga[i]) == Verticale && i >= 4 && (riga[i - 3] == ',' || riga[i - 3] == '.') &&
            cifra(riga, i - 1) && cifra(riga, i - 2) && cifra(riga, i - 4))
            return riga[i - 3];
    }
    return cifre ? InteriSoli : NessunaCifra;
}

// The lines of a text file read block by block: CR LF, CR or LF end a line;
// a last line without its end is a line too.
class LettoreRighe {
public:
    explicit LettoreRighe(const std::string &file) : m_f(file, std::ios::binary) {}
    bool aperto() const { return static_cast<bool>(m_f); }
    bool errore() const { return m_f.bad(); }

    bool prossima(std::string &riga)
    {
        for (;;) {
            const std::size_t fine = m_dati.find_first_of("\r\n", m_pos);
            if (fine != std::string::npos && (fine + 1 < m_dati.size() || m_dati[fine] == '\n' || m_finito)) {
                riga.assign(m_dati, m_pos, fine - m_pos);
                m_pos = fine + 1;
                if (m_dati[fine] == '\r' && m_pos < m_dati.size() && m_dati[m_pos] == '\n') ++m_pos;
                return true;
            }
            if (m_finito) {
                if (m_pos >= m_dati.size()) return false;
                riga.assign(m_dati, m_pos);
                m_pos = m_dati.size();
                return true;
            }
            m_dati.erase(0, m_pos);
            m_pos = 0;
            const std::size_t prima = m_dati.size();
            m_dati.resize(prima + Blocco);
            m_f.read(m_dati.data() + prima, static_cast<std::streamsize>(Blocco));
            m_dati.resize(prima + static_cast<std::size_t>(m_f.gcount()));
            if (!m_f) m_finito = true;
        }
    }

private:
    static constexpr std::size_t Blocco = std::size_t{1} << 20;
    std::ifstream m_f;
    std::string m_dati;
    std::size_t m_pos = 0;
    bool m_finito = false;
};

// A line of the table the frame was read from: as wide as its border lines,
// with a frame character at each frame position. Any other line is converted
// without it.
bool nellaCornice(const std::string &riga, const std::vector<bool> &cornice)
{
    if (riga.size() != cornice.size()) return false;
    for (std::size_t i = 0; i < riga.size(); ++i) {
        if (!cornice[i]) continue;
        switch (static_cast<unsigned char>(riga[i])) {
        case 217: case 197: case 194: case 195: case 192: case 193: case 179: case 191: case 218: case 180:
        case '|': case '+':
            break;
        default: return false;
        }
    }
    return true;
}

// Converts `testo` into the spreadsheet file; `virgola` '\0' means "the
// report's own mark", read from its first lines of figures.
void converti(const std::string &testo, char virgola)
{
    const SeparatoriXLS sep = leggiSeparatoriXLS();
    controllaFileDaLeggere(testo, "il file del report");   // a pipe or a device is never opened
    LettoreRighe in(testo);
    if (!in.aperto()) {
        throw ErroreDati("Impossibile leggere il file del report \"" + testo +
                         "\": il file non esiste o non si pu\xC3\xB2 aprire. Preparare prima la stampa.");
    }
    ScritturaFile out(nomeFileCsv(), "il file per il foglio elettronico");
    std::string uscita;
    // The frame of the table being read, from its last border line.
    std::optional<std::vector<bool>> cornice;
    auto scrivi = [&](const std::string &riga) {
        if (auto bordo = corniceDellaRiga(riga)) {
            uscita += convertiRigaXLS(riga, sep, virgola);
            cornice = std::move(bordo);
        } else {
            uscita += convertiRigaXLS(riga, sep, virgola, cornice && nellaCornice(riga, *cornice) ? &*cornice : nullptr);
        }
        uscita += "\r\n";
        if (uscita.size() >= (std::size_t{1} << 20)) {
            out.scrivi(uscita);
            uscita.clear();
        }
    };
    // Lines are held back only until the mark is known: the first day line
    // of a report tells it; a report of whole numbers, or a text that is not
    // a report, uses the locale's.
    constexpr std::size_t MassimoInAttesa = 64;
    std::vector<std::string> inAttesa;
    std::string riga;
    while (in.prossima(riga)) {
        if (virgola == '\0') {
            const int trovata = virgolaDellaRiga(riga);
            if (trovata > 0) virgola = static_cast<char>(trovata);
            else if (trovata == InteriSoli || inAttesa.size() >= MassimoInAttesa) virgola = separatoreDecimale();
            if (virgola == '\0') {
                inAttesa.push_back(riga);
                continue;
            }
            for (const std::string &r : inAttesa) scrivi(r);
            inAttesa.clear();
        }
        scrivi(riga);
    }
    if (in.errore()) throw ErroreDati("Impossibile leggere il file del report \"" + testo + "\": errore di lettura.");
    if (virgola == '\0') virgola = separatoreDecimale();
    for (const std::string &r : inAttesa) scrivi(r);
    out.scrivi(uscita);
    out.conferma();
}

} // namespace

void ConvertiXLS(const std::string &testo) { converti(testo, '\0'); }

void ConvertiXLS(const std::string &testo, char virgola) { converti(testo, virgola); }

} // namespace pc::anteprima
