#include "Valutatore.h"

#include "ErroreDati.h"
#include "Testo.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pc::dati {

using dialetto::Operatore;

namespace {

int segno(auto a, auto b) { return a < b ? -1 : (a > b ? 1 : 0); }

// A number in exact form when possible: fixed point with four decimals,
// widened to 128 bits so that whole numbers of any size fit.
struct Numero {
    bool reale = false;
    __int128 fisso = 0;   // value * 10000, when !reale
    double d = 0;         // when reale
};

std::optional<Numero> numero(const Valore &v)
{
    switch (v.tipo()) {
    case Valore::Tipo::Intero: return Numero{false, static_cast<__int128>(v.comeIntero()) * Valuta::Scala, 0};
    case Valore::Tipo::Valuta: return Numero{false, v.comeValuta().grezzo(), 0};
    case Valore::Tipo::Reale: return Numero{true, 0, v.comeReale()};
    case Valore::Tipo::Testo: {
        auto x = Valuta::daTesto(v.comeTesto());
        if (x) return Numero{false, x->grezzo(), 0};
        return std::nullopt;
    }
    case Valore::Tipo::Nullo: break;
    }
    return std::nullopt;
}

double inDouble(__int128 fisso)
{
    // Correctly rounded: through the decimal text.
    const bool neg = fisso < 0;
    unsigned __int128 a = neg ? static_cast<unsigned __int128>(-fisso) : static_cast<unsigned __int128>(fisso);
    char buf[64];
    int i = 63;
    buf[i] = 0;
    int cifre = 0;
    do {
        buf[--i] = static_cast<char>('0' + static_cast<int>(a % 10));
        a /= 10;
        if (++cifre == 4) buf[--i] = '.';
    } while (a != 0 || cifre < 5);
    if (neg) buf[--i] = '-';
    double d = 0;
    std::from_chars(buf + i, buf + 63, d);
    return d;
}

// A real beyond the currency range against a fixed-point value, exactly (as
// SQLite compares a REAL with an INTEGER): from 2^49 up a double is a whole
// multiple of 1/16, so r * 10000 = (r * 16) * 625 is a whole number.
std::optional<int> confrontaRealeGrande(double r, __int128 f)
{
    if (std::isnan(r)) return std::nullopt;
    if (std::fabs(r) >= 1e30) return r < 0 ? -1 : 1;   // beyond every 64-bit whole number and currency
    if (std::fabs(r) < 562949953421312.0) return std::nullopt;   // 2^49
    const auto sedicesimi = static_cast<__int128>(r * 16.0);
    return segno(sedicesimi * 625, f);
}

// A real against an exact fixed-point value. The real rounded to four decimals
// decides unless it lands on the same value; then the real itself against
// the nearest double of that value. Reals beyond the currency range exactly.
int confrontaRealeFisso(double r, __int128 f)
{
    auto v = Valuta::daDouble(r);
    if (!v) {
        if (auto c = confrontaRealeGrande(r, f)) return *c;
        return segno(r, inDouble(f));
    }
    const __int128 g = v->grezzo();
    if (g != f) return segno(g, f);
    return segno(r, inDouble(f));
}

int confrontaNumeri(const Numero &a, const Numero &b)
{
    if (!a.reale && !b.reale) return segno(a.fisso, b.fisso);
    if (a.reale && b.reale) return segno(a.d, b.d);
    if (a.reale) return confrontaRealeFisso(a.d, b.fisso);
    return -confrontaRealeFisso(b.d, a.fisso);
}

bool vero(Operatore op, int c)
{
    switch (op) {
    case Operatore::Uguale: return c == 0;
    case Operatore::Diverso: return c != 0;
    case Operatore::Minore: return c < 0;
    case Operatore::MinoreUguale: return c <= 0;
    case Operatore::Maggiore: return c > 0;
    case Operatore::MaggioreUguale: return c >= 0;
    }
    return false;
}

} // namespace

