#pragma once

#include <QString>

#include <string>

namespace pc {

// Name of the hand-off file for the mail sender: "e-mail" + PCLocal + ".txt"
// in the working directory ("e-mail.txt" when PCLocal is unset).
std::string nomeFileEMail();

// The mail sender of the suite, started by bare name.
inline constexpr const char *ProgrammaPostaElettronica = "Zaroza.exe";

// Bytes of the hand-off file: the line "OGGETTO", then the page text as shown
// (line ends written as CR LF), then one more CR LF; Windows-1252.
std::string contenutoFileEMail(const QString &testo);

// Writes the hand-off file anew. Throws ErroreDati naming the file when it
// cannot be written.
void scriviFileEMail(const QString &testo);

} // namespace pc
