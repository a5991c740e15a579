#include "Database.h"

#include "CacheTabelle.h"
#include "Dialetto.h"
#include "ErroreDati.h"
#include "ScritturaFile.h"
#include "SorgentiInterne.h"
#include "Testo.h"
#include "Valutatore.h"

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <exception>
#include <filesystem>
#include <list>
#include <mutex>
#include <unordered_map>

#include <unistd.h>

namespace pc::dati {

namespace fs = std::filesystem;

namespace {

std::atomic<bool> g_traduzione{true};
std::atomic<std::size_t> g_tradotte{0};

// Each part of the path as named, else the entry of its folder whose name
// differs only in case (folders copied from Windows); nothing when absent.
std::optional<fs::path> senzaMaiuscole(const fs::path &p)
{
    std::error_code ec;
    if (fs::exists(p, ec)) return p;
    fs::path r;
    for (const auto &parte : p) {
        fs::path prossimo = r / parte;
        if (r.empty() && p.is_absolute() && parte == p.root_path()) {
            r = parte;
            continue;
        }
        if (!fs::exists(prossimo, ec)) {
            const fs::path cartella = r.empty() ? fs::path(".") : r;
            bool trovato = false;
            for (fs::directory_iterator it(cartella, ec), fine; !ec && it != fine; it.increment(ec)) {
                if (testo::ugualeNoCase(it->path().filename().string(), parte.string())) {
                    prossimo = r / it->path().filename();
                    trovato = true;
                    break;
                }
            }
            if (!trovato) return std::nullopt;
        }
        r = prossimo;
    }
    return r;
}

// The file as named; else with the case of its parts corrected; a path
// written with backslashes (DIRKV + "\file.mdb") is read with slashes too.
std::optional<std::string> cercaPercorso(const std::string &percorso)
{
    std::error_code ec;
    std::vector<std::string> candidati{percorso};
    if (percorso.find('\\') != std::string::npos) {
        std::string s = percorso;
        std::replace(s.begin(), s.end(), '\\', '/');
        candidati.push_back(s);
    }
    for (const auto &c : candidati)
        if (fs::is_regular_file(c, ec)) return c;
    for (const auto &c : candidati) {
        if (c.empty()) continue;
        auto p = senzaMaiuscole(fs::path(c));
        if (p && fs::is_regular_file(*p, ec)) return p->string();
    }
    return std::nullopt;
}

// The folder on the way to `percorso` that this user may not search (or,
// for the file's own folder, list: a name in another case is looked for
// there); nothing when the path is hidden by no permission.
std::optional<std::string> cartellaNegata(const std::string &percorso)
{
    std::string s = percorso;
    std::replace(s.begin(), s.end(), '\\', '/');
    const fs::path p(s);
    std::vector<fs::path> cartelle;
    for (fs::path c = p.parent_path(); !c.empty(); c = c.parent_path()) {
        cartelle.push_back(c);
        if (c == c.parent_path()) break;
    }
    if (cartelle.empty()) cartelle.push_back(".");
    for (auto it = cartelle.rbegin(); it != cartelle.rend(); ++it) {
        const bool propria = it == cartelle.rend() - 1;
        if (::access(it->c_str(), F_OK) != 0 && errno != EACCES) return std::nullopt;   // really missing
        if (::access(it->c_str(), propria ? (X_OK | R_OK) : X_OK) != 0 && errno == EACCES) return it->string();
    }
    return std::nullopt;
}

std::string risolviPercorso(const std::string &percorso)
{
    if (auto p = cercaPercorso(percorso)) return *p;
    std::error_code ec;
    if (fs::exists(percorso, ec)) {
        const std::string natura = naturaPercorso(percorso);
        throw ErroreDati("\"" + percorso + "\" non \xC3\xA8 un archivio ma " + (natura.empty() ? "un file speciale" : natura) +
                         " (non un file regolare).");
    }
    if (auto cartella = cartellaNegata(percorso))
        throw ErroreDati("Archivio \"" + percorso + "\" non leggibile: permesso negato sulla cartella \"" + *cartella + "\".");
    throw ErroreDati("Archivio \"" + percorso + "\" non trovato.");
}

// Parsed queries and criteria, by text: the same few texts come back every day.
template <typename T>
class CacheTesti {
public:
    std::shared_ptr<const T> trova(std::string_view testo, auto analizza)
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_voci.begin(); it != m_voci.end(); ++it) {
            if (it->first == testo) {
                m_voci.splice(m_voci.begin(), m_voci, it);
                return it->second;
            }
        }
        auto r = analizza(testo);
        m_voci.emplace_front(std::string(testo), r);
        if (m_voci.size() > 64) m_voci.pop_back();
        return r;
    }

private:
    std::mutex m_mutex;
    std::list<std::pair<std::string, std::shared_ptr<const T>>> m_voci;
};

