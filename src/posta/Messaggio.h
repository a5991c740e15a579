#pragma once

// An Internet message (RFC 5322 / MIME) built as bytes: multipart/mixed with
// a multipart/alternative body (plain text, then HTML) and the attachments,
// every part in base64, lines ending in CR LF.

#include <string>
#include <vector>

namespace pc::posta {

struct Allegato {
    std::string nome;       // file name shown to the reader
    std::string tipo;       // MIME type
    std::string contenuto;  // bytes
};

struct Messaggio {
    std::string mittente;
    std::vector<std::string> destinatari;
    std::string oggetto;    // UTF-8
    std::string testo;      // UTF-8 plain text
    std::string html;       // UTF-8 HTML page
    std::vector<Allegato> allegati;
    std::string idMessaggio;   // "<...@...>"; made up when empty
    long long istante = 0;     // seconds since 1970 for the Date header; now when 0
};

// A new Message-ID on the sender's domain.
std::string nuovoIdMessaggio(const std::string &mittente);
// The whole message; m.idMessaggio is filled in when it was empty.
std::string componiMessaggio(Messaggio &m);

std::string base64(const std::string &dati, bool aCapo);
// RFC 2047 encoded word for a header text that is not plain ASCII.
std::string intestazioneCodificata(const std::string &testo);

} // namespace pc::posta
