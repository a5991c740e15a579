#include "Testi.h"

#include <cstdio>

using pc::dati::Valuta;

namespace pc::ufficio {

namespace {

// Length of the valid UTF-8 sequence at s[i], 0 when it is not one.
std::size_t lunghezzaUtf8(std::string_view s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return 1;
    std::size_t n = 0;
    unsigned minimo = 0, v = 0;
    if ((c & 0xE0) == 0xC0) n = 2, minimo = 0x80, v = c & 0x1F;
    else if ((c & 0xF0) == 0xE0) n = 3, minimo = 0x800, v = c & 0x0F;
    else if ((c & 0xF8) == 0xF0) n = 4, minimo = 0x10000, v = c & 0x07;
    else return 0;
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) return 0;
        v = (v << 6) | (d & 0x3F);
    }
    if (v < minimo || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
    return n;
}

const char *const Sostituto = "\xEF\xBF\xBD";

bool testoValido(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = lunghezzaUtf8(s, i);
        if (n == 0 || static_cast<unsigned char>(s[i]) < 0x20 || s[i] == 0x7F) return false;
        i += n;
    }
    return true;
}

std::string conMigliaia(std::string t)
{
    const std::size_t inizio = t[0] == '-' ? 1 : 0;
    std::size_t fine = t.find(',');
    if (fine == std::string::npos) fine = t.size();
    for (std::size_t p = fine; p > inizio + 3; p -= 3) t.insert(p - 3, 1, '.');
    return t;
}

} // namespace

std::string html(std::string_view testo)
{
    std::string r;
    r.reserve(testo.size() + 16);
    for (std::size_t i = 0; i < testo.size();) {
        const std::size_t n = lunghezzaUtf8(testo, i);
        const char c = testo[i];
        if (n == 0) {
            r += Sostituto;
            ++i;
            continue;
        }
        switch (c) {
        case '&': r += "&amp;"; break;
        case '<': r += "&lt;"; break;
        case '>': r += "&gt;"; break;
        case '"': r += "&quot;"; break;
        case '\'': r += "&#39;"; break;
        default:
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') || c == 0x7F) r += Sostituto;
            else r.append(testo.substr(i, n));
        }
        i += n;
    }
    return r;
}

std::string json(std::string_view testo)
{
    std::string r = "\"";
    for (std::size_t i = 0; i < testo.size();) {
        const std::size_t n = lunghezzaUtf8(testo, i);
        const char c = testo[i];
        if (n == 0) {
            r += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') (r += '\\') += c;
        else if (c == '<') r += "\\u003c";   // never "</script>" in a page
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char b[8];
            std::snprintf(b, sizeof b, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            r += b;
        } else r.append(testo.substr(i, n));
        i += n;
    }
    return r + "\"";
}

std::string perUrl(std::string_view testo)
{
    std::string r;
    for (unsigned char c : testo) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~')
            r += static_cast<char>(c);
        else {
            char b[4];
            std::snprintf(b, sizeof b, "%%%02X", c);
            r += b;
        }
    }
    return r;
}

std::string cifra(const std::optional<Valuta> &v, int decimali)
{
    if (!v) return "\xE2\x80\x93";
    return conMigliaia(v->formatta(decimali, ','));
}

std::string numero(const std::optional<Valuta> &v, int decimali) { return v ? v->formatta(decimali, '.') : "null"; }

std::optional<std::string> Parametri::testo(const std::string &nome) const
{
    if (m_valori.count(nome) > 1) throw ParametroErrato{"Il parametro \"" + nome + "\" \xC3\xA8 indicato pi\xC3\xB9 volte."};
    auto it = m_valori.find(nome);
    if (it == m_valori.end() || it->second.empty()) return std::nullopt;
    if (it->second.size() > 1000 || !testoValido(it->second))
        throw ParametroErrato{"Il parametro \"" + nome + "\" contiene caratteri non ammessi."};
    return it->second;
}

std::optional<Giorno> Parametri::data(const std::string &nome) const
{
    const auto t = testo(nome);
    if (!t) return std::nullopt;
    bool forma = t->size() == 10 && (*t)[2] == '/' && (*t)[5] == '/';
    for (std::size_t i = 0; forma && i < 10; ++i)
        if (i != 2 && i != 5 && ((*t)[i] < '0' || (*t)[i] > '9')) forma = false;
    const auto g = forma ? Giorno::leggi(*t) : std::nullopt;
    if (!g || g->anno() < 1900)
        throw ParametroErrato{"Il parametro \"" + nome + "\" deve essere una data GG/MM/AAAA valida (dal 1900)."};
    return g;
}

std::optional<std::string> Parametri::scelta(const std::string &nome, const std::vector<std::string> &ammessi) const
{
    const auto t = testo(nome);
    if (!t) return std::nullopt;
    std::string elenco;
    for (const auto &a : ammessi) {
        if (*t == a) return t;
        elenco += (elenco.empty() ? "" : ", ") + a;
    }
    throw ParametroErrato{"Il parametro \"" + nome + "\" ammette soltanto: " + elenco + "."};
}

std::optional<std::string> Parametri::struttura(const std::string &nome) const
{
    const auto t = testo(nome);
    if (t && t->size() > 200) throw ParametroErrato{"Il nome della struttura \xC3\xA8 troppo lungo."};
    return t;
}

std::string Parametri::obbligatorio(const std::optional<std::string> &v, const std::string &nome) const
{
    if (!v) throw ParametroErrato{"Manca il parametro \"" + nome + "\"."};
    return *v;
}

Giorno Parametri::obbligatoria(const std::optional<Giorno> &v, const std::string &nome) const
{
    if (!v) throw ParametroErrato{"Manca il parametro \"" + nome + "\" (data GG/MM/AAAA)."};
    return *v;
}

std::optional<Periodo> periodo(const Parametri &p, long maxGiorni)
{
    const auto dal = p.data("dal"), al = p.data("al");
    if (!dal && !al) return std::nullopt;
    if (!dal || !al) throw ParametroErrato{"Indicare il periodo con entrambi i parametri \"dal\" e \"al\"."};
    if (*dal > *al)
        throw ParametroErrato{"La data iniziale " + dal->ggmmaaaa() + " \xC3\xA8 successiva alla data finale " + al->ggmmaaaa() + "."};
    if (al->seriale - dal->seriale + 1 > maxGiorni)
        throw ParametroErrato{"Il periodo \xC3\xA8 troppo lungo: al massimo " + std::to_string(maxGiorni) + " giorni."};
    return Periodo{*dal, *al};
}

std::string cookie(std::string_view intestazione, std::string_view nome)
{
    std::size_t i = 0;
    while (i < intestazione.size()) {
        std::size_t fine = intestazione.find(';', i);
        if (fine == std::string_view::npos) fine = intestazione.size();
        std::string_view parte = intestazione.substr(i, fine - i);
        while (!parte.empty() && parte.front() == ' ') parte.remove_prefix(1);
        const std::size_t uguale = parte.find('=');
        if (uguale != std::string_view::npos && parte.substr(0, uguale) == nome) return std::string(parte.substr(uguale + 1));
        i = fine + 1;
    }
    return {};
}

} // namespace pc::ufficio
