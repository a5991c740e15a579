#include "CacheTabelle.h"

#include "Testo.h"

#include <filesystem>
#include <list>
#include <mutex>

namespace pc::dati::cache {

namespace {

struct Voce {
    ChiaveFile file;
    std::string tabella;   // name folded for case
    std::shared_ptr<const Tabella> dati;
};

struct Stato {
    std::mutex mutex;
    std::list<Voce> voci;   // most recently used first
    std::size_t righe = 0;
    Statistiche statistiche;
};

Stato &stato()
{
    static Stato s;
    return s;
}

bool stesso(const ChiaveFile &a, const ChiaveFile &b)
{
    return a.canonico == b.canonico && a.dimensione == b.dimensione && a.modificaNs == b.modificaNs;
}

} // namespace

ChiaveFile identifica(const std::string &percorso)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    ChiaveFile k;
    auto canonico = fs::canonical(percorso, ec);
    if (ec) return {};
    auto dimensione = fs::file_size(canonico, ec);
    if (ec) return {};
    auto quando = fs::last_write_time(canonico, ec);
    if (ec) return {};
    // A WAL beside the file may hold changes the file itself does not show.
    if (fs::exists(canonico.string() + "-wal", ec)) return {};
    k.canonico = canonico.string();
    k.dimensione = dimensione;
    k.modificaNs = std::chrono::duration_cast<std::chrono::nanoseconds>(quando.time_since_epoch()).count();
    return k;
}

std::shared_ptr<const Tabella> tabella(Sorgente &sorgente, const ChiaveFile &file, const std::string &nome)
{
    if (auto t = sorgente.tenuta(nome)) return t;
    auto &s = stato();
    const std::string chiave = testo::maiuscolo(nome);
    if (!file.canonico.empty()) {
        std::lock_guard lock(s.mutex);
        for (auto it = s.voci.begin(); it != s.voci.end(); ++it) {
            if (it->tabella == chiave && stesso(it->file, file)) {
                s.voci.splice(s.voci.begin(), s.voci, it);
                ++s.statistiche.riusi;
                return s.voci.front().dati;
            }
        }
    }
    auto dati = std::make_shared<const Tabella>(sorgente.leggiTabella(nome));
    std::lock_guard lock(s.mutex);
    ++s.statistiche.letture;
    if (file.canonico.empty() || dati->righe.size() > RigheMassimeTabella) return dati;
    // A changed file replaces its older versions at once.
    for (auto it = s.voci.begin(); it != s.voci.end();) {
        if (it->tabella == chiave && it->file.canonico == file.canonico) {
            s.righe -= it->dati->righe.size();
            it = s.voci.erase(it);
        } else {
            ++it;
        }
    }
    s.voci.push_front(Voce{file, chiave, dati});
    s.righe += dati->righe.size();
    while (s.righe > RigheMassimeTotali && s.voci.size() > 1) {
        s.righe -= s.voci.back().dati->righe.size();
        s.voci.pop_back();
    }
    return dati;
}

Statistiche statistiche()
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    Statistiche r = s.statistiche;
    r.righeTenute = s.righe;
    return r;
}

void svuota()
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    s.voci.clear();
    s.righe = 0;
    s.statistiche = {};
}

} // namespace pc::dati::cache
