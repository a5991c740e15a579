#include "ScrittoreSqlite.h"

#include "ErroreDati.h"

#include <sqlite3.h>

#include <cstdio>
#include <map>

using pc::dati::ErroreDati;
using pc::dati::Valore;

namespace pc::demo {

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

ArchivioInScrittura::ArchivioInScrittura(const std::string &file) : m_file(file)
{
    std::remove(file.c_str());
    if (sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw ErroreDati("Impossibile creare l'archivio \"" + file + "\".");
    }
    try {
        esegui(m_db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;", file);
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

ArchivioInScrittura::~ArchivioInScrittura()
{
    sqlite3_finalize(m_st);
    sqlite3_close(m_db);
}

void ArchivioInScrittura::finisciTabella()
{
    sqlite3_finalize(m_st);
    m_st = nullptr;
}

void ArchivioInScrittura::iniziaTabella(const std::string &nome, const std::vector<Colonna> &colonne)
{
    if (!m_db) throw ErroreDati("L'archivio \"" + m_file + "\" \xC3\xA8 gi\xC3\xA0 chiuso.");
    finisciTabella();
    std::string crea = "CREATE TABLE " + virgolette(nome) + " (";
    std::string inserisci = "INSERT INTO " + virgolette(nome) + " VALUES (";
    for (std::size_t i = 0; i < colonne.size(); ++i) {
        crea += (i ? ", " : "") + virgolette(colonne[i].nome) + " " + colonne[i].tipo;
        inserisci += i ? ", ?" : "?";
    }
    esegui(m_db, crea + ")", m_file);
    if (sqlite3_prepare_v2(m_db, (inserisci + ")").c_str(), -1, &m_st, nullptr) != SQLITE_OK)
        throw ErroreDati("Scrittura della tabella \"" + nome + "\" nell'archivio \"" + m_file + "\" non riuscita: " +
                         sqlite3_errmsg(m_db));
    m_colonne = colonne.size();
}

void ArchivioInScrittura::aggiungiRiga(const std::vector<Valore> &riga)
{
    if (!m_st) throw ErroreDati("Nessuna tabella aperta nell'archivio \"" + m_file + "\".");
    for (std::size_t i = 0; i < m_colonne; ++i) {
        const int k = static_cast<int>(i + 1);
        if (i >= riga.size()) {
            sqlite3_bind_null(m_st, k);
            continue;
        }
        const Valore &v = riga[i];
        switch (v.tipo()) {
        case Valore::Tipo::Nullo: sqlite3_bind_null(m_st, k); break;
        case Valore::Tipo::Intero: sqlite3_bind_int64(m_st, k, v.comeIntero()); break;
        case Valore::Tipo::Reale: sqlite3_bind_double(m_st, k, v.comeReale()); break;
        case Valore::Tipo::Valuta: sqlite3_bind_double(m_st, k, static_cast<double>(v.comeValuta().grezzo()) / 10000.0); break;
        case Valore::Tipo::Testo: sqlite3_bind_text(m_st, k, v.comeTesto().c_str(), static_cast<int>(v.comeTesto().size()), SQLITE_TRANSIENT); break;
        }
    }
    if (sqlite3_step(m_st) != SQLITE_DONE) {
        std::string msg = sqlite3_errmsg(m_db);
        sqlite3_reset(m_st);
        throw ErroreDati("Scrittura dell'archivio \"" + m_file + "\" non riuscita: " + msg);
    }
    sqlite3_reset(m_st);
}

void ArchivioInScrittura::chiudi()
{
    if (!m_db) return;
    finisciTabella();
    esegui(m_db, "COMMIT;", m_file);
    if (sqlite3_close(m_db) != SQLITE_OK)
        throw ErroreDati("Chiusura dell'archivio \"" + m_file + "\" non riuscita.");
    m_db = nullptr;
}

void scriviArchivio(const std::string &file, const std::vector<TabellaDaScrivere> &tabelle)
{
    ArchivioInScrittura archivio(file);
    for (const auto &t : tabelle) {
        archivio.iniziaTabella(t.nome, t.colonne);
        for (const auto &riga : t.righe) archivio.aggiungiRiga(riga);
    }
    archivio.chiudi();
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

} // namespace pc::demo
