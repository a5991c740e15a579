#pragma once

#include <string>

namespace pc::stampa {

// Cleans one report line (Windows-1252 bytes) before it is drawn on a system
// printer: the acute accent (180) becomes an apostrophe, then the same rules as
// ConvertiBordi (upper-case accented vowels to lower case, IBM PC line-drawing
// codes to '-' and '|'). One byte for one byte: the length never changes.
// Rewrites the line in place and returns it.
std::string &Converti2(std::string &frase);

} // namespace pc::stampa
