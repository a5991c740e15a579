#include "ScrittoreSqlite.h"

#include "ErroreDati.h"

#include <sqlite3.h>

#include <cstdio>
#include <map>

namespace pc::strumenti {

namespace {

std::string virgolette(const std::string &nome) { return "\"" + nome + "\""; }

void esegui(sqlite3 *db, const std::string &sql, const std::string &file)
{
    char *errore = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &errore) != SQLITE_OK) {
        std::string msg = errore ? errore : "errore sconosciuto";
        sqlite3_free(errore);
        throw ErroreDati("Scrittura dell'archivio \"" + file + "\" non riuscita: " + msg);
    }
}

} // namespace

void scriviArchivio(const std::string &file, const std::vector<TabellaDaScrivere> &tabelle)
{
    std::remove(file.c_str());
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw ErroreDati("Impossibile creare l'archivio \"" + file + "\".");
    }
    try {
        esegui(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;", file);
        for (const auto &t : tabelle) {
            std::string crea = "CREATE TABLE " + virgolette(t.nome) + " (";
            std::string inserisci = "INSERT INTO " + virgolette(t.nome) + " VALUES (";
            for (std::size_t i = 0; i < t.colonne.size(); ++i) {
                crea += (i ? ", " : "") + virgolette(t.colonne[i].nome) + " " + t.colonne[i].tipo;
                inserisci += i ? ", ?" : "?";
            }
            esegui(db, crea + ")", file);
            sqlite3_stmt *st = nullptr;
            if (sqlite3_prepare_v2(db, (inserisci + ")").c_str(), -1, &st, nullptr) != SQLITE_OK)
                throw ErroreDati("Scrittura dell'archivio \"" + file + "\" non riuscita: " + sqlite3_errmsg(db));
            for (const auto &riga : t.righe) {
                for (std::size_t i = 0; i < riga.size() && i < t.colonne.size(); ++i) {
                    const Valore &v = riga[i];
                    const int k = static_cast<int>(i + 1);
                    switch (v.tipo()) {
                    case Valore::Tipo::Nullo: sqlite3_bind_null(st, k); break;
                    case Valore::Tipo::Intero: sqlite3_bind_int64(st, k, v.comeIntero()); break;
                    case Valore::Tipo::Reale: sqlite3_bind_double(st, k, v.comeReale()); break;
                    case Valore::Tipo::Valuta: sqlite3_bind_double(st, k, static_cast<double>(v.comeValuta().grezzo()) / 10000.0); break;
                    case Valore::Tipo::Testo: sqlite3_bind_text(st, k, v.comeTesto().c_str(), static_cast<int>(v.comeTesto().size()), SQLITE_TRANSIENT); break;
                    }
                }
                for (std::size_t i = riga.size(); i < t.colonne.size(); ++i) sqlite3_bind_null(st, static_cast<int>(i + 1));
                if (sqlite3_step(st) != SQLITE_DONE) {
                    std::string msg = sqlite3_errmsg(db);
                    sqlite3_finalize(st);
                    throw ErroreDati("Scrittura dell'archivio \"" + file + "\" non riuscita: " + msg);
                }
                sqlite3_reset(st);
                sqlite3_clear_bindings(st);
            }
            sqlite3_finalize(st);
        }
        esegui(db, "COMMIT;", file);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

std::vector<Colonna> colonneSuite(const std::string &tabella)
{
    static const std::map<std::string, std::vector<Colonna>> schema = {
        {"NumeriCamere", {{"NumeroHotel", "INTEGER"}, {"NumeroCamera", "TEXT"}, {"TipoCamera", "TEXT"}}},
        {"TipiCamere", {{"NumeroHotel", "INTEGER"}, {"Sigla", "TEXT"}, {"Tipologia", "TEXT"}}},
        {"TipiCamere_MacroN", {{"NumeroHotel", "INTEGER"}, {"Sigla", "TEXT"}}},
        {"TipiCamere_Macro", {{"TipoCamera", "TEXT"}, {"Sigla", "TEXT"}}},
        {"Scheda_Cliente", {{"NumeroHotel", "INTEGER"}, {"DataArrivo", "TEXT"}, {"DataPartenza", "TEXT"}, {"NumeroCamera", "TEXT"}}},
        {"SchedaStorico", {{"NumeroHotel", "INTEGER"}, {"DataArrivo", "TEXT"}, {"DataPartenzaReale", "TEXT"}, {"NumeroCamera", "TEXT"}}},
        {"Camere_Prenotazione", {{"NumeroHotel", "INTEGER"}, {"DataArrivo", "TEXT"}, {"DataPartenza", "TEXT"}, {"NumeroCamera", "TEXT"}, {"TipoCamera", "TEXT"}, {"Quantit\xC3\xA0" "Camere", "INTEGER"}}},
        {"Conto_Cliente", {{"NumeroHotel", "INTEGER"}, {"DataAddebito", "TEXT"}, {"VoceAddebito", "TEXT"}, {"NumeroCamera", "TEXT"}, {"Importo", "REAL"}}},
        {"Arrangiamento", {{"NumeroHotel", "INTEGER"}, {"NumeroCamera", "TEXT"}, {"DataInizio", "TEXT"}, {"DataFine", "TEXT"}, {"VoceAddebito", "TEXT"}, {"ImportoTotale", "REAL"}}},
        {"VociFattura", {{"NumeroHotel", "INTEGER"}, {"Codice", "TEXT"}, {"Reparto", "TEXT"}}},
        {"AnagraficaHotels", {{"Numero", "INTEGER"}, {"CodiceAssistenza", "TEXT"}}},
        {"Stampanti", {{"NumeroHotel", "INTEGER"}, {"Destinazione", "TEXT"}, {"TipoStampa", "INTEGER"}, {"Linea", "TEXT"}}},
        {"SetStampa", {{"TipoStampa", "INTEGER"}, {"Compresso", "TEXT"}, {"Grassetto", "TEXT"}}},
        {"Contatori", {{"NumeroHotel", "INTEGER"}, {"LungPagComp", "INTEGER"}, {"LungPagNoComp", "INTEGER"}}},
    };
    auto it = schema.find(tabella);
    if (it == schema.end()) throw ErroreDati("Tabella \"" + tabella + "\" sconosciuta allo schema della suite.");
    return it->second;
}

} // namespace pc::strumenti
