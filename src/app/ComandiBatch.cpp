#include "ComandiBatch.h"

#include "Centrale.h"
#include "ErroreDati.h"
#include "ScritturaFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <stdexcept>

using pc::dati::descriviEccezione;

namespace pc::app {

const std::vector<Comando> &comandi()
{
    static const std::vector<Comando> elenco = {
        {"stampa",
         "stampa --dal GG/MM/AAAA --al GG/MM/AAAA --tipo vendite|produzione --raggruppamento camere|tipi|macro|strutture\n"
         "      [--archivio URL --struttura NOME]",
         "Scrive il report della produzione camere nel file \"fd\" + PCLocal della cartella corrente,\n"
         "      leggendo gli archivi dell'albergo dalla cartella corrente e quelli storici da DIRKV.\n"
         "      Le date sono usate come scritte (la prima riga dei giorni mostra la prima data cos\xC3\xAC com'\xC3\xA8).",
         &comandoStampa},
        {"demo", "demo CARTELLA [--sovrascrivi]",
         "Crea nella CARTELLA un albergo dimostrativo (archivi SQLite con i nomi della suite, storico in CARTELLA/storico),\n"
         "      sempre uguale. Rifiuta una cartella che contiene gi\xC3\xA0 archivi di un albergo, salvo --sovrascrivi.",
         &comandoDemo},
        {"csv", "csv", "Converte il report \"fd\" + PCLocal nel foglio elettronico \"fd\" + PCLocal + \".csv\" (separatori da \"SeparatoreXLS.txt\") e ne scrive il nome.", &comandoCsv},
        {"stampante", "stampante --destinazione NOME [--compressa] [--orizzontale] [--fronte-retro] [--stampante NOME_DI_SISTEMA]",
         "Stampa il report \"fd\" + PCLocal della cartella corrente sulla destinazione NOME della tabella Stampanti,\n"
         "      come il tasto di stampa del menu di stampa con le scelte indicate.", &comandoStampante, true},
        {"importa", "importa --archivio URL --struttura NOME",
         "Copia nell'archivio centrale PostgreSQL URL, sotto il nome NOME, le tabelle dell'albergo della cartella corrente\n"
         "      (e quelle storiche da DIRKV) lette da report, menu di stampa e stampa, con le cifre giornaliere calcolate\n"
         "      per il report e l'analisi della catena. La copia precedente della struttura resta visibile finch\xC3\xA9 la\n"
         "      nuova non \xC3\xA8 completa. La password viene da ~/.pgpass o PGPASSWORD.",
         &comandoImporta},
        {"analisi",
         "analisi --dal GG/MM/AAAA --al GG/MM/AAAA --raggruppamento camere|tipi|macro|strutture [--confronto [data|settimana]]\n"
         "      [--periodicita giorno|mese|anno] [--budget FILE.csv] --formato csv|xlsx|pdf|testo\n"
         "      [--uscita FILE] [--archivio URL --struttura NOME]",
         "Occupazione, ADR e RevPAR per giorno, mese o anno e per colonna (camere vendute e ricavo come nel report,\n"
         "      con la parte di camere prenotate e non ancora arrivate); --confronto con l'anno precedente per data\n"
         "      o, con settimana, 364 giorni prima (stesso giorno della settimana); --budget (Mese;Colonna;Vendute;Ricavo)\n"
         "      con --periodicita mese o anno aggiunge budget e scostamenti. Scrive \"analisi\" + PCLocal + estensione\n"
         "      nella cartella corrente (o FILE); testo stampa il riepilogo del periodo sul terminale.\n"
         "      Senza --formato apre la finestra \"Analisi produzione camere\".",
         &comandoAnalisi, false, &analisiRichiedeGrafica},
        {"riepilogo",
         "riepilogo [--giorno GG/MM/AAAA] [--raggruppamento camere|tipi|macro] [--formato csv|testo|html] [--uscita FILE]\n"
         "      [--archivio URL --struttura NOME]",
         "Il riepilogo di un giorno (per difetto ieri): il giorno, il mese e l'anno fino a quel giorno, ciascuno con lo stesso\n"
         "      periodo dell'anno precedente (camere disponibili e vendute, occupazione, ricavo, ADR, RevPAR).\n"
         "      csv: una riga per periodo per l'albergo e, con --raggruppamento, per ogni colonna.",
         &comandoRiepilogo},
        {"invia", "invia --configurazione FILE [--giorno GG/MM/AAAA] [--forza] [--prova INDIRIZZO]",
         "Invia per posta (SMTP) il riepilogo di ieri, e dei giorni mancati fino a una settimana prima, ai destinatari\n"
         "      della configurazione, con il riepilogo csv e l'analisi del mese in PDF e xlsx. Un giorno gi\xC3\xA0 inviato non\n"
         "      parte una seconda volta (salvo --forza); --prova invia soltanto all'INDIRIZZO e non registra nulla.",
         &comandoInvia, true},
        {"pianifica", "pianifica --configurazione FILE --ora HH:MM | pianifica --rimuovi",
         "Invia ogni giorno all'ora data con un timer systemd dell'utente (se il computer era spento, all'avvio);\n"
         "      senza systemd dell'utente scrive la riga da aggiungere al crontab. --rimuovi toglie il timer.",
         &comandoPianifica},
        {"ufficio", "ufficio --archivio URL [--indirizzo 127.0.0.1] [--porta 8080] [--certificato FILE --chiave FILE] [--lavoratori 64]",
         "Pagine web dell'ufficio della catena (situazione della catena, pagine delle strutture con grafico,\n"
         "      scaricamento di report e analisi, API JSON sotto /api/), in sola lettura dall'archivio centrale,\n"
         "      per gli utenti di \"utenti\". Con --certificato e --chiave (PEM) risponde in HTTPS. SIGTERM lo ferma.",
         &comandoUfficio},
        {"utenti", "utenti aggiungi|rimuovi NOME --archivio URL [--struttura NOME ...] | utenti elenco --archivio URL",
         "Utenti delle pagine web dell'ufficio, nell'archivio centrale. aggiungi legge la password dallo standard input\n"
         "      (sul terminale la chiede due volte) e ne conserva solo l'impronta Argon2id; con --struttura l'utente vede\n"
         "      soltanto quelle strutture. Aggiungere un utente che esiste gi\xC3\xA0 ne cambia password e strutture.",
         &comandoUtenti},
    };
    return elenco;
}

namespace {

void stampaAiuto()
{
    std::cout << "Uso: produzione-camere [COMANDO [OPZIONI]]\n\n"
                 "Senza comando apre la finestra \"Stampa produzione camere\".\n"
                 "Con un comando lavora senza finestre:\n\n";
    for (const auto &c : comandi()) std::cout << "  " << c.uso << "\n      " << c.descrizione << "\n\n";
    std::cout << "Variabili d'ambiente: PCLocal (numero della postazione, d\xC3\xA0 il nome dei file \"fd\" + PCLocal),\n"
                 "DIRKV (cartella degli archivi storici SchedaStoricoClienti.mdb e ContoStoricoClienti.mdb),\n"
                 "PC_ARCHIVIO e PC_STRUTTURA (archivio centrale e struttura, come --archivio e --struttura di stampa,\n"
                 "csv, stampante e analisi; con --archivio anche --raggruppamento strutture, report e analisi della catena).\n"
                 "Codice di uscita, uguale per tutti i comandi: 0 riuscito; 1 lavoro non riuscito (archivi, file, server);\n"
                 "2 riga di comando errata (opzione o valore non valido, periodo con la data iniziale dopo la finale).\n"
                 "In caso di errore il messaggio va sullo standard error e i file precedenti restano come erano.\n";
}

} // namespace

bool eComandoBatch(int argc, char **argv)
{
    // "produzione-camere --archivio URL --struttura NOME" opens the window on the archive.
    if (argc > 1) {
        const std::string primo = argv[1];
        if (primo.rfind("--archivio", 0) == 0 || primo.rfind("--struttura", 0) == 0) return false;
    }
    return argc > 1;
}

bool richiedeGrafica(int argc, char **argv)
{
    if (argc < 2) return false;
    for (const auto &c : comandi())
        if (c.nome == std::string(argv[1]))
            return c.graficaPer ? c.graficaPer(std::vector<std::string>(argv + 2, argv + argc)) : c.grafica;
    return false;
}

bool apreFinestraAnalisi(int argc, char **argv)
{
    return argc >= 2 && std::string(argv[1]) == "analisi" && analisiApreFinestra(std::vector<std::string>(argv + 2, argv + argc));
}

int eseguiComandoBatch(int argc, char **argv)
{
    if (argc < 2) return 2;
    const std::string nome = argv[1];
    if (nome == "--help" || nome == "-h" || nome == "aiuto") {
        stampaAiuto();
        return 0;
    }
    std::vector<std::string> argomenti(argv + 2, argv + argc);
    for (const auto &c : comandi())
        if (nome == c.nome) {
            if (std::find(argomenti.begin(), argomenti.end(), "--help") != argomenti.end()) {
                std::cout << "Uso: produzione-camere " << c.uso << "\n      " << c.descrizione << "\n";
                return 0;
            }
            // Each command reports its own failures; anything else (memory
            // exhausted, a fault of our own) still ends with a message and an
            // exit code instead of an abort.
            try {
                return c.esegui(argomenti);
            } catch (const std::bad_alloc &) {
                scriviErrore("memoria insufficiente per completare il comando \"" + nome + "\".");
            } catch (...) {
                scriviErrore("comando \"" + nome + "\" interrotto: " + descriviEccezione(std::current_exception()));
            }
            return 1;
        }
    scriviErrore("comando sconosciuto \"" + nome + "\". Usare produzione-camere --help per l'elenco dei comandi.");
    return 2;
}

void scriviErrore(const std::string &messaggio)
{
    std::cerr << "produzione-camere: " << messaggio << std::endl;
}

const std::string *Opzioni::valore(const std::string &nome) const
{
    for (const auto &[n, v] : valori)
        if (n == nome) return &v;
    return nullptr;
}

bool Opzioni::interruttore(const std::string &nome) const
{
    return std::find(interruttori.begin(), interruttori.end(), nome) != interruttori.end();
}

bool leggiOpzioni(const std::vector<std::string> &argomenti, const std::vector<std::string> &conValore,
                  const std::vector<std::string> &senzaValore, Opzioni &opzioni)
{
    for (std::size_t i = 0; i < argomenti.size(); ++i) {
        const std::string &a = argomenti[i];
        if (a.rfind("--", 0) != 0) {
            opzioni.posizionali.push_back(a);
            continue;
        }
        std::string nome = a, valore;
        bool haUguale = false;
        if (auto uguale = a.find('='); uguale != std::string::npos) {
            nome = a.substr(0, uguale);
            valore = a.substr(uguale + 1);
            haUguale = true;
        }
        if (std::find(conValore.begin(), conValore.end(), nome) != conValore.end()) {
            if (!haUguale) {
                if (i + 1 >= argomenti.size()) {
                    scriviErrore("manca il valore dell'opzione " + nome + ".");
                    return false;
                }
                valore = argomenti[++i];
            }
            opzioni.valori.emplace_back(nome, valore);
        } else if (std::find(senzaValore.begin(), senzaValore.end(), nome) != senzaValore.end() && !haUguale) {
            opzioni.interruttori.push_back(nome);
        } else {
            scriviErrore("opzione sconosciuta \"" + a + "\".");
            return false;
        }
    }
    return true;
}

bool senzaPosizionali(const Opzioni &opzioni)
{
    if (opzioni.posizionali.empty()) return true;
    scriviErrore("argomento non previsto \"" + opzioni.posizionali.front() + "\".");
    return false;
}

std::vector<std::string> conOpzioniArchivio(std::vector<std::string> conValore)
{
    conValore.push_back("--archivio");
    conValore.push_back("--struttura");
    return conValore;
}

bool leggiArchivio(const Opzioni &opzioni, std::optional<std::pair<std::string, std::string>> &archivio,
                   bool strutturaFacoltativa)
{
    auto scegli = [](const std::string *opzione, const char *variabile) {
        if (opzione) return *opzione;
        const char *v = std::getenv(variabile);
        return std::string(v ? v : "");
    };
    const std::string url = scegli(opzioni.valore("--archivio"), "PC_ARCHIVIO");
    const std::string struttura = scegli(opzioni.valore("--struttura"), "PC_STRUTTURA");
    archivio.reset();
    if (url.empty() && struttura.empty()) return true;
    if (url.empty()) {
        scriviErrore("con --struttura (o PC_STRUTTURA) indicare anche l'archivio centrale con --archivio URL (o PC_ARCHIVIO).");
        return false;
    }
    if (struttura.empty() && !strutturaFacoltativa) {
        scriviErrore("con --archivio (o PC_ARCHIVIO) indicare anche la struttura con --struttura NOME (o PC_STRUTTURA).");
        return false;
    }
    archivio.emplace(url, struttura);
    return true;
}

bool leggiFonte(const Opzioni &opzioni, std::shared_ptr<dati::Fonte> &fonte, bool strutturaFacoltativa)
{
    std::optional<std::pair<std::string, std::string>> a;
    fonte.reset();
    if (!leggiArchivio(opzioni, a, strutturaFacoltativa)) return false;
    if (a) fonte = dati::centrale::apri(a->first, a->second);
    return true;
}

bool attivaArchivio(const Opzioni &opzioni, bool strutturaFacoltativa)
{
    std::optional<std::pair<std::string, std::string>> a;
    if (!leggiArchivio(opzioni, a, strutturaFacoltativa)) return false;
    // Readings that end with their files: an import never waits for a window left open.
    if (a) dati::impostaFontePredefinita(dati::centrale::apri(a->first, a->second, true));
    return true;
}

} // namespace pc::app
