#pragma once

// Texts of the office's web pages and API: escaping for HTML and JSON, figures
// in Italian, the query parameters read and checked. Nothing here touches the
// network or the archive.

#include "DateReport.h"
#include "Valuta.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::ufficio {

// Text for HTML content and attribute values: & < > " ' escaped; bytes that
// are not valid UTF-8 and control characters (but tab and new line) become
// U+FFFD, so nothing a property's name holds can close a tag or a quote.
std::string html(std::string_view testo);
// A JSON string literal, quotes included.
std::string json(std::string_view testo);
// A component of a URL's query (percent-encoded).
std::string perUrl(std::string_view testo);

// A figure for people: thousands with '.', decimals with ','; "–" when absent.
std::string cifra(const std::optional<dati::Valuta> &v, int decimali);
// A figure for programs (JSON numbers, sort keys): '.' decimal, no
// thousands; "null" when absent.
std::string numero(const std::optional<dati::Valuta> &v, int decimali);

// A request's parameter that cannot be used: its Italian reason.
struct ParametroErrato {
    std::string messaggio;
};

// The parameters of one request, read one at a time; each reader throws
// ParametroErrato naming the parameter and what it expects.
class Parametri {
public:
    explicit Parametri(std::multimap<std::string, std::string> valori) : m_valori(std::move(valori)) {}

    // Nothing when absent or empty. A parameter given twice is refused.
    std::optional<std::string> testo(const std::string &nome) const;
    // A day written exactly as GG/MM/AAAA.
    std::optional<Giorno> data(const std::string &nome) const;
    // One of the values given.
    std::optional<std::string> scelta(const std::string &nome, const std::vector<std::string> &ammessi) const;
    // A property's name: at most 200 bytes of valid UTF-8 without control characters.
    std::optional<std::string> struttura(const std::string &nome) const;

    std::string obbligatorio(const std::optional<std::string> &v, const std::string &nome) const;
    Giorno obbligatoria(const std::optional<Giorno> &v, const std::string &nome) const;

private:
    std::multimap<std::string, std::string> m_valori;
};

// The period dal..al of a request: both days or neither; dal not after al;
// at most maxGiorni days.
struct Periodo {
    Giorno dal, al;
};
std::optional<Periodo> periodo(const Parametri &p, long maxGiorni);

// The value of one cookie from a Cookie header ("a=1; b=2"); empty when absent.
std::string cookie(std::string_view intestazione, std::string_view nome);

} // namespace pc::ufficio
