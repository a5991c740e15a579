#pragma once

#include "ImpostazioniStampa.h"
#include "OperazioniStampante.h"
#include "SceltaStampa.h"

#include <string>
#include <vector>

namespace pc::stampa {

// What a finished print did, for the messages of the callers.
struct EsitoStampa {
    bool suStampanteDiSistema = false;
    std::string dispositivo;   // printer name, PDF file or raw device actually used
    int pagine = 0;
};

// Prints the report file (nomeFileReport()) of the working directory on the
// chosen destination: gathers the settings afresh, then takes the system
// printer path (C6 = 1) or the raw path. `codiceAssistenza` is the hotel's
// option code ("K": lines printed unchanged; "U": raw pages filled with empty
// lines). `stampante` replaces the real Qt printer (tests). Throws ErroreDati
// when nothing can be printed; then no output is left behind as if complete.
EsitoStampa stampaReport(const SceltaStampa &scelta, const std::string &codiceAssistenza,
                         OperazioniStampante *stampante = nullptr);

// The same with the settings already gathered and the report lines already
// read (Windows-1252, without line ends).
EsitoStampa eseguiStampa(const ImpostazioniStampa &impostazioni, const SceltaStampa &scelta,
                         const std::string &codiceAssistenza, const std::vector<std::string> &righe,
                         OperazioniStampante *stampante = nullptr);

// The lines of the report file (Windows-1252 bytes, line ends removed).
// Throws ErroreDati naming the file when it is missing or unreadable.
std::vector<std::string> leggiRigheReport(const std::string &file);

// Prints one line on the system printer, switching bold on and off at every
// "ç" (not printed): on lowers the size by 0.4 point, off raises it back. The
// line is ended at the end.
void StampaLaser(const std::string &testo, OperazioniStampante &stampante);

// The bytes the raw path sends to its device for these lines.
std::string preparaStampaGrezza(const ImpostazioniStampa &impostazioni, const SceltaStampa &scelta,
                                const std::string &codiceAssistenza, const std::vector<std::string> &righe,
                                int *pagine = nullptr);

// Writes the bytes to a device or file by name. A regular file is replaced
// only once complete (written beside it and renamed); a device is written
// directly. Throws ErroreDati naming it when it cannot be opened or written.
void scriviSuDispositivo(const std::string &dispositivo, const std::string &byte);

} // namespace pc::stampa
