#include "Dialetto.h"

#include "ErroreDati.h"
#include "Testo.h"

#include <algorithm>
#include <charconv>

namespace pc::dati::dialetto {

namespace {

struct Token {
    enum class Tipo { Fine, Nome, NomeTraParentesi, Testo, Numero, Simbolo };
    Tipo tipo = Tipo::Fine;
    std::string testo;     // name, text content, number digits or symbol
    std::size_t posizione = 0;
};

bool inizioNome(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool partenome(unsigned char c) { return inizioNome(c) || (c >= '0' && c <= '9'); }
bool cifra(char c) { return c >= '0' && c <= '9'; }

class Analizzatore {
public:
    explicit Analizzatore(std::string_view testo) : m_testo(testo) { leggiToken(); }

    [[noreturn]] void errore(const std::string &atteso) const
    {
        std::string trovato = m_token.tipo == Token::Tipo::Fine ? std::string("la fine del testo")
                                                                : "\"" + std::string(m_testo.substr(m_token.posizione, 20)) + "\"";
        throw ErroreDati("Istruzione o criterio non valido: atteso " + atteso + ", trovato " + trovato + " alla posizione "
                         + std::to_string(m_token.posizione + 1) + " in \"" + std::string(m_testo) + "\".");
    }

    [[noreturn]] void erroreProfondita() const
    {
        // The text itself may be very long: its start is enough to recognise it.
        constexpr std::size_t Mostrati = 80;
        const std::string inizio = m_testo.size() > Mostrati ? std::string(m_testo.substr(0, Mostrati)) + "..." : std::string(m_testo);
        throw ErroreDati("Istruzione o criterio troppo complesso: oltre " + std::to_string(ProfonditaMassima)
                         + " livelli di parentesi, Not, Left, selezioni interne o condizioni unite da And e Or, alla posizione "
                         + std::to_string(m_token.posizione + 1) + " in \"" + inizio + "\".");
    }

    // One more level of nesting while the parser descends; refused beyond the limit.
    class Livello {
    public:
        explicit Livello(Analizzatore &a) : m_a(a)
        {
            if (++m_a.m_annidamento > ProfonditaMassima) m_a.erroreProfondita();
        }
        ~Livello() { --m_a.m_annidamento; }
        Livello(const Livello &) = delete;
        Livello &operator=(const Livello &) = delete;

    private:
        Analizzatore &m_a;
    };

    const Token &token() const { return m_token; }

    bool parolaChiave(std::string_view parola) const
    {
        return m_token.tipo == Token::Tipo::Nome && testo::ugualeNoCase(m_token.testo, parola);
    }
    bool simbolo(std::string_view s) const { return m_token.tipo == Token::Tipo::Simbolo && m_token.testo == s; }

    bool accettaParola(std::string_view parola)
    {
        if (!parolaChiave(parola)) return false;
        leggiToken();
        return true;
    }
    bool accettaSimbolo(std::string_view s)
    {
        if (!simbolo(s)) return false;
        leggiToken();
        return true;
    }
    void richiediParola(std::string_view parola)
    {
        if (!accettaParola(parola)) errore("\"" + std::string(parola) + "\"");
    }
    void richiediSimbolo(std::string_view s)
    {
        if (!accettaSimbolo(s)) errore("\"" + std::string(s) + "\"");
    }

    // A field or table name, plain or [bracketed]; reserved words only bracketed.
    std::string nome(const std::string &cosa)
    {
        if (m_token.tipo == Token::Tipo::NomeTraParentesi || (m_token.tipo == Token::Tipo::Nome && !riservata(m_token.testo))) {
            std::string r = m_token.testo;
            leggiToken();
            return r;
        }
        errore(cosa);
    }

    std::string testoTraApici(const std::string &cosa)
    {
        if (m_token.tipo != Token::Tipo::Testo) errore(cosa);
        std::string r = m_token.testo;
        leggiToken();
        return r;
    }

    void fine()
    {
        accettaSimbolo(";");
        if (m_token.tipo != Token::Tipo::Fine) errore("la fine del testo");
    }

    std::unique_ptr<Nodo> espressione()
    {
        Livello livello(*this);
        return oppure();
    }

    std::shared_ptr<Query> select()
    {
        auto q = std::make_shared<Query>();
        richiediParola("Select");
        if (accettaSimbolo("*"))
            q->campo = "*";
        else
            q->campo = nome("\"*\" o un nome di campo");
        richiediParola("From");
        q->tabella = nome("un nome di tabella");
        if (accettaParola("In")) {
            q->file = testoTraApici("il nome di un archivio tra apici");
            q->haFile = true;
        }
        if (accettaParola("Where")) q->where = espressione();
        if (accettaParola("Order")) {
            richiediParola("By");
            do {
                ChiaveOrdine k;
                k.campo = nome("un nome di campo");
                if (accettaParola("Desc"))
                    k.discendente = true;
                else
                    accettaParola("Asc");
                q->ordine.push_back(std::move(k));
            } while (accettaSimbolo(","));
        }
        return q;
    }

private:
    static bool riservata(std::string_view s)
    {
        static constexpr std::string_view parole[] = {"select", "from", "where", "order", "by", "and", "or", "not",
                                                      "in", "is", "null", "asc", "desc"};
        for (auto p : parole)
            if (testo::ugualeNoCase(s, p)) return true;
        return false;
    }

    // A node over its children: one level above the deepest of them.
    std::unique_ptr<Nodo> sopra(std::unique_ptr<Nodo> n, int altezzaFigli)
    {
        for (const auto &f : n->figli) altezzaFigli = std::max(altezzaFigli, f->altezza);
        n->altezza = altezzaFigli + 1;
        if (n->altezza > ProfonditaMassima) erroreProfondita();
        return n;
    }

    std::unique_ptr<Nodo> binario(Nodo::Tipo tipo, std::unique_ptr<Nodo> a, std::unique_ptr<Nodo> b)
    {
        auto n = std::make_unique<Nodo>();
        n->tipo = tipo;
        n->figli.push_back(std::move(a));
        n->figli.push_back(std::move(b));
        return sopra(std::move(n), 0);
    }

    std::unique_ptr<Nodo> oppure()
    {
        auto a = eAnche();
        while (accettaParola("Or")) a = binario(Nodo::Tipo::Or, std::move(a), eAnche());
        return a;
    }

    std::unique_ptr<Nodo> eAnche()
    {
        auto a = negazione();
        while (accettaParola("And")) a = binario(Nodo::Tipo::And, std::move(a), negazione());
        return a;
    }

    std::unique_ptr<Nodo> nega(std::unique_ptr<Nodo> x)
    {
        auto n = std::make_unique<Nodo>();
        n->tipo = Nodo::Tipo::Not;
        n->figli.push_back(std::move(x));
        return sopra(std::move(n), 0);
    }

    std::unique_ptr<Nodo> negazione()
    {
        if (accettaParola("Not")) {
            Livello livello(*this);
            return nega(negazione());
        }
        return predicato();
    }

    std::unique_ptr<Nodo> predicato()
    {
        if (accettaSimbolo("(")) {
            auto e = espressione();
            richiediSimbolo(")");
            return e;
        }
        auto a = operando();
        static constexpr std::pair<std::string_view, Operatore> operatori[] = {
            {"=", Operatore::Uguale},       {"<>", Operatore::Diverso},         {"<", Operatore::Minore},
            {"<=", Operatore::MinoreUguale}, {">", Operatore::Maggiore}, {">=", Operatore::MaggioreUguale},
        };
        for (auto [s, op] : operatori) {
            if (accettaSimbolo(s)) {
                auto n = binario(Nodo::Tipo::Confronto, std::move(a), operando());
                n->op = op;
                return n;
            }
        }
        if (accettaParola("Is")) {
            const bool no = accettaParola("Not");
            richiediParola("Null");
            auto n = std::make_unique<Nodo>();
            n->tipo = Nodo::Tipo::ENullo;
            n->figli.push_back(std::move(a));
            n = sopra(std::move(n), 0);
            return no ? nega(std::move(n)) : std::move(n);
        }
        const bool no = accettaParola("Not");
        if (accettaParola("In")) {
            auto n = std::make_unique<Nodo>();
            n->figli.push_back(std::move(a));
            richiediSimbolo("(");
            int altezzaSotto = 0;
            if (parolaChiave("Select")) {
                Livello livello(*this);
                n->tipo = Nodo::Tipo::InSelect;
                auto q = select();
                if (q->campo == "*") errore("un solo campo nella selezione interna");
                if (q->where) altezzaSotto = q->where->altezza;
                n->sottoQuery = std::move(q);
            } else {
                n->tipo = Nodo::Tipo::InLista;
                do n->figli.push_back(letterale()); while (accettaSimbolo(","));
            }
            richiediSimbolo(")");
            n = sopra(std::move(n), altezzaSotto);
            return no ? nega(std::move(n)) : std::move(n);
        }
        errore(no ? "\"In\"" : "un operatore di confronto");
    }

    std::unique_ptr<Nodo> letterale()
    {
        auto n = std::make_unique<Nodo>();
        n->tipo = Nodo::Tipo::Letterale;
        if (m_token.tipo == Token::Tipo::Testo) {
            n->valore = Valore::testo(m_token.testo);
            leggiToken();
            return n;
        }
        bool negativo = false;
        if (simbolo("-") || simbolo("+")) {
            negativo = simbolo("-");
            leggiToken();
            if (m_token.tipo != Token::Tipo::Numero) errore("un numero");
        }
        if (m_token.tipo != Token::Tipo::Numero) errore("un valore");
        const std::string cifre = (negativo ? "-" : "") + m_token.testo;
        if (cifre.find('.') == std::string::npos) {
            std::int64_t v = 0;
            auto [p, ec] = std::from_chars(cifre.data(), cifre.data() + cifre.size(), v);
            if (ec == std::errc() && p == cifre.data() + cifre.size())
                n->valore = Valore::intero(v);
        }
        if (n->valore.nullo()) {
            // Decimals are exact as currency when they have at most four places;
            // anything else (more places, out of range) as a double.
            const auto punto = cifre.find('.');
            const std::size_t decimali = punto == std::string::npos ? 0 : cifre.size() - punto - 1;
            auto v = decimali <= 4 ? Valuta::daTesto(cifre) : std::nullopt;
            if (v) {
                n->valore = Valore::valuta(*v);
            } else {
                double d = 0;
                auto [p, ec] = std::from_chars(cifre.data(), cifre.data() + cifre.size(), d);
                if (ec != std::errc()) errore("un numero valido");
                n->valore = Valore::reale(d);
            }
        }
        leggiToken();
        return n;
    }

    std::unique_ptr<Nodo> operando()
    {
        if (parolaChiave("Left")) {
            // Left( is the function; a field called Left is written [Left].
            Livello livello(*this);
            leggiToken();
            richiediSimbolo("(");
            auto n = std::make_unique<Nodo>();
            n->tipo = Nodo::Tipo::Left;
            n->figli.push_back(operando());
            richiediSimbolo(",");
            if (m_token.tipo != Token::Tipo::Numero || m_token.testo.find('.') != std::string::npos) errore("un numero intero");
            auto [p, ec] = std::from_chars(m_token.testo.data(), m_token.testo.data() + m_token.testo.size(), n->n);
            if (ec != std::errc()) errore("un numero intero");
            leggiToken();
            richiediSimbolo(")");
            return sopra(std::move(n), 0);
        }
        if (m_token.tipo == Token::Tipo::Nome || m_token.tipo == Token::Tipo::NomeTraParentesi) {
            if (m_token.tipo == Token::Tipo::Nome && testo::ugualeNoCase(m_token.testo, "Null")) {
                leggiToken();
                return std::make_unique<Nodo>();   // a null literal
            }
            auto n = std::make_unique<Nodo>();
            n->tipo = Nodo::Tipo::Campo;
            n->nome = nome("un nome di campo");
            return n;
        }
        return letterale();
    }

    // The next token from m_pos: blanks skipped, then by its first character
    // a quoted text, a bracketed name, a number, a name or a symbol.
    void leggiToken()
    {
        const std::size_t i = saltaSpazi(m_pos);
        m_token = Token();
        m_token.posizione = i;
        if (i >= m_testo.size()) {
            m_pos = i;
            return;
        }
        const char c = m_testo[i];
        if (c == '\'' || c == '"')
            leggiTesto(i, c);
        else if (c == '[')
            leggiNomeTraParentesi(i);
        else if (cifra(c) || (c == '.' && i + 1 < m_testo.size() && cifra(m_testo[i + 1])))
            leggiNumero(i);
        else if (inizioNome(static_cast<unsigned char>(c)))
            leggiNome(i);
        else
            leggiSimbolo(i);
    }

    std::size_t saltaSpazi(std::size_t i) const
    {
        while (i < m_testo.size() && (m_testo[i] == ' ' || m_testo[i] == '\t' || m_testo[i] == '\r' || m_testo[i] == '\n')) ++i;
        return i;
    }

    // 'text' or "text", the quote doubled inside it.
    void leggiTesto(std::size_t i, char apice)
    {
        std::string s;
        std::size_t j = i + 1;
        for (;;) {
            if (j >= m_testo.size()) {
                m_pos = i;
                m_token.tipo = Token::Tipo::Simbolo;
                m_token.testo = std::string(1, apice);
                errore("un testo chiuso dall'apice");
            }
            if (m_testo[j] == apice) {
                if (j + 1 < m_testo.size() && m_testo[j + 1] == apice) {
                    s += apice;
                    j += 2;
                    continue;
                }
                ++j;
                break;
            }
            s += m_testo[j++];
        }
        m_token.tipo = Token::Tipo::Testo;
        m_token.testo = std::move(s);
        m_pos = j;
    }

    void leggiNomeTraParentesi(std::size_t i)
    {
        const auto chiusa = m_testo.find(']', i + 1);
        if (chiusa == std::string_view::npos || chiusa == i + 1) {
            m_token.tipo = Token::Tipo::Simbolo;
            m_token.testo = "[";
            errore("un nome chiuso da \"]\"");
        }
        m_token.tipo = Token::Tipo::NomeTraParentesi;
        m_token.testo = std::string(m_testo.substr(i + 1, chiusa - i - 1));
        m_pos = chiusa + 1;
    }

    // Digits with at most one '.'; a letter right after them is an error.
    void leggiNumero(std::size_t i)
    {
        std::size_t j = i;
        bool punto = false;
        while (j < m_testo.size() && (cifra(m_testo[j]) || (m_testo[j] == '.' && !punto))) {
            punto = punto || m_testo[j] == '.';
            ++j;
        }
        if (j < m_testo.size() && partenome(static_cast<unsigned char>(m_testo[j]))) {
            m_token.tipo = Token::Tipo::Simbolo;
            m_token.testo = std::string(m_testo.substr(i, j - i + 1));
            errore("un numero");
        }
        m_token.tipo = Token::Tipo::Numero;
        m_token.testo = std::string(m_testo.substr(i, j - i));
        m_pos = j;
    }

    void leggiNome(std::size_t i)
    {
        std::size_t j = i;
        while (j < m_testo.size() && partenome(static_cast<unsigned char>(m_testo[j]))) ++j;
        m_token.tipo = Token::Tipo::Nome;
        m_token.testo = std::string(m_testo.substr(i, j - i));
        m_pos = j;
    }

    // Operators of two characters first, then those of one.
    void leggiSimbolo(std::size_t i)
    {
        for (std::string_view s : {"<>", "<=", ">="}) {
            if (m_testo.substr(i, 2) == s) {
                m_token.tipo = Token::Tipo::Simbolo;
                m_token.testo = std::string(s);
                m_pos = i + 2;
                return;
            }
        }
        const char c = m_testo[i];
        m_token.tipo = Token::Tipo::Simbolo;
        m_token.testo = std::string(1, c);
        if (std::string_view("=<>(),;*-+").find(c) == std::string_view::npos) errore("un nome, un valore o un operatore");
        m_pos = i + 1;
    }

    std::string_view m_testo;
    std::size_t m_pos = 0;
    Token m_token;
    int m_annidamento = 0;   // levels the parser is inside (see Livello)
};

} // namespace

std::shared_ptr<const Query> analizzaQuery(std::string_view sql)
{
    Analizzatore a(sql);
    if (a.parolaChiave("Select")) {
        auto q = a.select();
        a.fine();
        return q;
    }
    // A bare table name (spaces allowed, as Jet allows them in names).
    auto t = testo::trim(sql);
    while (!t.empty() && (t.back() == ';' || t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') t = t.substr(1, t.size() - 2);
    if (t.empty() || t.find_first_of("'\"[]();=<>,") != std::string_view::npos) a.errore("un nome di tabella o un'istruzione Select");
    auto q = std::make_shared<Query>();
    q->tabella = std::string(t);
    return q;
}

std::shared_ptr<const Nodo> analizzaCriterio(std::string_view criterio)
{
    Analizzatore a(criterio);
    auto e = a.espressione();
    a.fine();
    return std::shared_ptr<const Nodo>(std::move(e));
}

const char *testoOperatore(Operatore op)
{
    switch (op) {
    case Operatore::Uguale: return "=";
    case Operatore::Diverso: return "<>";
    case Operatore::Minore: return "<";
    case Operatore::MinoreUguale: return "<=";
    case Operatore::Maggiore: return ">";
    case Operatore::MaggioreUguale: return ">=";
    }
    return "=";
}

std::string quotaCriterio(std::string_view valore)
{
    std::string q;
    q.reserve(valore.size() + 2);
    q += '\'';
    for (char c : valore) {
        q += c;
        if (c == '\'') q += '\'';
    }
    q += '\'';
    return q;
}

Operatore rovescia(Operatore op)
{
    switch (op) {
    case Operatore::Minore: return Operatore::Maggiore;
    case Operatore::MinoreUguale: return Operatore::MaggioreUguale;
    case Operatore::Maggiore: return Operatore::Minore;
    case Operatore::MaggioreUguale: return Operatore::MinoreUguale;
    default: return op;
    }
}

} // namespace pc::dati::dialetto
