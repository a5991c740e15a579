#pragma once

#include "ScrittoreSqlite.h"

#include <filesystem>
#include <string>

namespace pc::prova {

// A small hotel written as SQLite files in a fresh temporary folder, with the
// working directory moved there for the life of the object (queries name
// 'VociFattura.mdb' of the working directory).
class AlbergoProva {
public:
    AlbergoProva();
    ~AlbergoProva();
    AlbergoProva(const AlbergoProva &) = delete;
    AlbergoProva &operator=(const AlbergoProva &) = delete;

    const std::filesystem::path &cartella() const { return m_cartella; }
    std::string file(const std::string &nome) const { return (m_cartella / nome).string(); }

    // One table under the suite's columns.
    static pc::demo::TabellaDaScrivere tabella(const std::string &nome, std::vector<std::vector<pc::dati::Valore>> righe,
                                               const std::string &schema = {});

private:
    std::filesystem::path m_cartella;
    std::filesystem::path m_prima;
};

} // namespace pc::prova
