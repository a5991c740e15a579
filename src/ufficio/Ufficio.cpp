#include "Ufficio.h"

#include "Accesso.h"
#include "Centrale.h"
#include "DatiUfficio.h"
#include "ErroreDati.h"
#include "Pagine.h"
#include "ScritturaFile.h"
#include "Testi.h"
#include "UtentiCentrale.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <thread>

using pc::dati::ErroreDati;
using pc::dati::causaSistema;
using pc::dati::descriviEccezione;

namespace pc::ufficio {

namespace {

using Orologio = std::chrono::steady_clock;
const char *const NomeCookie = "pc_sessione";
constexpr long MassimoGiorniPagina = 1100;      // a property page: three years at most
constexpr long MassimoGiorniScaricati = 3700;   // downloads: ten years at most

// What one worker knows of the request it serves, for its log line.
thread_local Orologio::time_point t_inizio;
thread_local std::string t_utente;

// A request refused with a status and an Italian message.
struct Rifiuto {
    int codice;
    std::string messaggio;
};

// Why the port cannot be used, or nothing when it can (checked before the
// server binds, for a clear message).
std::string portaOccupata(const std::string &indirizzo, int porta)
{
    addrinfo indizi{}, *ris = nullptr;
    indizi.ai_socktype = SOCK_STREAM;
    indizi.ai_flags = AI_PASSIVE;
    if (getaddrinfo(indirizzo.c_str(), std::to_string(porta).c_str(), &indizi, &ris) != 0 || !ris)
        return "l'indirizzo \"" + indirizzo + "\" non \xC3\xA8 valido";
    std::string motivo;
    const int s = socket(ris->ai_family, ris->ai_socktype, ris->ai_protocol);
    int si = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &si, sizeof si);
    if (s < 0 || bind(s, ris->ai_addr, ris->ai_addrlen) != 0) {
        const int e = errno;
        if (e == EADDRINUSE) motivo = "la porta " + std::to_string(porta) + " di " + indirizzo + " \xC3\xA8 gi\xC3\xA0 in uso da un altro programma";
        else if (e == EACCES) motivo = "la porta " + std::to_string(porta) + " richiede i privilegi di amministratore (usare una porta da 1024 in su)";
        else if (e == EADDRNOTAVAIL) motivo = "l'indirizzo " + indirizzo + " non appartiene a questo computer";
        else motivo = "impossibile usare la porta " + std::to_string(porta) + " di " + indirizzo + ": " + causaSistema(e);
    }
    if (s >= 0) close(s);
    freeaddrinfo(ris);
    return motivo;
}

std::string oraUtc()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char b[32];
    std::strftime(b, sizeof b, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return b;
}

Giorno ieri()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return Giorno{Giorno::da(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday).seriale - 1};
}

class Servizio {
public:
    Servizio(const ImpostazioniUfficio &imp, std::ostream &registro)
        : m_imp(imp), m_registro(registro), m_dati(imp.archivio), m_tls(!imp.certificato.empty())
    {
        std::ifstream f(imp.chartJs, std::ios::binary);
        m_chartJs.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }

    bool chartJsPresente() const { return !m_chartJs.empty(); }
    // Reached before serving: a clear message now rather than on every page.
    void controllaArchivio() { m_dati.strutture(); }

