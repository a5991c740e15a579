#pragma once

#include <QString>
#include <QStringList>

#include <string>

namespace pc::anteprima {

// Name of the hand-off file for the mail sender: "e-mail" + PCLocal + ".txt"
// in the working directory ("e-mail.txt" when PCLocal is unset).
std::string nomeFileEMail();

// The mail sender of the suite, started by bare name.
inline constexpr const char *ProgrammaPostaElettronica = "Zaroza.exe";

// The desktop's mail composer, started where the suite's sender is not
// installed: it opens a new message for the user to address and send.
inline constexpr const char *ComposerPostaElettronica = "xdg-email";

// Longest body, percent-encoded as in a mailto: address, that goes to the
// composer on its command line. The composer's launcher passes the whole
// address as one argument, and Linux takes at most 128 KiB in one; a longer
// page travels as the hand-off file attached.
inline constexpr qsizetype LunghezzaMassimaCorpo = 64 * 1024;

// Subject of the message: the report's title line, i.e. the first line of the
// text that is not blank, without its outer blanks.
QString oggettoEMail(const QString &testo);

// Arguments of the composer for the page `testo`: subject and body, or
// subject and `allegato` (the hand-off file's full path) when the body is too
// long for the command line.
QStringList argomentiComposer(const QString &testo, const QString &allegato);

// Bytes of the hand-off file: the line "OGGETTO", then the page text as shown
// (line ends written as CR LF), then one more CR LF; Windows-1252.
std::string contenutoFileEMail(const QString &testo);

// Writes the hand-off file anew. Throws ErroreDati naming the file when it
// cannot be written.
void scriviFileEMail(const QString &testo);

} // namespace pc::anteprima
