#include "Centrale.h"

#include "ConnessioneCentrale.h"
#include "Dialetto.h"
#include "ErroreDati.h"
#include "Testo.h"
#include "Valutatore.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <optional>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

namespace pc::dati::centrale {

namespace {

using dialetto::Nodo;
using dialetto::Operatore;
using Tipo = dialetto::Nodo::Tipo;

// One table of a property's copy: its hotel file and name, the server's
// table, the columns as named in the file and the kind each is kept as
// (see tipoColonna in ImportaCentrale.cpp).
struct TabellaCopia {
    std::string file;      // as in fileArchiviati(), folded for case
    std::string tabella;   // as named in the file
    std::string nome;      // table of the property's schema
    std::vector<std::string> colonne;
    std::string tipi;
};

struct Catalogo {
    std::string schema;
    std::int64_t camere = 0;
    std::vector<TabellaCopia> tabelle;
};

struct Stato;
void chiudiLettura(Stato &s);

// One reading of the archive: its connection, its snapshot and the catalogue
// of the property read; shared by the Fonte and the Sorgenti it opened.
struct Stato {
    std::recursive_mutex mutex;
    std::string url, struttura;
    std::unique_ptr<Connessione> connessione;
    bool inLettura = false;      // transaction open
    std::uint64_t serie = 0;     // this reading's number, for the cache identity
    std::optional<Catalogo> catalogo;
    bool breve = false;          // the reading ends when nothing holds it
    int tenute = 0;              // open files and tieni() alive

