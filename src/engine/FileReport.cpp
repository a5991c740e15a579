#include "FileReport.h"

#include "ErroreDati.h"

#include <QLocale>

#include <cstdlib>

using pc::dati::ErroreDati;

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

std::string postazione()
{
    const std::string valore = variabileAmbiente("PCLocal");
    std::string mostrato, motivo;
    for (const char c : valore) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            static const char cifre[] = "0123456789ABCDEF";
            mostrato += std::string("\\x") + cifre[u >> 4] + cifre[u & 15];
            motivo = "contiene caratteri di controllo";
        } else {
            mostrato += c;
        }
    }
    if (motivo.empty() && (valore.find_first_of("/\\") != std::string::npos || valore.find("..") != std::string::npos))
        motivo = "porterebbe i file fuori dalla cartella di lavoro";
    if (!motivo.empty())
        throw ErroreDati("Il numero di postazione PCLocal=\"" + mostrato + "\" non \xC3\xA8 valido: " + motivo +
                         " (dovrebbe essere il numero della postazione, per esempio 3). Nessun file \xC3\xA8 stato scritto.");
    return valore;
}

std::string nomeFileReport() { return "fd" + postazione(); }

char separatoreDecimale()
{
    // QLocale::system() reads LC_ALL / LC_NUMERIC / LANG itself, so Italian
    // settings give ',' even where the glibc locale is not generated.
    const QString punto = QLocale::system().decimalPoint();
    if (punto.size() == 1 && punto.at(0).unicode() < 0x80) return static_cast<char>(punto.at(0).unicode());
    return '.';
}

} // namespace pc
