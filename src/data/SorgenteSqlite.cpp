#include "Calendario.h"
#include "Dialetto.h"
#include "ErroreDati.h"
#include "SorgentiInterne.h"
#include "Testo.h"
#include "Valutatore.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace pc::dati {

namespace {

using dialetto::Nodo;
using dialetto::Operatore;
using Tipo = dialetto::Nodo::Tipo;

// "file:" URI of the absolute path, every byte outside the plain set escaped.
std::string uriSolaLettura(const std::string &percorso, bool immutabile)
{
    std::error_code ec;
    std::string assoluto = std::filesystem::absolute(percorso, ec).lexically_normal().string();
    if (ec) assoluto = percorso;
    static const char esadecimali[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : assoluto) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_'
            || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += esadecimali[c >> 4];
            uri += esadecimali[c & 15];
        }
    }
    return uri + (immutabile ? "?mode=ro&immutable=1" : "?mode=ro");
}

// What went wrong, in the user's words, from SQLite's result code.
std::string spiegazione(int codice)
{
    switch (codice) {
    case SQLITE_READONLY_ROLLBACK:
        return "l'archivio ha una modifica interrotta (file \"-journal\" accanto all'archivio) che solo il programma "
               "dell'albergo pu\xC3\xB2 annullare: aprirlo con quel programma e riprovare";
    case SQLITE_READONLY_CANTINIT:
    case SQLITE_READONLY_RECOVERY:
    case SQLITE_READONLY_DIRECTORY:
        return "l'archivio \xC3\xA8 in modalit\xC3\xA0 WAL e non pu\xC3\xB2 essere letto senza scrivere i suoi file di "
               "appoggio (\"-wal\", \"-shm\") nella cartella";
    default: break;
    }
    switch (codice & 0xFF) {
    case SQLITE_CORRUPT: return "il file \xC3\xA8 danneggiato (la sua struttura interna non \xC3\xA8 valida)";
    case SQLITE_NOTADB: return "il file non \xC3\xA8 un archivio SQLite valido o \xC3\xA8 danneggiato";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "l'archivio \xC3\xA8 bloccato da un altro programma che lo sta modificando; riprovare tra qualche istante";
    case SQLITE_READONLY: return "l'archivio \xC3\xA8 aperto in sola lettura e la lettura avrebbe richiesto di modificarlo";
    case SQLITE_CANTOPEN: return "il file non pu\xC3\xB2 essere aperto";
    case SQLITE_PERM:
    case SQLITE_AUTH: return "permesso negato";
    case SQLITE_IOERR: return "errore di lettura del disco";
    case SQLITE_NOMEM: return "memoria insufficiente";
    case SQLITE_FULL: return "disco pieno";
    case SQLITE_TOOBIG: return "un valore supera la dimensione massima ammessa";
    case SQLITE_INTERRUPT:
        return "la lettura \xC3\xA8 stata interrotta perch\xC3\xA9 richiedeva molto pi\xC3\xB9 lavoro di quanto il file "
               "possa contenere";
    case SQLITE_SCHEMA:
    case SQLITE_ERROR: return "la struttura dell'archivio non \xC3\xA8 quella attesa";
    case SQLITE_PROTOCOL: return "l'accesso all'archivio \xC3\xA8 conteso da un altro programma";
    case SQLITE_NOLFS: return "il file \xC3\xA8 troppo grande per questo sistema";
    default: return "errore di SQLite numero " + std::to_string(codice);
    }
}

// The fields of a file's 100-byte header that say whether the file is whole.
struct Intestazione {
    bool wal = false;        // journal mode WAL (read and write versions 2)
    std::string danno;       // what is wrong with the file's length, if anything
};

std::uint32_t grande(const unsigned char *p) { return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3]; }

Intestazione leggiIntestazione(const std::string &percorso)
{
    Intestazione r;
    unsigned char h[100] = {};
    std::FILE *f = std::fopen(percorso.c_str(), "rb");
    if (!f) return r;   // SQLite's own opening reports it
    const std::size_t letti = std::fread(h, 1, sizeof h, f);
    std::fclose(f);
    std::error_code ec;
    const auto dimensione = std::filesystem::file_size(percorso, ec);
    if (letti < sizeof h || ec) {
        r.danno = "il file \xC3\xA8 pi\xC3\xB9 corto della sua intestazione";
        return r;
    }
    r.wal = h[18] == 2 || h[19] == 2;
    std::uint64_t pagina = (std::uint32_t{h[16]} << 8) | h[17];
    if (pagina == 1) pagina = 65536;
    if (pagina < 512 || pagina > 65536 || (pagina & (pagina - 1)) != 0) {
        r.danno = "l'intestazione del file non \xC3\xA8 valida";
        return r;
    }
    // The page count is trustworthy when it was written by the same change as
    // the counter beside it (SQLite 3.7.0 and later).
    const std::uint64_t pagine = grande(h + 28);
    if (pagine != 0 && grande(h + 24) == grande(h + 92)) {
        if (dimensione < pagine * pagina)
            r.danno = "il file \xC3\xA8 pi\xC3\xB9 corto di quanto dichiara la sua intestazione (" + std::to_string(dimensione)
                      + " byte invece di " + std::to_string(pagine * pagina) + "): \xC3\xA8 stato troncato o copiato a met\xC3\xA0";
    } else if (dimensione % pagina != 0) {
        r.danno = "il file termina con una pagina incompleta: \xC3\xA8 stato troncato o copiato a met\xC3\xA0";
    }
    return r;
}

bool fileNonVuoto(const std::string &percorso)
{
    std::error_code ec;
    const auto n = std::filesystem::file_size(percorso, ec);
    return !ec && n > 0;
}

bool esiste(const std::string &percorso)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(percorso, ec));
}

// How long a read waits for a writer's lock before giving up.
std::atomic<int> g_attesaBloccoMs{5000};

Valore valoreSqlite(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return Valore::intero(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return Valore::reale(sqlite3_value_double(v));
    case SQLITE_TEXT: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
        return Valore::testo(std::string(p, static_cast<std::size_t>(sqlite3_value_bytes(v))));
    }
    case SQLITE_BLOB: {
        const auto *p = static_cast<const char *>(sqlite3_value_blob(v));
        const auto n = static_cast<std::size_t>(sqlite3_value_bytes(v));
        return Valore::testo(p ? std::string(p, n) : std::string());
    }
    default: return Valore();
    }
}

