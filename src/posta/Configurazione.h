#pragma once

// The daily mail's settings: an INI file with Italian keys, written by the
// administrator (or by the "Invio giornaliero" dialog). Keys the program does
// not know are ignored, so a file keeps working across versions; the password
// is never in it, only the name of a file that holds it.

#include <string>
#include <vector>

namespace pc::posta {

enum class Sicurezza { StartTls, Tls, Nessuna };

struct Configurazione {
    // [server]
    std::string host;
    int porta = 587;
    Sicurezza sicurezza = Sicurezza::StartTls;
    std::string utente;          // AUTH only when given
    std::string filePassword;
    std::string certificatoCa;   // trusted besides the system's authorities
    // [messaggio]
    std::string mittente;
    std::vector<std::string> destinatari;
    std::string nome;            // the hotel's name in the subject
    // [albergo]
    std::string cartella, pclocal, dirkv;
    std::string archivio, struttura;
    std::string raggruppamento = "tipi";
    // [invio]: attempts of one send and the first pause between them
    // (seconds, doubled after each failure).
    int tentativi = 4;
    double pausa = 30;

    // The path the file was read from (absolute).
    std::string percorso;
};

// Reads and checks the file; throws ErroreDati naming the file, the line or
// the key that is wrong.
Configurazione leggiConfigurazione(const std::string &percorso);
// Reads from text (the file's contents); `nome` names it in messages.
Configurazione configurazioneDaTesto(const std::string &testo, const std::string &nome);
// The INI text of c (the keys above, commented).
std::string testoConfigurazione(const Configurazione &c);

// The SMTP password: PC_SMTP_PASSWORD when set, else the first line of
// file_password, which is refused when group or others may read it. Throws
// ErroreDati (the message never holds the password).
std::string leggiPassword(const Configurazione &c);

// "smtp://host:porta" or "smtps://host:porta".
std::string urlServer(const Configurazione &c);
const char *nomeSicurezza(Sicurezza s);

// "a@b.it, c@d.it" -> the addresses; empty entries dropped.
std::vector<std::string> dividiIndirizzi(const std::string &elenco);
// True for a plausible mail address (local@domain, no blanks or brackets).
bool indirizzoValido(const std::string &indirizzo);

} // namespace pc::posta