std::shared_ptr<const dialetto::Query> queryAnalizzata(std::string_view sql)
{
    static CacheTesti<dialetto::Query> cache;
    return cache.trova(sql, [](std::string_view t) { return dialetto::analizzaQuery(t); });
}

std::string nomeFile(const std::string &percorso) { return fs::path(percorso).filename().string(); }

// How messages name a record set's table.
std::string descrizioneTabella(const std::string &tabella, const std::string &percorso)
{
    return "tabella \"" + tabella + "\" dell'archivio \"" + nomeFile(percorso) + "\"";
}

} // namespace

void impostaTraduzioneSql(bool attiva) { g_traduzione = attiva; }
bool traduzioneSql() { return g_traduzione; }
std::size_t interrogazioniTradotte() { return g_tradotte; }

struct Database::Impl {
    std::string percorso;
    std::shared_ptr<Fonte> fonte;
    std::unique_ptr<Sorgente> sorgente;
    cache::ChiaveFile chiave;
    bool chiuso = false;

    Sorgente &aperta()
    {
        if (chiuso) throw ErroreDati("L'archivio \"" + percorso + "\" \xC3\xA8 gi\xC3\xA0 stato chiuso.");
        return *sorgente;
    }

    std::vector<Valore> sottoselezione(const dialetto::Query &q);
    std::unique_ptr<Recordset> esegui(const dialetto::Query &q, bool anchePushDown);
    void scorri(const dialetto::Query &q, const std::function<void(const Recordset &)> &schema, const Sorgente::VisitaRiga &riga);
};

namespace {

// The values of a sub-select, read with the generic path.
std::vector<Valore> valoriDi(const Recordset &rs, const std::string &campo)
{
    const int c = rs.columnIndex(campo);
    std::vector<Valore> r;
    r.reserve(rs.size());
    for (std::size_t i = 0; i < rs.size(); ++i) r.push_back(rs.value(i, c));
    return r;
}

} // namespace

std::vector<Valore> Database::Impl::sottoselezione(const dialetto::Query &q)
{
    if (!q.haFile) return valoriDi(*esegui(q, false), q.campo);
    // A file named by In is found from the working directory.
    auto altro = Database::open(q.file, fonte);
    return valoriDi(*altro->m_impl->esegui(q, false), q.campo);
}