    void lascia()
    {
        std::lock_guard lock(mutex);
        if (--tenute == 0 && breve) chiudiLettura(*this);
    }
};

std::atomic<std::uint64_t> g_letture{0};

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
    s.catalogo.reset();
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
    if (s.connessione && !s.connessione->buona()) {
        s.connessione.reset();
        s.inLettura = false;
        s.catalogo.reset();
    }
    if (!s.connessione) s.connessione = std::make_unique<Connessione>(s.url);
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
    s.serie = ++g_letture;
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

[[noreturn]] void erroreSenzaFigure(const Connessione &c, const std::string &struttura)
{
    throw ErroreDati("La struttura \"" + struttura + "\" dell'archivio centrale (" + c.server()
                     + ") \xC3\xA8 stata importata da una versione precedente, senza le cifre giornaliere: "
                       "importarla di nuovo con \"produzione-camere importa\".");
}

const Catalogo &catalogo(Stato &s)
{
    iniziaLettura(s);
    if (s.catalogo) return *s.catalogo;
    Connessione &c = connessione(s);
    if (s.struttura.empty())
        throw ErroreDati("Indicare la struttura dell'archivio centrale (" + c.server() + ") da leggere: --struttura NOME.");
    Catalogo cat;
    {
        Risultato r = c.esegui("SELECT schema, figure IS NULL FROM pc_archivio.strutture WHERE nome = $1", {s.struttura});
        if (PQntuples(r.get()) == 0)
            throw ErroreDati("La struttura \"" + s.struttura + "\" non \xC3\xA8 presente nell'archivio centrale (" + c.server() + ").");
        cat.schema = PQgetvalue(r.get(), 0, 0);
        if (PQgetvalue(r.get(), 0, 1)[0] == 't') erroreSenzaFigure(c, s.struttura);
        cat.camere = 0;
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
            throw ErroreDati("La copia della struttura \"" + s.struttura + "\" nell'archivio centrale (" + c.server()
                             + ") \xC3\xA8 incompleta: reimportarla.");
    s.catalogo = std::move(cat);
    return *s.catalogo;
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

class SorgenteCentrale final : public Sorgente {
public:
    SorgenteCentrale(std::shared_ptr<Stato> stato, std::string percorso)
        : m_stato(std::move(stato)), m_percorso(std::move(percorso)), m_struttura(m_stato->struttura),
          m_file(chiaveFile(m_percorso))
    {
        ++m_stato->tenute;   // under the lock of apri
    }
    ~SorgenteCentrale() override { m_stato->lascia(); }

    const std::string &percorso() const override { return m_percorso; }

    std::vector<std::string> tabelle() override
    {
        auto &s = *m_stato;
        std::lock_guard lock(s.mutex);
        std::vector<std::string> r;
        for (const auto &t : catalogo(s).tabelle)
            if (t.file == m_file) r.push_back(t.tabella);
        return r;
    }

    Tabella leggiTabella(const std::string &nome) override
    {
        auto &s = *m_stato;
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
        auto &s = *m_stato;
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
        for (const auto &t : catalogo(s).tabelle)
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
        sql += " FROM " + c.identificatore(catalogo(s).schema) + "." + c.identificatore(t.nome) + where;
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

    std::shared_ptr<Stato> m_stato;
    std::string m_percorso, m_struttura, m_file;
};

// ---------------------------------------------------------------------------
// Figures.

// A bigint[] in text form ("{1,2,3}") into n amounts (raw values); the empty
// array leaves them at zero.
void leggiVettore(const char *p, std::size_t n, Valuta *dest)
{
    if (*p == '{') ++p;
    for (std::size_t k = 0; k < n && *p && *p != '}'; ++k) {
        const char *fine = p;
        while (*fine && *fine != ',' && *fine != '}') ++fine;
        dest[k] = Valuta::daGrezzo(intero(p, static_cast<std::size_t>(fine - p)));
        p = *fine == ',' ? fine + 1 : fine;
    }
}

// The properties in name order: case ignored, then byte order.
bool primaNelNome(const std::string &a, const std::string &b)
{
    const int c = testo::confrontaNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
}

FigureSalvate vuote(long dal, long al)
{
    FigureSalvate f;
    f.primo = dal;
    f.giorni = al >= dal ? al - dal + 1 : 0;
    return f;
}

void dimensiona(FigureSalvate &f)
{
    const std::size_t n = static_cast<std::size_t>(f.giorni) * f.chiavi.size();
    f.vendute.assign(n, Valuta());
    f.ricavo.assign(n, Valuta());
    f.prenotate.assign(n, Valuta());
}

FigureSalvate figureStruttura(Stato &s, Gruppo gruppo, long dal, long al)
{
    const Catalogo &cat = catalogo(s);
    Connessione &c = connessione(s);
    const std::string schema = c.identificatore(cat.schema);
    const std::string g(1, static_cast<char>(gruppo));
    FigureSalvate f = vuote(dal, al);
    {
        Risultato r = c.esegui("SELECT chiave, disponibili FROM " + schema + ".pc_figure_colonne WHERE gruppo = $1 ORDER BY posizione",
                               {g}, "le cifre della struttura \"" + s.struttura + "\"");
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            f.chiavi.emplace_back(PQgetvalue(r.get(), i, 0));
            f.disponibili.push_back(intero(PQgetvalue(r.get(), i, 1), static_cast<std::size_t>(PQgetlength(r.get(), i, 1))));
        }
    }
    {
        Risultato r = c.esegui("SELECT camere FROM pc_archivio.strutture WHERE nome = $1", {s.struttura});
        if (PQntuples(r.get()) > 0) f.camere = std::atoll(PQgetvalue(r.get(), 0, 0));
    }
    dimensiona(f);
    if (f.giorni == 0 || f.chiavi.empty()) return f;
    const std::size_t n = f.chiavi.size();
    c.perRiga("SELECT giorno, vendute, ricavo, prenotate FROM " + schema + ".pc_figure WHERE gruppo = $1 AND giorno BETWEEN $2 AND $3",
              {g, std::to_string(dal), std::to_string(al)}, "le cifre della struttura \"" + s.struttura + "\"",
              [&](const PGresult *p) {
                  const long giorno = std::atol(PQgetvalue(p, 0, 0));
                  const std::size_t base = static_cast<std::size_t>(giorno - dal) * n;
                  leggiVettore(PQgetvalue(p, 0, 1), n, f.vendute.data() + base);
                  leggiVettore(PQgetvalue(p, 0, 2), n, f.ricavo.data() + base);
                  leggiVettore(PQgetvalue(p, 0, 3), n, f.prenotate.data() + base);
              });
    return f;
}

FigureSalvate figureCatena(Stato &s, long dal, long al)
{
    iniziaLettura(s);
    Connessione &c = connessione(s);
    FigureSalvate f = vuote(dal, al);
    {
        Risultato r = c.esegui("SELECT nome, camere, figure IS NULL FROM pc_archivio.strutture");
        std::vector<std::pair<std::string, std::int64_t>> righe;
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            if (PQgetvalue(r.get(), i, 2)[0] == 't') erroreSenzaFigure(c, PQgetvalue(r.get(), i, 0));
            righe.emplace_back(PQgetvalue(r.get(), i, 0), std::atoll(PQgetvalue(r.get(), i, 1)));
        }
        std::sort(righe.begin(), righe.end(), [](const auto &a, const auto &b) { return primaNelNome(a.first, b.first); });
        for (auto &[nome, camere] : righe) {
            f.chiavi.push_back(std::move(nome));
            f.disponibili.push_back(camere);
            f.camere += camere;
        }
    }
    dimensiona(f);
    if (f.giorni == 0 || f.chiavi.empty()) return f;
    std::map<std::string, std::size_t> indice;
    for (std::size_t k = 0; k < f.chiavi.size(); ++k) indice.emplace(f.chiavi[k], k);
    const std::size_t n = f.chiavi.size();
    c.perRiga("SELECT struttura, giorno, vendute, ricavo, prenotate FROM pc_archivio.figure_catena WHERE giorno BETWEEN $1 AND $2",
              {std::to_string(dal), std::to_string(al)}, "le cifre della catena", [&](const PGresult *p) {
                  const auto it = indice.find(PQgetvalue(p, 0, 0));
                  if (it == indice.end()) return;
                  const std::size_t j = static_cast<std::size_t>(std::atol(PQgetvalue(p, 0, 1)) - dal) * n + it->second;
                  auto cifra = [&](int col) {
                      return Valuta::daGrezzo(intero(PQgetvalue(p, 0, col), static_cast<std::size_t>(PQgetlength(p, 0, col))));
                  };
                  f.vendute[j] = cifra(2);
                  f.ricavo[j] = cifra(3);
                  f.prenotate[j] = cifra(4);
              });
    return f;
}

class FonteCentrale final : public Fonte {
public:
    FonteCentrale(const std::string &url, const std::string &struttura, bool breve) : m_stato(std::make_shared<Stato>())
    {
        m_stato->url = url;
        m_stato->struttura = struttura;
        m_stato->breve = breve;
    }
    ~FonteCentrale() override
    {
        std::lock_guard lock(m_stato->mutex);
        chiudiLettura(*m_stato);
    }

    std::unique_ptr<Sorgente> apri(const std::string &percorso) override
    {
        auto &s = *m_stato;
        std::lock_guard lock(s.mutex);
        const std::string file = chiaveFile(percorso);
        for (const auto &t : catalogo(s).tabelle)
            if (t.file == file) return std::make_unique<SorgenteCentrale>(m_stato, percorso);
        throw ErroreDati("Archivio \"" + nomeFileDi(percorso) + "\" non trovato nella struttura \"" + s.struttura
                         + "\" dell'archivio centrale.");
    }

    std::string identita(const std::string &percorso) override
    {
        auto &s = *m_stato;
        std::lock_guard lock(s.mutex);
        iniziaLettura(s);
        return "centrale:" + std::to_string(s.serie) + ":" + s.struttura + ":" + chiaveFile(percorso);
    }

    bool perNome() const override { return true; }
    bool haFigure() const override { return true; }

    FigureSalvate figure(Gruppo gruppo, long dal, long al) override
    {
        auto &s = *m_stato;
        std::lock_guard lock(s.mutex);
        ++s.tenute;
        struct Lascia {
            Stato &s;
            ~Lascia() { s.lascia(); }
        } lascia{s};
        return gruppo == Gruppo::Strutture ? figureCatena(s, dal, al) : figureStruttura(s, gruppo, dal, al);
    }

    std::shared_ptr<void> tieni() override
    {
        {
            std::lock_guard lock(m_stato->mutex);
            ++m_stato->tenute;
        }
        auto stato = m_stato;
        return std::shared_ptr<void>(stato.get(), [stato](void *) { stato->lascia(); });
    }

    void rinnova() override
    {
        std::lock_guard lock(m_stato->mutex);
        chiudiLettura(*m_stato);
    }

    std::string descrizione() const override
    {
        const std::string server = Connessione::descrivi(m_stato->url);
        if (m_stato->struttura.empty()) return "l'archivio centrale (" + server + ")";
        return "la struttura \"" + m_stato->struttura + "\" dell'archivio centrale (" + server + ")";
    }

private:
    std::shared_ptr<Stato> m_stato;
};

} // namespace

std::shared_ptr<Fonte> apri(const std::string &url, const std::string &struttura, bool breve)
{
    return std::make_shared<FonteCentrale>(url, struttura, breve);
}

std::vector<std::string> strutture(const std::string &url)
{
    Stato s;
    s.url = url;
    std::lock_guard lock(s.mutex);
    iniziaLettura(s);
    Risultato r = connessione(s).esegui("SELECT nome FROM pc_archivio.strutture");
    std::vector<std::string> nomi;
    for (int i = 0; i < PQntuples(r.get()); ++i) nomi.emplace_back(PQgetvalue(r.get(), i, 0));
    chiudiLettura(s);
    std::sort(nomi.begin(), nomi.end(), primaNelNome);
    return nomi;
}

std::string firma(const std::string &url)
{
    Stato s;
    s.url = url;
    std::lock_guard lock(s.mutex);
    iniziaLettura(s);
    Risultato r = connessione(s).esegui(
        "SELECT count(*)::text || '/' || coalesce(max(importata)::text, '') || '/' || "
        "coalesce(md5(string_agg(nome || '=' || schema || '@' || importata::text, ',' ORDER BY nome)), '') "
        "FROM pc_archivio.strutture");
    const std::string f = PQntuples(r.get()) > 0 ? PQgetvalue(r.get(), 0, 0) : std::string();
    chiudiLettura(s);
    return f;
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
        {"AnagraficaHotels.mdb", {"AnagraficaHotels"}, false, false},
        {"Stampanti.mdb", {"Stampanti", "SetStampa"}, false, false},
        {"Contatori.mdb", {"Contatori"}, false, false},
        {"SchedaStoricoClienti.mdb", {"Scheda_Cliente"}, true},
        {"ContoStoricoClienti.mdb", {"Conto_Cliente"}, true},
    };
    return elenco;
}

std::string descrizioneServer(const std::string &url) { return Connessione::descrivi(url); }

} // namespace pc::dati::centrale
