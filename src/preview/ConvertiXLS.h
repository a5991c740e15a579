#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pc::anteprima {

// Separators of the spreadsheet copy, from "SeparatoreXLS.txt" (three lines:
// field separator, decimal separator, currency sign). Every value is kept as
// the Windows-1252 bytes of its line.
struct SeparatoriXLS {
    std::string campo = ",";
    std::string decimale = ".";
    std::string valuta = "\x80";   // the euro sign in Windows-1252
};

// Name of the settings file, in the working directory.
inline constexpr const char *FileSeparatoriXLS = "SeparatoreXLS.txt";

// Reads the settings file. A missing file gives the defaults; a file with
// fewer than three lines gives the defaults for the lines it lacks (an empty
// third line that is present means "no currency sign").
SeparatoriXLS leggiSeparatoriXLS(const std::string &file = FileSeparatoriXLS);

// Converts one report line (Windows-1252 bytes, no line end) into one line of
// the spreadsheet file. `virgola` is the decimal mark the report's amounts
// were written with: a `virgola` between a digit and two more digits is a
// decimal mark; the other one of ',' and '.' in the same place is a
// thousands mark and is dropped.
//
// `cornice` is the frame of the table the line belongs to (cornice[i] true
// where the table's border lines put a frame character): then a
// box-drawing byte, '|' or '+' is a field separator only at a frame position,
// and anywhere else it is the Windows-1252 letter or sign it also is ("CITT\xC0"
// keeps its 192). Without a frame every such byte is a separator.
std::string convertiRigaXLS(const std::string &riga, const SeparatoriXLS &separatori, char virgola = ',',
                            const std::vector<bool> *cornice = nullptr);

// The frame positions of a border line of a report's table ("\xDA\xC4\xC2...\xBF",
// the one between heading and days, the bottom one): the positions of its
// corners and tees. Nothing for any other line.
std::optional<std::vector<bool>> corniceDellaRiga(const std::string &riga);

// Name of the spreadsheet file: the report file's name followed by ".csv".
std::string nomeFileCsv();

// Turns the text file `testo` (normally the report file, nomeFileReport())
// into the spreadsheet file nomeFileCsv() in the working directory, one line
// per input line, CR LF, Windows-1252. The decimal mark is the one the report
// writer uses (separatoreDecimale()). Throws ErroreDati, with an Italian
// message naming the file, when the input cannot be read or the output
// cannot be written; the previous spreadsheet file then stays as it was.
void ConvertiXLS(const std::string &testo);
// The same with the report's decimal mark given.
void ConvertiXLS(const std::string &testo, char virgola);

} // namespace pc::anteprima