// Column i of the current row into a cell, texts copied straight from
// SQLite's buffer. False when SQLite could not give the value (memory).
// `cifra`: an amount or quantity field, where a blob is kept apart from texts.
bool colonnaSqlite(sqlite3_stmt *st, int i, Valore &cella, bool cifra)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER: cella = Valore::intero(sqlite3_column_int64(st, i)); return true;
    case SQLITE_FLOAT: cella = Valore::reale(sqlite3_column_double(st, i)); return true;
    case SQLITE_TEXT: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        if (!p) return false;
        cella.assegnaTesto(p, static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
        return true;
    }
    case SQLITE_BLOB: {
        const auto *p = static_cast<const char *>(sqlite3_column_blob(st, i));
        const auto n = static_cast<std::size_t>(sqlite3_column_bytes(st, i));
        if (!p && n > 0) return false;
        if (cifra) cella = Valore::testo(binarioInCampoCifra(reinterpret_cast<const unsigned char *>(p), p ? n : 0));
        else cella.assegnaTesto(p ? p : "", p ? n : 0);
        return true;
    }
    default: cella = Valore(); return true;   // null (a reused cell loses its previous value)
    }
}

// Whether a value is one that a date field may not hold (dataValida), read
// as the rows are: every record of a period's tables passes here, most of
// them outside the period, so the usual case (a text of eight digits, a day
// up to the 28th) is read in a few instructions.
bool dataErrata(sqlite3_value *v)
{
    const int tipo = sqlite3_value_type(v);
    if (tipo == SQLITE_NULL) return false;
    if (tipo == SQLITE_TEXT) {
        const auto *p = sqlite3_value_text(v);
        if (p && sqlite3_value_bytes(v) == 8) {
            static_assert(std::endian::native == std::endian::little);
            std::uint64_t x;   // the year in its low four bytes
            std::memcpy(&x, p, 8);
            // Eight digits: every byte 0x30..0x39 (high nibble 3, and adding 6
            // does not carry into it).
            constexpr std::uint64_t alto = 0xF0F0F0F0F0F0F0F0ULL, tre = 0x3030303030303030ULL, sei = 0x0606060606060606ULL;
            if ((x & alto) == tre && ((x + sei) & alto) == tre) {
                const int mese = (p[4] - '0') * 10 + (p[5] - '0'), giorno = (p[6] - '0') * 10 + (p[7] - '0');
                if (mese < 1 || mese > 12 || giorno < 1) return true;
                if (giorno <= 28) return (x & 0xFFFFFFFFULL) == (tre & 0xFFFFFFFFULL);   // year 0000
                const int anno = (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
                return anno == 0 || giorno > calendario::giorniNelMese(anno, mese);
            }
        }
    }
    return !dataValida(valoreSqlite(v));
}

// 1 when any of the values (a record's date fields: one call a record) is
// one that a date field may not hold.
void funzioneDataErrata(sqlite3_context *ctx, int n, sqlite3_value **argv)
{
    for (int i = 0; i < n; ++i) {
        if (dataErrata(argv[i])) {
            sqlite3_result_int(ctx, 1);
            return;
        }
    }
    sqlite3_result_int(ctx, 0);
}

// The date part of a Where, with the check of the record's dates folded in
// (Traduttore::condizioneConDate): a function registered for each such
// statement, whose arguments are the record's date fields and whose data
// (sqlite3_user_data) are the comparisons. 2 when a date field holds what a
// date may not, else 1 when every comparison holds (each as `CAST(field AS
// TEXT) op literal COLLATE BINARY`: bytes, then length), else 0.
struct ConfrontoData {
    int campo;
    dialetto::Operatore op;
    std::string letterale;
    std::uint64_t chiave = 0;   // a literal of eight bytes, read big-endian: compared as one number
};

struct DatiDateWhere {
    std::vector<ConfrontoData> confronti;
    bool utf8 = false;   // the file's texts are UTF-8: a text's bytes are read as they are
};

std::uint64_t otto(const void *p)
{
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    return __builtin_bswap64(x);
}

constexpr int MassimoCampiData = 8;

void funzioneDateWhere(sqlite3_context *ctx, int n, sqlite3_value **argv)
{
    const int campi = n;
    if (campi > MassimoCampiData) {   // the translation passes no more
        sqlite3_result_error(ctx, "pc_date_where: campi non validi", -1);
        return;
    }
    const auto *dati = static_cast<const DatiDateWhere *>(sqlite3_user_data(ctx));
    const std::vector<ConfrontoData> *confronti = &dati->confronti;
    const unsigned char *testo[MassimoCampiData];
    int lunghezza[MassimoCampiData];
    for (int i = 0; i < campi; ++i) {
        sqlite3_value *v = argv[i];
        const int tipo = sqlite3_value_type(v);
        lunghezza[i] = -1;   // null
        if (tipo == SQLITE_TEXT) {
            // In a UTF-8 file a text's bytes as stored, without the checks of
            // a conversion (a date is ASCII).
            testo[i] = dati->utf8 ? static_cast<const unsigned char *>(sqlite3_value_blob(v)) : sqlite3_value_text(v);
            lunghezza[i] = sqlite3_value_bytes(v);
            if (testo[i] && lunghezza[i] == 8) {
                // As dataErrata, on the bytes already at hand.
                const std::uint64_t x = otto(testo[i]);
                constexpr std::uint64_t alto = 0xF0F0F0F0F0F0F0F0ULL, tre = 0x3030303030303030ULL, sei = 0x0606060606060606ULL;
                if ((x & alto) == tre && ((x + sei) & alto) == tre) {
                    const int mese = (testo[i][4] - '0') * 10 + (testo[i][5] - '0');
                    const int giorno = (testo[i][6] - '0') * 10 + (testo[i][7] - '0');
                    const bool anno0 = (x >> 32) == (tre >> 32);
                    if (mese >= 1 && mese <= 12 && giorno >= 1 && giorno <= 28 && !anno0) continue;
                }
            }
        }
        if (tipo == SQLITE_NULL) continue;
        if (dataErrata(v)) {
            sqlite3_result_int(ctx, 2);
            return;
        }
        // A valid date in a blob, or a blank text, or a day after the 28th.
        testo[i] = tipo == SQLITE_BLOB ? static_cast<const unsigned char *>(sqlite3_value_blob(v)) : sqlite3_value_text(v);
        lunghezza[i] = sqlite3_value_bytes(v);
    }
    for (const ConfrontoData &c : *confronti) {
        const int l = lunghezza[c.campo];
        if (l < 0) {   // the comparison is null: the record is not selected
            sqlite3_result_int(ctx, 0);
            return;
        }
        int r;
        if (l == 8 && c.letterale.size() == 8) {
            const std::uint64_t x = otto(testo[c.campo]);
            r = x < c.chiave ? -1 : (x > c.chiave ? 1 : 0);
        } else {
            const std::size_t m = std::min(static_cast<std::size_t>(l), c.letterale.size());
            r = m ? std::memcmp(testo[c.campo], c.letterale.data(), m) : 0;
            if (r == 0) r = static_cast<std::size_t>(l) < c.letterale.size() ? -1 : (static_cast<std::size_t>(l) > c.letterale.size() ? 1 : 0);
        }
        bool vero = false;
        switch (c.op) {
        case dialetto::Operatore::Uguale: vero = r == 0; break;
        case dialetto::Operatore::Diverso: vero = r != 0; break;
        case dialetto::Operatore::Minore: vero = r < 0; break;
        case dialetto::Operatore::MinoreUguale: vero = r <= 0; break;
        case dialetto::Operatore::Maggiore: vero = r > 0; break;
        case dialetto::Operatore::MaggioreUguale: vero = r >= 0; break;
        }
        if (!vero) {
            sqlite3_result_int(ctx, 0);
            return;
        }
    }
    sqlite3_result_int(ctx, 1);
}

// The comparisons the in-memory evaluation makes, offered to SQLite so that
// a translated query selects and orders exactly the same records.
int collazioneNoCase(void *, int n1, const void *p1, int n2, const void *p2)
{
    // Called for every comparison of a scan: ASCII bytes are compared here.
    // The first differing ASCII byte decides as it would in the full
    // comparison (the texts before it are the same but for case); a
    // non-ASCII byte before that leaves the decision to it.
    const auto *a = static_cast<const unsigned char *>(p1), *b = static_cast<const unsigned char *>(p2);
    const int n = n1 < n2 ? n1 : n2;
    int i = 0;
    for (; i < n; ++i) {
        if ((a[i] | b[i]) >= 0x80) break;
        const unsigned char x = testo::minuscoloAscii(a[i]), y = testo::minuscoloAscii(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i == n) return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
    return testo::confrontaNoCase(std::string_view(static_cast<const char *>(p1), static_cast<std::size_t>(n1)),
                                  std::string_view(static_cast<const char *>(p2), static_cast<std::size_t>(n2)));
}

void risultatoConfronto(sqlite3_context *ctx, const Valore &a, const Valore &b)
{
    auto c = confrontaValori(a, b);
    if (c)
        sqlite3_result_int(ctx, *c);
    else
        sqlite3_result_null(ctx);
}

void funzioneConfronta(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    risultatoConfronto(ctx, valoreSqlite(argv[0]), valoreSqlite(argv[1]));
}

// Second argument: a currency literal as its raw fixed-point integer.
void funzioneConfrontaValuta(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    risultatoConfronto(ctx, valoreSqlite(argv[0]), Valore::valuta(Valuta::daGrezzo(sqlite3_value_int64(argv[1]))));
}

void funzioneLeft(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    Valore v = valoreSqlite(argv[0]);
    if (v.nullo()) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string s = sinistra(v.inTesto(), sqlite3_value_int(argv[1]));
    sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

std::string identificatore(const std::string &nome)
{
    std::string r = "\"";
    for (char c : nome) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

// A text literal: the dialect's quoting is SQLite's too.
std::string testoSql(const std::string &s) { return dialetto::quotaCriterio(s); }

// Significant digits of a currency literal: up to 15 survive SQLite's
// reading of the literal as a double unchanged.
bool valutaSicura(Valuta v)
{
    auto g = v.grezzo();
    if (g < 0) g = -g;
    return g < 1'000'000'000'000'000LL;
}

class Traduttore {
public:
    Traduttore(const std::vector<std::string> &colonne, const std::vector<bool> &affinitaTesto, const std::string &tabella,
               const std::string &archivio, const Sorgente::Sottoselezione &sotto)
        : m_colonne(colonne), m_affinitaTesto(affinitaTesto), m_tabella(tabella), m_archivio(archivio), m_sotto(sotto)
    {
    }

    std::string colonna(const std::string &nome)
    {
        const int c = trovaColonna(m_colonne, nome);
        if (c < 0) erroreCampo(nome, m_tabella, m_archivio);
        return identificatore(m_colonne[static_cast<std::size_t>(c)]);
    }

    // A condition; nothing when it cannot be translated faithfully. Written
    // into one text as it goes, so that the work stays linear in the length of
    // the criterion.
    std::optional<std::string> condizione(const Nodo &n)
    {
        std::string sql;
        if (!scriviCondizione(n, sql, 1)) return std::nullopt;
        return sql;
    }

    // A Where whose conjunction compares date fields (`date`: their columns)
    // with texts, with the check of every date field of the record folded into
    // those comparisons: one call a record, where a condition followed by
    // `OR pc_data_errata(...)` makes two readings of the dates. The records
    // whose dates are not dates come too, for the caller's check. Nothing
    // when the Where has no such comparison or cannot be translated.
    // `periodo`: the first compared field, and the lowest lower bound and the
    // highest upper bound of the comparisons (empty: none on that side).
    struct PeriodoConfronti {
        int colonna = -1;
        std::string da, a;
    };
    std::optional<std::string> condizioneConDate(const Nodo &n, const std::vector<int> &date, PeriodoConfronti &periodo,
                                                 const std::string &funzione, std::vector<ConfrontoData> &confronti)
    {
        std::vector<const Nodo *> termini;
        congiunti(n, termini);
        std::string resto;
        bool senzaDa = false, senzaA = false;
        for (const Nodo *t : termini) {
            const auto l = limiteTesto(*t);
            const auto campo = l ? std::find(date.begin(), date.end(), l->colonna) : date.end();
            if (campo != date.end()) {
                if (periodo.colonna < 0) periodo.colonna = l->colonna;
                const bool sotto = l->op == Operatore::Maggiore || l->op == Operatore::MaggioreUguale || l->op == Operatore::Uguale;
                const bool sopra = l->op == Operatore::Minore || l->op == Operatore::MinoreUguale || l->op == Operatore::Uguale;
                if (sotto && (periodo.da.empty() || l->letterale < periodo.da)) periodo.da = l->letterale;
                if (sopra && (periodo.a.empty() || l->letterale > periodo.a)) periodo.a = l->letterale;
                senzaDa = senzaDa || l->op == Operatore::Diverso;
                senzaA = senzaA || l->op == Operatore::Diverso;
                ConfrontoData c{static_cast<int>(campo - date.begin()), l->op, l->letterale};
                if (c.letterale.size() == 8) c.chiave = otto(c.letterale.data());
                confronti.push_back(std::move(c));
                continue;
            }
            std::string c;
            if (!scriviCondizione(*t, c, 2)) return std::nullopt;
            resto += (resto.empty() ? "" : " AND ") + c;
        }
        if (confronti.empty() || date.size() > static_cast<std::size_t>(MassimoCampiData)) return std::nullopt;
        if (senzaDa) periodo.da.clear();
        if (senzaA) periodo.a.clear();
        std::string sql = "CASE " + funzione + "(";
        for (std::size_t i = 0; i < date.size(); ++i)
            sql += (i ? "," : "") + identificatore(m_colonne[static_cast<std::size_t>(date[i])]);
        sql += std::string(") WHEN 0 THEN 0 WHEN 1 THEN ") + (resto.empty() ? std::string("1") : "(" + resto + ")") + " ELSE 1 END";
        return sql;
    }

private:
    bool scriviCondizione(const Nodo &n, std::string &sql, int livello)
    {
        // The parser refuses deeper texts; a tree built otherwise is refused here.
        if (livello > dialetto::ProfonditaMassima)
            throw ErroreDati("Criterio troppo complesso per la tabella \"" + m_tabella + "\" dell'archivio \"" + m_archivio
                             + "\": oltre " + std::to_string(dialetto::ProfonditaMassima) + " livelli annidati.");
        switch (n.tipo) {
        case Tipo::And: return scriviCongiunzione(n, sql, livello);
        case Tipo::Or:
            sql += '(';
            if (!scriviCondizione(*n.figli[0], sql, livello + 1)) return false;
            sql += " OR ";
            if (!scriviCondizione(*n.figli[1], sql, livello + 1)) return false;
            sql += ')';
            return true;
        case Tipo::Not:
            sql += "(NOT ";
            if (!scriviCondizione(*n.figli[0], sql, livello + 1)) return false;
            sql += ')';
            return true;
        default: {
            auto c = predicato(n);
            if (!c) return false;
            sql += *c;
            return true;
        }
        }
    }

    // The conjuncts SQLite compares by itself first, those that call back
    // into our functions or collation or test types after: And gives the same
    // result in any order (no conjunct has effects), and most records of a
    // long history fail the cheap date test. Of the cheap ones, a text range
    // of one field ("c >= 'a' And c <= 'b'") becomes one BETWEEN, which reads
    // and converts the field once and tests the lower bound first; then come
    // the other lower bounds ("c > 'a'"): a history grows day after day and
    // the period asked for is most often a recent one, which the lower bound
    // tells from most of the records at once.
    bool scriviCongiunzione(const Nodo &n, std::string &sql, int livello)
    {
        std::vector<const Nodo *> termini;
        congiunti(n, termini);
        std::vector<std::string> tradotti;
        for (const Nodo *t : termini) {
            std::string c;
            if (!scriviCondizione(*t, c, livello + 1)) return false;
            tradotti.push_back(std::move(c));
        }
        std::vector<std::optional<Limite>> limiti;
        for (const Nodo *t : termini) limiti.push_back(limiteTesto(*t));
        std::vector<std::string> intervalli, inferiori, semplici, costosi;
        for (std::size_t i = 0; i < termini.size(); ++i) {
            if (tradotti[i].empty()) continue;   // taken into a range
            const auto &l = limiti[i];
            if (l && (l->op == Operatore::MaggioreUguale || l->op == Operatore::MinoreUguale)) {
                const Operatore altro = l->op == Operatore::MaggioreUguale ? Operatore::MinoreUguale : Operatore::MaggioreUguale;
                for (std::size_t j = i + 1; j < termini.size(); ++j) {
                    if (tradotti[j].empty() || !limiti[j] || limiti[j]->colonna != l->colonna || limiti[j]->op != altro) continue;
                    const std::string &da = l->op == Operatore::MaggioreUguale ? l->letterale : limiti[j]->letterale;
                    const std::string &a = l->op == Operatore::MaggioreUguale ? limiti[j]->letterale : l->letterale;
                    intervalli.push_back("(CAST(" + identificatore(m_colonne[static_cast<std::size_t>(l->colonna)])
                                         + " AS TEXT) COLLATE BINARY BETWEEN " + testoSql(da) + " COLLATE BINARY AND "
                                         + testoSql(a) + " COLLATE BINARY)");
                    tradotti[i].clear();
                    tradotti[j].clear();
                    break;
                }
                if (tradotti[i].empty()) continue;
            }
            if (costoso(tradotti[i])) costosi.push_back(std::move(tradotti[i]));
            else if (l && (l->op == Operatore::Maggiore || l->op == Operatore::MaggioreUguale)) inferiori.push_back(std::move(tradotti[i]));
            else semplici.push_back(std::move(tradotti[i]));
        }
        std::vector<std::string> tutti = std::move(intervalli);
        for (auto *gruppo : {&inferiori, &semplici, &costosi})
            for (auto &c : *gruppo) tutti.push_back(std::move(c));
        if (tutti.size() == 1) {
            sql += tutti[0];
            return true;
        }
        // (a AND b AND c): flat, as nested parentheses would soon exhaust
        // the stack of SQLite's parser (about a hundred levels).
        sql += '(';
        for (std::size_t i = 0; i < tutti.size(); ++i) {
            if (i > 0) sql += " AND ";
            sql += tutti[i];
        }
        sql += ')';
        return true;
    }

    // "field op 'text'" on a field of TEXT affinity with a literal SQLite
    // compares byte by byte (see collazionePer), the field on the left.
    struct Limite {
        int colonna;
        Operatore op;
        std::string letterale;
    };
    std::optional<Limite> limiteTesto(const Nodo &t) const
    {
        if (t.tipo != Tipo::Confronto) return std::nullopt;
        const Nodo *a = t.figli[0].get(), *b = t.figli[1].get();
        Operatore op = t.op;
        if (a->tipo == Tipo::Letterale && b->tipo != Tipo::Letterale) {
            std::swap(a, b);
            op = dialetto::rovescia(op);
        }
        if (a->tipo != Tipo::Campo || b->tipo != Tipo::Letterale || !b->valore.eTesto() || !soloTesti(*a)) return std::nullopt;
        if (std::string_view(collazionePer(b->valore.comeTesto())) != " COLLATE BINARY") return std::nullopt;
        return Limite{trovaColonna(m_colonne, a->nome), op, b->valore.comeTesto()};
    }

    std::optional<std::string> predicato(const Nodo &n)
    {
        switch (n.tipo) {
        case Tipo::ENullo: {
            auto a = operando(*n.figli[0]);
            if (!a) return std::nullopt;
            return "(" + *a + " IS NULL)";
        }
        case Tipo::Confronto: return confronto(*n.figli[0], n.op, *n.figli[1]);
        case Tipo::InSelect:
        case Tipo::InLista: {
            std::vector<Valore> valori;
            if (n.tipo == Tipo::InSelect) {
                // The operand is checked first so that a missing field is reported as such.
                if (!operando(*n.figli[0])) return std::nullopt;
                valori = m_sotto(*n.sottoQuery);
            } else {
                for (std::size_t i = 1; i < n.figli.size(); ++i) valori.push_back(n.figli[i]->valore);
            }
            return appartenenza(*n.figli[0], valori);
        }
        default: return std::nullopt;
        }
    }

    // The terms of a chain a And b And c, in their order. The chain is a tree
    // leaning left: walked with a list of our own, not by recursion.
    static void congiunti(const Nodo &n, std::vector<const Nodo *> &termini)
    {
        std::vector<const Nodo *> daVedere{&n};
        while (!daVedere.empty()) {
            const Nodo *x = daVedere.back();
            daVedere.pop_back();
            if (x->tipo != Tipo::And) {
                termini.push_back(x);
                continue;
            }
            daVedere.push_back(x->figli[1].get());
            daVedere.push_back(x->figli[0].get());
        }
    }

    static bool costoso(const std::string &sql)
    {
        return sql.find("CASE") != std::string::npos || sql.find("pc_") != std::string::npos
               || sql.find("PC_NOCASE") != std::string::npos;
    }

    std::optional<std::string> operando(const Nodo &n)
    {
        switch (n.tipo) {
        case Tipo::Campo: return "+" + colonna(n.nome);   // "+" drops the column's affinity
        case Tipo::Left: {
            auto a = operando(*n.figli[0]);
            if (!a) return std::nullopt;
            const std::string k = std::to_string(n.n < 0 ? 0 : n.n);
            // The operand is written once when it is itself a Left, so that
            // nested Lefts stay linear in length.
            if (n.figli[0]->tipo != Tipo::Campo) return "pc_left(" + *a + "," + k + ")";
            // SQLite's substr stops at a NUL byte: such texts go through pc_left too.
            return "(CASE WHEN typeof(" + *a + ")='text' AND instr(CAST(" + *a + " AS BLOB),x'00')=0 THEN substr(" + *a + ",1,"
                   + k + ") ELSE pc_left(" + *a + "," + k + ") END)";
        }
        case Tipo::Letterale: return letterale(n.valore);
        default: return std::nullopt;
        }
    }

    static std::optional<std::string> letterale(const Valore &v)
    {
        switch (v.tipo()) {
        case Valore::Tipo::Nullo: return "NULL";
        case Valore::Tipo::Testo: return testoSql(v.comeTesto());
        case Valore::Tipo::Intero: return std::to_string(v.comeIntero());
        default: return std::nullopt;   // decimals only where their exact value is kept (see confronto)
        }
    }

    std::optional<std::string> confronto(const Nodo &x, Operatore op, const Nodo &y)
    {
        const Nodo *a = &x, *b = &y;
        if (a->tipo == Tipo::Letterale && b->tipo != Tipo::Letterale) {
            std::swap(a, b);
            op = dialetto::rovescia(op);
        }
        auto sa = operando(*a);
        if (!sa) return std::nullopt;
        const std::string o = dialetto::testoOperatore(op);
        if (b->tipo != Tipo::Letterale) {
            auto sb = operando(*b);
            if (!sb) return std::nullopt;
            return "(pc_cmp(" + *sa + "," + *sb + ") " + o + " 0)";
        }
        return confrontoLetterale(*a, *sa, o, b->valore);
    }

    // A literal made only of characters below 'A' (digits, blanks, most
    // punctuation: the dates yyyymmdd) compares with any text exactly as with
    // case ignored: at the first differing position, folding a letter or a
    // non-ASCII character never moves it to the other side of such a
    // character. The plain byte comparison is then the same and much cheaper.
    static const char *collazionePer(const std::string &letterale)
    {
        for (unsigned char c : letterale)
            if (c >= 'A') return " COLLATE PC_NOCASE";
        return " COLLATE BINARY";
    }

    // Operand (field or Left) against a literal: SQLite's own comparison where
    // it is the same as ours, the shared comparison function otherwise.
    std::optional<std::string> confrontoLetterale(const Nodo &a, const std::string &sa, const std::string &o, const Valore &v)
    {
        const bool campo = a.tipo == Tipo::Campo;
        const bool left = a.tipo == Tipo::Left;   // a text or null
        switch (v.tipo()) {
        case Valore::Tipo::Nullo: return "NULL";
        case Valore::Tipo::Testo: {
            const std::string t = testoSql(v.comeTesto());
            const char *collazione = collazionePer(v.comeTesto());
            if (soloTesti(a)) return "(" + comeTesto(a) + " " + o + " " + t + collazione + ")";
            if (left) return "(" + sa + " " + o + " " + t + collazione + ")";
            if (campo)
                return "(CASE WHEN typeof(" + sa + ")='text' THEN " + sa + " " + o + " " + t + collazione + " ELSE pc_cmp("
                       + sa + "," + t + ") " + o + " 0 END)";
            return "(pc_cmp(" + sa + "," + t + ") " + o + " 0)";
        }
        case Valore::Tipo::Intero: {
            const std::string k = std::to_string(v.comeIntero());
            if (campo)
                return "(CASE WHEN typeof(" + sa + ") IN ('integer','real') THEN " + sa + " " + o + " " + k + " ELSE pc_cmp("
                       + sa + "," + k + ") " + o + " 0 END)";
            return "(pc_cmp(" + sa + "," + k + ") " + o + " 0)";
        }
        case Valore::Tipo::Valuta: {
            if (!valutaSicura(v.comeValuta())) return std::nullopt;
            const std::string g = std::to_string(v.comeValuta().grezzo());
            const std::string d = v.inTesto();
            if (campo)
                return "(CASE WHEN typeof(" + sa + ") IN ('integer','real') THEN " + sa + " " + o + " " + d
                       + " ELSE pc_cmpv(" + sa + "," + g + ") " + o + " 0 END)";
            return "(pc_cmpv(" + sa + "," + g + ") " + o + " 0)";
        }
        default: return std::nullopt;
        }
    }

    // "x In (values)": the Or of the equalities, as the in-memory evaluation.
    std::optional<std::string> appartenenza(const Nodo &a, const std::vector<Valore> &valori)
    {
        auto sa = operando(a);
        if (!sa) return std::nullopt;
        if (valori.empty()) return "0";
        bool soloTesti = a.tipo == Tipo::Campo;
        for (const auto &v : valori) soloTesti = soloTesti && v.eTesto();
        std::vector<std::string> uguaglianze;
        for (const auto &v : valori) {
            if (soloTesti) {
                uguaglianze.push_back("(pc_cmp(" + *sa + "," + testoSql(v.comeTesto()) + ") = 0)");
                continue;
            }
            auto e = confrontoLetterale(a, *sa, "=", v);
            if (!e) return std::nullopt;
            uguaglianze.push_back(*e);
        }
        std::string oppure = unisciOr(uguaglianze, 0, uguaglianze.size());
        if (!soloTesti) return oppure;
        // Texts of the field: SQLite's IN with our collation; other values: the shared comparison.
        std::string lista;
        for (const auto &v : valori) lista += (lista.empty() ? "" : ",") + testoSql(v.comeTesto());
        if (this->soloTesti(a)) return "(" + comeTesto(a) + " COLLATE PC_NOCASE IN (" + lista + "))";
        return "(CASE WHEN typeof(" + *sa + ")='text' THEN " + *sa + " COLLATE PC_NOCASE IN (" + lista + ") ELSE " + oppure
               + " END)";
    }

    // Balanced, so that long lists stay within SQLite's expression depth.
    static std::string unisciOr(const std::vector<std::string> &v, std::size_t da, std::size_t a)
    {
        if (a - da == 1) return v[da];
        const std::size_t m = da + (a - da) / 2;
        return "(" + unisciOr(v, da, m) + " OR " + unisciOr(v, m, a) + ")";
    }

    // A column of TEXT affinity holds only texts, blobs and nulls (SQLite
    // turns numbers into text on the way in): CAST(c AS TEXT) then reads the
    // blobs as text like the in-memory evaluation, with no per-row type test.
    bool soloTesti(const Nodo &a) const
    {
        if (a.tipo != Tipo::Campo) return false;
        const int c = trovaColonna(m_colonne, a.nome);
        return c >= 0 && m_affinitaTesto[static_cast<std::size_t>(c)];
    }
    std::string comeTesto(const Nodo &a) { return "CAST(" + colonna(a.nome) + " AS TEXT)"; }

    const std::vector<std::string> &m_colonne;
    const std::vector<bool> &m_affinitaTesto;
    const std::string &m_tabella;
    const std::string &m_archivio;
    const Sorgente::Sottoselezione &m_sotto;
};

class SorgenteSqlite final : public Sorgente {
public:
    explicit SorgenteSqlite(std::string percorso) : m_percorso(std::move(percorso)) {}
    ~SorgenteSqlite() override { sqlite3_close_v2(m_db); }

    const std::string &percorso() const override { return m_percorso; }

    std::vector<std::string> tabelle() override
    {
        std::vector<std::string> r;
        for (const auto &o : oggetti())
            if (o.tipo == "table") r.push_back(o.nome);
        return r;
    }

    Tabella leggiTabella(const std::string &nome) override
    {
        Tabella t;
        t.nome = nomeTabella(nome);
        Istruzione st(*this, "SELECT * FROM " + identificatore(t.nome), t.nome);
        leggi(st, t);
        return t;
    }

    std::optional<Tabella> interroga(const dialetto::Query &q, const Sottoselezione &sotto) override
    {
        Tabella t;
        t.nome = nomeTabella(q.tabella);
        sqlite3_stmt *st = selezione(q, sotto, t.nome);
        if (!st) return std::nullopt;
        Istruzione i(*this, st, t.nome);
        leggi(i, t);
        return t;
    }


    // Row by row: one row's cells at a time, whatever the size of the selection.
    bool scorri(const dialetto::Query &q, const Sottoselezione &sotto, const Schema &schema,
                const VisitaRiga &visita) override
    {
        const std::string nome = nomeTabella(q.tabella);
        sqlite3_stmt *st = selezione(q, sotto, nome);
        if (!st) return false;
        Istruzione i(*this, st, nome);
        const std::vector<std::string> colonne = nomiColonne(i, nome);
        schema(nome, colonne);
        const int n = static_cast<int>(colonne.size());
        std::vector<Valore> riga(colonne.size());
        std::vector<bool> cifre(colonne.size());
        for (std::size_t c = 0; c < colonne.size(); ++c) cifre[c] = campoCifra(colonne[c]);
        while (i.passo()) {
            for (int c = 0; c < n; ++c)
                if (!colonnaSqlite(i.st, c, riga[static_cast<std::size_t>(c)], cifre[static_cast<std::size_t>(c)])) errore(nome);
            visita(riga.data());
        }
        return true;
    }

private:
    struct Istruzione {
        Istruzione(SorgenteSqlite &s, const std::string &sql, const std::string &tabella = {}) : sorgente(s), tabella(tabella)
        {
            s.m_passi = 0;
            if (sqlite3_prepare_v2(s.connessione(), sql.c_str(), static_cast<int>(sql.size()), &st, nullptr) != SQLITE_OK)
                s.errore(tabella);
        }
        Istruzione(SorgenteSqlite &s, sqlite3_stmt *x, const std::string &tabella) : sorgente(s), st(x), tabella(tabella)
        {
            s.m_passi = 0;
        }
        ~Istruzione() { sqlite3_finalize(st); }
        bool passo()
        {
            const int r = sqlite3_step(st);
            if (r == SQLITE_ROW) return true;
            if (r != SQLITE_DONE) sorgente.errore(tabella);
            return false;
        }
        SorgenteSqlite &sorgente;
        sqlite3_stmt *st = nullptr;
        std::string tabella;
    };

    // The statement of a translated Select: every column, in rowid order (the
    // order of the whole table's reading): ordering and the choice of field
    // are left to the caller, which sorts with its own comparison instead of
    // SQLite calling back into a collation for every comparison of the sort.
    // Null when the condition cannot be translated faithfully.
    // Whether the file's texts are UTF-8 (read once).
    bool utf8()
    {
        if (!m_utf8) {
            sqlite3_stmt *st = nullptr;
            m_utf8 = false;
            if (sqlite3_prepare_v2(connessione(), "PRAGMA encoding", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
                const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
                m_utf8 = t && std::string_view(t) == "UTF-8";
            }
            sqlite3_finalize(st);
        }
        return *m_utf8;
    }

    // Whether the period of a Where likely holds most of a table's records,
    // judged from the dates of its first and last record (tables grow in
    // time): then the condition as SQL, with the check of the dates only on
    // the records it leaves out, reads faster than the check and comparisons
    // in one call for every record (Traduttore::condizioneConDate). Only the
    // speed depends on the guess.
    bool piuDellaMeta(const std::string &tabella, const std::vector<std::string> &colonne,
                      const Traduttore::PeriodoConfronti &periodo)
    {
        if (periodo.colonna < 0) return false;
        const std::string campo = identificatore(colonne[static_cast<std::size_t>(periodo.colonna)]);
        auto giorno = [](const std::string &t) -> std::optional<long> {
            if (t.size() != 8 || t.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
            const int mese = std::stoi(t.substr(4, 2)), g = std::stoi(t.substr(6, 2));
            if (mese < 1 || mese > 12 || g < 1 || g > 31) return std::nullopt;
            return calendario::seriale(std::stol(t.substr(0, 4)), mese, g);
        };
        auto estremo = [&](const char *verso) -> std::optional<long> {
            const std::string sql = "SELECT CAST(" + campo + " AS TEXT) FROM " + identificatore(tabella) + " ORDER BY rowid " + verso + " LIMIT 1";
            // A table SQLite cannot read so (without rowid) gives no guess; a
            // damaged file is reported by the reading that follows.
            sqlite3_stmt *st = nullptr;
            std::optional<long> g;
            if (sqlite3_prepare_v2(connessione(), sql.c_str(), static_cast<int>(sql.size()), &st, nullptr) == SQLITE_OK
                && sqlite3_step(st) == SQLITE_ROW) {
                if (const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(st, 0)))
                    g = giorno(std::string(t, static_cast<std::size_t>(sqlite3_column_bytes(st, 0))));
            }
            sqlite3_finalize(st);
            return g;
        };
        const auto primo = estremo("ASC"), ultimo = estremo("DESC");
        if (!primo || !ultimo || *ultimo < *primo) return false;
        const auto da = periodo.da.empty() ? primo : giorno(periodo.da), a = periodo.a.empty() ? ultimo : giorno(periodo.a);
        if (!da || !a) return false;
        const long dentro = std::min(*a, *ultimo) - std::max(*da, *primo) + 1;
        return 2 * dentro > *ultimo - *primo + 1;
    }

    sqlite3_stmt *selezione(const dialetto::Query &q, const Sottoselezione &sotto, const std::string &tabella)
    {
        std::vector<bool> affinitaTesto;
        const auto colonne = colonneDi(tabella, affinitaTesto);
        for (const auto &c : colonne)
            if (testo::ugualeNoCase(c, "rowid") || testo::ugualeNoCase(c, "oid") || testo::ugualeNoCase(c, "_rowid_"))
                return nullptr;
        const std::string archivio = std::filesystem::path(m_percorso).filename().string();
        Traduttore tr(colonne, affinitaTesto, tabella, archivio, sotto);
        std::string sql = "SELECT * FROM " + identificatore(tabella);
        if (q.where) {
            // Records whose dates are not dates come too, for the caller's check.
            std::vector<int> date;
            for (std::size_t c = 0; c < colonne.size(); ++c)
                if (campoData(tabella, colonne[c])) date.push_back(static_cast<int>(c));
            Traduttore::PeriodoConfronti periodo;
            auto dati = std::make_unique<DatiDateWhere>();
            const std::string funzione = "pc_date_where_" + std::to_string(m_funzioniDate.size() + 1);
            std::optional<std::string> w;
            if (!date.empty() && (w = tr.condizioneConDate(*q.where, date, periodo, funzione, dati->confronti))
                && !piuDellaMeta(tabella, colonne, periodo)) {
                // A function of its own, with this statement's comparisons as its data.
                dati->utf8 = utf8();
                if (sqlite3_create_function(connessione(), funzione.c_str(), static_cast<int>(date.size()),
                                            SQLITE_UTF8 | SQLITE_DETERMINISTIC, dati.get(), funzioneDateWhere, nullptr, nullptr)
                    != SQLITE_OK)
                    errore(tabella);
                m_funzioniDate.push_back(std::move(dati));
                sql += " WHERE " + *w;
            } else {
                w = tr.condizione(*q.where);
                if (!w) return nullptr;
                sql += " WHERE (" + *w + ")";
                std::string elenco;
                for (int c : date) elenco += (elenco.empty() ? "" : ",") + identificatore(colonne[static_cast<std::size_t>(c)]);
                if (!elenco.empty()) sql += " OR pc_data_errata(" + elenco + ")";
            }
        }
        sql += " ORDER BY rowid";
        sqlite3_stmt *st = nullptr;
        const int esito = sqlite3_prepare_v2(connessione(), sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
        if (esito != SQLITE_OK) {
            sqlite3_finalize(st);
            // A statement SQLite refuses (e.g. a table without rowid) is
            // evaluated in memory instead; a damaged or unreadable file is not.
            if ((esito & 0xFF) != SQLITE_ERROR) errore(tabella);
            return nullptr;
        }
        return st;
    }

    [[noreturn]] void errore(const std::string &tabella)
    {
        const int codice = m_db ? sqlite3_extended_errcode(m_db) : SQLITE_NOMEM;
        std::string msg = spiegazione(codice);
        if ((codice & 0xFF) == SQLITE_BUSY || (codice & 0xFF) == SQLITE_LOCKED)
            msg += " (attesa di " + std::to_string((g_attesaBloccoMs + 999) / 1000) + " secondi)";
        throw ErroreDati("Lettura " + (tabella.empty() ? std::string() : "della tabella \"" + tabella + "\" ")
                         + "dell'archivio \"" + m_percorso + "\" non riuscita: " + msg + ".");
    }

    // A read bounded by the work a file of this size can call for: about a
    // thousand virtual-machine steps per byte, at least some hundred millions.
    static int progresso(void *p)
    {
        auto *s = static_cast<SorgenteSqlite *>(p);
        return ++s->m_passi > s->m_limitePassi ? 1 : 0;
    }
    static constexpr int PassiPerChiamata = 1000;

    sqlite3 *connessione()
    {
        if (m_db) return m_db;
        const Intestazione h = leggiIntestazione(m_percorso);
        if (!h.danno.empty()) throw ErroreDati("L'archivio \"" + m_percorso + "\" \xC3\xA8 danneggiato: " + h.danno + ".");
        // A WAL database is read without creating its side files in the
        // hotel's folder: when no WAL holds changes, the main file is the
        // whole database and is read as unchanging; when a WAL holds changes,
        // only with the shared-memory file its writer left.
        bool immutabile = false;
        if (h.wal) {
            // SQLite puts the side files beside the file a link leads to.
            std::error_code ec;
            auto reale = std::filesystem::canonical(m_percorso, ec).string();
            if (ec) reale = m_percorso;
            const std::string wal = reale + "-wal", shm = reale + "-shm";
            if (fileNonVuoto(wal)) {
                if (!esiste(shm))
                    throw ErroreDati("L'archivio \"" + m_percorso + "\" \xC3\xA8 in modalit\xC3\xA0 WAL e ha modifiche "
                                     "ancora nel file \"" + wal + "\": per leggerle bisognerebbe creare il file \"" + shm
                                     + "\" nella cartella dell'albergo. Aprire e chiudere l'archivio con il programma "
                                       "dell'albergo, poi riprovare.");
            } else {
                immutabile = !(esiste(wal) && esiste(shm));
            }
        }
        const std::string uri = uriSolaLettura(m_percorso, immutabile);
        // One thread at a time uses a source: no locking inside SQLite for every cell read.
        const int esito = sqlite3_open_v2(uri.c_str(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
        if (esito != SQLITE_OK) {
            const int codice = m_db ? sqlite3_extended_errcode(m_db) : esito;
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            throw ErroreDati("Impossibile aprire l'archivio \"" + m_percorso + "\": " + spiegazione(codice) + ".");
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, g_attesaBloccoMs);
        std::error_code ec;
        const auto dimensione = std::filesystem::file_size(m_percorso, ec);
        m_limitePassi = std::max<std::uint64_t>(100'000, ec ? 0 : dimensione);
        sqlite3_progress_handler(m_db, PassiPerChiamata, progresso, this);
        // No value of a hotel's table comes near this; a computed one that
        // would is refused instead of filling the memory.
        sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, 32 << 20);
        // Map the file instead of reading it a page at a time: a report scans
        // whole history tables, and the page-by-page reads cost more than the scan.
        // A mapped page is not checked as a page read into the cache is: have
        // SQLite check every page's cells as it reads it, so that damage it can
        // see (cell pointers, cell sizes) stops the reading instead of giving
        // wrong rows.
        sqlite3_exec(m_db, "PRAGMA mmap_size=1073741824; PRAGMA cell_size_check=ON;", nullptr, nullptr, nullptr);
        sqlite3_create_collation(m_db, "PC_NOCASE", SQLITE_UTF8, nullptr, collazioneNoCase);
        const int flag = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
        sqlite3_create_function(m_db, "pc_cmp", 2, flag, nullptr, funzioneConfronta, nullptr, nullptr);
        sqlite3_create_function(m_db, "pc_cmpv", 2, flag, nullptr, funzioneConfrontaValuta, nullptr, nullptr);
        sqlite3_create_function(m_db, "pc_left", 2, flag, nullptr, funzioneLeft, nullptr, nullptr);
        sqlite3_create_function(m_db, "pc_data_errata", -1, flag, nullptr, funzioneDataErrata, nullptr, nullptr);
        return m_db;
    }

    std::string nomeTabella(const std::string &nome)
    {
        for (const auto &o : oggetti()) {
            if (!testo::ugualeNoCase(o.nome, nome)) continue;
            if (o.tipo == "table" && testo::maiuscolo(o.sql.substr(0, 14)) != "CREATE VIRTUAL") return o.nome;
            const std::string cosa = o.tipo == "view"      ? "una vista (una query salvata)"
                                     : o.tipo == "table"   ? "una tabella virtuale"
                                     : o.tipo == "index"   ? "un indice"
                                     : o.tipo == "trigger" ? "un trigger"
                                                           : "un oggetto di tipo \"" + o.tipo + "\"";
            throw ErroreDati("Nell'archivio \"" + m_percorso + "\" il nome \"" + o.nome + "\" non \xC3\xA8 una tabella ma "
                             + cosa + ": si leggono solo tabelle.");
        }
        throw ErroreDati("Tabella \"" + nome + "\" non trovata nell'archivio \""
                         + std::filesystem::path(m_percorso).filename().string() + "\".");
    }

    // Column names, and for each whether its declared type gives it TEXT
    // affinity (SQLite's rule: no "INT", and "CHAR", "CLOB" or "TEXT").
    std::vector<std::string> colonneDi(const std::string &tabella, std::vector<bool> &affinitaTesto)
    {
        Istruzione st(*this, "SELECT * FROM " + identificatore(tabella) + " LIMIT 0", tabella);
        std::vector<std::string> r;
        for (int i = 0; i < sqlite3_column_count(st.st); ++i) {
            const char *nome = sqlite3_column_name(st.st, i);
            if (!nome) errore(tabella);
            r.push_back(nome);
            const char *d = sqlite3_column_decltype(st.st, i);
            const std::string tipo = testo::maiuscolo(d ? d : "");
            affinitaTesto.push_back(tipo.find("INT") == std::string::npos
                                    && (tipo.find("CHAR") != std::string::npos || tipo.find("CLOB") != std::string::npos
                                        || tipo.find("TEXT") != std::string::npos));
        }
        return r;
    }

    std::vector<std::string> nomiColonne(Istruzione &st, const std::string &tabella)
    {
        std::vector<std::string> r;
        const int n = sqlite3_column_count(st.st);
        for (int i = 0; i < n; ++i) {
            const char *nome = sqlite3_column_name(st.st, i);
            if (!nome) errore(tabella);
            r.push_back(nome);
        }
        return r;
    }

    void leggi(Istruzione &st, Tabella &t)
    {
        t.colonne = nomiColonne(st, t.nome);
        const int n = static_cast<int>(t.colonne.size());
        t.righe.impostaColonne(static_cast<std::size_t>(n));
        std::vector<char> cifre(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) cifre[static_cast<std::size_t>(i)] = campoCifra(t.colonne[static_cast<std::size_t>(i)]);
        while (st.passo()) {
            Valore *riga = t.righe.aggiungiRiga();
            for (int i = 0; i < n; ++i)
                if (!colonnaSqlite(st.st, i, riga[i], cifre[static_cast<std::size_t>(i)])) errore(t.nome);
        }
    }

    struct Oggetto {
        std::string nome, tipo, sql;
    };
    // Everything the file's schema names, in the file's order.
    std::vector<Oggetto> oggetti()
    {
        std::vector<Oggetto> r;
        Istruzione st(*this, "SELECT name, type, sql FROM sqlite_master WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
        auto testoDi = [&](int i) {
            const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st.st, i));
            return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(st.st, i))) : std::string();
        };
        while (st.passo()) r.push_back({testoDi(0), testoDi(1), testoDi(2)});
        return r;
    }

    std::string m_percorso;
    sqlite3 *m_db = nullptr;
    std::uint64_t m_passi = 0, m_limitePassi = 0;
    std::vector<std::unique_ptr<DatiDateWhere>> m_funzioniDate;   // the data of the functions of condizioneConDate
    std::optional<bool> m_utf8;
};

} // namespace

void impostaAttesaBloccoSqlite(int millisecondi) { g_attesaBloccoMs = millisecondi; }

std::unique_ptr<Sorgente> apriSorgenteSqlite(const std::string &percorso)
{
    return std::make_unique<SorgenteSqlite>(percorso);
}

} // namespace pc::dati
