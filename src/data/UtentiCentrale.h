#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Who may look at the chain's figures in the office's web pages: users kept
// in the central archive (table pc_archivio.utenti), each with the hash of
// its password (never the password) and, optionally, the properties it may
// see. The only table of the archive the program writes besides the import.
namespace pc::dati::centrale {

class Connessione;

struct Utente {
    std::string nome;
    std::string impronta;                 // the password's hash, as the hashing library writes it
    std::vector<std::string> strutture;   // empty: every property
};

class Utenti {
public:
    // Connects to the archive; throws ErroreDati (server, access, address).
    explicit Utenti(const std::string &url);
    ~Utenti();
    Utenti(const Utenti &) = delete;
    Utenti &operator=(const Utenti &) = delete;

    // Read-only: nothing when the user, or the users' table, does not exist.
    std::optional<Utente> trova(const std::string &nome);
    std::vector<Utente> elenco();
    // Adds the user or replaces its password and properties; creates the
    // table on first use. True when the user was new.
    bool aggiungi(const Utente &utente);
    // False when there was no such user.
    bool rimuovi(const std::string &nome);

private:
    std::string m_url;
    std::unique_ptr<Connessione> m_c;
};

} // namespace pc::dati::centrale
