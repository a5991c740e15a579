#pragma once

// Sends one message through an SMTP server with libcurl: STARTTLS (required,
// not opportunistic) or implicit TLS, the server's certificate and name
// checked against the system's authorities and the configured one, AUTH when
// a user is given.

#include "Configurazione.h"

#include <functional>
#include <string>
#include <vector>

namespace pc::posta {

struct EsitoInvio {
    bool riuscito = false;
    bool definitivo = false;   // retrying will not help (a 5xx reply, a certificate refused)
    long codice = 0;           // the server's last reply code, 0 if none
    std::string risposta;      // the server's last reply line(s), or what failed
};

// Sends `messaggio` (the whole RFC 5322 text) from c.mittente to
// `destinatari`. The password never reaches the result or any output.
EsitoInvio inviaSmtp(const Configurazione &c, const std::string &password, const std::vector<std::string> &destinatari,
                     const std::string &messaggio);

// Up to c.tentativi attempts, waiting c.pausa seconds after the first
// failure, twice that after the second and so on; `avviso` hears of each
// failed attempt. Stops at the first definitive failure.
EsitoInvio inviaConTentativi(const Configurazione &c, const std::string &password, const std::vector<std::string> &destinatari,
                             const std::string &messaggio, const std::function<void(int, const EsitoInvio &)> &avviso = {});

} // namespace pc::posta
