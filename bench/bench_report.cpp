// Benchmark of the statement on a large hotel (300 bedrooms, ten years of
// history). Not a test: it prints figures, it checks nothing.
//
// "100anni" and "massimo" (01/01/0100 - 31/12/9999) run only when named in
// --casi; the widest period by room numbers writes a report of some 12 GB.
//
//   bench_report [--cartella DIR] [--casi LISTA] [--metodo rapido|giorno] [--rigenera]
//
// The hotel is generated once into DIR (default "bench-albergo" in the current
// folder) and reused while its completion mark matches the generator's
// parameters. Every case runs in a child process of its own, so that the peak
// memory reported (wait4's ru_maxrss) belongs to that case alone. Beside each
// kind and period the benchmark times the sqlite3 command-line shell running
// the period's three source queries and reading every row: the floor any
// implementation pays.

#include "ErroreDati.h"
#include "GeneratoreAlbergo.h"
#include "StampaProduzione.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace pc;

namespace {

// Raise when the generator's output changes, so that old caches are rebuilt.
constexpr int kVersioneAlbergo = 1;
const char *const kSegno = "albergo-completo.txt";
const char *const kPostazione = "9";   // PCLocal of the benchmark: the report is "fd9"

struct Periodo {
    const char *nome;
    const char *dalla;
    const char *alla;
    bool soloSeNominato;   // long: measured only when --casi names it
};

// The hotel's data cover the last ten years: the 100-year period reads the
// same rows as the 10-year one, so its memory must not grow with its length;
// the widest period the dates allow is measured the same way.
const Periodo kPeriodi[] = {
    {"mese", "01/03/2025", "31/03/2025", false},
    {"anno", "01/01/2025", "31/12/2025", false},
    {"10anni", "01/01/2016", "31/12/2025", false},
    {"100anni", "01/01/1926", "31/12/2025", true},
    {"massimo", "01/01/0100", "31/12/9999", true},
};

struct Caso {
    const Periodo *periodo;
    TipoReport tipo;
    Raggruppamento raggruppamento;
    std::string nome;
};

const char *nomeTipo(TipoReport t) { return t == TipoReport::Vendite ? "vendite" : "produzione"; }
const char *nomeRaggruppamento(Raggruppamento r)
{
    switch (r) {
    case Raggruppamento::NumeriCamere: return "camere";
    case Raggruppamento::TipiCamere: return "tipi";
    case Raggruppamento::MacroCategorie: return "macro";
    }
    return "?";
}

std::vector<std::string> dividi(const std::string &s, char separatore)
{
    std::vector<std::string> parti;
    std::string parte;
    std::istringstream in(s);
    while (std::getline(in, parte, separatore))
        if (!parte.empty()) parti.push_back(parte);
    return parti;
}

// "anno,mese/vendite": a case is chosen when every word of one item is among
// its words; the long periods only when an item names them.
bool scelto(const Caso &c, const std::string &filtro)
{
    if (c.periodo->soloSeNominato && filtro.find(c.periodo->nome) == std::string::npos) return false;
    if (filtro.empty()) return true;
    const std::vector<std::string> parole = dividi(c.nome, '/');
    for (const auto &voce : dividi(filtro, ',')) {
        bool tutte = true;
        for (const auto &w : dividi(voce, '/'))
            tutte = tutte && std::find(parole.begin(), parole.end(), w) != parole.end();
        if (tutte) return true;
    }
    return false;
}

std::string yyyymmdd(const std::string &ggmmaaaa) { return ggmmaaaa.substr(6, 4) + ggmmaaaa.substr(3, 2) + ggmmaaaa.substr(0, 2); }

double secondiDa(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// ------------------------------------------------------------------ the hotel

std::string firma(const demo::ParametriAlbergo &p)
{
    std::ostringstream s;
    s << "versione " << kVersioneAlbergo << " seme " << p.seme << " dal " << p.primoGiorno << " oggi " << p.oggi
      << " camere " << p.alberghi.front().camere << " densita " << p.alberghi.front().densitaPermille;
    return s.str();
}

struct Conteggio {
    std::string file, tabella;
    long long righe;
};

// The row counts of a complete cache, or nothing when it must be generated.
std::optional<std::vector<Conteggio>> leggiSegno(const fs::path &cartella, const std::string &attesa)
{
    std::ifstream in(cartella / kSegno);
    std::string riga;
    if (!in || !std::getline(in, riga) || riga != attesa) return std::nullopt;
    std::vector<Conteggio> conteggi;
    while (std::getline(in, riga)) {
        const auto parti = dividi(riga, '\t');
        if (parti.size() != 3) return std::nullopt;
        conteggi.push_back({parti[0], parti[1], std::atoll(parti[2].c_str())});
    }
    for (const auto &f : demo::fileAlbergo())
        if (!fs::exists(cartella / f)) return std::nullopt;
    return conteggi;
}

// Generates the hotel in a child process (the parent stays small, so that the
// cases forked from it measure their own memory) and writes the completion mark last.
bool generaInFiglio(const fs::path &cartella, const demo::ParametriAlbergo &p)
{
    std::error_code ec;
    fs::remove(cartella / kSegno, ec);
    std::cout.flush();
    const pid_t figlio = fork();
    if (figlio < 0) return false;
    if (figlio == 0) {
        try {
            const auto r = demo::generaAlbergo(p, cartella.string());
            const fs::path provvisorio = cartella / (std::string(kSegno) + ".tmp");
            {
                std::ofstream out(provvisorio);
                out << firma(p) << "\n";
                for (const auto &t : r.tabelle) out << t.file << "\t" << t.tabella << "\t" << t.righe << "\n";
                if (!out) _exit(1);
            }
            fs::rename(provvisorio, cartella / kSegno);
            _exit(0);
        } catch (const std::exception &e) {
            std::cerr << "bench_report: " << e.what() << std::endl;
            _exit(1);
        }
    }
    int stato = 0;
    waitpid(figlio, &stato, 0);
    return WIFEXITED(stato) && WEXITSTATUS(stato) == 0;
}

// ------------------------------------------------------------------ one case

struct Misura {
    bool riuscito = false;
    double secondi = 0;
    double rssMb = 0;
    long long byteReport = 0;
};

Misura eseguiCaso(const fs::path &cartella, const Caso &c, MetodoCalcolo metodo)
{
    Misura m;
    int tubo[2];
    if (pipe(tubo) != 0) return m;
    std::cout.flush();
    const pid_t figlio = fork();
    if (figlio < 0) return m;
    if (figlio == 0) {
        close(tubo[0]);
        if (chdir(cartella.c_str()) != 0) _exit(1);
        setenv("DIRKV", (cartella / "storico").c_str(), 1);
        setenv("PCLocal", kPostazione, 1);
        RichiestaReport r;
        r.dalla = c.periodo->dalla;
        r.alla = c.periodo->alla;
        r.tipo = c.tipo;
        r.raggruppamento = c.raggruppamento;
        try {
            const auto t0 = std::chrono::steady_clock::now();
            StampaProduzione(r, {}, metodo);
            const double s = secondiDa(t0);
            if (write(tubo[1], &s, sizeof s) != sizeof s) _exit(1);
        } catch (const std::exception &e) {
            std::cerr << "bench_report: " << c.nome << ": " << e.what() << std::endl;
            _exit(1);
        }
        _exit(0);
    }
    close(tubo[1]);
    double s = 0;
    const bool letto = read(tubo[0], &s, sizeof s) == sizeof s;
    close(tubo[0]);
    int stato = 0;
    struct rusage uso {};
    wait4(figlio, &stato, 0, &uso);
    m.riuscito = letto && WIFEXITED(stato) && WEXITSTATUS(stato) == 0;
    m.secondi = s;
    m.rssMb = static_cast<double>(uso.ru_maxrss) / 1024.0;   // kilobytes on Linux
    std::error_code ec;
    const auto dimensione = fs::file_size(cartella / (std::string("fd") + kPostazione), ec);
    m.byteReport = ec ? -1 : static_cast<long long>(dimensione);
    return m;
}

// ------------------------------------------------------------------ the sqlite3 shell

std::string queryShell(TipoReport tipo, const Periodo &p)
{
    const std::string A = yyyymmdd(p.alla), D = yyyymmdd(p.dalla);
    if (tipo == TipoReport::Vendite)
        return "ATTACH 'storico/SchedaStoricoClienti.mdb' AS storico;\n"
               "ATTACH 'Camere_Prenotazione.mdb' AS prenotazioni;\n"
               "SELECT * FROM main.Scheda_Cliente WHERE NumeroHotel = 1 AND DataArrivo <= '" + A +
               "' AND DataPartenza > '" + D + "' ORDER BY DataArrivo, NumeroCamera;\n"
               "SELECT * FROM storico.Scheda_Cliente WHERE NumeroHotel = 1 AND DataArrivo <= '" + A +
               "' AND DataPartenzaReale > '" + D + "' ORDER BY DataArrivo, NumeroCamera;\n"
               "SELECT * FROM prenotazioni.Camere_Prenotazione WHERE NumeroHotel = 1 AND DataArrivo <= '" + A +
               "' AND DataPartenza > '" + D + "';\n";
    const std::string voci = " AND VoceAddebito IN (SELECT Codice FROM voci.VociFattura WHERE NumeroHotel = 1 AND Reparto = 'ARR');\n";
    return "ATTACH 'VociFattura.mdb' AS voci;\n"
           "ATTACH 'storico/ContoStoricoClienti.mdb' AS storico;\n"
           "ATTACH 'Arrangiamento.mdb' AS arrangiamenti;\n"
           "SELECT * FROM main.Conto_Cliente WHERE NumeroHotel = 1 AND DataAddebito <= '" + A + "' AND DataAddebito >= '" + D +
           "'" + voci +
           "SELECT * FROM storico.Conto_Cliente WHERE NumeroHotel = 1 AND DataAddebito <= '" + A + "' AND DataAddebito >= '" + D +
           "'" + voci +
           "SELECT * FROM arrangiamenti.Arrangiamento WHERE NumeroHotel = 1 AND substr(NumeroCamera, 1, 1) = '*' AND DataInizio <= '" +
           A + "' AND DataFine > '" + D + "'" + voci;
}

// Runs the shell on the kind's current database with the script on its input
// and its output to /dev/null; wall time of the whole process, or nothing.
std::optional<double> tempoShell(const fs::path &cartella, TipoReport tipo, const Periodo &p)
{
    const fs::path script = cartella / "query-shell.sql";
    {
        std::ofstream out(script);
        out << queryShell(tipo, p);
    }
    const std::string db = tipo == TipoReport::Vendite ? "Scheda_Cliente.mdb" : "Conto_Cliente.mdb";
    std::cout.flush();
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t figlio = fork();
    if (figlio < 0) return std::nullopt;
    if (figlio == 0) {
        if (chdir(cartella.c_str()) != 0) _exit(126);
        const int in = open(script.c_str(), O_RDONLY);
        const int out = open("/dev/null", O_WRONLY);
        if (in < 0 || out < 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        execlp("sqlite3", "sqlite3", "-batch", "-bail", "-readonly", db.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int stato = 0;
    waitpid(figlio, &stato, 0);
    const double s = secondiDa(t0);
    if (!WIFEXITED(stato) || WEXITSTATUS(stato) != 0) return std::nullopt;
    return s;
}

void uso()
{
    std::cout << "Uso: bench_report [--cartella CARTELLA] [--casi LISTA] [--metodo rapido|giorno] [--rigenera]\n"
                 "  --cartella  dove generare (e poi riusare) l'albergo grande; predefinita: bench-albergo\n"
                 "  --casi      casi da misurare, separati da virgole; ogni voce \xC3\xA8 fatta di parole separate da /\n"
                 "              tra mese, anno, 10anni, 100anni, massimo, vendite, produzione, camere, tipi, macro\n"
                 "              (es. anno,mese/vendite); 100anni e massimo (01/01/0100-31/12/9999) solo se nominati\n"
                 "  --metodo    rapido (predefinito) o giorno (il calcolo giorno per giorno di riferimento)\n"
                 "  --rigenera  rigenera l'albergo anche se la cartella \xC3\xA8 gi\xC3\xA0 completa\n";
}

} // namespace

int main(int argc, char **argv)
{
    fs::path cartella = "bench-albergo";
    std::string filtro;
    MetodoCalcolo metodo = MetodoCalcolo::Rapido;
    bool rigenera = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto valore = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "bench_report: manca il valore di " << a << "\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--cartella") cartella = valore();
        else if (a == "--casi") filtro = valore();
        else if (a == "--metodo") {
            const std::string m = valore();
            if (m == "rapido") metodo = MetodoCalcolo::Rapido;
            else if (m == "giorno") metodo = MetodoCalcolo::GiornoPerGiorno;
            else {
                std::cerr << "bench_report: metodo \"" << m << "\" sconosciuto: usare rapido o giorno\n";
                return 2;
            }
        } else if (a == "--rigenera") rigenera = true;
        else if (a == "--help" || a == "-h") {
            uso();
            return 0;
        } else {
            std::cerr << "bench_report: opzione sconosciuta \"" << a << "\"\n";
            uso();
            return 2;
        }
    }

    std::vector<Caso> casi;
    for (const auto &p : kPeriodi)
        for (TipoReport t : {TipoReport::Vendite, TipoReport::Produzione})
            for (Raggruppamento r : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie}) {
                Caso c{&p, t, r, std::string(p.nome) + "/" + nomeTipo(t) + "/" + nomeRaggruppamento(r)};
                if (scelto(c, filtro)) casi.push_back(c);
            }
    if (casi.empty()) {
        std::cerr << "bench_report: nessun caso corrisponde a \"" << filtro << "\"\n";
        return 2;
    }

    std::error_code ec;
    fs::create_directories(cartella, ec);
    cartella = fs::absolute(cartella).lexically_normal();
    const auto parametri = demo::parametriGrande();
    const std::string attesa = firma(parametri);
    auto conteggi = rigenera ? std::nullopt : leggiSegno(cartella, attesa);
    if (conteggi) {
        std::cout << "Albergo grande gi\xC3\xA0 presente in " << cartella.string() << ": riusato.\n";
    } else {
        std::cout << "Generazione dell'albergo grande in " << cartella.string() << " ..." << std::endl;
        const auto t0 = std::chrono::steady_clock::now();
        if (!generaInFiglio(cartella, parametri) || !(conteggi = leggiSegno(cartella, attesa))) {
            std::cerr << "bench_report: generazione dell'albergo non riuscita\n";
            return 1;
        }
        std::printf("Generazione: %.2f s\n", secondiDa(t0));
    }
    std::cout << "\nRighe per tabella:\n";
    for (const auto &c : *conteggi) std::printf("  %-34s %-20s %10lld\n", c.file.c_str(), c.tabella.c_str(), c.righe);

    // The shell's floor for each period and kind, once each (after a first run that warms the page cache).
    std::map<std::string, std::optional<double>> shell;
    for (const auto &c : casi) {
        const std::string chiave = std::string(c.periodo->nome) + "/" + nomeTipo(c.tipo);
        if (shell.count(chiave)) continue;
        tempoShell(cartella, c.tipo, *c.periodo);
        shell[chiave] = tempoShell(cartella, c.tipo, *c.periodo);
    }
    fs::remove(cartella / "query-shell.sql", ec);

    std::printf("\nMetodo: %s; ogni caso in un processo a s\xC3\xA9.\n\n",
                metodo == MetodoCalcolo::Rapido ? "rapido" : "giorno per giorno");
    std::printf("%-26s %9s %11s %12s %9s %9s\n", "caso", "tempo s", "RSS max MB", "byte report", "shell s", "noi/shell");
    int falliti = 0;
    for (const auto &c : casi) {
        const Misura m = eseguiCaso(cartella, c, metodo);
        const auto &s = shell[std::string(c.periodo->nome) + "/" + nomeTipo(c.tipo)];
        if (!m.riuscito) {
            ++falliti;
            std::printf("%-26s %9s\n", c.nome.c_str(), "ERRORE");
            continue;
        }
        std::printf("%-26s %9.3f %11.1f %12lld", c.nome.c_str(), m.secondi, m.rssMb, m.byteReport);
        if (s && *s > 0) std::printf(" %9.3f %9.2f\n", *s, m.secondi / *s);
        else std::printf(" %9s %9s\n", "-", "-");
        std::fflush(stdout);
    }
    if (std::any_of(shell.begin(), shell.end(), [](const auto &x) { return !x.second; }))
        std::cout << "\n(shell: sqlite3 non disponibile o query non riuscita; installare il pacchetto sqlite3)\n";
    return falliti ? 1 : 0;
}
