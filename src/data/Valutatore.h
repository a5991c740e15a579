#pragma once

#include "Dialetto.h"
#include "Sorgente.h"
#include "Valore.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// In-memory evaluation of the dialect, shared by every backend so that the
// same query gives the same records from any file kind.
namespace pc::dati {

// Three-valued logic: a comparison with a null is unknown, and only Vero selects.
enum class Logico : unsigned char { Falso, Vero, Ignoto };

// Comparison of two field values as the suite's engine compares them:
// nothing when either is null or when a text that is not a number meets a
// number; texts ignoring case; numbers exactly (whole, currency and reals).
std::optional<int> confrontaValori(const Valore &a, const Valore &b);

// Total order for Order by: nulls first, then numbers, then texts (ignoring
// case).
int confrontaPerOrdine(const Valore &a, const Valore &b);

// The first n characters of a text, counted as SQLite's substr counts them:
// a byte from 0xC0 up starts a character that takes every continuation byte
// (0x80-0xBF) after it, any other byte is a character alone. For valid UTF-8
// these are the code points.
std::string sinistra(std::string_view testo, int n);

// Values selected by a sub-select "In (Select f From T In 'file' Where ...)".
using Sottoselezione = std::function<std::vector<Valore>(const dialetto::Query &)>;

// Where clause or criterion bound to the columns of one table.
class Filtro {
public:
    // tabella and archivio name the source in the error raised for a missing field.
    Filtro(const dialetto::Nodo &radice, const std::vector<std::string> &colonne, const std::string &tabella,
           const std::string &archivio, const Sottoselezione &sottoselezione);

    // riga: the row's cells, one per column of the table the filter was built for.
    Logico valuta(const Valore *riga) const;
    Logico valuta(const std::vector<Valore> &riga) const { return valuta(riga.data()); }
    bool seleziona(const Valore *riga) const { return valuta(riga) == Logico::Vero; }
    bool seleziona(const std::vector<Valore> &riga) const { return seleziona(riga.data()); }

    // A conjunct "field = literal" every selected record must satisfy: lets a
    // search look only at the records that an index gives for that value.
    struct Ancora {
        int colonna;
        Valore valore;
    };
    const std::optional<Ancora> &ancora() const { return m_ancora; }

    struct Nodo;

private:
    std::shared_ptr<const Nodo> m_radice;
    std::optional<Ancora> m_ancora;
};

// Index of a column by name, ignoring case; -1 when absent.
int trovaColonna(const std::vector<std::string> &colonne, std::string_view nome);

// Field missing from a table: the error the user sees.
[[noreturn]] void erroreCampo(std::string_view campo, const std::string &tabella, const std::string &archivio);

// The key of an ASCII text for ordering: its first eight bytes, letters in
// lower case, left-aligned in 64 bits. Keys compare as confrontaPerOrdine
// compares such texts; for texts of at most eight bytes without NUL, equal
// keys mean texts equal but for case.
std::uint64_t prefissoAscii(const std::string &s);

// Stable ascending (or descending) order of the row positions by the keys
// (column, descending), compared with confrontaPerOrdine; ties keep the
// order the positions had.
void ordina(std::vector<std::uint32_t> &posizioni, const RigheTabella &righe, const std::vector<std::pair<int, bool>> &chiavi);

} // namespace pc::dati
