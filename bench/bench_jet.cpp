// Reading speed of the Jet backend against the SQLite twins: every table of
// the large test hotel read whole, Jet file and SQLite file side by side.
//
//   bench_jet [folder-with-jet-and-sqlite] [repetitions]
//
// The folder holds jet/ and sqlite/ with the same file names (history
// databases in storico/). Prints rows, the median time of one whole-table
// read and rows per second for each backend.

#include "ErroreDati.h"
#include "Sorgente.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Misura {
    std::size_t righe = 0;
    double secondi = 0;   // median of the repetitions
};

Misura misura(const fs::path &file, const std::string &tabella, int ripetizioni)
{
    std::vector<double> tempi;
    Misura m;
    for (int i = 0; i < ripetizioni; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        auto s = pc::dati::apriSorgente(file.string());
        const auto t = s->leggiTabella(tabella);
        const auto t1 = std::chrono::steady_clock::now();
        m.righe = t.righe.size();
        tempi.push_back(std::chrono::duration<double>(t1 - t0).count());
    }
    std::sort(tempi.begin(), tempi.end());
    m.secondi = tempi[tempi.size() / 2];
    return m;
}

} // namespace

int main(int argc, char **argv)
{
    const fs::path cartella = argc > 1 ? fs::path(argv[1]) : fs::path(PC_ALBERGO_GRANDE);
    const int ripetizioni = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    if (!fs::exists(cartella / "jet") || !fs::exists(cartella / "sqlite")) {
        std::fprintf(stderr, "Cartella %s senza jet/ e sqlite/\n", cartella.string().c_str());
        return 2;
    }
    std::vector<fs::path> relativi;
    for (const auto &e : fs::recursive_directory_iterator(cartella / "jet"))
        if (e.is_regular_file() && e.path().extension() == ".mdb") relativi.push_back(fs::relative(e.path(), cartella / "jet"));
    std::sort(relativi.begin(), relativi.end());

    std::printf("%-34s %-20s %7s %10s %12s %10s %12s %6s\n", "file", "tabella", "righe", "Jet ms", "Jet righe/s", "SQLite ms",
                "SQLite righe/s", "J/S");
    try {
        for (const auto &rel : relativi) {
            auto jet = pc::dati::apriSorgente((cartella / "jet" / rel).string());
            for (const auto &tabella : jet->tabelle()) {
                const Misura j = misura(cartella / "jet" / rel, tabella, ripetizioni);
                const Misura q = misura(cartella / "sqlite" / rel, tabella, ripetizioni);
                if (j.righe != q.righe) std::printf("!! righe diverse: Jet %zu, SQLite %zu\n", j.righe, q.righe);
                std::printf("%-34s %-20s %7zu %10.2f %12.0f %10.2f %12.0f %6.2f\n", rel.string().c_str(), tabella.c_str(), j.righe,
                            j.secondi * 1e3, j.righe / j.secondi, q.secondi * 1e3, q.righe / q.secondi, j.secondi / q.secondi);
            }
        }
    } catch (const pc::dati::ErroreDati &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