std::unique_ptr<Recordset> Database::Impl::esegui(const dialetto::Query &q, bool anchePushDown)
{
    Sorgente &s = aperta();
    std::unique_ptr<Recordset> rs(new Recordset());
    rs->m_archivio = percorso;
    rs->m_fonte = fonte;
    auto sotto = [this](const dialetto::Query &x) { return sottoselezione(x); };

    // The Where evaluated by the backend when it can: only the selected
    // records are read. Ordering and the choice of field are done here below
    // for both paths, so that they cannot differ.
    std::shared_ptr<const Tabella> tabella;
    bool filtrata = false;
    if (anchePushDown && g_traduzione && q.where) {
        if (auto t = s.interroga(q, sotto)) {
            ++g_tradotte;
            tabella = std::make_shared<const Tabella>(std::move(*t));
            filtrata = true;
        }
    }
    if (!tabella) tabella = cache::tabella(s, chiave, q.tabella);
    rs->m_tabellaNome = tabella->nome.empty() ? q.tabella : tabella->nome;
    rs->m_descrizione = descrizioneTabella(rs->m_tabellaNome, percorso);
    const std::string archivio = nomeFile(percorso);
    // Every record's dates, whichever way the Where is evaluated: a backend
    // that evaluates it also hands back the records whose dates are not dates.
    verificaDate(*tabella, archivio, rs->m_tabellaNome);

    std::vector<std::pair<int, bool>> chiavi;
    for (const auto &k : q.ordine) {
        const int c = trovaColonna(tabella->colonne, k.campo);
        if (c < 0) erroreCampo(k.campo, rs->m_tabellaNome, archivio);
        chiavi.emplace_back(c, k.discendente);
    }
    int campo = -1;
    if (q.campo != "*") {
        campo = trovaColonna(tabella->colonne, q.campo);
        if (campo < 0) erroreCampo(q.campo, rs->m_tabellaNome, archivio);
    }

    const bool filtro = q.where && !filtrata;
    if (!filtro && chiavi.empty()) {
        rs->m_tabella = tabella;
        rs->m_tutte = true;
    } else {
        std::vector<std::uint32_t> posizioni;
        if (filtro) {
            Filtro f(*q.where, tabella->colonne, rs->m_tabellaNome, archivio, sotto);
            for (std::size_t i = 0; i < tabella->righe.size(); ++i)
                if (f.seleziona(tabella->righe[i].data())) posizioni.push_back(static_cast<std::uint32_t>(i));
        } else {
            posizioni.resize(tabella->righe.size());
            for (std::size_t i = 0; i < posizioni.size(); ++i) posizioni[i] = static_cast<std::uint32_t>(i);
        }
        ordina(posizioni, tabella->righe, chiavi);
        rs->m_tabella = tabella;
        rs->m_posizioni = std::move(posizioni);
    }
    if (campo >= 0) {
        // One field selected: a table of that column alone.
        Tabella t;
        t.nome = rs->m_tabellaNome;
        t.colonne = {tabella->colonne[static_cast<std::size_t>(campo)]};
        t.righe.impostaColonne(1);
        t.righe.reserve(rs->size());
        for (std::size_t i = 0; i < rs->size(); ++i) *t.righe.aggiungiRiga() = rs->value(i, campo);
        rs->m_tabella = std::make_shared<const Tabella>(std::move(t));
        rs->m_posizioni.clear();
        rs->m_tutte = true;
    }
    return rs;
}

namespace {

// The fields an Order by and a single-field Select name must exist in the table.
void controllaCampi(const dialetto::Query &q, const std::vector<std::string> &colonne, const std::string &tabella,
                    const std::string &archivio)
{
    for (const auto &k : q.ordine)
        if (trovaColonna(colonne, k.campo) < 0) erroreCampo(k.campo, tabella, archivio);
    if (q.campo != "*" && trovaColonna(colonne, q.campo) < 0) erroreCampo(q.campo, tabella, archivio);
}

} // namespace

