// bench_archivio: the chain's central archive at scale. Generates a chain of
// properties (default 20 x 150 rooms x 5 years) once into a folder, imports
// each with "produzione-camere importa" into the archive URL, then times one
// property's 1-year statement and the 1-year chain statement, each in its own
// process: wall time and peak memory.
//
//   bench_archivio --archivio URL [--cartella DIR] [--strutture N] [--camere N] [--solo-report]

#include "GeneratoreAlbergo.h"

#include <libpq-fe.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
    m.codice = WIFEXITED(stato) ? WEXITSTATUS(stato) : 128;
    return m;
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
    int strutture = 20, camere = 150;
    bool soloReport = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--archivio" && i + 1 < argc) url = argv[++i];
        else if (a == "--cartella" && i + 1 < argc) cartella = argv[++i];
        else if (a == "--strutture" && i + 1 < argc) strutture = std::atoi(argv[++i]);
        else if (a == "--camere" && i + 1 < argc) camere = std::atoi(argv[++i]);
        else if (a == "--solo-report") soloReport = true;
        else {
            std::cerr << "Uso: bench_archivio --archivio URL [--cartella DIR] [--strutture N] [--camere N] [--solo-report]\n";
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
        std::snprintf(b, sizeof b, "S%02d", i + 1);
        return std::string(b);
    };
    for (int i = 0; i < strutture; ++i) {
        const fs::path dir = fs::absolute(cartella / nome(i));
        const std::string segno = "completa-" + std::to_string(camere);
        if (fs::exists(dir / segno)) continue;
        auto p = pc::strumenti::parametriGrande();
        p.seme = static_cast<std::uint64_t>(i + 1);
        p.alberghi[0].camere = camere;
        p.primoGiorno = "20210101";
        p.oggi = "20251231";
        pc::strumenti::generaAlbergo(p, dir.string());
        std::ofstream(dir / segno) << "ok\n";
    }
    if (!soloReport) {
        double totale = 0;
        long picco = 0;
        for (int i = 0; i < strutture; ++i) {
            const auto m = esegui({programma, "importa", "--archivio", url, "--struttura", nome(i)}, fs::absolute(cartella / nome(i)));
            if (m.codice != 0) {
                std::cerr << "bench_archivio: importazione di " << nome(i) << " non riuscita\n";
                return 1;
            }
            totale += m.secondi;
            picco = std::max(picco, m.piccoKb);
        }
        const long long righe = righeArchivio(url);
        std::printf("importa: %d strutture, %lld righe in %.2f s = %.0f righe/s, picco %ld MB\n", strutture, righe, totale,
                    righe / totale, picco / 1024);
    }
    const fs::path uno = fs::absolute(cartella / nome(0));
    for (const char *gruppo : {"camere", "strutture"}) {
        for (const char *tipo : {"vendite", "produzione"}) {
            const auto m = esegui({programma, "stampa", "--dal", "01/01/2025", "--al", "31/12/2025", "--tipo", tipo,
                                   "--raggruppamento", gruppo, "--archivio", url, "--struttura", nome(0)},
                                  uno);
            std::printf("stampa 1 anno %-10s %-9s: %.3f s, picco %ld MB%s\n", tipo, gruppo, m.secondi, m.piccoKb / 1024,
                        m.codice ? " (NON RIUSCITA)" : "");
        }
    }
    return 0;
}
