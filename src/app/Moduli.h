#pragma once

// The program's modules: parts opened only by the commands that use them, so
// that the others do not load their libraries at every start (the web office
// with cpp-httplib and TLS, the analysis window with Qt Charts). Beside the
// program in the build tree, in <libdir>/produzione-camere once installed.

#include <string>

namespace pc::app {

// The function `funzione` of the module `file` (e.g. "produzione-camere-ufficio.so"),
// opened once and never closed; null after a message on stderr naming the
// module (`cosa`: what it holds, "dell'ufficio") when it cannot be opened.
void *funzioneDelModulo(const std::string &file, const char *funzione, const std::string &cosa);

} // namespace pc::app
