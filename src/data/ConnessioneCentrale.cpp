#include "ConnessioneCentrale.h"

#include "Centrale.h"
#include "ErroreDati.h"

#include <cstring>

namespace pc::dati::centrale {

namespace {

struct Opzioni {
    std::string host, porta, database, password;
    bool valide = false;
};

Opzioni leggiUrl(const std::string &url)
{
    Opzioni o;
    char *errore = nullptr;
    PQconninfoOption *opzioni = PQconninfoParse(url.c_str(), &errore);
    if (errore) PQfreemem(errore);
    if (!opzioni) return o;
    o.valide = true;
    for (PQconninfoOption *p = opzioni; p->keyword; ++p) {
        if (!p->val) continue;
        const std::string k = p->keyword;
        if (k == "host" || (k == "hostaddr" && o.host.empty())) o.host = p->val;
        else if (k == "port") o.porta = p->val;
        else if (k == "dbname") o.database = p->val;
        else if (k == "password") o.password = p->val;
    }
    PQconninfoFree(opzioni);
    return o;
}

bool contiene(const char *testo, const char *parte) { return testo && std::strstr(testo, parte) != nullptr; }

} // namespace

std::string Connessione::descrivi(const std::string &url)
{
    const Opzioni o = leggiUrl(url);
    if (!o.valide) return "indirizzo non valido";
    auto ambiente = [](const char *nome, const char *predefinito) {
        const char *v = std::getenv(nome);
        return std::string(v && *v ? v : predefinito);
    };
    const std::string host = o.host.empty() ? ambiente("PGHOST", "localhost") : o.host;
    const std::string porta = o.porta.empty() ? ambiente("PGPORT", "5432") : o.porta;
    const std::string db = o.database.empty() ? ambiente("PGDATABASE", "predefinito") : o.database;
    return "server " + host + ":" + porta + ", database \"" + db + "\"";
}

Connessione::Connessione(const std::string &url)
{
    const Opzioni o = leggiUrl(url);
    if (!o.valide)
        throw ErroreDati("L'indirizzo dell'archivio centrale (--archivio o PC_ARCHIVIO) non \xC3\xA8 un indirizzo di connessione "
                         "PostgreSQL valido (postgresql://utente@server:porta/database).");
    if (!o.password.empty())
        throw ErroreDati("L'indirizzo dell'archivio centrale contiene una password: toglierla e indicarla nel file ~/.pgpass "
                         "o nella variabile PGPASSWORD.");
    m_server = descrivi(url);
    // Later keywords win: the address's own values override these defaults.
    const char *chiavi[] = {"connect_timeout", "application_name", "client_encoding", "dbname", nullptr};
    const char *valori[] = {"15", "produzione-camere", "UTF8", url.c_str(), nullptr};
    m_conn = PQconnectdbParams(chiavi, valori, 1);
    if (!m_conn) throw ErroreDati("Memoria insufficiente per collegarsi all'archivio centrale (" + m_server + ").");
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const char *msg = PQerrorMessage(m_conn);
        std::string testo;
        if (PQconnectionNeedsPassword(m_conn))
            testo = "Il server dell'archivio centrale (" + m_server
                    + ") chiede una password: indicarla nel file ~/.pgpass o nella variabile PGPASSWORD.";
        else if (contiene(msg, "password authentication failed") || contiene(msg, "authentication failed")
                 || (contiene(msg, "role \"") && contiene(msg, "does not exist")) || contiene(msg, "pg_hba.conf"))
            testo = "Accesso all'archivio centrale (" + m_server + ") negato: utente o password errati, o utente non autorizzato.";
        else if (contiene(msg, "database \"") && contiene(msg, "does not exist"))
            testo = "Il database dell'archivio centrale non esiste (" + m_server + ").";
        else
            testo = "Impossibile raggiungere l'archivio centrale (" + m_server
                    + "): il server non risponde o non accetta connessioni.";
        PQfinish(m_conn);
        m_conn = nullptr;
        throw ErroreDati(testo);
    }
    // Reals back in their shortest exact form.
    Risultato r(PQexec(m_conn, "SET extra_float_digits = 3"));
    if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) errore(r.get(), {});
}

Connessione::~Connessione()
{
    if (m_conn) PQfinish(m_conn);
}

std::string Connessione::identificatore(const std::string &nome) const
{
    char *q = PQescapeIdentifier(m_conn, nome.data(), nome.size());
    if (!q) throw ErroreDati("Nome non valido per l'archivio centrale: \"" + nome + "\".");
    std::string r = q;
    PQfreemem(q);
    return r;
}

