#pragma once

// The daily run kept by the system: a systemd user timer and service
// (Persistent=true: a machine that was off sends when it starts), or, where
// no user systemd runs, the crontab line to add.

#include <optional>
#include <string>

namespace pc::posta {

// "HH:MM" -> minutes after midnight.
std::optional<int> leggiOra(const std::string &testo);

struct Unita {
    std::string servizio, timer;
};
// The units from the templates shipped with the program.
Unita unitaInvio(const std::string &programma, const std::string &configurazione, int minuti);
// "MM HH * * * 'programma' invia --configurazione 'file'".
std::string rigaCrontab(const std::string &programma, const std::string &configurazione, int minuti);

// $XDG_CONFIG_HOME/systemd/user, else ~/.config/systemd/user.
std::string cartellaUnita();
inline constexpr const char *kNomeUnita = "produzione-camere-invio";

// True when the user's systemd answers (its private socket exists).
bool systemdUtenteAttivo();

// Writes the units; enables the timer when the user's systemd runs. Returns
// what to tell the user. Throws ErroreDati.
std::string pianifica(const std::string &programma, const std::string &configurazione, int minuti);
// Disables and removes the units. Throws ErroreDati.
std::string rimuoviPianificazione();

} // namespace pc::posta
