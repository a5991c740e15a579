#pragma once

#include "Sorgente.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The chain's central archive ("centrale"): a PostgreSQL database holding, for
// each property ("struttura"), a copy of the tables the statement, the print
// menu and printing read, and the day figures the import computed from them.
// A property of it is read through a Fonte like a folder: the statement, the
// analysis and printing are given one and know nothing of the server.
namespace pc::dati::centrale {

// The archive's layout version, recorded by the import: an archive written
// with an older layout (without the figures) is refused until the properties
// are imported again; one written by a newer program is refused.
constexpr int VersioneLayout = 2;

struct Contesto {
    std::string url;         // libpq connection URI (no password in it)
    std::string struttura;   // property name
};

// A reading of the archive at url: the files of the property struttura (none
// when it is empty: only the chain's figures, Gruppo::Strutture) and the
// figures. Its own connection, opened at the first use; everything read until
// rinnova() or its end comes from one snapshot (read-only), and an import
// of a property waits for it to finish its swap. Safe to use from one thread
// at a time; separate Fonti from separate threads at once. Nothing is
// contacted here: a wrong address or property is reported at the first read.
// With breve, a reading ends as soon as no file of it is open and no tieni()
// holds it (a program that reads now and then, as the window does, never
// keeps an import waiting).
std::shared_ptr<Fonte> apri(const std::string &url, const std::string &struttura, bool breve = false);

// The properties of the archive, in name order (a reading of its own).
std::vector<std::string> strutture(const std::string &url);
// A text that changes whenever a property is imported, added or removed:
// what was computed from the archive under the same text is still current.
std::string firma(const std::string &url);

// The hotel files copied by the import, with their tables; the history files
// are looked for in DIRKV. `prospetto`: the statement reads these tables (of
// one kind or the other), so an import without any of them is refused; the
// print menu's files may be absent.
struct FileArchiviato {
    const char *file;
    std::vector<const char *> tabelle;
    bool storico;
    bool prospetto = true;
};
const std::vector<FileArchiviato> &fileArchiviati();

struct EsitoImportazione {
    std::size_t tabelle = 0;
    std::size_t righe = 0;
    std::size_t giorni = 0;   // days of figures stored
};

// Why a property name cannot be used (empty, only blanks, control
// characters, not UTF-8); empty when it can.
std::string nomeStrutturaNonValido(const std::string &struttura);

// Computes the property's figures for the days [primo, ultimo] (serial) from
// the Fonte given, for Camere, Tipi and Macro in this order. The import's
// caller gives it (the figures come from the statement's engine, above the
// data store).
using CalcoloFigure = std::function<std::vector<FigureSalvate>(std::shared_ptr<Fonte> fonte, long primo, long ultimo)>;

// Copies the property's files (cartella: current ones, storico: DIRKV) into
// the archive under contesto.struttura with the figures calcolo gives for the
// days its records span, atomically replacing its previous copy in one
// transaction. Creates the archive's own tables on first use and brings an
// archive of an older layout up to this one. Throws ErroreDati; an import
// that would lack a table the statement reads is refused before anything is
// replaced, naming what is missing.
EsitoImportazione importa(const Contesto &contesto, const std::string &cartella, const std::string &storico,
                          const CalcoloFigure &calcolo);

// Description of the server for messages: "host:porta, database nome"
// (never the password).
std::string descrizioneServer(const std::string &url);

} // namespace pc::dati::centrale
