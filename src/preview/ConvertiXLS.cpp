#include "ConvertiXLS.h"

#include "ErroreDati.h"
#include "FileReport.h"
#include "FileTesto.h"

namespace pc {

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

} // namespace

SeparatoriXLS leggiSeparatoriXLS(const std::string &file)
{
    SeparatoriXLS s;
    std::string contenuto;
    if (!filetesto::leggi(file, contenuto)) return s;
    const auto r = filetesto::righe(contenuto);
    if (r.size() > 0) s.campo = r[0];
    if (r.size() > 1) s.decimale = r[1];
    if (r.size() > 2) s.valuta = r[2];
    return s;
}

std::string convertiRigaXLS(const std::string &riga, const SeparatoriXLS &sep, char virgola)
{
    const char migliaia = virgola == '.' ? ',' : '.';
    std::string uscita;
    uscita.reserve(riga.size() + 16);
    const std::size_t n = riga.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(riga[i]);
        switch (c) {
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

void ConvertiXLS(const std::string &testo) { ConvertiXLS(testo, separatoreDecimale()); }

void ConvertiXLS(const std::string &testo, char virgola)
{
    const SeparatoriXLS sep = leggiSeparatoriXLS();
    std::string contenuto;
    if (!filetesto::leggi(testo, contenuto)) {
        throw ErroreDati("Impossibile leggere il file del report \"" + testo +
                         "\": il file non esiste o non si pu\xC3\xB2 aprire. Preparare prima la stampa.");
    }
    std::string uscita;
    uscita.reserve(contenuto.size() + contenuto.size() / 4);
    for (const std::string &riga : filetesto::righe(contenuto)) {
        uscita += convertiRigaXLS(riga, sep, virgola);
        uscita += "\r\n";
    }
    filetesto::scrivi(nomeFileCsv(), uscita);
}

} // namespace pc
