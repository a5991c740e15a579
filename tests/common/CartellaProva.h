#pragma once

// The tests' temporary folder: created empty, removed with everything in it when
// the object dies. As a working folder it is also the current directory while the
// object lives, with the report's environment (PCLocal, DIRKV) set; the previous
// directory and variables come back at the end.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QtGlobal>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

namespace pc::prova {

class CartellaProva {
public:
    // A working folder: PCLocal set to pcLocal (unset when null); with storico,
    // DIRKV names the folder's "storico" subfolder (the history databases).
    struct Lavoro {
        const char *pcLocal = nullptr;
        bool storico = false;
    };

    CartellaProva() { crea(); }

    explicit CartellaProva(const Lavoro &lavoro) : m_lavoro(true), m_pcLocal(lavoro.pcLocal ? lavoro.pcLocal : "")
    {
        crea();
        m_precedente = std::filesystem::current_path();
        m_variabili = {salva("PCLocal"), salva("DIRKV")};
        if (lavoro.pcLocal) qputenv("PCLocal", lavoro.pcLocal);
        else qunsetenv("PCLocal");
        if (lavoro.storico) qputenv("DIRKV", QByteArray::fromStdString(file("storico")));
        std::filesystem::current_path(m_radice);
    }

    ~CartellaProva()
    {
        std::error_code ec;
        if (m_lavoro) {
            std::filesystem::current_path(m_precedente, ec);
            for (const auto &[nome, valore] : m_variabili) {
                if (valore) qputenv(nome, QByteArray::fromStdString(*valore));
                else qunsetenv(nome);
            }
        }
        std::filesystem::remove_all(m_radice, ec);
    }

    CartellaProva(const CartellaProva &) = delete;
    CartellaProva &operator=(const CartellaProva &) = delete;

    const std::filesystem::path &radice() const { return m_radice; }
    // The folder, or a name inside it, as Qt text.
    QString percorso() const { return QString::fromStdString(m_radice.string()); }
    QString percorso(const QString &nome) const { return percorso() + QLatin1Char('/') + nome; }
    std::string file(const std::string &nome) const { return (m_radice / nome).string(); }

    // The bytes of a file in the folder (empty when it is missing).
    std::string leggi(const std::string &nome) const
    {
        std::ifstream f(m_radice / nome, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    // The report file of a working folder ("fd" followed by its PCLocal).
    std::string report() const { return leggi("fd" + m_pcLocal); }

    // The names in the folder, subfolders included.
    std::set<std::string> elenco() const
    {
        std::set<std::string> nomi;
        for (const auto &e : std::filesystem::directory_iterator(m_radice)) nomi.insert(e.path().filename().string());
        return nomi;
    }

private:
    void crea()
    {
        std::string modello = (std::filesystem::temp_directory_path() / "pc-prova-XXXXXX").string();
        if (!mkdtemp(modello.data())) throw std::runtime_error("cartella temporanea non creata: " + modello);
        m_radice = modello;
    }
    static std::pair<const char *, std::optional<std::string>> salva(const char *nome)
    {
        const char *v = std::getenv(nome);
        return {nome, v ? std::optional<std::string>(v) : std::nullopt};
    }

    std::filesystem::path m_radice;
    bool m_lavoro = false;
    std::string m_pcLocal;
    std::filesystem::path m_precedente;
    std::array<std::pair<const char *, std::optional<std::string>>, 2> m_variabili{};
};

} // namespace pc::prova