std::optional<int> confrontaValori(const Valore &a, const Valore &b)
{
    if (a.nullo() || b.nullo()) return std::nullopt;
    if (a.eTesto() && b.eTesto()) return testo::confrontaNoCase(a.comeTesto(), b.comeTesto());
    if (a.tipo() == Valore::Tipo::Intero && b.tipo() == Valore::Tipo::Intero) return segno(a.comeIntero(), b.comeIntero());
    auto x = numero(a);
    auto y = numero(b);
    if (!x || !y) return std::nullopt;
    return confrontaNumeri(*x, *y);
}

int confrontaPerOrdine(const Valore &a, const Valore &b)
{
    auto rango = [](const Valore &v) { return v.nullo() ? 0 : (v.eNumero() ? 1 : 2); };
    const int ra = rango(a), rb = rango(b);
    if (ra != rb) return segno(ra, rb);
    if (ra == 0) return 0;
    if (ra == 2) return testo::confrontaNoCase(a.comeTesto(), b.comeTesto());
    return *confrontaValori(a, b);
}

std::string sinistra(std::string_view s, int n)
{
    std::size_t i = 0;
    for (int contati = 0; contati < n && i < s.size(); ++contati) {
        if (static_cast<unsigned char>(s[i++]) < 0xC0) continue;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    }
    return std::string(s.substr(0, i));
}

int trovaColonna(const std::vector<std::string> &colonne, std::string_view nome)
{
    for (std::size_t i = 0; i < colonne.size(); ++i)
        if (testo::ugualeNoCase(colonne[i], nome)) return static_cast<int>(i);
    return -1;
}

void erroreCampo(std::string_view campo, const std::string &tabella, const std::string &archivio)
{
    throw ErroreDati("Campo \"" + std::string(campo) + "\" non trovato nella tabella \"" + tabella + "\" dell'archivio \""
                     + archivio + "\".");
}

struct Filtro::Nodo {
    dialetto::Nodo::Tipo tipo = dialetto::Nodo::Tipo::Letterale;
    int colonna = -1;
    Valore valore;
    Operatore op = Operatore::Uguale;
    int n = 0;
    std::vector<Nodo> figli;
    std::vector<Valore> insieme;   // In: the values of the sub-select or of the list
};

