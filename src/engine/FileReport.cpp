#include "FileReport.h"

#include <QLocale>

#include <cstdlib>

namespace pc {

std::string variabileAmbiente(const char *nome)
{
    const char *v = std::getenv(nome);
    return v ? std::string(v) : std::string();
}

std::string nomeFileReport() { return "fd" + variabileAmbiente("PCLocal"); }

char separatoreDecimale()
{
    // QLocale::system() reads LC_ALL / LC_NUMERIC / LANG itself, so Italian
    // settings give ',' even where the glibc locale is not generated.
    const QString punto = QLocale::system().decimalPoint();
    if (punto.size() == 1 && punto.at(0).unicode() < 0x80) return static_cast<char>(punto.at(0).unicode());
    return '.';
}

} // namespace pc
