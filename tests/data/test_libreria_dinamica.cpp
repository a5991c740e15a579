#include "ErroreDati.h"
#include "LibreriaDinamica.h"

#include <gtest/gtest.h>

#include <string>

using pc::dati::ErroreDati;

namespace pc::prova {

// A library opened when first needed: a missing library or function is an
// Italian message naming the file and the package, never an abort; a present
// one gives its functions.
TEST(LibreriaDinamica, FunzioneOppureMessaggioConIlPacchetto)
{
    struct Caso {
        const char *file, *funzione;
        const char *messaggio;   // null: the function is found
    } casi[] = {
        {"libsqlite3.so.0", "sqlite3_libversion_number", nullptr},
        {"libsqlite3.so.0", "funzione_che_non_esiste", "non offre la funzione funzione_che_non_esiste"},
        {"libnessuna-libreria.so.9", "qualsiasi", "(\"libnessuna-libreria.so.9\") non \xC3\xA8 installata"},
    };
    for (const auto &c : casi) {
        SCOPED_TRACE(std::string(c.file) + " " + c.funzione);
        dati::LibreriaDinamica l(c.file, "di prova", "pacchetto-di-prova");
        if (!c.messaggio) {
            auto versione = reinterpret_cast<int (*)()>(l.funzione(c.funzione));
            EXPECT_GT(versione(), 3000000);
            continue;
        }
        try {
            l.funzione(c.funzione);
            ADD_FAILURE() << "nessun errore";
        } catch (const ErroreDati &e) {
            const std::string m = e.what();
            EXPECT_NE(m.find(c.messaggio), std::string::npos) << m;
            EXPECT_NE(m.find("pacchetto-di-prova"), std::string::npos) << m;
        }
    }
}

} // namespace pc::prova