// The records of esegui, in the same order before any Order by, read and
// handed one at a time when the backend evaluates the Where, else picked from
// the table read whole; the checks come in the same order as esegui's.
void Database::Impl::scorri(const dialetto::Query &q, const std::function<void(const Recordset &)> &schema,
                            const Sorgente::VisitaRiga &riga)
{
    Sorgente &s = aperta();
    auto sotto = [this](const dialetto::Query &x) { return sottoselezione(x); };
    const std::string archivio = nomeFile(percorso);
    if (g_traduzione && q.where) {
        std::string nome;
        std::vector<std::string> colonne;
        std::optional<VerificaDate> date;
        std::exception_ptr dataErrata;   // the first record whose date is not a date, raised once all are read
        const bool letto = s.scorri(
            q, sotto,
            [&](const std::string &t, const std::vector<std::string> &c) {
                nome = t.empty() ? q.tabella : t;
                colonne = c;
                date.emplace(colonne, archivio, nome);
                schema(*Recordset::schema(nome, colonne, percorso));
            },
            [&](const Valore *r) {
                if (dataErrata) return;
                if (date->serve()) {
                    try {
                        date->verifica(r);
                    } catch (...) {
                        dataErrata = std::current_exception();
                        return;
                    }
                }
                riga(r);
            });
        if (letto) {
            ++g_tradotte;
            if (dataErrata) std::rethrow_exception(dataErrata);
            controllaCampi(q, colonne, nome, archivio);
            return;
        }
    }
    const std::shared_ptr<const Tabella> tabella = cache::tabella(s, chiave, q.tabella);
    const std::string nome = tabella->nome.empty() ? q.tabella : tabella->nome;
    verificaDate(*tabella, archivio, nome);
    controllaCampi(q, tabella->colonne, nome, archivio);
    std::optional<Filtro> f;
    if (q.where) f.emplace(*q.where, tabella->colonne, nome, archivio, sotto);
    schema(*Recordset::schema(nome, tabella->colonne, percorso));
    for (const RigaTabella r : tabella->righe)
        if (!f || f->seleziona(r.data())) riga(r.data());
}

Database::Database(std::unique_ptr<Sorgente> sorgente) : m_impl(std::make_unique<Impl>())
{
    m_impl->sorgente = std::move(sorgente);
    m_impl->percorso = m_impl->sorgente->percorso();
    m_impl->chiave = cache::identifica(m_impl->percorso);
}

Database::~Database() = default;

std::unique_ptr<Database> Database::open(const std::string &percorso) { return open(percorso, fontePredefinita()); }

std::unique_ptr<Database> Database::open(const std::string &percorso, std::shared_ptr<Fonte> fonte)
{
    if (!fonte) fonte = fontePredefinita();
    std::unique_ptr<Database> db(new Database(fonte->apri(percorso)));
    db->m_impl->fonte = fonte;
    // Tables of a copy in the central archive are shared through the cache
    // only within one reading of it.
    if (std::string id = fonte->identita(percorso); !id.empty()) db->m_impl->chiave = {std::move(id), 0, 0};
    return db;
}

namespace {

class FonteCartella final : public Fonte {
public:
    std::unique_ptr<Sorgente> apri(const std::string &percorso) override { return apriSorgente(risolviPercorso(percorso)); }
    std::string descrizione() const override { return "la cartella di lavoro"; }
};

struct Predefinita {
    std::mutex mutex;
    std::shared_ptr<Fonte> fonte;
};

Predefinita &predefinita()
{
    static Predefinita p;
    return p;
}

} // namespace

std::shared_ptr<Fonte> cartella()
{
    static const std::shared_ptr<Fonte> f = std::make_shared<FonteCartella>();
    return f;
}

std::shared_ptr<Fonte> fontePredefinita()
{
    auto &p = predefinita();
    std::lock_guard lock(p.mutex);
    return p.fonte ? p.fonte : cartella();
}

void impostaFontePredefinita(std::shared_ptr<Fonte> fonte)
{
    auto &p = predefinita();
    std::lock_guard lock(p.mutex);
    p.fonte = std::move(fonte);
}

FigureSalvate Fonte::figure(Gruppo, long, long)
{
    throw ErroreDati("Le cifre giornaliere gi\xC3\xA0 calcolate si trovano solo nell'archivio centrale della catena "
                     "(--archivio URL o PC_ARCHIVIO), non in " + descrizione() + ".");
}

std::optional<std::string> Database::trova(const std::string &percorso) { return cercaPercorso(percorso); }