Risultato Connessione::esegui(const std::string &sql, const std::vector<std::string> &parametri, const std::string &cosa)
{
    std::vector<const char *> valori;
    valori.reserve(parametri.size());
    for (const auto &p : parametri) valori.push_back(p.c_str());
    Risultato r(parametri.empty() ? PQexec(m_conn, sql.c_str())
                                  : PQexecParams(m_conn, sql.c_str(), static_cast<int>(valori.size()), nullptr, valori.data(),
                                                 nullptr, nullptr, 0));
    const auto s = PQresultStatus(r.get());
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK && s != PGRES_COPY_IN) errore(r.get(), cosa);
    return r;
}

void Connessione::perRiga(const std::string &sql, const std::vector<std::string> &parametri, const std::string &cosa,
                          const std::function<void(const PGresult *)> &riga)
{
    std::vector<const char *> valori;
    valori.reserve(parametri.size());
    for (const auto &p : parametri) valori.push_back(p.c_str());
    if (!PQsendQueryParams(m_conn, sql.c_str(), static_cast<int>(valori.size()), nullptr, valori.data(), nullptr, nullptr, 0))
        errore(nullptr, cosa);
    PQsetSingleRowMode(m_conn);
    Risultato fallito;
    bool interrotto = false;
    while (PGresult *p = PQgetResult(m_conn)) {
        Risultato r(p);
        const auto s = PQresultStatus(p);
        if (fallito || interrotto) continue;   // the rest is drained, the connection stays usable
        if (s == PGRES_SINGLE_TUPLE) {
            try {
                riga(p);
            } catch (...) {
                interrotto = true;
                PQrequestCancel(m_conn);
                while (PGresult *altro = PQgetResult(m_conn)) PQclear(altro);
                throw;
            }
        } else if (s != PGRES_TUPLES_OK) {
            fallito = std::move(r);
        }
    }
    if (fallito) errore(fallito.get(), cosa);
}

void Connessione::errore(const PGresult *r, const std::string &cosa) const
{
    const std::string dove = cosa.empty() ? std::string() : " (" + cosa + ")";
    const char *codice = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    const std::string c = codice ? codice : "";
    if (!r || PQstatus(m_conn) != CONNECTION_OK || c.rfind("08", 0) == 0 || c.rfind("57P", 0) == 0)
        throw ErroreDati("La connessione con l'archivio centrale (" + m_server + ") si \xC3\xA8 interrotta" + dove + ".");
    if (c == "42P01" || c == "3F000")
        throw ErroreDati("L'archivio centrale (" + m_server + ") non contiene le tabelle di Produzione Camere" + dove
                         + ": importare le strutture con \"produzione-camere importa\".");
    if (c == "42501") throw ErroreDati("Permessi insufficienti sull'archivio centrale (" + m_server + ")" + dove + ".");
    if (c == "25006")
        throw ErroreDati("L'archivio centrale (" + m_server + ") \xC3\xA8 in sola lettura" + dove
                         + ": l'importazione va fatta sul server principale.");
    if (c == "40001" || c == "40P01" || c == "57014" || c == "55P03")
        throw ErroreDati("L'archivio centrale (" + m_server + ") ha interrotto l'operazione" + dove
                         + " (conflitto con un'altra operazione o tempo scaduto): riprovare.");
    if (c.rfind("53", 0) == 0)
        throw ErroreDati("Il server dell'archivio centrale (" + m_server + ") non ha risorse sufficienti (disco o memoria)" + dove + ".");
    if (c == "22021")
        throw ErroreDati("L'archivio centrale (" + m_server + ") non accetta un testo" + dove
                         + ": il database deve avere la codifica UTF8.");
    throw ErroreDati("Errore dell'archivio centrale (" + m_server + ")" + dove + ", codice " + (c.empty() ? "sconosciuto" : c) + ".");
}

void Connessione::erroreLayout(int versione) const
{
    if (versione < VersioneLayout)
        throw ErroreDati("L'archivio centrale (" + m_server + ") \xC3\xA8 di una versione precedente (formato " + std::to_string(versione)
                         + ", questo programma usa il formato " + std::to_string(VersioneLayout)
                         + "): importare di nuovo le strutture con \"produzione-camere importa\", che aggiorna l'archivio.");
    throw ErroreDati("L'archivio centrale (" + m_server + ") \xC3\xA8 di una versione successiva (formato " + std::to_string(versione)
                     + "): aggiornare Produzione Camere.");
}

} // namespace pc::dati::centrale
