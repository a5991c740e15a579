// libFuzzer target for the print path and the preview's paging on arbitrary
// report bytes. The input's first bytes choose the print settings (groups C
// and G, page lengths, options, orientation...), the rest is the report. The
// report is printed on a printer that only counts what it is asked (the
// system-printer path), prepared for the raw path, and paged as the preview
// pages it.
//
//   build-fuzz/tools/fuzz_stampa -max_len=8192 -max_total_time=300

#include "ErroreDati.h"
#include "PaginaReport.h"
#include "StampaReport.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

class StampanteMuta : public pc::stampa::OperazioniStampante {
public:
    void scegliStampante(const std::string &) override {}
    void impostaFronteRetro() override {}
    void impostaOrientamento(pc::stampa::Orientamento) override {}
    void impostaFont(const std::string &) override {}
    void impostaDimensione(double punti) override { m_dimensione = punti; }
    double dimensione() const override { return m_dimensione; }
    void impostaGrassetto(bool) override {}
    void scrivi(std::string_view testo, bool) override { m_byte += testo.size(); }
    void nuovaPagina() override {}
    void fineDocumento() override {}

private:
    double m_dimensione = 10;
    std::size_t m_byte = 0;
};

struct Lettore {
    const std::uint8_t *p;
    std::size_t n;
    std::uint8_t byte()
    {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    double numero()
    {
        // Mostly small whole values (what the settings hold), sometimes any double.
        const std::uint8_t k = byte();
        if (k < 200) return static_cast<double>(static_cast<int>(k) - 20);
        std::uint64_t b = 0;
        for (int i = 0; i < 8; ++i) b = (b << 8) | byte();
        double d;
        std::memcpy(&d, &b, sizeof d);
        return d;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t n)
{
    Lettore l{dati, n};
    pc::stampa::ImpostazioniStampa imp;
    for (double &c : imp.C) c = l.numero();
    for (int &g : imp.G) g = static_cast<int>(l.byte()) - 20;
    imp.lunghezzaPagina = static_cast<int>(l.byte()) - 5;
    imp.lunghezzaRiempimento = static_cast<int>(l.byte()) - 5;
    imp.margineAlto = static_cast<int>(l.byte() % 16) - 2;
    imp.tipoStampa = l.byte();
    imp.tipoTrovato = l.byte() & 1;
    imp.destinazione = "Fuzz";
    imp.dispositivo = "/dev/null";
    const std::uint8_t opzioni = l.byte();
    pc::stampa::SceltaStampa scelta;
    scelta.destinazione = "Fuzz";
    scelta.compressa = opzioni & 1;
    scelta.orizzontale = opzioni & 2;
    scelta.fronteRetro = opzioni & 4;
    const std::string codice = (opzioni & 8) ? "K" : ((opzioni & 16) ? "U" : "");

    const std::string_view report(reinterpret_cast<const char *>(l.p), l.n);
    std::vector<std::string> righe;
    std::size_t inizio = 0;
    while (inizio < report.size()) {
        auto a = report.find('\n', inizio);
        if (a == std::string_view::npos) a = report.size();
        std::string r(report.substr(inizio, a - inizio));
        if (!r.empty() && r.back() == '\r') r.pop_back();
        righe.push_back(std::move(r));
        inizio = a + 1;
    }

    try {
        pc::stampa::preparaStampaGrezza(imp, scelta, codice, righe);
    } catch (const pc::dati::ErroreDati &) {
    }
    try {
        StampanteMuta stampante;
        imp.C[5] = 1.0;   // the system-printer path
        pc::stampa::eseguiStampa(imp, scelta, codice, righe, &stampante);
    } catch (const pc::dati::ErroreDati &) {
    }

    // The preview's paging of the same bytes.
    static const std::string file = "/tmp/pc_fuzz_stampa_" + std::to_string(::getpid());
    if (std::FILE *f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(report.data(), 1, report.size(), f);
        std::fclose(f);
    }
    try {
        pc::anteprima::PaginaReport pagine(file);
        if (pagine.apri()) {
            const std::int32_t limite = 1 + static_cast<std::int32_t>(opzioni) * 8;
            for (int volte = 0; volte < 10000; ++volte) {
                pagine.caricaPagina(limite);
                if (pagine.altreRighe() == 0) break;
            }
            pagine.ricomincia(pc::anteprima::PaginaReport::LimitePrimaPagina);
        }
    } catch (const pc::dati::ErroreDati &) {
    }
    return 0;
}
