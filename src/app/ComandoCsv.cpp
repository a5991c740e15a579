#include "ComandiBatch.h"

#include "ConvertiXLS.h"
#include "ErroreDati.h"
#include "FileReport.h"

#include <iostream>

namespace pc::batch {

int comandoCsv(const std::vector<std::string> &argomenti)
{
    if (!argomenti.empty()) {
        scriviErrore("argomento non previsto \"" + argomenti.front() + "\".");
        return 2;
    }
    try {
        ConvertiXLS(nomeFileReport());
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
    std::cout << nomeFileCsv() << std::endl;
    return 0;
}

} // namespace pc::batch