namespace {

using Tipo = dialetto::Nodo::Tipo;

Filtro::Nodo compila(const dialetto::Nodo &x, const std::vector<std::string> &colonne, const std::string &tabella,
                     const std::string &archivio, const Sottoselezione &sotto)
{
    Filtro::Nodo r;
    r.tipo = x.tipo;
    r.valore = x.valore;
    r.op = x.op;
    r.n = x.n;
    if (x.tipo == Tipo::Campo) {
        r.colonna = trovaColonna(colonne, x.nome);
        if (r.colonna < 0) erroreCampo(x.nome, tabella, archivio);
    }
    if (x.tipo == Tipo::InSelect) {
        r.figli.push_back(compila(*x.figli[0], colonne, tabella, archivio, sotto));
        r.insieme = sotto(*x.sottoQuery);
        return r;
    }
    if (x.tipo == Tipo::InLista) {
        r.figli.push_back(compila(*x.figli[0], colonne, tabella, archivio, sotto));
        for (std::size_t i = 1; i < x.figli.size(); ++i) r.insieme.push_back(x.figli[i]->valore);
        return r;
    }
    for (const auto &f : x.figli) r.figli.push_back(compila(*f, colonne, tabella, archivio, sotto));
    return r;
}

const Valore &operando(const Filtro::Nodo &n, const Valore *riga, Valore &appoggio)
{
    switch (n.tipo) {
    case Tipo::Campo: return riga[n.colonna];
    case Tipo::Left: {
        const Valore &v = operando(n.figli[0], riga, appoggio);
        if (v.nullo()) return v;
        Valore t = Valore::testo(sinistra(v.eTesto() ? v.comeTesto() : v.inTesto(), n.n));
        appoggio = std::move(t);
        return appoggio;
    }
    default: return n.valore;
    }
}

Logico non(Logico x) { return x == Logico::Ignoto ? x : (x == Logico::Vero ? Logico::Falso : Logico::Vero); }

Logico valutaNodo(const Filtro::Nodo &n, const Valore *riga)
{
    switch (n.tipo) {
    case Tipo::Confronto: {
        Valore a1, a2;
        const Valore &a = operando(n.figli[0], riga, a1);
        const Valore &b = operando(n.figli[1], riga, a2);
        auto c = confrontaValori(a, b);
        if (!c) return Logico::Ignoto;
        return vero(n.op, *c) ? Logico::Vero : Logico::Falso;
    }
    case Tipo::And: {
        const Logico a = valutaNodo(n.figli[0], riga);
        if (a == Logico::Falso) return a;
        const Logico b = valutaNodo(n.figli[1], riga);
        if (b == Logico::Falso) return b;
        return (a == Logico::Vero && b == Logico::Vero) ? Logico::Vero : Logico::Ignoto;
    }
    case Tipo::Or: {
        const Logico a = valutaNodo(n.figli[0], riga);
        if (a == Logico::Vero) return a;
        const Logico b = valutaNodo(n.figli[1], riga);
        if (b == Logico::Vero) return b;
        return (a == Logico::Falso && b == Logico::Falso) ? Logico::Falso : Logico::Ignoto;
    }
    case Tipo::Not: return non(valutaNodo(n.figli[0], riga));
    case Tipo::ENullo: {
        Valore a1;
        return operando(n.figli[0], riga, a1).nullo() ? Logico::Vero : Logico::Falso;
    }
    case Tipo::InSelect:
    case Tipo::InLista: {
        // The same as a chain of equalities joined by Or.
        Valore a1;
        const Valore &a = operando(n.figli[0], riga, a1);
        Logico r = Logico::Falso;
        for (const Valore &v : n.insieme) {
            auto c = confrontaValori(a, v);
            if (!c)
                r = Logico::Ignoto;
            else if (*c == 0)
                return Logico::Vero;
        }
        return r;
    }
    default: {
        // A bare value used as a condition: a number is true when not zero.
        Valore a1;
        const Valore &a = operando(n, riga, a1);
        if (a.nullo()) return Logico::Ignoto;
        auto c = confrontaValori(a, Valore::intero(0));
        if (!c) return Logico::Ignoto;
        return *c != 0 ? Logico::Vero : Logico::Falso;
    }
    }
}

void cercaAncora(const Filtro::Nodo &n, std::optional<Filtro::Ancora> &ancora)
{
    if (ancora) return;
    if (n.tipo == Tipo::And) {
        cercaAncora(n.figli[0], ancora);
        cercaAncora(n.figli[1], ancora);
        return;
    }
    if (n.tipo != Tipo::Confronto || n.op != Operatore::Uguale) return;
    const auto &a = n.figli[0];
    const auto &b = n.figli[1];
    if (a.tipo == Tipo::Campo && b.tipo == Tipo::Letterale && !b.valore.nullo())
        ancora = Filtro::Ancora{a.colonna, b.valore};
    else if (b.tipo == Tipo::Campo && a.tipo == Tipo::Letterale && !a.valore.nullo())
        ancora = Filtro::Ancora{b.colonna, a.valore};
}

} // namespace

Filtro::Filtro(const dialetto::Nodo &radice, const std::vector<std::string> &colonne, const std::string &tabella,
               const std::string &archivio, const Sottoselezione &sottoselezione)
    : m_radice(std::make_shared<Nodo>(compila(radice, colonne, tabella, archivio, sottoselezione)))
{
    cercaAncora(*m_radice, m_ancora);
}

Logico Filtro::valuta(const Valore *riga) const { return valutaNodo(*m_radice, riga); }

std::uint64_t prefissoAscii(const std::string &s)
{
    std::uint64_t k = 0;
    const std::size_t n = s.size() < 8 ? s.size() : 8;
    for (std::size_t i = 0; i < n; ++i) k = (k << 8) | testo::minuscoloAscii(static_cast<unsigned char>(s[i]));
    // Shifting a 64-bit value by 64 (the empty text) is undefined: its key is 0.
    return n == 0 ? 0 : k << (8 * (8 - n));
}