std::vector<std::string> Database::tabelle() { return m_impl->aperta().tabelle(); }

const std::string &Database::percorso() const { return m_impl->percorso; }

std::unique_ptr<Recordset> Database::openRecordset(std::string_view sqlOTabella)
{
    auto q = queryAnalizzata(sqlOTabella);
    if (q->haFile) {
        // "Select * From T In 'file'": the table of another file.
        auto altro = Database::open(q->file, m_impl->fonte);
        auto rs = altro->m_impl->esegui(*q, true);
        return rs;
    }
    return m_impl->esegui(*q, true);
}

void Database::scorri(std::string_view sqlOTabella, const std::function<void(const Recordset &)> &schema,
                      const Sorgente::VisitaRiga &riga)
{
    auto q = queryAnalizzata(sqlOTabella);
    if (q->haFile) {
        auto altro = Database::open(q->file, m_impl->fonte);
        altro->m_impl->scorri(*q, schema, riga);
        return;
    }
    m_impl->scorri(*q, schema, riga);
}

void Database::close()
{
    m_impl->chiuso = true;
    m_impl->sorgente.reset();
}

// ---------------------------------------------------------------------------

namespace {

// Positions of the records by the value of one column.
struct IndiceColonna {
    std::unordered_map<std::string, std::vector<std::uint32_t>> testi;   // by testo::chiaveNoCase
    std::unordered_map<std::int64_t, std::vector<std::uint32_t>> interi;
    bool altriNumeri = false;   // reals or currency present
};

} // namespace

struct Recordset::CacheCriterio {
    std::list<std::pair<std::string, std::shared_ptr<const Filtro>>> filtri;   // most recent first
    std::unordered_map<int, IndiceColonna> indici;                             // built on demand
};

Recordset::~Recordset() = default;

std::unique_ptr<Recordset> Recordset::schema(const std::string &tabella, const std::vector<std::string> &colonne,
                                             const std::string &archivio)
{
    std::unique_ptr<Recordset> rs(new Recordset());
    auto t = std::make_shared<Tabella>();
    t->nome = tabella;
    t->colonne = colonne;
    t->righe.impostaColonne(colonne.size());
    rs->m_tabella = std::move(t);
    rs->m_tabellaNome = tabella;
    rs->m_archivio = archivio;
    rs->m_descrizione = descrizioneTabella(tabella, archivio);
    rs->m_tutte = true;
    return rs;
}

int Recordset::columnIndex(std::string_view nome) const
{
    const int c = trovaColonna(m_tabella->colonne, nome);
    if (c < 0) erroreCampo(nome, m_tabellaNome, fs::path(m_archivio).filename().string());
    return c;
}

const Valore &Recordset::field(std::string_view nome) const
{
    const int c = columnIndex(nome);
    if (m_corrente < 0 || static_cast<std::size_t>(m_corrente) >= size())
        throw ErroreDati("Nessun record corrente nella " + m_descrizione + " per leggere il campo \"" + std::string(nome) + "\".");
    return value(static_cast<std::size_t>(m_corrente), c);
}

bool Recordset::findFirst(std::string_view criterio) { return cerca(criterio, 0); }

bool Recordset::findNext(std::string_view criterio)
{
    return cerca(criterio, m_corrente < 0 ? 0 : static_cast<std::size_t>(m_corrente) + 1);
}

namespace {

// Parsed criteria, by text, for every record set.
std::shared_ptr<const dialetto::Nodo> criterioAnalizzato(std::string_view criterio)
{
    static CacheTesti<dialetto::Nodo> alberi;
    return alberi.trova(criterio, [](std::string_view t) { return dialetto::analizzaCriterio(t); });
}

} // namespace

