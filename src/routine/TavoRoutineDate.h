#pragma once

#include "TavoRoutine.h"

#include <QLocale>
#include <QString>
#include <QStringView>

// Text and date routines of the suite, used by the date boxes of the main
// window. Positions inside texts are counted from 1 in the comments below;
// routines that answer yes or no return 1 or 0.
namespace pc::TavoRoutine {

// Cleans a typed text, upper-casing every character.
//  Modo 0 (text): every apostrophe "'" becomes the acute accent "´" (byte 180
//         in Windows-1252, so the text can go into an SQL literal); an empty
//         text gives one blank " ".
//  Modo 1 (number): keeps only the digits 0-9, "," and "-"; nothing left gives "0".
//  Modo 2 (formatted number): as mode 1, then written as a whole number
//         (rounded half away from zero) with the thousands separator of
//         `locale`, mask "#,###,###,##0", without surrounding blanks. A text
//         that does not read as a number is returned as cleaned by mode 1.
// Any other mode is treated as mode 0.
QString PulisciTesto(const QString &Testo, short Modo, const QLocale &locale = QLocale::system());

// Completes a short date: 6 characters ddmmyy become "dd/mm/yyyy" (the year
// yy as 20yy when that is at most 20 years after the current year, else as
// 19yy: dati::calendario::annoDaDueCifre, the rule of the batch commands too);
// 8 characters ddmmyyyy become
// "dd/mm/yyyy". Any other length is returned unchanged. No character is
// inspected.
QString CompletaData(const QString &Testo);

// 1 when the text (blanks around it removed) is a valid date "dd/mm/yyyy":
// 10 characters read as the report reads a date (Giorno::leggi: digits
// separated by '/', '-', '.' or a blank), year from 1900, day within the
// month. Rewrites February in GiorniMese (29 or 28) before the lookup.
short DataValida(const QString &Testo);

// 1 when the first date is not after the last (both read from their first 10
// characters as in DataValida, without checking them); equal dates give 1.
short PeriodoValido(const QString &DataDa, const QString &DataA);

// 1 for a leap year of the Gregorian calendar (1900 is not, 2000 is).
short AnnoBisestile(short Anno);

// The number a piece of text starts with, blanks ignored anywhere, with an
// optional sign; 0 when the piece does not start with a number. Saturates
// instead of overflowing.
long long ValoreIniziale(QStringView pezzo);

} // namespace pc::TavoRoutine
