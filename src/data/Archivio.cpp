#include "Archivio.h"

#include "ConnessioneArchivio.h"
#include "Dialetto.h"
#include "ErroreDati.h"
#include "Testo.h"
#include "Valutatore.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

namespace pc::dati::archivio {

namespace {

using dialetto::Nodo;
using dialetto::Operatore;
using Tipo = dialetto::Nodo::Tipo;

// One table of a property's copy: its hotel file and name, the server's
// table, the columns as named in the file and the kind each is kept as
// (see tipoColonna in ImportaArchivio.cpp).
struct TabellaCopia {
    std::string file;      // as in fileArchiviati(), folded for case
    std::string tabella;   // as named in the file
    std::string nome;      // table of the property's schema
    std::vector<std::string> colonne;
    std::string tipi;
};

struct Catalogo {
    std::string schema;
    std::vector<TabellaCopia> tabelle;
};

struct Stato {
    std::recursive_mutex mutex;
    std::optional<Contesto> contesto;
    std::unique_ptr<Connessione> connessione;
    bool inLettura = false;      // transaction open
    int profondita = 0;          // Lettura objects alive
    std::uint64_t serie = 0;     // readings begun, for the cache identity
    std::map<std::string, Catalogo> cataloghi;   // by property, within the current reading
};

// Set on a thread that imports: its Database::open reads the folder.
thread_local bool t_soloCartella = false;

Stato &stato()
{
    static Stato s;
    return s;
}

std::string nomeFileDi(const std::string &percorso)
{
    std::string s = percorso;
    for (char &c : s)
        if (c == '\\') c = '/';
    return std::filesystem::path(s).filename().string();
}

std::string chiaveFile(const std::string &percorso) { return testo::maiuscolo(nomeFileDi(percorso)); }

void chiudiLettura(Stato &s)
{
    if (!s.inLettura) return;
    s.inLettura = false;
    s.cataloghi.clear();
    if (s.connessione && s.connessione->buona()) {
        try {
            s.connessione->esegui("COMMIT");
        } catch (const ErroreDati &) {
            // Only read: nothing is lost when the end of the reading fails.
        }
    }
}

Connessione &connessione(Stato &s)
{
    if (!s.contesto) throw ErroreDati("Nessun archivio centrale attivo.");
    if (s.connessione && !s.connessione->buona()) {
        s.connessione.reset();
        s.inLettura = false;
        s.cataloghi.clear();
    }
    if (!s.connessione) s.connessione = std::make_unique<Connessione>(s.contesto->url);
    return *s.connessione;
}

// Begins the reading's transaction: read-only, one snapshot taken after the
// shared lock on the properties' list, so that an import's swap (which takes
// that table exclusively) is either wholly before or wholly after it.
void iniziaLettura(Stato &s)
{
    Connessione &c = connessione(s);
    if (s.inLettura) return;
    c.esegui("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    s.inLettura = true;
    ++s.serie;
    try {
        c.esegui("LOCK TABLE pc_archivio.strutture IN ACCESS SHARE MODE");
        Risultato r = c.esegui("SELECT versione FROM pc_archivio.layout");
        const int versione = PQntuples(r.get()) > 0 ? std::atoi(PQgetvalue(r.get(), 0, 0)) : 0;
        if (versione != VersioneLayout) c.erroreLayout(versione);
    } catch (...) {
        chiudiLettura(s);
        throw;
    }
}

const Catalogo &catalogo(Stato &s, const std::string &struttura)
{
    iniziaLettura(s);
    if (auto it = s.cataloghi.find(struttura); it != s.cataloghi.end()) return it->second;
    Connessione &c = connessione(s);
    Catalogo cat;
    {
        Risultato r = c.esegui("SELECT schema FROM pc_archivio.strutture WHERE nome = $1", {struttura});
        if (PQntuples(r.get()) == 0)
            throw ErroreDati("La struttura \"" + struttura + "\" non \xC3\xA8 presente nell'archivio centrale (" + c.server() + ").");
        cat.schema = PQgetvalue(r.get(), 0, 0);
    }
    const std::string schema = c.identificatore(cat.schema);
    {
        Risultato r = c.esegui("SELECT file, tabella, nome, tipi FROM " + schema + ".pc_tabelle ORDER BY nome");
        for (int i = 0; i < PQntuples(r.get()); ++i)
            cat.tabelle.push_back({PQgetvalue(r.get(), i, 0), PQgetvalue(r.get(), i, 1), PQgetvalue(r.get(), i, 2), {},
                                   PQgetvalue(r.get(), i, 3)});
    }
    {
        Risultato r = c.esegui("SELECT nome, colonna FROM " + schema + ".pc_colonne ORDER BY nome, posizione");
        std::size_t t = 0;
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            const char *nome = PQgetvalue(r.get(), i, 0);
            while (t < cat.tabelle.size() && cat.tabelle[t].nome != nome) ++t;
            if (t == cat.tabelle.size()) break;
            cat.tabelle[t].colonne.emplace_back(PQgetvalue(r.get(), i, 1));
        }
    }
    for (const auto &t : cat.tabelle)
        if (t.colonne.size() != t.tipi.size())
            throw ErroreDati("La copia della struttura \"" + struttura + "\" nell'archivio centrale (" + c.server()
                             + ") \xC3\xA8 incompleta: reimportarla.");
    return s.cataloghi.emplace(struttura, std::move(cat)).first->second;
}

// ---------------------------------------------------------------------------
// Cells as the server hands them back (text format).

std::string daEsadecimale(const char *p, std::size_t n)
{
    auto cifra = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string r;
    if (n < 2 || p[0] != '\\' || p[1] != 'x') return r;
    r.reserve((n - 2) / 2);
    for (std::size_t i = 2; i + 1 < n; i += 2) r += static_cast<char>(cifra(p[i]) * 16 + cifra(p[i + 1]));
    return r;
}

std::int64_t intero(const char *p, std::size_t n)
{
    std::int64_t v = 0;
    std::from_chars(p, p + n, v);
    return v;
}

void cella(char tipo, const char *p, std::size_t n, Valore &v)
{
    switch (tipo) {
    case 'I': v = Valore::intero(intero(p, n)); return;
    case 'V': v = Valore::valuta(Valuta::daGrezzo(intero(p, n))); return;
    case 'R': {
        double d = 0;
        std::from_chars(p, p + n, d);
        v = Valore::reale(d);
        return;
    }
    case 'T': v.assegnaTesto(p, n); return;
    case 'X': {
        // A column of mixed kinds: each cell tagged with its own.
        const std::string b = daEsadecimale(p, n);
        if (b.empty()) return;
        const char *q = b.data() + 1;
        const std::size_t m = b.size() - 1;
        switch (b[0]) {
        case 'I': v = Valore::intero(intero(q, m)); return;
        case 'V': v = Valore::valuta(Valuta::daGrezzo(intero(q, m))); return;
        case 'R': cella('R', q, m, v); return;
        default: v.assegnaTesto(q, m); return;
        }
    }
    default: return;
    }
}

// ---------------------------------------------------------------------------

class SorgenteArchivio final : public Sorgente {
public:
    SorgenteArchivio(std::string percorso, std::string struttura)
        : m_percorso(std::move(percorso)), m_struttura(std::move(struttura)), m_file(chiaveFile(m_percorso))
    {
    }

