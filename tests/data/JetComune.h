#pragma once

#include "ErroreDati.h"
#include "Sorgente.h"
#include "SorgentiInterne.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace jettest {

inline std::filesystem::path datiCondivisi() { return std::filesystem::path(PC_SHARED_TESTDATA); }

// The shared test data may be absent: tests that need it skip.
#define RICHIEDE_DATI_CONDIVISI(sotto)                                                                 \
    do {                                                                                              \
        if (!std::filesystem::exists(jettest::datiCondivisi() / (sotto)))                             \
            GTEST_SKIP() << "dati di prova condivisi assenti: " << (jettest::datiCondivisi() / (sotto)); \
    } while (0)

// Column index by name, failing the test when it is missing.
inline std::size_t colonna(const pc::dati::Tabella &t, const std::string &nome)
{
    for (std::size_t i = 0; i < t.colonne.size(); ++i)
        if (t.colonne[i] == nome) return i;
    ADD_FAILURE() << "colonna " << nome << " assente in " << t.nome;
    return 0;
}

} // namespace jettest
