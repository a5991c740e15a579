#include "FileReport.h"

#include "ErroreDati.h"

#include <QLocale>

#include <cstdlib>

namespace pc {

std::string variabileAmbiente(const char *nome)
{
    const char *v = std::getenv(nome);
    return v ? std::string(v) : std::string();
}

std::string cartellaStorico()
{
    std::string dirkv = variabileAmbiente("DIRKV");
    if (dirkv.empty())
        throw ErroreDati("La variabile d'ambiente DIRKV (cartella degli archivi storici) non \xC3\xA8 impostata.");
    while (dirkv.size() > 1 && (dirkv.back() == '/' || dirkv.back() == '\\')) dirkv.pop_back();
    return dirkv;
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