    const std::string &percorso() const override { return m_percorso; }

    std::vector<std::string> tabelle() override
    {
        auto &s = stato();
        std::lock_guard lock(s.mutex);
        std::vector<std::string> r;
        for (const auto &t : catalogo(s, m_struttura).tabelle)
            if (t.file == m_file) r.push_back(t.tabella);
        return r;
    }

    Tabella leggiTabella(const std::string &nome) override
    {
        auto &s = stato();
        std::lock_guard lock(s.mutex);
        const TabellaCopia &t = tabella(s, nome);
        return leggi(s, t, {}, {}, nullptr);
    }

    // The conjuncts the server can test exactly as the evaluation does narrow
    // the rows it sends; the whole Where is then evaluated here on them, so
    // the records are those of the in-memory path in any case.
    std::optional<Tabella> interroga(const dialetto::Query &q, const Sottoselezione &sotto) override
    {
        if (!q.where) return std::nullopt;
        auto &s = stato();
        std::lock_guard lock(s.mutex);
        const TabellaCopia &t = tabella(s, q.tabella);
        std::vector<const Nodo *> termini;
        congiunti(*q.where, termini);
        std::string where;
        std::vector<std::string> parametri;
        for (const Nodo *n : termini) {
            auto c = condizione(t, *n, parametri);
            if (!c) continue;
            where += (where.empty() ? " WHERE " : " AND ") + *c;
        }
        if (where.empty()) return std::nullopt;
        Filtro filtro(*q.where, t.colonne, t.tabella, nomeFileDi(m_percorso), sotto);
        return leggi(s, t, where, parametri, &filtro);
    }

private:
    const TabellaCopia &tabella(Stato &s, const std::string &nome)
    {
        for (const auto &t : catalogo(s, m_struttura).tabelle)
            if (t.file == m_file && testo::ugualeNoCase(t.tabella, nome)) return t;
        throw ErroreDati("Tabella \"" + nome + "\" non trovata nell'archivio \"" + nomeFileDi(m_percorso) + "\" (struttura \""
                         + m_struttura + "\" dell'archivio centrale).");
    }

