#include "Smtp.h"

#include <curl/curl.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace pc::posta {

namespace {

struct Lettura {
    const std::string *dati;
    std::size_t posizione = 0;
};

std::size_t leggi(char *buffer, std::size_t dimensione, std::size_t quanti, void *utente)
{
    auto *l = static_cast<Lettura *>(utente);
    const std::size_t n = std::min(dimensione * quanti, l->dati->size() - l->posizione);
    std::memcpy(buffer, l->dati->data() + l->posizione, n);
    l->posizione += n;
    return n;
}

// Keeps the server's replies (what it sent, never what we sent: the
// credentials go out, never in): the last one, and the last refusal (4xx or
// 5xx), which is what a failure is about (the QUIT that follows it answers 221).
struct Risposte {
    std::string ultima, rifiuto;
};

int ascolta(CURL *, curl_infotype tipo, char *dati, std::size_t n, void *utente)
{
    if (tipo != CURLINFO_HEADER_IN) return 0;
    auto *r = static_cast<Risposte *>(utente);
    std::string riga(dati, n);
    while (!riga.empty() && (riga.back() == '\n' || riga.back() == '\r')) riga.pop_back();
    r->ultima = riga;
    if (riga.size() >= 3 && (riga[0] == '4' || riga[0] == '5')) r->rifiuto = riga;
    return 0;
}

std::string causaCurl(CURLcode e)
{
    switch (e) {
    case CURLE_COULDNT_RESOLVE_HOST: return "nome del server sconosciuto";
    case CURLE_COULDNT_CONNECT: return "connessione rifiutata o server irraggiungibile";
    case CURLE_OPERATION_TIMEDOUT: return "il server non risponde (tempo scaduto)";
    case CURLE_PEER_FAILED_VERIFICATION: return "il certificato del server non \xC3\xA8 valido per questo nome o non \xC3\xA8 firmato da un'autorit\xC3\xA0 riconosciuta";
    case CURLE_SSL_CACERT_BADFILE: return "il file del certificato dell'autorit\xC3\xA0 (certificato_ca) non si legge";
    case CURLE_SSL_CONNECT_ERROR: return "la connessione cifrata (TLS) non \xC3\xA8 riuscita";
    case CURLE_USE_SSL_FAILED: return "il server non offre STARTTLS";
    case CURLE_LOGIN_DENIED: return "accesso rifiutato (utente o password errati)";
    case CURLE_SEND_ERROR: return "errore inviando dati al server";
    case CURLE_RECV_ERROR: return "errore ricevendo dati dal server";
    case CURLE_GOT_NOTHING: return "il server ha chiuso la connessione senza rispondere";
    case CURLE_WEIRD_SERVER_REPLY: return "risposta del server non valida";
    case CURLE_AUTH_ERROR: return "autenticazione non riuscita";
    case CURLE_OUT_OF_MEMORY: return "memoria insufficiente";
    default: break;
    }
    return "errore di comunicazione n. " + std::to_string(static_cast<int>(e));
}

bool definitivo(CURLcode e, long codice)
{
    if (codice >= 500) return true;
    if (codice >= 400) return false;
    switch (e) {
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_USE_SSL_FAILED:
    case CURLE_LOGIN_DENIED:
    case CURLE_AUTH_ERROR:
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return true;
    default:
        return false;
    }
}

} // namespace

EsitoInvio inviaSmtp(const Configurazione &c, const std::string &password, const std::vector<std::string> &destinatari,
                     const std::string &messaggio)
{
    static std::once_flag avviato;
    std::call_once(avviato, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    EsitoInvio esito;
    CURL *curl = curl_easy_init();
    if (!curl) {
        esito.risposta = "impossibile preparare la connessione (memoria insufficiente)";
        return esito;
    }
    Risposte risposte;
    Lettura lettura{&messaggio};
    curl_slist *elenco = nullptr;
    for (const auto &d : destinatari) elenco = curl_slist_append(elenco, ("<" + d + ">").c_str());
    // The URL's path is the name given in EHLO: this machine's.
    char nome[256] = "localhost";
    if (::gethostname(nome, sizeof nome - 1) != 0 || !*nome) std::strcpy(nome, "localhost");
    nome[sizeof nome - 1] = '\0';
    const std::string url = urlServer(c) + "/" + nome, da = "<" + c.mittente + ">";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 120L);
    if (c.sicurezza == Sicurezza::StartTls) curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!c.certificatoCa.empty()) {
        // This authority besides the system's.
        curl_easy_setopt(curl, CURLOPT_CAINFO, c.certificatoCa.c_str());
        curl_easy_setopt(curl, CURLOPT_CAPATH, "/etc/ssl/certs");
    }
    if (!c.utente.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, c.utente.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, da.c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, elenco);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &leggi);
    curl_easy_setopt(curl, CURLOPT_READDATA, &lettura);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(messaggio.size()));
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &ascolta);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &risposte);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    const CURLcode e = curl_easy_perform(curl);
    long codice = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &codice);
    curl_slist_free_all(elenco);
    curl_easy_cleanup(curl);

    esito.codice = codice;
    if (e == CURLE_OK) {
        esito.riuscito = true;
        esito.risposta = risposte.ultima;
        return esito;
    }
    esito.definitivo = definitivo(e, codice);
    esito.risposta = causaCurl(e);
    const std::string &risposta = risposte.rifiuto.empty() ? risposte.ultima : risposte.rifiuto;
    if (!risposta.empty()) esito.risposta += "; risposta del server: " + risposta;
    return esito;
}

EsitoInvio inviaConTentativi(const Configurazione &c, const std::string &password, const std::vector<std::string> &destinatari,
                             const std::string &messaggio, const std::function<void(int, const EsitoInvio &)> &avviso)
{
    EsitoInvio esito;
    double pausa = c.pausa;
    for (int tentativo = 1; tentativo <= c.tentativi; ++tentativo) {
        esito = inviaSmtp(c, password, destinatari, messaggio);
        if (esito.riuscito || esito.definitivo) return esito;
        if (avviso) avviso(tentativo, esito);
        if (tentativo < c.tentativi) {
            std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long long>(std::llround(pausa * 1000))));
            pausa *= 2;
        }
    }
    return esito;
}

} // namespace pc::posta