void ordina(std::vector<std::uint32_t> &posizioni, const RigheTabella &righe, const std::vector<std::pair<int, bool>> &chiavi)
{
    if (chiavi.empty() || posizioni.size() < 2) return;
    auto cella = [&](std::uint32_t riga, int colonna) -> const Valore & { return righe[riga][static_cast<std::size_t>(colonna)]; };
    auto confronta = [&](std::uint32_t x, std::uint32_t y, std::size_t daChiave) {
        for (std::size_t k = daChiave; k < chiavi.size(); ++k) {
            const auto [c, disc] = chiavi[k];
            const int r = confrontaPerOrdine(cella(x, c), cella(y, c));
            if (r != 0) return disc ? -r : r;
        }
        return 0;
    };

    // The leading keys (up to two) whose values are all ASCII texts get a
    // numeric prefix: most comparisons of the sort are then two integers.
    // When every such text is at most eight bytes without NUL, equal
    // prefixes mean equal texts and the full comparison is skipped.
    constexpr std::size_t MassimoVeloci = 2;
    struct Elemento {
        std::uint64_t prefisso[MassimoVeloci];
        std::uint32_t pos;
        std::uint32_t indice;   // place in the input, for ties
    };
    std::size_t veloci = 0;
    bool esatta[MassimoVeloci] = {};
    for (; veloci < chiavi.size() && veloci < MassimoVeloci; ++veloci) {
        const int c = chiavi[veloci].first;
        bool ok = true, corti = true;
        for (std::uint32_t p : posizioni) {
            const Valore &v = cella(p, c);
            if (!v.eTesto()) {
                ok = false;
                break;
            }
            const std::string &t = v.comeTesto();
            if (!testo::ascii(t)) {
                ok = false;
                break;
            }
            corti = corti && t.size() <= 8 && t.find('\0') == std::string::npos;
        }
        if (!ok) break;
        esatta[veloci] = corti;
    }
    if (veloci == 0) {
        std::stable_sort(posizioni.begin(), posizioni.end(),
                         [&](std::uint32_t x, std::uint32_t y) { return confronta(x, y, 0) < 0; });
        return;
    }

    std::vector<Elemento, AllocatoreCelle<Elemento>> elementi(posizioni.size());
    for (std::size_t i = 0; i < posizioni.size(); ++i) {
        Elemento &e = elementi[i];
        e.pos = posizioni[i];
        e.indice = static_cast<std::uint32_t>(i);
        for (std::size_t k = 0; k < veloci; ++k) e.prefisso[k] = prefissoAscii(cella(e.pos, chiavi[k].first).comeTesto());
        for (std::size_t k = veloci; k < MassimoVeloci; ++k) e.prefisso[k] = 0;
    }
    // Ties broken by the place they had: a total order, so the plain sort
    // gives exactly what the stable one would.
    auto precede = [&](const Elemento &a, const Elemento &b) {
        for (std::size_t k = 0; k < veloci; ++k) {
            const bool disc = chiavi[k].second;
            if (a.prefisso[k] != b.prefisso[k]) return disc ? a.prefisso[k] > b.prefisso[k] : a.prefisso[k] < b.prefisso[k];
            if (!esatta[k]) {
                const int c = chiavi[k].first;
                const int r = testo::confrontaNoCase(cella(a.pos, c).comeTesto(), cella(b.pos, c).comeTesto());
                if (r != 0) return disc ? r > 0 : r < 0;
            }
        }
        if (veloci < chiavi.size()) {
            const int r = confronta(a.pos, b.pos, veloci);
            if (r != 0) return r < 0;
        }
        return a.indice < b.indice;
    };
    // Records often come already in order (history written day by day).
    if (!std::is_sorted(elementi.begin(), elementi.end(), precede)) std::sort(elementi.begin(), elementi.end(), precede);
    for (std::size_t i = 0; i < elementi.size(); ++i) posizioni[i] = elementi[i].pos;
}

} // namespace pc::dati
