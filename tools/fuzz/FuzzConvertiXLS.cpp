// libFuzzer target for the spreadsheet conversion with arbitrary settings:
// the input's first three lines are the settings file (field separator,
// decimal separator, currency sign), the next byte picks the report's decimal
// mark, the rest is the report. Every line is converted alone, then the whole
// report file is converted into its .csv copy.
//
//   build-fuzz/tools/fuzz_converti_xls -max_len=4096 -max_total_time=300 /absolute/corpus/folder
// (an absolute corpus path: the target works in a folder of its own)

#include "ConvertiXLS.h"
#include "ErroreDati.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void scrivi(const std::string &file, std::string_view testo)
{
    if (std::FILE *f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(testo.data(), 1, testo.size(), f);
        std::fclose(f);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t n)
{
    // The conversion writes beside the report in the working directory: a folder of our own.
    static const std::string cartella = [] {
        const std::string c = "/tmp/pc_fuzz_xls_" + std::to_string(::getpid());
        std::filesystem::create_directories(c);
        std::filesystem::current_path(c);
        return c;
    }();
    std::string_view tutto(reinterpret_cast<const char *>(dati), n);
    std::size_t fineImpostazioni = 0;
    for (int righe = 0; righe < 3 && fineImpostazioni < tutto.size(); ++righe) {
        const auto a = tutto.find('\n', fineImpostazioni);
        fineImpostazioni = a == std::string_view::npos ? tutto.size() : a + 1;
    }
    scrivi(cartella + "/SeparatoreXLS.txt", tutto.substr(0, fineImpostazioni));
    tutto.remove_prefix(fineImpostazioni);
    const char virgola = !tutto.empty() && (tutto.front() & 1) ? '.' : ',';
    if (!tutto.empty()) tutto.remove_prefix(1);

    const pc::anteprima::SeparatoriXLS sep = pc::anteprima::leggiSeparatoriXLS(cartella + "/SeparatoreXLS.txt");
    std::size_t inizio = 0;
    while (inizio <= tutto.size()) {
        auto a = tutto.find('\n', inizio);
        if (a == std::string_view::npos) a = tutto.size();
        std::string riga(tutto.substr(inizio, a - inizio));
        if (!riga.empty() && riga.back() == '\r') riga.pop_back();
        pc::anteprima::convertiRigaXLS(riga, sep, virgola);
        inizio = a + 1;
    }
    scrivi(cartella + "/fdfuzz", tutto);
    try {
        pc::anteprima::ConvertiXLS(cartella + "/fdfuzz", virgola);
    } catch (const pc::dati::ErroreDati &) {
    }
    return 0;
}
