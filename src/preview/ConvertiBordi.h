#pragma once

#include <string>

namespace pc::anteprima {

// Cleans one report line (Windows-1252 bytes) for the screen and the printers:
// upper-case accented vowels À È É Ì Ù Ò become lower case, the line-drawing
// codes of the IBM PC set become '-' or '|', every other byte stays. The
// length never changes. Rewrites the line in place and returns it.
std::string &ConvertiBordi(std::string &riga);

} // namespace pc::anteprima
