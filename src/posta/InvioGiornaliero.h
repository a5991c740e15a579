#pragma once

// One run of the daily mail: which days to send, the message of each day
// (summary, month-to-date analysis as PDF and xlsx), the sending with
// retries and the journal. Messages for the administrator go to `avviso`
// (progress) and `errore` (failures), in Italian, never with the password.

#include "Configurazione.h"
#include "DateReport.h"
#include "Messaggio.h"
#include "RiepilogoGiorno.h"

#include <functional>
#include <optional>
#include <string>

namespace pc::posta {

struct OpzioniInvio {
    std::optional<Giorno> giorno;   // that day only
    bool forza = false;             // send even if already sent
    std::string prova;              // only to this address, nothing recorded
    Giorno oggi;                    // the run's today (yesterday is the default day)
    std::string cartellaStato;      // the journal's folder; cartellaStato() when empty
};

using Notifica = std::function<void(const std::string &)>;

// Reads the hotel named by c.[albergo] (working folder, PCLocal, DIRKV or the
// central archive) for the rest of the process.
void attivaAlbergo(const Configurazione &c);

// The message of day g (the hotel must be active). Throws ErroreDati.
Messaggio messaggioDelGiorno(const Configurazione &c, Giorno g, bool prova);

// The whole run; returns the exit code: 0 sent (or nothing left to send),
// 1 when a day could not be sent (nothing recorded for it).
int eseguiInvio(const Configurazione &c, const OpzioniInvio &o, const Notifica &avviso, const Notifica &errore);

} // namespace pc::posta
