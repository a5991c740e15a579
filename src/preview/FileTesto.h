#pragma once

#include <QString>

#include <string>
#include <vector>

// Whole-file helpers for the small text files of the preview subsystem.
namespace pc::anteprima::filetesto {

// Splits file contents into lines: a line ends at LF, at CR LF or at a lone
// CR; the ending is not kept. Contents ending with a line end give no extra
// empty line; empty contents give no line at all.
std::vector<std::string> righe(const std::string &contenuto);

// Reads a whole file as bytes. False when it cannot be opened or read.
bool leggi(const std::string &file, std::string &contenuto);

// Replaces a file with `contenuto` (bytes) only once it is completely written.
// Throws ErroreDati naming the file when it cannot be written.
void scrivi(const std::string &file, const std::string &contenuto);

// Text as shown on screen -> file bytes: Windows-1252 ('?' for a character
// it cannot hold), every line end (LF, CR LF, CR, Unicode line or paragraph
// separator) written as CR LF.
std::string perFile(const QString &testo);

// Windows-1252 bytes -> text for the screen.
QString daCp1252(const std::string &byte);

} // namespace pc::anteprima::filetesto