    static void congiunti(const Nodo &n, std::vector<const Nodo *> &termini)
    {
        if (n.tipo != Tipo::And) {
            termini.push_back(&n);
            return;
        }
        congiunti(*n.figli[0], termini);
        congiunti(*n.figli[1], termini);
    }

    // "field op literal" where the server's comparison is ours:
    // - a column of whole numbers only against a whole number;
    // - a column of texts only against a text made of characters below 'A'
    //   (digits, blanks, punctuation: the dates yyyymmdd), compared byte by
    //   byte: at the first differing position, folding a letter or a
    //   non-ASCII character never moves it to the other side of such a
    //   character, so ignoring case changes nothing.
    // Nulls: unknown on both sides, never selected.
    std::optional<std::string> condizione(const TabellaCopia &t, const Nodo &n, std::vector<std::string> &parametri)
    {
        if (n.tipo != Tipo::Confronto) return std::nullopt;
        const Nodo *a = n.figli[0].get(), *b = n.figli[1].get();
        Operatore op = n.op;
        if (a->tipo == Tipo::Letterale) {
            std::swap(a, b);
            op = dialetto::rovescia(op);
        }
        if (a->tipo != Tipo::Campo || b->tipo != Tipo::Letterale) return std::nullopt;
        const int c = trovaColonna(t.colonne, a->nome);
        if (c < 0) return std::nullopt;   // the evaluation reports it
        const char tipo = t.tipi[static_cast<std::size_t>(c)];
        const Valore &v = b->valore;
        const std::string colonna = "c" + std::to_string(c);
        if (tipo == 'I' && v.tipo() == Valore::Tipo::Intero) {
            parametri.push_back(std::to_string(v.comeIntero()));
            return colonna + " " + dialetto::testoOperatore(op) + " $" + std::to_string(parametri.size()) + "::bigint";
        }
        if (tipo == 'T' && v.eTesto()) {
            for (unsigned char ch : v.comeTesto())
                if (ch >= 'A' || ch == 0) return std::nullopt;
            parametri.push_back(v.comeTesto());
            return colonna + " COLLATE \"C\" " + dialetto::testoOperatore(op) + " $" + std::to_string(parametri.size()) + "::text";
        }
        return std::nullopt;
    }

    Tabella leggi(Stato &s, const TabellaCopia &t, const std::string &where, const std::vector<std::string> &parametri,
                  const Filtro *filtro)
    {
        Connessione &c = connessione(s);
        Tabella r;
        r.nome = t.tabella;
        r.colonne = t.colonne;
        const std::size_t n = t.colonne.size();
        r.righe.impostaColonne(n);
        // The rows' order number comes along and the table's own order is
        // restored here: a sort of the selected rows by the server costs more.
        std::string sql = "SELECT r";
        for (std::size_t i = 0; i < n; ++i) sql += ",c" + std::to_string(i);
        sql += " FROM " + c.identificatore(catalogo(s, m_struttura).schema) + "." + c.identificatore(t.nome) + where;
        Risultato res = c.esegui(sql, parametri, "la tabella \"" + t.tabella + "\" di \"" + nomeFileDi(m_percorso)
                                                       + "\" della struttura \"" + m_struttura + "\"");
        PGresult *p = res.get();
        const int righe = PQntuples(p);
        std::vector<std::pair<std::int64_t, int>> ordine(static_cast<std::size_t>(righe));
        bool ordinate = true;
        for (int i = 0; i < righe; ++i) {
            ordine[static_cast<std::size_t>(i)] = {intero(PQgetvalue(p, i, 0), static_cast<std::size_t>(PQgetlength(p, i, 0))), i};
            if (i > 0 && ordine[static_cast<std::size_t>(i)].first < ordine[static_cast<std::size_t>(i) - 1].first) ordinate = false;
        }
        if (!ordinate) std::sort(ordine.begin(), ordine.end());
        std::vector<Valore> appoggio(n);
        if (!filtro) r.righe.reserve(static_cast<std::size_t>(righe));
        for (const auto &[numero, i] : ordine) {
            Valore *celle = filtro ? appoggio.data() : r.righe.aggiungiRiga();
            for (std::size_t k = 0; k < n; ++k) {
                const int col = static_cast<int>(k) + 1;
                if (filtro) celle[k] = Valore();
                if (PQgetisnull(p, i, col)) continue;
                cella(t.tipi[k], PQgetvalue(p, i, col), static_cast<std::size_t>(PQgetlength(p, i, col)), celle[k]);
            }
            if (filtro && filtro->seleziona(celle)) {
                Valore *dest = r.righe.aggiungiRiga();
                for (std::size_t k = 0; k < n; ++k) dest[k] = std::move(celle[k]);
            }
        }
        return r;
    }

