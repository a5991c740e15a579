#pragma once

#include <string>
#include <string_view>

// Text helpers shared by every subsystem. Strings in memory are UTF-8; files
// the system writes are Windows-1252.
namespace pc::dati::testo {

// True when every byte is below 0x80: the texts the fast paths below take.
bool ascii(std::string_view s);
// A capital A-Z to its small letter; every other byte unchanged.
constexpr unsigned char minuscoloAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }
// A small a-z to its capital; every other byte unchanged.
constexpr unsigned char maiuscoloAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

// Compares two texts ignoring case, as the suite's database engine does in
// queries and criteria (ASCII fast path, Unicode case folding otherwise).
int confrontaNoCase(std::string_view a, std::string_view b);
inline bool ugualeNoCase(std::string_view a, std::string_view b) { return confrontaNoCase(a, b) == 0; }

// Every letter to its capital (accented letters included).
std::string maiuscolo(std::string_view s);

// Key under which two texts equal ignoring case fall together (for indexes):
// capitals folded, by Unicode case folding beyond ASCII.
std::string chiaveNoCase(std::string_view s);

// Removes the blanks (spaces only) at both ends.
std::string_view trim(std::string_view s);

// Windows-1252 <-> UTF-8. A character Windows-1252 cannot hold becomes '?'.
// The five bytes Windows-1252 leaves undefined (81 8D 8F 90 9D) map to the
// C1 controls of the same code, so every byte survives a round trip.
std::string utf8InCp1252(std::string_view utf8);
std::string cp1252InUtf8(std::string_view cp1252);

} // namespace pc::dati::testo
