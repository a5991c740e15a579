#pragma once

// The record of the days sent, so that a day never goes out twice and a day
// missed is sent by the next run. One line per message sent: the day, the
// hotel's name and recipients, the Message-ID and when it went out. The file
// is replaced whole (written beside, then renamed) on every update.

#include "Configurazione.h"
#include "DateReport.h"

#include <functional>
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

// Keeps other runs of the same user away from the journal while it lives:
// an exclusive lock on the journal's folder itself (no lock file is written).
// A second run waits for the first, then finds its days recorded. Creates
// the folder; throws ErroreDati when it cannot.
class BloccoGiornale {
public:
    explicit BloccoGiornale(const std::string &cartella, const std::function<void(const std::string &)> &attesa = {});
    ~BloccoGiornale();
    BloccoGiornale(const BloccoGiornale &) = delete;
    BloccoGiornale &operator=(const BloccoGiornale &) = delete;

private:
    int m_fd = -1;
};

// The days a run without --giorno sends: those after the last one sent up to
// `ieri`, at most seven; only `ieri` when nothing was ever sent.
std::vector<Giorno> giorniDaInviare(std::optional<Giorno> ultimo, Giorno ieri);

} // namespace pc::posta