// The criterion bound to this record set's columns, from the set's own
// cache (most recent first) or built and kept there.
std::shared_ptr<const Filtro> Recordset::filtroPer(std::string_view criterio)
{
    auto &filtri = m_cache->filtri;
    for (auto it = filtri.begin(); it != filtri.end(); ++it) {
        if (it->first == criterio) {
            filtri.splice(filtri.begin(), filtri, it);
            return it->second;
        }
    }
    auto albero = criterioAnalizzato(criterio);
    const std::string archivio = m_archivio;
    auto sotto = [archivio, fonte = m_fonte](const dialetto::Query &q) {
        auto db = Database::open(q.haFile ? q.file : archivio, fonte);
        auto rs = db->m_impl->esegui(q, false);
        return valoriDi(*rs, q.campo);
    };
    auto filtro = std::make_shared<const Filtro>(*albero, m_tabella->colonne, m_tabellaNome,
                                                 fs::path(m_archivio).filename().string(), sotto);
    filtri.emplace_front(std::string(criterio), filtro);
    if (filtri.size() > 16) filtri.pop_back();
    return filtro;
}

namespace {

// The index of one column of the record set, built the first time a
// criterion asks for that column.
const IndiceColonna &indicePer(std::unordered_map<int, IndiceColonna> &indici, const Recordset &rs, int colonna)
{
    auto [it, nuovo] = indici.try_emplace(colonna);
    auto &indice = it->second;
    if (!nuovo) return indice;
    for (std::size_t i = 0; i < rs.size(); ++i) {
        const Valore &v = rs.value(i, colonna);
        if (v.eTesto())
            indice.testi[testo::chiaveNoCase(v.comeTesto())].push_back(static_cast<std::uint32_t>(i));
        else if (v.tipo() == Valore::Tipo::Intero)
            indice.interi[v.comeIntero()].push_back(static_cast<std::uint32_t>(i));
        else if (!v.nullo())
            indice.altriNumeri = true;
    }
    return indice;
}

} // namespace

// With a "field = value" conjunct, the only records worth looking at: those
// the index gives for the value. Null when every record must be looked at
// (few records, no such conjunct, or values the index cannot match alike).
const std::vector<std::uint32_t> *Recordset::candidatiPer(const Filtro &filtro)
{
    static const std::vector<std::uint32_t> nessuno;
    const auto &a = filtro.ancora();
    if (!a || size() <= 32) return nullptr;
    const auto &indice = indicePer(m_cache->indici, *this, a->colonna);
    const bool numeriPresenti = indice.altriNumeri || !indice.interi.empty();
    if (a->valore.eTesto() && !(numeriPresenti && Valuta::daTesto(a->valore.comeTesto()))) {
        auto t = indice.testi.find(testo::chiaveNoCase(a->valore.comeTesto()));
        return t == indice.testi.end() ? &nessuno : &t->second;
    }
    if (a->valore.tipo() == Valore::Tipo::Intero && indice.testi.empty() && !indice.altriNumeri) {
        auto t = indice.interi.find(a->valore.comeIntero());
        return t == indice.interi.end() ? &nessuno : &t->second;
    }
    return nullptr;
}

bool Recordset::cerca(std::string_view criterio, std::size_t da)
{
    if (!m_cache) m_cache = std::make_shared<CacheCriterio>();
    const auto filtro = filtroPer(criterio);
    auto riga = [&](std::size_t i) { return m_tabella->righe[m_tutte ? i : m_posizioni[i]].data(); };
    auto trovato = [&](std::size_t i) {
        m_corrente = static_cast<std::ptrdiff_t>(i);
        m_noMatch = false;
        return true;
    };
    if (const auto *candidati = candidatiPer(*filtro)) {
        for (auto it = std::lower_bound(candidati->begin(), candidati->end(), da); it != candidati->end(); ++it)
            if (filtro->seleziona(riga(*it))) return trovato(*it);
    } else {
        for (std::size_t i = da; i < size(); ++i)
            if (filtro->seleziona(riga(i))) return trovato(i);
    }
    m_noMatch = true;
    return false;
}

} // namespace pc::dati
