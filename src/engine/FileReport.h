#pragma once

#include <string>

namespace pc {

// The workstation number PCLocal as file names use it ("" when unset). Throws
// ErroreDati naming the value when it would lead out of the working folder
// ("/", "\\", "..") or holds control characters.
std::string postazione();

// The one rule for the report text file's name, shared by its writer and
// every reader: "fd" followed by the value of PCLocal ("fd" when unset), in
// the working directory.
std::string nomeFileReport();

// Value of an environment variable, empty when unset.
std::string variabileAmbiente(const char *nome);

// The folder of the history databases: DIRKV, without a trailing separator.
// Throws ErroreDati with an Italian message when DIRKV is unset or empty.
std::string cartellaStorico();

// The decimal separator of the user's locale (',' under Italian settings),
// the one the report's amounts are written with.
char separatoreDecimale();

} // namespace pc