    void prepara(httplib::Server &s)
    {
        const int lavoratori = std::max(2, m_imp.lavoratori);
        s.new_task_queue = [lavoratori] { return new httplib::ThreadPool(static_cast<std::size_t>(lavoratori)); };
        s.set_read_timeout(10, 0);
        s.set_write_timeout(30, 0);
        s.set_keep_alive_timeout(5);
        s.set_keep_alive_max_count(10);   // a connection gives its worker back now and then
        s.set_payload_max_length(16 * 1024);
        s.set_default_headers({{"Content-Security-Policy",
                                "default-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data:; frame-ancestors 'none'; "
                                "form-action 'self'; base-uri 'none'"},
                               {"X-Content-Type-Options", "nosniff"},
                               {"Referrer-Policy", "same-origin"},
                               {"X-Frame-Options", "DENY"}});
        s.set_pre_routing_handler([](const httplib::Request &, httplib::Response &) {
            t_inizio = Orologio::now();
            t_utente.clear();
            return httplib::Server::HandlerResponse::Unhandled;
        });
        s.set_logger([this](const httplib::Request &q, const httplib::Response &r) { registra(q, r); });
        s.set_error_handler(httplib::Server::HandlerWithResponse([this](const httplib::Request &q, httplib::Response &r) {
            if (!r.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
            const std::string m = r.status == 404   ? "L'indirizzo " + q.path + " non esiste."
                                  : r.status == 413 ? "La richiesta supera la dimensione consentita."
                                  : r.status == 405 ? "Questo indirizzo non accetta il metodo " + q.method + "."
                                                    : "La richiesta non \xC3\xA8 stata eseguita.";
            r.set_content(paginaErrore(r.status, m, {t_utente}), "text/html; charset=utf-8");
            return httplib::Server::HandlerResponse::Handled;
        }));
        s.set_exception_handler([this](const httplib::Request &, httplib::Response &r, std::exception_ptr e) {
            errore(r, 500, descriviEccezione(e));
        });

        s.Get("/login", [this](const httplib::Request &q, httplib::Response &r) {
            if (sessione(q)) return reindirizza(r, "/");
            r.set_header("Cache-Control", "no-store");
            r.set_content(paginaLogin({}, {}), "text/html; charset=utf-8");
        });
        s.Post("/login", [this](const httplib::Request &q, httplib::Response &r) { accedi(q, r); });
        s.Post("/logout", [this](const httplib::Request &q, httplib::Response &r) {
            if (const std::string id = cookie(q.get_header_value("Cookie"), NomeCookie); !id.empty()) m_sessioni.chiudi(id);
            r.set_header("Set-Cookie", std::string(NomeCookie) + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict" + (sicura(q) ? "; Secure" : ""));
            reindirizza(r, "/login");
        });
        s.Get("/static/ufficio.css", [](const httplib::Request &, httplib::Response &r) {
            r.set_header("Cache-Control", "max-age=3600");
            r.set_content(foglioStile(), "text/css; charset=utf-8");
        });
        s.Get("/static/ufficio.js", [this](const httplib::Request &q, httplib::Response &r) {
            protetta(q, r, false, [&](const Sessione &) {
                r.set_content(scriptPagine(), "application/javascript; charset=utf-8");
            });
        });
        s.Get("/static/chart.min.js", [this](const httplib::Request &q, httplib::Response &r) {
            protetta(q, r, false, [&](const Sessione &) {
                if (m_chartJs.empty()) throw Rifiuto{404, "Chart.js non \xC3\xA8 installato sul server (pacchetto libjs-chart.js)."};
                r.set_header("Cache-Control", "private, max-age=86400");
                r.set_content(m_chartJs, "application/javascript; charset=utf-8");
            });
        });

        s.Get("/", [this](const httplib::Request &q, httplib::Response &r) {
            protetta(q, r, false, [&](const Sessione &s) {
                const Parametri p(q.params);
                const Giorno g = p.data("giorno").value_or(ieri());
                r.set_content(paginaCatena(perUtente(m_dati.catena(g), s.strutture), {s.utente}), "text/html; charset=utf-8");
            });
        });
        s.Get("/struttura", [this](const httplib::Request &q, httplib::Response &r) {
            protetta(q, r, false, [&](const Sessione &s) {
                const Parametri p(q.params);
                const std::string nome = struttura(p, "nome", s);
                const auto richiesta = richiestaAnalisi(p, MassimoGiorniPagina, true);
                r.set_content(paginaStruttura(nome, m_dati.riepilogo(nome, richiesta), {s.utente}), "text/html; charset=utf-8");
            });
        });

        s.Get("/api/strutture", [this](const httplib::Request &q, httplib::Response &r) {
            protetta(q, r, true, [&](const Sessione &s) {
                std::vector<std::string> elenco;
                for (auto &n : m_dati.strutture())
                    if (ammessa(s, n)) elenco.push_back(std::move(n));
                r.set_content(jsonStrutture(elenco), "application/json; charset=utf-8");
            });
        });
        s.Get("/api/catena", [this](const httplib::Request &q, httplib::Response &r) {
            protetta(q, r, true, [&](const Sessione &s) {
                const Parametri p(q.params);
                r.set_content(jsonCatena(perUtente(m_dati.catena(p.data("giorno").value_or(ieri())), s.strutture)),
                              "application/json; charset=utf-8");
            });
        });
        s.Get("/api/giorni", [this](const httplib::Request &q, httplib::Response &r) {
            protetta(q, r, true, [&](const Sessione &s) {
                const Parametri p(q.params);
                const std::string nome = struttura(p, "struttura", s);
                r.set_content(jsonGiorni(nome, m_dati.riepilogo(nome, richiestaAnalisi(p, MassimoGiorniPagina, true))),
                              "application/json; charset=utf-8");
            });
        });
        s.Get("/api/periodo", [this](const httplib::Request &q, httplib::Response &r) {
            protetta(q, r, true, [&](const Sessione &s) {
                const Parametri p(q.params);
                const std::string nome = struttura(p, "struttura", s);
                r.set_content(jsonPeriodo(nome, m_dati.riepilogo(nome, richiestaAnalisi(p, MassimoGiorniPagina, true))),
                              "application/json; charset=utf-8");
            });
        });
        s.Get("/api/stampa", [this](const httplib::Request &q, httplib::Response &r) { scaricaStampa(q, r); });
        s.Get("/api/analisi", [this](const httplib::Request &q, httplib::Response &r) { scaricaAnalisi(q, r); });
    }

private:
    // ---- sessions ----------------------------------------------------------

    bool sicura(const httplib::Request &q) const
    {
        if (m_tls) return true;
        // Behind a reverse proxy on this machine that terminates TLS.
        const bool locale = q.remote_addr == "127.0.0.1" || q.remote_addr == "::1";
        return locale && q.get_header_value("X-Forwarded-Proto") == "https";
    }

    // The users' table through one connection of its own (logins and the
    // sessions' checks are few and short); a failed one is opened again.
    std::optional<dati::centrale::Utente> trovaUtente(const std::string &nome)
    {
        std::lock_guard lock(m_mutexUtenti);
        try {
            if (!m_utenti) m_utenti = std::make_unique<dati::centrale::Utenti>(m_imp.archivio);
            return m_utenti->trova(nome);
        } catch (const ErroreDati &) {
            m_utenti.reset();
            throw;
        }
    }

    std::optional<Sessione> sessione(const httplib::Request &q)
    {
        const std::string id = cookie(q.get_header_value("Cookie"), NomeCookie);
        if (id.empty()) return std::nullopt;
        auto s = m_sessioni.trova(id);
        if (!s) return std::nullopt;
        // A user removed, or given a new password, loses its sessions within seconds.
        if (Orologio::now() - s->verificata > std::chrono::seconds(10)) {
            const auto u = trovaUtente(s->utente);
            if (!u || u->impronta != s->impronta) {
                m_sessioni.chiudi(id);
                return std::nullopt;
            }
            s->strutture = u->strutture;
            s->verificata = Orologio::now();
            m_sessioni.aggiorna(id, *s);
        }
        t_utente = s->utente;
        return s;
    }

    void accedi(const httplib::Request &q, httplib::Response &r)
    {
        r.set_header("Cache-Control", "no-store");
        const std::string nome = q.get_param_value("utente"), password = q.get_param_value("password");
        std::optional<dati::centrale::Utente> u;
        try {
            if (!nome.empty() && nome.size() <= 200) u = trovaUtente(nome);
        } catch (const ErroreDati &e) {
            return errore(r, 503, e.what());
        }
        // Unknown users cost the same as wrong passwords.
        static const std::string finta = improntaPassword("produzione-camere");
        const bool giusta = verificaPassword(u ? u->impronta : finta, password) && u;
        if (!giusta) {
            std::this_thread::sleep_for(m_rallentatore.fallito(nome));
            r.status = 401;
            r.set_content(paginaLogin("Utente o password errati.", nome), "text/html; charset=utf-8");
            return;
        }
        m_rallentatore.riuscito(nome);
        t_utente = u->nome;
        const std::string id = m_sessioni.apri(Sessione{u->nome, u->strutture, u->impronta, {}});
        r.set_header("Set-Cookie", std::string(NomeCookie) + "=" + id + "; Path=/; HttpOnly; SameSite=Strict" + (sicura(q) ? "; Secure" : ""));
        reindirizza(r, "/");
    }

    static void reindirizza(httplib::Response &r, const std::string &dove)
    {
        r.status = 303;
        r.set_header("Location", dove);
    }

    void errore(httplib::Response &r, int codice, const std::string &messaggio)
    {
        r.status = codice;
        r.set_header("Cache-Control", "no-store");
        r.set_content(paginaErrore(codice, messaggio, {t_utente}), "text/html; charset=utf-8");
    }

    // Runs f for a request with a session; any refusal becomes its page.
    template <class F> void protetta(const httplib::Request &q, httplib::Response &r, bool api, F &&f)
    {
        try {
            const auto s = sessione(q);
            if (!s) {
                if (!api && q.method == "GET" && q.path.rfind("/static/", 0) != 0) return reindirizza(r, "/login");
                return errore(r, 401, "Accedere con utente e password dalla pagina di accesso.");
            }
            r.set_header("Cache-Control", "no-store");
            f(*s);
        } catch (const ParametroErrato &e) {
            errore(r, 400, e.messaggio);
        } catch (const Rifiuto &e) {
            errore(r, e.codice, e.messaggio);
        } catch (const StrutturaSconosciuta &e) {
            errore(r, 404, e.what());
        } catch (const ErroreDati &e) {
            errore(r, 503, e.what());
        }
    }

    static bool ammessa(const Sessione &s, const std::string &nome)
    {
        return s.strutture.empty() || std::find(s.strutture.begin(), s.strutture.end(), nome) != s.strutture.end();
    }

    std::string struttura(const Parametri &p, const std::string &parametro, const Sessione &s)
    {
        const std::string nome = p.obbligatorio(p.struttura(parametro), parametro);
        if (!ammessa(s, nome)) throw Rifiuto{403, "L'utente " + s.utente + " non \xC3\xA8 autorizzato a vedere la struttura \"" + nome + "\"."};
        return nome;
    }

    // dal/al (default: the 30 days up to yesterday), raggruppamento, confronto.
    analisi::RichiestaAnalisi richiestaAnalisi(const Parametri &p, long massimo, bool sempreConfronto, bool catena = false)
    {
        analisi::RichiestaAnalisi r;
        if (const auto per = periodo(p, massimo)) {
            r.dalla = per->dal;
            r.alla = per->al;
        } else {
            r.alla = ieri();
            r.dalla = Giorno{r.alla.seriale - 29};
        }
        std::vector<std::string> gruppi = {"camere", "tipi", "macro"};
        if (catena) gruppi.push_back("strutture");
        const std::string gruppo = p.scelta("raggruppamento", gruppi).value_or("tipi");
        r.raggruppamento = gruppo == "strutture" ? Raggruppamento::Strutture : *raggruppamentoDaNome(gruppo);
        const auto confronto = p.scelta("confronto", {"data", "settimana"});
        r.confronto = sempreConfronto || confronto.has_value();
        if (confronto == "settimana") r.modoConfronto = analisi::ModoConfronto::Settimana;
        return r;
    }

    void scaricaStampa(const httplib::Request &q, httplib::Response &r)
    {
        protetta(q, r, true, [&](const Sessione &s) {
            const Parametri p(q.params);
            RichiestaReport rr;
            const auto per = periodo(p, MassimoGiorniScaricati);
            if (!per) throw ParametroErrato{"Indicare il periodo con i parametri \"dal\" e \"al\" (GG/MM/AAAA)."};
            rr.dalla = per->dal.ggmmaaaa();
            rr.alla = per->al.ggmmaaaa();
            rr.tipo = p.obbligatorio(p.scelta("tipo", {"vendite", "produzione"}), "tipo") == "produzione" ? TipoReport::Produzione
                                                                                                      : TipoReport::Vendite;
            const std::string gruppo = p.scelta("raggruppamento", {"camere", "tipi", "macro", "strutture"}).value_or("camere");
            const bool csv = p.scelta("formato", {"testo", "csv"}).value_or("testo") == "csv";
            std::string nome;
            if (gruppo == "strutture") {
                if (!s.strutture.empty())
                    throw Rifiuto{403, "Il report della catena \xC3\xA8 riservato agli utenti che vedono tutte le strutture."};
                rr.raggruppamento = Raggruppamento::Strutture;
            } else {
                nome = struttura(p, "struttura", s);
                rr.raggruppamento = *raggruppamentoDaNome(gruppo);
            }
            const std::string byte = m_dati.stampa(nome, rr, csv);
            const std::string file = "produzione-" + std::string(rr.tipo == TipoReport::Vendite ? "vendite" : "produzione") + "-" +
                                     per->dal.aaaammgg() + "-" + per->al.aaaammgg() + (csv ? ".csv" : ".txt");
            r.set_header("Content-Disposition", "attachment; filename=\"" + file + "\"");
            r.set_content(byte, csv ? "text/csv; charset=windows-1252" : "text/plain; charset=ibm437");
        });
    }

    void scaricaAnalisi(const httplib::Request &q, httplib::Response &r)
    {
        protetta(q, r, true, [&](const Sessione &s) {
            const Parametri p(q.params);
            if (!p.data("dal") || !p.data("al")) throw ParametroErrato{"Indicare il periodo con i parametri \"dal\" e \"al\" (GG/MM/AAAA)."};
            const auto richiesta = richiestaAnalisi(p, MassimoGiorniScaricati, false, true);
            std::string nome;
            if (richiesta.raggruppamento != Raggruppamento::Strutture) nome = struttura(p, "struttura", s);
            else if (!s.strutture.empty())
                throw Rifiuto{403, "L'analisi della catena \xC3\xA8 riservata agli utenti che vedono tutte le strutture."};
            const std::string formato = p.obbligatorio(p.scelta("formato", {"csv", "xlsx"}), "formato");
            const std::string byte = m_dati.analisiFile(nome, richiesta, formato);
            r.set_header("Content-Disposition", "attachment; filename=\"analisi-" + richiesta.dalla.aaaammgg() + "-" +
                                                    richiesta.alla.aaaammgg() + "." + formato + "\"");
            r.set_content(byte, formato == "csv" ? "text/csv; charset=utf-8"
                                                 : "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
        });
    }

    void registra(const httplib::Request &q, const httplib::Response &r)
    {
        const auto ms = std::chrono::duration<double, std::milli>(Orologio::now() - t_inizio).count();
        std::string percorso = q.path;
        if (!q.params.empty() && q.method == "GET") {
            std::string qs;
            for (const auto &[k, v] : q.params)
                qs += (qs.empty() ? "?" : "&") + perUrl(k) + "=" + (k == "password" ? std::string("***") : perUrl(v));
            percorso += qs;
        }
        char durata[32];
        std::snprintf(durata, sizeof durata, "%.1f", ms);
        const std::string riga = oraUtc() + " " + q.remote_addr + " " + (t_utente.empty() ? "-" : perUrl(t_utente)) + " " + q.method +
                                 " " + percorso + " " + std::to_string(r.status) + " " + std::to_string(r.body.size()) + " " + durata + "ms\n";
        std::lock_guard lock(m_mutexRegistro);
        m_registro << riga << std::flush;
    }

    const ImpostazioniUfficio &m_imp;
    std::ostream &m_registro;
    std::mutex m_mutexRegistro;
    DatiUfficio m_dati;
    Sessioni m_sessioni;
    Rallentatore m_rallentatore;
    std::mutex m_mutexUtenti;
    std::unique_ptr<dati::centrale::Utenti> m_utenti;
    std::string m_chartJs;
    bool m_tls;
};

} // namespace

int serviUfficio(const ImpostazioniUfficio &imp, std::ostream &messaggi, std::ostream &registro)
{
    if (imp.certificato.empty() != imp.chiave.empty()) {
        messaggi << "produzione-camere: per HTTPS indicare sia --certificato sia --chiave." << std::endl;
        return 2;
    }
    if (const std::string motivo = portaOccupata(imp.indirizzo, imp.porta); !motivo.empty()) {
        messaggi << "produzione-camere: impossibile avviare l'ufficio: " << motivo << "." << std::endl;
        return 1;
    }
    // SIGTERM and SIGINT are taken by one thread of ours, not by the workers.
    sigset_t segnali;
    sigemptyset(&segnali);
    sigaddset(&segnali, SIGTERM);
    sigaddset(&segnali, SIGINT);
    pthread_sigmask(SIG_BLOCK, &segnali, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<Servizio> servizio;
    try {
        servizio = std::make_unique<Servizio>(imp, registro);
        servizio->controllaArchivio();
    } catch (const ErroreDati &e) {
        messaggi << "produzione-camere: " << e.what() << std::endl;
        return 1;
    }
    std::unique_ptr<httplib::Server> server;
    if (!imp.certificato.empty()) {
        auto ssl = std::make_unique<httplib::SSLServer>(imp.certificato.c_str(), imp.chiave.c_str());
        if (!ssl->is_valid()) {
            messaggi << "produzione-camere: impossibile usare il certificato \"" << imp.certificato << "\" con la chiave \"" << imp.chiave
                     << "\": file assenti, illeggibili o non corrispondenti (PEM)." << std::endl;
            return 1;
        }
        server = std::move(ssl);
    } else {
        server = std::make_unique<httplib::Server>();
    }
    servizio->prepara(*server);
    if (!server->bind_to_port(imp.indirizzo, imp.porta)) {
        messaggi << "produzione-camere: impossibile avviare l'ufficio: la porta " << imp.porta << " di " << imp.indirizzo
                 << " non \xC3\xA8 disponibile." << std::endl;
        return 1;
    }
    if (!servizio->chartJsPresente())
        messaggi << "produzione-camere: Chart.js non trovato in " << imp.chartJs
                 << " (pacchetto libjs-chart.js): le pagine delle strutture non mostreranno il grafico." << std::endl;
    messaggi << "Ufficio della catena su " << (imp.certificato.empty() ? "http" : "https") << "://" << imp.indirizzo << ":"
             << imp.porta << "/ (archivio " << dati::centrale::descrizioneServer(imp.archivio) << "). Ctrl+C o SIGTERM per fermarlo."
             << std::endl;

    std::thread guardiano([&] {
        int s = 0;
        sigwait(&segnali, &s);
        server->stop();
    });
    server->listen_after_bind();
    // Stopped by a failure of the server itself: wake the signal thread.
    if (guardiano.joinable()) {
        pthread_kill(guardiano.native_handle(), SIGTERM);
        guardiano.join();
    }
    messaggi << "Ufficio della catena fermato." << std::endl;
    return 0;
}

} // namespace pc::ufficio
