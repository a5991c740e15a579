// bench_archivio: the chain's central archive at scale. Generates a chain of
// properties (default 20 x 150 rooms x 5 years; --variate: 20 to 200 rooms,
// property by property) once into a folder, imports each with
// "produzione-camere importa" into the archive URL (rows and day figures),
// then times one property's 1-year statement, the 1-year chain statement and
// the 1-year chain analysis, each in its own process, --volte times: the
// median wall time and the largest peak memory. bench/catena.sh runs it on a
// private server for the README's figures.
//
//   bench_archivio --archivio URL [--cartella DIR] [--strutture N] [--camere N] [--anni N]
//                  [--variate] [--volte N] [--solo-report]

#include "GeneratoreAlbergo.h"

#include <libpq-fe.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Misura {
    double secondi = 0;
    long piccoKb = 0;
    int codice = 0;
};

Misura esegui(const std::vector<std::string> &argomenti, const fs::path &cartella)
{
    std::fflush(stdout);
    const auto inizio = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cartella.c_str()) != 0) _exit(127);
        setenv("DIRKV", (cartella / "storico").c_str(), 1);
        setenv("PCLocal", "1", 1);
        std::vector<char *> argv;
        for (const auto &a : argomenti) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        if (!freopen("/dev/null", "w", stdout)) _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int stato = 0;
    rusage uso{};
    wait4(pid, &stato, 0, &uso);
    Misura m;
    m.secondi = std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
    m.piccoKb = uso.ru_maxrss;
    m.codice = WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + (WIFSIGNALED(stato) ? WTERMSIG(stato) : 0);
    return m;
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

long long righeArchivio(const std::string &url)
{
    PGconn *c = PQconnectdb(url.c_str());
    PGresult *r = PQexec(c, "SELECT coalesce(sum(righe), 0) FROM pc_archivio.strutture");
    const long long n = PQresultStatus(r) == PGRES_TUPLES_OK ? std::atoll(PQgetvalue(r, 0, 0)) : -1;
    PQclear(r);
    PQfinish(c);
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    std::string url = std::getenv("PC_ARCHIVIO") ? std::getenv("PC_ARCHIVIO") : "";
    fs::path cartella = "bench-catena";
    int strutture = 20, camere = 150, anni = 5, volte = 5;
    bool soloReport = false, variate = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--archivio" && i + 1 < argc) url = argv[++i];
        else if (a == "--cartella" && i + 1 < argc) cartella = argv[++i];
        else if (a == "--strutture" && i + 1 < argc) strutture = std::atoi(argv[++i]);
        else if (a == "--camere" && i + 1 < argc) camere = std::atoi(argv[++i]);
        else if (a == "--anni" && i + 1 < argc) anni = std::atoi(argv[++i]);
        else if (a == "--volte" && i + 1 < argc) volte = std::max(1, std::atoi(argv[++i]));
        else if (a == "--variate") variate = true;
        else if (a == "--solo-report") soloReport = true;
        else {
            std::cerr << "Uso: bench_archivio --archivio URL [--cartella DIR] [--strutture N] [--camere N] [--anni N] "
                         "[--variate] [--volte N] [--solo-report]\n";
            return 2;
        }
    }
    if (url.empty()) {
        std::cerr << "bench_archivio: indicare l'archivio con --archivio URL (o PC_ARCHIVIO)\n";
        return 2;
    }
    const std::string programma = PC_PROGRAMMA;
    auto nome = [](int i) {
        char b[16];
        std::snprintf(b, sizeof b, "S%03d", i + 1);
        return std::string(b);
    };
    // Varied sizes: from 20 to 200 rooms, spread over the chain.
    auto camereDi = [&](int i) { return variate ? 20 + (i * 67) % 181 : camere; };
    for (int i = 0; i < strutture; ++i) {
        const fs::path dir = fs::absolute(cartella / nome(i));
        const std::string segno = "completa-" + std::to_string(camereDi(i)) + "-" + std::to_string(anni);
        if (fs::exists(dir / segno)) continue;
        fs::remove_all(dir);
        auto p = pc::demo::parametriGrande();
        p.seme = static_cast<std::uint64_t>(i + 1);
        p.alberghi[0].camere = camereDi(i);
        p.primoGiorno = std::to_string(2026 - anni) + "0101";
        p.oggi = "20251231";
        pc::demo::generaAlbergo(p, dir.string());
        std::ofstream(dir / segno) << "ok\n";
    }
    if (!soloReport) {
        double totale = 0;
        long picco = 0;
        for (int i = 0; i < strutture; ++i) {
            const auto m = esegui({programma, "importa", "--archivio", url, "--struttura", nome(i)}, fs::absolute(cartella / nome(i)));
            if (m.codice != 0) {
                std::cerr << "bench_archivio: importazione di " << nome(i) << " non riuscita (codice " << m.codice << ")\n";
                return 1;
            }
            totale += m.secondi;
            picco = std::max(picco, m.piccoKb);
        }
        const long long righe = righeArchivio(url);
        std::printf("importa: %d strutture, %lld righe (con le cifre giornaliere) in %.2f s = %.0f righe/s, picco %ld MB\n",
                    strutture, righe, totale, righe / totale, picco / 1024);
    }
    const fs::path uno = fs::absolute(cartella / nome(0));
    struct Caso {
        const char *nome;
        std::vector<std::string> argomenti;
    };
    const std::vector<std::string> anno = {"--dal", "01/01/2025", "--al", "31/12/2025"};
    auto con = [&](std::vector<std::string> a, bool struttura) {
        a.insert(a.begin() + 2, anno.begin(), anno.end());
        a.insert(a.end(), {"--archivio", url});
        if (struttura) a.insert(a.end(), {"--struttura", nome(0)});
        return a;
    };
    const std::vector<Caso> casi = {
        {"stampa 1 anno vendite camere (una struttura)", con({programma, "stampa", "--tipo", "vendite", "--raggruppamento", "camere"}, true)},
        {"stampa 1 anno vendite strutture", con({programma, "stampa", "--tipo", "vendite", "--raggruppamento", "strutture"}, false)},
        {"stampa 1 anno produzione strutture", con({programma, "stampa", "--tipo", "produzione", "--raggruppamento", "strutture"}, false)},
        {"analisi 1 anno strutture csv confronto",
         con({programma, "analisi", "--raggruppamento", "strutture", "--confronto", "--formato", "csv", "--uscita", "analisi-catena.csv"}, false)},
    };
    for (const auto &caso : casi) {
        std::vector<double> tempi;
        long picco = 0;
        bool riuscito = true;
        for (int v = 0; v < volte; ++v) {
            const auto m = esegui(caso.argomenti, uno);
            tempi.push_back(m.secondi);
            picco = std::max(picco, m.piccoKb);
            riuscito = riuscito && m.codice == 0;
        }
        std::printf("%-46s: mediana %.3f s su %d (min %.3f, max %.3f), picco %ld MB%s\n", caso.nome, mediana(tempi), volte,
                    *std::min_element(tempi.begin(), tempi.end()), *std::max_element(tempi.begin(), tempi.end()), picco / 1024,
                    riuscito ? "" : " (NON RIUSCITA)");
    }
    return 0;
}
