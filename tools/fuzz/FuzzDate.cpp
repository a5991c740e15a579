// libFuzzer target for date reading: the report's reading of a typed date and
// the window's completion and check must agree (a date the window accepts is
// read the same by the report), and the calendar arithmetic must go and come
// back unchanged. Any disagreement aborts.
//
//   build-fuzz/tools/fuzz_date -max_len=64 -max_total_time=300

#include "Calendario.h"
#include "DateReport.h"
#include "TavoRoutineDate.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

[[noreturn]] void disaccordo(const char *cosa, const std::string &testo)
{
    std::fprintf(stderr, "%s: \"%s\"\n", cosa, testo.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t n)
{
    const std::string testo(reinterpret_cast<const char *>(dati), n);

    // The report's own reading: what it reads it writes back the same.
    if (auto g = pc::Giorno::leggi(testo)) {
        const auto rilettura = pc::Giorno::leggi(g->ggmmaaaa());
        if (!rilettura || *rilettura != *g) disaccordo("data riletta diversa", testo);
        if (g->successivo().seriale != g->seriale + 1) disaccordo("giorno successivo", testo);
    }

    // The window: what it accepts after completing it, the report reads as the same day.
    const QString scritto = QString::fromUtf8(testo.data(), static_cast<qsizetype>(testo.size()));
    const QString completo = pc::TavoRoutine::CompletaData(pc::TavoRoutine::PulisciTesto(scritto, 0));
    if (pc::TavoRoutine::DataValida(completo) == 1) {
        const auto g = pc::Giorno::leggi(completo.toStdString());
        if (!g) disaccordo("data accettata dalla finestra e rifiutata dal report", testo);
        if (pc::TavoRoutine::PeriodoValido(completo, completo) != 1) disaccordo("periodo di un giorno", testo);
    }

    // Calendar arithmetic on any day of years -9999..9999.
    if (n >= 4) {
        std::int32_t x;
        std::memcpy(&x, dati, sizeof x);
        const long giorno = static_cast<long>(x % 7304850);   // about 20,000 years each side of 1970
        const auto c = pc::dati::calendario::civile(giorno);
        if (c.mese < 1 || c.mese > 12 || c.giorno < 1 || c.giorno > pc::dati::calendario::giorniNelMese(c.anno, c.mese)
            || pc::dati::calendario::seriale(c.anno, c.mese, c.giorno) != giorno)
            disaccordo("calendario", testo);
    }
    return 0;
}
