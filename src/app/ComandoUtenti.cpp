#include "ComandiBatch.h"

#include "Accesso.h"
#include "ErroreDati.h"
#include "UtentiCentrale.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

using pc::dati::ErroreDati;

namespace pc::app {

namespace {

// One line of standard input; on a terminal, asked without echo.
bool leggiPassword(const char *domanda, std::string &password)
{
    const bool terminale = isatty(STDIN_FILENO);
    termios prima{};
    if (terminale) {
        // Echo off before the question: nothing typed after it is shown.
        tcgetattr(STDIN_FILENO, &prima);
        termios senzaEco = prima;
        senzaEco.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &senzaEco);
        std::cerr << domanda << std::flush;
    }
    const bool letta = static_cast<bool>(std::getline(std::cin, password));
    if (terminale) {
        tcsetattr(STDIN_FILENO, TCSANOW, &prima);
        std::cerr << std::endl;
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return letta || !password.empty();
}

} // namespace

int comandoUtenti(const std::vector<std::string> &argomenti)
{
    Opzioni o;
    if (!leggiOpzioni(argomenti, {"--archivio", "--struttura"}, {}, o)) return 2;
    const std::string azione = o.posizionali.empty() ? std::string() : o.posizionali.front();
    const bool elenco = azione == "elenco";
    if ((azione != "aggiungi" && azione != "rimuovi" && !elenco) || o.posizionali.size() != (elenco ? 1u : 2u)) {
        scriviErrore("uso: produzione-camere utenti aggiungi|rimuovi NOME --archivio URL, oppure utenti elenco --archivio URL.");
        return 2;
    }
    std::vector<std::string> strutture;
    for (const auto &[nome, valore] : o.valori)
        if (nome == "--struttura") strutture.push_back(valore);
    if (!strutture.empty() && azione != "aggiungi") {
        scriviErrore("--struttura vale soltanto con utenti aggiungi.");
        return 2;
    }
    const char *ambiente = std::getenv("PC_ARCHIVIO");
    const std::string url = o.valore("--archivio") ? *o.valore("--archivio") : std::string(ambiente ? ambiente : "");
    if (url.empty()) {
        scriviErrore("indicare l'archivio centrale con --archivio URL (o PC_ARCHIVIO).");
        return 2;
    }
    const std::string nome = elenco ? std::string() : o.posizionali[1];
    if (!elenco && (nome.empty() || nome.size() > 200 || nome.find_first_of(std::string("\0\r\n\t", 4)) != std::string::npos)) {
        scriviErrore("nome utente non valido: da 1 a 200 caratteri, senza a capo n\xC3\xA9 tabulazioni.");
        return 2;
    }
    try {
        if (azione == "aggiungi") {
            std::string password, ripetuta;
            if (!leggiPassword("Password: ", password) || password.empty()) {
                scriviErrore("nessuna password sullo standard input: l'utente non \xC3\xA8 stato aggiunto.");
                return 1;
            }
            if (isatty(STDIN_FILENO) && (!leggiPassword("Ripetere la password: ", ripetuta) || ripetuta != password)) {
                scriviErrore("le due password non coincidono: l'utente non \xC3\xA8 stato aggiunto.");
                return 1;
            }
            if (password.size() < 8) {
                scriviErrore("password troppo corta: almeno 8 caratteri. L'utente non \xC3\xA8 stato aggiunto.");
                return 1;
            }
            dati::centrale::Utenti utenti(url);
            const bool nuovo = utenti.aggiungi({nome, ufficio::improntaPassword(password), strutture});
            std::cout << (nuovo ? "Utente \"" + nome + "\" aggiunto" : "Utente \"" + nome + "\" aggiornato (nuova password)")
                      << (strutture.empty() ? std::string(": vede tutte le strutture.") : ": vede " + std::to_string(strutture.size()) + " strutture.")
                      << std::endl;
        } else if (azione == "rimuovi") {
            dati::centrale::Utenti utenti(url);
            if (!utenti.rimuovi(nome)) {
                scriviErrore("l'utente \"" + nome + "\" non esiste nell'archivio centrale.");
                return 1;
            }
            std::cout << "Utente \"" + nome + "\" rimosso." << std::endl;
        } else {
            dati::centrale::Utenti utenti(url);
            for (const auto &u : utenti.elenco()) {
                std::cout << u.nome << "\t";
                if (u.strutture.empty()) std::cout << "(tutte le strutture)";
                for (std::size_t i = 0; i < u.strutture.size(); ++i) std::cout << (i ? ", " : "") << u.strutture[i];
                std::cout << "\n";
            }
            std::cout << std::flush;
        }
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
    return 0;
}

} // namespace pc::app