    std::string m_percorso, m_struttura, m_file;
    Lettura m_lettura;   // the file's tables come from one snapshot while it is open
};

} // namespace

void imposta(const std::optional<Contesto> &contesto)
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    chiudiLettura(s);
    if (!contesto || !s.contesto || contesto->url != s.contesto->url) s.connessione.reset();
    s.contesto = contesto;
}

std::optional<Contesto> attivo()
{
    if (t_soloCartella) return std::nullopt;
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    return s.contesto;
}

void impostaStruttura(const std::string &struttura)
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    if (s.contesto) s.contesto->struttura = struttura;
}

Lettura::Lettura()
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    ++s.profondita;
}

Lettura::~Lettura()
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    if (--s.profondita == 0) chiudiLettura(s);
}

std::vector<std::string> strutture()
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    Lettura l;
    iniziaLettura(s);
    Risultato r = connessione(s).esegui("SELECT nome FROM pc_archivio.strutture");
    std::vector<std::string> nomi;
    for (int i = 0; i < PQntuples(r.get()); ++i) nomi.emplace_back(PQgetvalue(r.get(), i, 0));
    std::sort(nomi.begin(), nomi.end(), [](const std::string &a, const std::string &b) {
        const int c = testo::confrontaNoCase(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return nomi;
}

std::string firma()
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    Lettura l;
    iniziaLettura(s);
    Risultato r = connessione(s).esegui(
        "SELECT count(*)::text || '/' || coalesce(max(importata)::text, '') || '/' || "
        "coalesce(md5(string_agg(nome || '=' || schema || '@' || importata::text, ',' ORDER BY nome)), '') "
        "FROM pc_archivio.strutture");
    return PQntuples(r.get()) > 0 ? PQgetvalue(r.get(), 0, 0) : std::string();
}

std::unique_ptr<Sorgente> apri(const std::string &percorso)
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    if (!s.contesto) throw ErroreDati("Nessun archivio centrale attivo.");
    const std::string struttura = s.contesto->struttura;
    auto sorgente = std::make_unique<SorgenteArchivio>(percorso, struttura);
    const std::string file = chiaveFile(percorso);
    for (const auto &t : catalogo(s, struttura).tabelle)
        if (t.file == file) return sorgente;
    throw ErroreDati("Archivio \"" + nomeFileDi(percorso) + "\" non trovato nella struttura \"" + struttura
                     + "\" dell'archivio centrale.");
}

std::string identita(const std::string &percorso)
{
    auto &s = stato();
    std::lock_guard lock(s.mutex);
    if (!s.inLettura || !s.contesto) return {};
    return "archivio:" + std::to_string(s.serie) + ":" + s.contesto->struttura + ":" + chiaveFile(percorso);
}

const std::vector<FileArchiviato> &fileArchiviati()
{
    static const std::vector<FileArchiviato> elenco = {
        {"NumeriCamere.mdb", {"NumeriCamere"}, false},
        {"TipiCamere.mdb", {"TipiCamere"}, false},
        {"TipiCamere_Macro.mdb", {"TipiCamere_MacroN", "TipiCamere_Macro"}, false},
        {"Scheda_Cliente.mdb", {"Scheda_Cliente"}, false},
        {"Camere_Prenotazione.mdb", {"Camere_Prenotazione"}, false},
        {"Conto_Cliente.mdb", {"Conto_Cliente"}, false},
        {"Arrangiamento.mdb", {"Arrangiamento"}, false},
        {"VociFattura.mdb", {"VociFattura"}, false},
        {"AnagraficaHotels.mdb", {"AnagraficaHotels"}, false},
        {"Stampanti.mdb", {"Stampanti", "SetStampa"}, false},
        {"Contatori.mdb", {"Contatori"}, false},
        {"SchedaStoricoClienti.mdb", {"Scheda_Cliente"}, true},
        {"ContoStoricoClienti.mdb", {"Conto_Cliente"}, true},
    };
    return elenco;
}

std::string descrizioneServer(const std::string &url) { return Connessione::descrivi(url); }

SoloCartella::SoloCartella() : m_prima(t_soloCartella) { t_soloCartella = true; }
SoloCartella::~SoloCartella() { t_soloCartella = m_prima; }

} // namespace pc::dati::archivio
