#pragma once

#include "ErroreDati.h"
#include "Sorgente.h"
#include "SorgentiInterne.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace pc::prova {

// The small fixtures of tests/dati.
inline std::filesystem::path datiProva() { return std::filesystem::path(PC_DATI_PROVA); }

// The large hotel lives outside the repository: tests that need it skip when it is absent.
inline std::filesystem::path albergoGrande() { return std::filesystem::path(PC_ALBERGO_GRANDE); }
#define RICHIEDE_ALBERGO_GRANDE()                                                                      \
    do {                                                                                              \
        if (!std::filesystem::exists(pc::prova::albergoGrande() / "sqlite"))                            \
            GTEST_SKIP() << "albergo grande di prova assente: " << pc::prova::albergoGrande();           \
    } while (0)

// Column index by name, failing the test when it is missing.
inline std::size_t colonna(const pc::dati::Tabella &t, const std::string &nome)
{
    for (std::size_t i = 0; i < t.colonne.size(); ++i)
        if (t.colonne[i] == nome) return i;
    ADD_FAILURE() << "colonna " << nome << " assente in " << t.nome;
    return 0;
}

// One cell of the Jet file against the same cell of the twin. Currency in
// Jet is REAL in SQLite: compared as amounts of four decimals.
inline ::testing::AssertionResult stessoValore(const pc::dati::Valore &jet, const pc::dati::Valore &sqlite)
{
    if (jet.nullo() || sqlite.nullo()) {
        if (jet.nullo() == sqlite.nullo()) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "NULL da una parte sola: Jet \"" << jet.inTesto() << "\" (nullo " << jet.nullo()
                                             << "), SQLite \"" << sqlite.inTesto() << "\" (nullo " << sqlite.nullo() << ")";
    }
    if (jet.tipo() == pc::dati::Valore::Tipo::Valuta || sqlite.tipo() == pc::dati::Valore::Tipo::Reale) {
        const auto a = jet.inValuta(), b = sqlite.inValuta();
        if (a && b && *a == *b) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "importi diversi: Jet " << jet.inTesto() << ", SQLite " << sqlite.inTesto();
    }
    if (jet.tipo() != sqlite.tipo())
        return ::testing::AssertionFailure() << "tipi diversi: Jet " << static_cast<int>(jet.tipo()) << " \"" << jet.inTesto()
                                             << "\", SQLite " << static_cast<int>(sqlite.tipo()) << " \"" << sqlite.inTesto() << "\"";
    if (jet == sqlite) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "Jet \"" << jet.inTesto() << "\", SQLite \"" << sqlite.inTesto() << "\"";
}

} // namespace pc::prova
