#include "UtentiCentrale.h"

#include "ConnessioneCentrale.h"
#include "ErroreDati.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace pc::dati::centrale {

namespace {

const char *const Cosa = "la tabella degli utenti dell'archivio centrale";

// The properties travel as a JSON array of texts, bound as a parameter.
std::string inJson(const std::vector<std::string> &strutture)
{
    QJsonArray a;
    for (const auto &s : strutture) a.append(QString::fromStdString(s));
    return QJsonDocument(a).toJson(QJsonDocument::Compact).toStdString();
}

std::vector<std::string> daJson(const char *testo)
{
    std::vector<std::string> r;
    for (const auto &v : QJsonDocument::fromJson(QByteArray(testo)).array()) r.push_back(v.toString().toStdString());
    return r;
}

Utente utente(const PGresult *r, int i)
{
    return {PQgetvalue(r, i, 0), PQgetvalue(r, i, 1), PQgetisnull(r, i, 2) ? std::vector<std::string>{} : daJson(PQgetvalue(r, i, 2))};
}

// Ends a transaction however the block is left.
struct Transazione {
    Connessione &c;
    bool fatta = false;
    Transazione(Connessione &c, const char *inizio) : c(c) { c.esegui(inizio); }
    void conferma()
    {
        c.esegui("COMMIT");
        fatta = true;
    }
    ~Transazione()
    {
        if (fatta || !c.buona()) return;
        try {
            c.esegui("ROLLBACK");
        } catch (const ErroreDati &) {
        }
    }
};

bool tabellaPresente(Connessione &c)
{
    Risultato r = c.esegui("SELECT to_regclass('pc_archivio.utenti') IS NOT NULL", {}, Cosa);
    return PQntuples(r.get()) > 0 && PQgetvalue(r.get(), 0, 0)[0] == 't';
}

const char *const Colonne = "SELECT nome, impronta, array_to_json(strutture)::text FROM pc_archivio.utenti";

} // namespace

Utenti::Utenti(const std::string &url) : m_url(url), m_c(std::make_unique<Connessione>(url)) {}

Utenti::~Utenti() = default;

std::optional<Utente> Utenti::trova(const std::string &nome)
{
    // A server restarted meanwhile: a new connection.
    if (!m_c->buona()) m_c = std::make_unique<Connessione>(m_url);
    Transazione t(*m_c, "BEGIN READ ONLY");
    std::optional<Utente> u;
    if (tabellaPresente(*m_c)) {
        Risultato r = m_c->esegui(std::string(Colonne) + " WHERE nome = $1", {nome}, Cosa);
        if (PQntuples(r.get()) > 0) u = utente(r.get(), 0);
    }
    t.conferma();
    return u;
}

std::vector<Utente> Utenti::elenco()
{
    Transazione t(*m_c, "BEGIN READ ONLY");
    std::vector<Utente> v;
    if (tabellaPresente(*m_c)) {
        Risultato r = m_c->esegui(std::string(Colonne) + " ORDER BY nome", {}, Cosa);
        for (int i = 0; i < PQntuples(r.get()); ++i) v.push_back(utente(r.get(), i));
    }
    t.conferma();
    return v;
}

bool Utenti::aggiungi(const Utente &u)
{
    if (u.nome.empty()) throw ErroreDati("Indicare il nome dell'utente.");
    Transazione t(*m_c, "BEGIN");
    m_c->esegui("SET LOCAL client_min_messages = warning");
    m_c->esegui("CREATE SCHEMA IF NOT EXISTS pc_archivio", {}, Cosa);
    m_c->esegui("CREATE TABLE IF NOT EXISTS pc_archivio.utenti (nome text PRIMARY KEY, impronta text NOT NULL, "
                "strutture text[], modificato timestamptz NOT NULL DEFAULT now())",
                {}, Cosa);
    Risultato r = m_c->esegui(
        "INSERT INTO pc_archivio.utenti (nome, impronta, strutture) VALUES ($1, $2, "
        "CASE WHEN $3 = '[]' THEN NULL ELSE ARRAY(SELECT json_array_elements_text($3::json)) END) "
        "ON CONFLICT (nome) DO UPDATE SET impronta = EXCLUDED.impronta, strutture = EXCLUDED.strutture, modificato = now() "
        "RETURNING (xmax = 0)",
        {u.nome, u.impronta, inJson(u.strutture)}, Cosa);
    const bool nuovo = PQntuples(r.get()) > 0 && PQgetvalue(r.get(), 0, 0)[0] == 't';
    t.conferma();
    return nuovo;
}

bool Utenti::rimuovi(const std::string &nome)
{
    Transazione t(*m_c, "BEGIN");
    bool tolto = false;
    if (tabellaPresente(*m_c)) {
        Risultato r = m_c->esegui("DELETE FROM pc_archivio.utenti WHERE nome = $1", {nome}, Cosa);
        tolto = std::atoi(PQcmdTuples(r.get())) > 0;
    }
    t.conferma();
    return tolto;
}

} // namespace pc::dati::centrale
