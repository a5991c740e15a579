#pragma once

// The chain office's web service: the chain page, the property pages, a small
// JSON API and the downloads, read-only from the central archive, for the
// users of the archive's users' table.

#include <ostream>
#include <string>

namespace pc::ufficio {

struct ImpostazioniUfficio {
    std::string archivio;                  // libpq URI of the central archive
    std::string indirizzo = "127.0.0.1";
    int porta = 8080;
    std::string certificato, chiave;       // both: HTTPS
    int lavoratori = 64;                   // worker threads (a keep-alive connection holds one while open)
    std::string chartJs = "/usr/share/javascript/chart.js/chart.min.js";
};

// Serves until SIGTERM or SIGINT, then finishes the requests in flight and
// returns 0; 1 after a message on `messaggi` when it cannot start (port in
// use, archive unreachable, certificate not readable). One line per request
// goes to `registro`.
int serviUfficio(const ImpostazioniUfficio &impostazioni, std::ostream &messaggi, std::ostream &registro);

} // namespace pc::ufficio
