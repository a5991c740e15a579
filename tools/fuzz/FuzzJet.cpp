// libFuzzer target for the Jet reader: each input is written to a file and
// opened as a Jet database; every table is listed and read. A damaged file
// must end in ErroreDati, never in a crash or a sanitizer report.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DPC_FUZZ=ON
//   cmake --build build-fuzz --target fuzz_jet
//   build-fuzz/tools/fuzz_jet -max_len=200000 -max_total_time=300 corpus/ tests/dati/mdb-real

#include "ErroreDati.h"
#include "SorgentiInterne.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t n)
{
    static const std::string percorso = "/tmp/pc_fuzz_jet_" + std::to_string(::getpid()) + ".mdb";
    std::FILE *f = std::fopen(percorso.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(dati, 1, n, f);
    std::fclose(f);
    try {
        auto s = pc::dati::apriSorgenteJet(percorso);
        for (const auto &t : s->tabelle()) {
            try {
                s->leggiTabella(t);
            } catch (const pc::dati::ErroreDati &) {
            }
        }
    } catch (const pc::dati::ErroreDati &) {
    }
    return 0;
}
