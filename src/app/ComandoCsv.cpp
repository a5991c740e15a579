#include "ComandiBatch.h"

#include "ConvertiXLS.h"
#include "ErroreDati.h"
#include "FileReport.h"

#include <iostream>

using pc::anteprima::ConvertiXLS;
using pc::anteprima::nomeFileCsv;
using pc::dati::ErroreDati;

namespace pc::app {

int comandoCsv(const std::vector<std::string> &argomenti)
{
    // The archive's options are accepted like the other commands': the
    // conversion reads only the report file.
    Opzioni o;
    if (!leggiOpzioni(argomenti, conOpzioniArchivio({}), {}, o)) return 2;
    if (!senzaPosizionali(o)) return 2;
    std::optional<std::pair<std::string, std::string>> archivio;
    if (!leggiArchivio(o, archivio)) return 2;
    try {
        ConvertiXLS(nomeFileReport());
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
    std::cout << nomeFileCsv() << std::endl;
    return 0;
}

} // namespace pc::app
