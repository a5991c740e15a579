#include "Accesso.h"

#include "ErroreDati.h"

#include <sodium.h>

using pc::dati::ErroreDati;

namespace pc::ufficio {

namespace {

void inizializza()
{
    static const int esito = sodium_init();
    if (esito < 0) throw ErroreDati("Impossibile inizializzare la libreria crittografica (libsodium).");
}

} // namespace

std::string improntaPassword(const std::string &password)
{
    inizializza();
    char impronta[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(impronta, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13)
        != 0)
        throw ErroreDati("Memoria insufficiente per calcolare l'impronta della password.");
    return impronta;
}

bool verificaPassword(const std::string &impronta, const std::string &password)
{
    inizializza();
    if (impronta.size() >= crypto_pwhash_STRBYTES) return false;
    return crypto_pwhash_str_verify(impronta.c_str(), password.data(), password.size()) == 0;
}

std::string Sessioni::apri(Sessione s)
{
    inizializza();
    unsigned char casuali[32];
    randombytes_buf(casuali, sizeof casuali);
    char id[sizeof casuali * 2 + 1];
    sodium_bin2hex(id, sizeof id, casuali, sizeof casuali);
    const auto ora = Orologio::now();
    s.verificata = ora;
    std::lock_guard lock(m_mutex);
    for (auto it = m_voci.begin(); it != m_voci.end();) it = it->second.scadenza <= ora ? m_voci.erase(it) : std::next(it);
    if (m_voci.size() >= m_massimo) {
        auto primo = m_voci.begin();
        for (auto it = m_voci.begin(); it != m_voci.end(); ++it)
            if (it->second.scadenza < primo->second.scadenza) primo = it;
        m_voci.erase(primo);
    }
    m_voci[id] = Voce{std::move(s), ora + m_durata};
    return id;
}

std::optional<Sessione> Sessioni::trova(const std::string &id)
{
    std::lock_guard lock(m_mutex);
    auto it = m_voci.find(id);
    if (it == m_voci.end()) return std::nullopt;
    const auto ora = Orologio::now();
    if (it->second.scadenza <= ora) {
        m_voci.erase(it);
        return std::nullopt;
    }
    it->second.scadenza = ora + m_durata;
    return it->second.sessione;
}

void Sessioni::aggiorna(const std::string &id, const Sessione &s)
{
    std::lock_guard lock(m_mutex);
    if (auto it = m_voci.find(id); it != m_voci.end()) it->second.sessione = s;
}

void Sessioni::chiudi(const std::string &id)
{
    std::lock_guard lock(m_mutex);
    m_voci.erase(id);
}

std::chrono::milliseconds Rallentatore::fallito(const std::string &utente)
{
    const auto ora = std::chrono::steady_clock::now();
    std::lock_guard lock(m_mutex);
    if (m_falliti.size() > 10000) m_falliti.clear();
    auto &[volte, ultimo] = m_falliti[utente];
    if (ora - ultimo > std::chrono::minutes(15)) volte = 0;
    volte = std::min(volte + 1, 5);
    ultimo = ora;
    return std::chrono::seconds(volte);
}

void Rallentatore::riuscito(const std::string &utente)
{
    std::lock_guard lock(m_mutex);
    m_falliti.erase(utente);
}

} // namespace pc::ufficio
