#pragma once

// The record of the days sent, so that a day never goes out twice and a day
// missed is sent by the next run. One line per message sent: the day, the
// hotel's name and recipients, the Message-ID and when it went out. The file
// is replaced whole (written beside, then renamed) on every update.

#include "Configurazione.h"
#include "DateReport.h"

#include <optional>
#include <string>
#include <vector>

namespace pc::posta {

// $XDG_STATE_HOME/produzione-camere, else ~/.local/state/produzione-camere.
std::string cartellaStato();

// The hotel's name and the recipients (sorted): what "the same message" means.
std::string chiaveInvio(const Configurazione &c);

struct VoceGiornale {
    Giorno giorno;
    std::string chiave, idMessaggio, istante;
};

class Giornale {
public:
    // The journal in `cartella` (created when missing).
    explicit Giornale(std::string cartella = cartellaStato());

    const std::string &percorso() const { return m_percorso; }
    std::optional<VoceGiornale> inviato(Giorno g, const std::string &chiave) const;
    std::optional<Giorno> ultimoInviato(const std::string &chiave) const;
    // Adds the day sent and rewrites the file atomically. Throws ErroreDati.
    void registra(Giorno g, const std::string &chiave, const std::string &idMessaggio);

private:
    void leggi();
    std::string m_cartella, m_percorso;
    std::vector<VoceGiornale> m_voci;
};

// The days a run without --giorno sends: those after the last one sent up to
// `ieri`, at most seven; only `ieri` when nothing was ever sent.
std::vector<Giorno> giorniDaInviare(std::optional<Giorno> ultimo, Giorno ieri);

} // namespace pc::posta
