#pragma once

#include "DateReport.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pc::analisi {
struct RichiestaAnalisi;
}
namespace pc::dati {
class Fonte;
}

namespace pc::app {

// A subcommand run without a display. Arguments exclude the program and the
// subcommand name. Returns the process exit code; writes messages (Italian)
// to stdout / stderr.
struct Comando {
    const char *nome;
    const char *uso;          // one line: "stampa --dal GG/MM/AAAA ..."
    const char *descrizione;  // what it does, in Italian
    int (*esegui)(const std::vector<std::string> &argomenti);
    bool grafica = false;     // needs a QGuiApplication (fonts, printers); run on the offscreen platform
    // When given: whether these arguments need a QGuiApplication (instead of grafica).
    bool (*graficaPer)(const std::vector<std::string> &argomenti) = nullptr;
};

// The known subcommands, in the order --help lists them.
const std::vector<Comando> &comandi();

// True when argv names a subcommand (or --help), i.e. no window is needed.
bool eComandoBatch(int argc, char **argv);
// True when the subcommand of argv[1] needs a QGuiApplication.
bool richiedeGrafica(int argc, char **argv);
// Runs the subcommand of argv[1]; prints help for --help / -h.
int eseguiComandoBatch(int argc, char **argv);

// Subcommands, one per file.
int comandoStampa(const std::vector<std::string> &argomenti);   // ComandoStampa.cpp
int comandoDemo(const std::vector<std::string> &argomenti);     // ComandoDemo.cpp
int comandoCsv(const std::vector<std::string> &argomenti);      // ComandoCsv.cpp
int comandoStampante(const std::vector<std::string> &argomenti); // ComandoStampante.cpp
int comandoImporta(const std::vector<std::string> &argomenti);   // ComandoImporta.cpp
int comandoAnalisi(const std::vector<std::string> &argomenti);   // ComandoAnalisi.cpp
int comandoRiepilogo(const std::vector<std::string> &argomenti); // ComandoRiepilogo.cpp
int comandoInvia(const std::vector<std::string> &argomenti);     // ComandoInvia.cpp
int comandoPianifica(const std::vector<std::string> &argomenti); // ComandoInvia.cpp
int comandoUfficio(const std::vector<std::string> &argomenti);   // ComandoUfficio.cpp
int comandoUtenti(const std::vector<std::string> &argomenti);    // ComandoUtenti.cpp
// Today, or the day PC_OGGI names (GG/MM/AAAA).
Giorno giornoDiOggi();
bool analisiRichiedeGrafica(const std::vector<std::string> &argomenti);
// "analisi" with no --formato opens the analysis window instead.
bool analisiApreFinestra(const std::vector<std::string> &argomenti);
// True when argv is "analisi" meant for the window (no --formato).
bool apreFinestraAnalisi(int argc, char **argv);
// Reads the options of "analisi"; false after a message when they are wrong
// (codice 2) or the budget file cannot be read (codice 1).
bool leggiRichiestaAnalisi(const std::vector<std::string> &argomenti, analisi::RichiestaAnalisi &r, std::string &formato,
                           std::string &uscita, bool periodoObbligatorio, int *codice = nullptr);

// Small helpers shared by the subcommands.
void scriviErrore(const std::string &messaggio);   // "produzione-camere: " + messaggio on stderr
// Parses "--nome valore" pairs and "--flag" switches. Returns false (after
// writing a message) on an unknown option or a missing value.
struct Opzioni {
    std::vector<std::pair<std::string, std::string>> valori;
    std::vector<std::string> interruttori;
    std::vector<std::string> posizionali;
    const std::string *valore(const std::string &nome) const;
    bool interruttore(const std::string &nome) const;
};
bool leggiOpzioni(const std::vector<std::string> &argomenti, const std::vector<std::string> &conValore,
                  const std::vector<std::string> &senzaValore, Opzioni &opzioni);

// The central archive's options, accepted by every command that reads the
// hotel's data: --archivio URL --struttura NOME.
std::vector<std::string> conOpzioniArchivio(std::vector<std::string> conValore);
// False after a message when the command was given arguments that are not options.
bool senzaPosizionali(const Opzioni &opzioni);
// The archive named by the options, else by PC_ARCHIVIO / PC_STRUTTURA (the
// options win); nothing when neither names one. Returns false (after writing
// a message) when only one of the two is given (the property may be left out
// where it is not needed: the chain statement reads them all).
bool leggiArchivio(const Opzioni &opzioni, std::optional<std::pair<std::string, std::string>> &archivio,
                   bool strutturaFacoltativa = false);
// leggiArchivio, then the Fonte of that property of the archive (of the chain
// alone when the property is left out); null when no archive is named (the
// working directory). A request given it reads there; DIRKV may be unset.
bool leggiFonte(const Opzioni &opzioni, std::shared_ptr<dati::Fonte> &fonte, bool strutturaFacoltativa = false);
// leggiFonte, then makes that Fonte what the program reads by default (the
// window, the print menu and printing, which are given no request).
bool attivaArchivio(const Opzioni &opzioni, bool strutturaFacoltativa = false);

} // namespace pc::app
