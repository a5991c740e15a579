#pragma once

// Passwords and sessions of the office's web pages. Passwords are kept only
// as Argon2id hashes (libsodium); a session is a random identifier known to
// this process only, forgotten when it ends or after hours without use.

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace pc::ufficio {

// The hash to keep for a password (Argon2id, with its own salt and costs).
// Throws ErroreDati when the hashing library cannot run.
std::string improntaPassword(const std::string &password);
// True when the password is the one the hash was made from.
bool verificaPassword(const std::string &impronta, const std::string &password);

struct Sessione {
    std::string utente;
    std::vector<std::string> strutture;   // empty: every property
    std::string impronta;                 // the password's hash at login: a changed password ends the session
    std::chrono::steady_clock::time_point verificata;   // last check against the users' table
};

class Sessioni {
public:
    using Orologio = std::chrono::steady_clock;
    explicit Sessioni(std::chrono::seconds durata = std::chrono::hours(12), std::size_t massimo = 10000)
        : m_durata(durata), m_massimo(massimo) {}

    // A new session; returns its identifier (64 hexadecimal digits).
    std::string apri(Sessione s);
    // The session, renewed; nothing when unknown or expired.
    std::optional<Sessione> trova(const std::string &id);
    void aggiorna(const std::string &id, const Sessione &s);
    void chiudi(const std::string &id);

private:
    struct Voce {
        Sessione sessione;
        Orologio::time_point scadenza;
    };
    std::mutex m_mutex;
    std::map<std::string, Voce> m_voci;
    std::chrono::seconds m_durata;
    std::size_t m_massimo;
};

// How long to hold the answer to a failed login: one second more for every
// recent failure of the same user name, at most five; forgotten after a
// success or a quarter of an hour.
class Rallentatore {
public:
    std::chrono::milliseconds fallito(const std::string &utente);
    void riuscito(const std::string &utente);

private:
    std::mutex m_mutex;
    std::map<std::string, std::pair<int, std::chrono::steady_clock::time_point>> m_falliti;
};

} // namespace pc::ufficio
