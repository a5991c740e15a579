#pragma once

#include "Sorgente.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The chain's central archive: a PostgreSQL database holding, for each
// property ("struttura"), a copy of the tables the statement, the print menu
// and printing read. While an archive is active, Database::open of a hotel
// file ("Scheda_Cliente.mdb", DIRKV + "SchedaStoricoClienti.mdb", the files
// named by In '...') reads that file's tables from the property's copy
// instead of the folder; everything above the data store is unchanged.
namespace pc::dati::archivio {

// The archive's layout version, recorded by the import: an archive written
// with another layout is refused with a clear message.
constexpr int VersioneLayout = 1;

struct Contesto {
    std::string url;         // libpq connection URI (no password in it)
    std::string struttura;   // property name
};

// The active archive of this process; nothing: the folder, as always.
// Changing it ends the current reading and closes the connection when the
// server changes.
void imposta(const std::optional<Contesto> &contesto);
std::optional<Contesto> attivo();
// Only the property changes (same server, same reading: the chain statement
// reads every property in one consistent snapshot).
void impostaStruttura(const std::string &struttura);

// A reading: every table read while at least one Lettura lives comes from one
// snapshot of the archive, and an import of the property cannot complete its
// swap meanwhile (it waits). Nested readings share the outer one. Without
// an archive active it does nothing.
class Lettura {
public:
    Lettura();
    ~Lettura();
    Lettura(const Lettura &) = delete;
    Lettura &operator=(const Lettura &) = delete;
};

// The properties of the active archive, in name order.
std::vector<std::string> strutture();
// A text that changes whenever a property is imported, added or removed: what
// was computed from the archive under the same text is still current.
std::string firma();

// The source of one hotel file of the active property. Throws ErroreDati when
// the property has no such file, or on any failure of the server.
std::unique_ptr<Sorgente> apri(const std::string &percorso);
// Identity of that file's copy for the process's table cache: changes with
// every reading, so a table is kept only within one snapshot.
std::string identita(const std::string &percorso);

// The hotel files copied by the import, with their tables; the history files
// are looked for in DIRKV.
struct FileArchiviato {
    const char *file;
    std::vector<const char *> tabelle;
    bool storico;
};
const std::vector<FileArchiviato> &fileArchiviati();

struct EsitoImportazione {
    std::size_t tabelle = 0;
    std::size_t righe = 0;
};
// Copies the property's files (cartella: current ones, storico: DIRKV) into
// the archive under contesto.struttura, atomically replacing its previous
// copy. Creates the archive's own tables on first use. Throws ErroreDati.
EsitoImportazione importa(const Contesto &contesto, const std::string &cartella, const std::string &storico);

// Description of the server for messages: "host:porta, database nome"
// (never the password).
std::string descrizioneServer(const std::string &url);

} // namespace pc::dati::archivio
