#pragma once

#include <libpq-fe.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A connection to the chain's central archive (libpq), with the server's
// failures turned into Italian messages naming the server and never the
// password. Used by the archive's source and by the import.
namespace pc::dati::centrale {

struct LiberaRisultato {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Risultato = std::unique_ptr<PGresult, LiberaRisultato>;

class Connessione {
public:
    // Throws ErroreDati when the address is not valid or holds a password,
    // the server cannot be reached, or access is refused.
    explicit Connessione(const std::string &url);
    ~Connessione();
    Connessione(const Connessione &) = delete;
    Connessione &operator=(const Connessione &) = delete;

    bool buona() const { return PQstatus(m_conn) == CONNECTION_OK; }
    PGconn *get() const { return m_conn; }
    // "host:porta, database nome"
    const std::string &server() const { return m_server; }
    // A name quoted by libpq for use in SQL.
    std::string identificatore(const std::string &nome) const;

    // Runs one statement; values only as parameters. cosa names what was
    // being read or written, for the message of a failure.
    Risultato esegui(const std::string &sql, const std::vector<std::string> &parametri = {}, const std::string &cosa = {});
    // A query whose rows are handed to riga one at a time (row 0 of the
    // result given), so that memory does not grow with the rows.
    void perRiga(const std::string &sql, const std::vector<std::string> &parametri, const std::string &cosa,
                 const std::function<void(const PGresult *)> &riga);
    [[noreturn]] void errore(const PGresult *r, const std::string &cosa) const;
    [[noreturn]] void erroreLayout(int versione) const;

    static std::string descrivi(const std::string &url);

private:
    PGconn *m_conn = nullptr;
    std::string m_server;
};

} // namespace pc::dati::centrale
