#pragma once

#include "Valore.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The SQL dialect of the suite's database engine, as the report and the print
// menu write it: "Select * From T [In 'file'] [Where expr] [Order by a, b];",
// a bare table name, and criteria (a Where expression alone). Parsed once into
// a small tree that every backend evaluates the same way.
namespace pc::dati::dialetto {

struct Query;

enum class Operatore { Uguale, Diverso, Minore, MinoreUguale, Maggiore, MaggioreUguale };

struct Nodo {
    enum class Tipo {
        Campo,       // nome
        Letterale,   // valore (texts, whole numbers as Intero, decimals as Valuta)
        Left,        // Left(figli[0], n)
        Confronto,   // figli[0] op figli[1]
        And,         // figli[0] And figli[1]
        Or,          // figli[0] Or figli[1]
        Not,         // Not figli[0]
        InSelect,    // figli[0] In (sottoQuery)
        InLista,     // figli[0] In (figli[1], figli[2], ...) literals
        ENullo,      // figli[0] Is Null
    };
    Tipo tipo = Tipo::Letterale;
    std::string nome;
    Valore valore;
    Operatore op = Operatore::Uguale;
    int n = 0;
    std::vector<std::unique_ptr<Nodo>> figli;
    std::shared_ptr<const Query> sottoQuery;
    int altezza = 1;   // levels from this node down, sub-select included (a leaf: 1)
};

// Deepest tree, and deepest nesting of parentheses, Not, Left and sub-selects,
// that a text may give: And and Or chains count one level per link. Beyond
// it the text is refused with a clear error instead of exhausting the stack
// of the parser, of the evaluation or of the translation.
inline constexpr int ProfonditaMassima = 1000;

struct ChiaveOrdine {
    std::string campo;
    bool discendente = false;
};

struct Query {
    std::string campo = "*";          // "*" or the one field selected
    std::string tabella;
    std::string file;                 // In 'file' after the table; empty: same database
    bool haFile = false;
    std::unique_ptr<Nodo> where;      // null: every record
    std::vector<ChiaveOrdine> ordine; // empty: the table's own order
};

// A Select or a bare table name. Throws ErroreDati quoting the text and the
// position where it went wrong (also beyond ProfonditaMassima).
std::shared_ptr<const Query> analizzaQuery(std::string_view sql);

// A criterion: a Where expression alone ("NumeroHotel = 1").
std::shared_ptr<const Nodo> analizzaCriterio(std::string_view criterio);

// Puts a text between apostrophes for a criterion or a query, doubling the
// apostrophes inside it, so that no value can change the meaning of the text
// it goes into.
std::string quotaCriterio(std::string_view valore);

// The comparison as SQL writes it ("=", "<>", "<", "<=", ">", ">=").
const char *testoOperatore(Operatore op);

// Operator flipped for "literal op field" read as "field op' literal".
Operatore rovescia(Operatore op);

} // namespace pc::dati::dialetto
