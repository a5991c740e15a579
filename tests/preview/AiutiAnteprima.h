#pragma once

// Helpers shared by the tests of the preview subsystem.

#include "CartellaProva.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace pc::prova {

inline void scriviByte(const std::string &file, const std::string &byte)
{
    QFile f(QString::fromStdString(file));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(byte.data(), static_cast<qint64>(byte.size()));
}

inline std::string leggiByte(const std::string &file)
{
    QFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::ReadOnly)) return "<assente>";
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

inline std::string conCrLf(const std::vector<std::string> &righe)
{
    std::string s;
    for (const auto &r : righe) s += r + "\r\n";
    return s;
}

// Box-drawing bytes of the report file.
inline std::string ripeti(const std::string &pezzo, int volte)
{
    std::string s;
    for (int i = 0; i < volte; ++i) s += pezzo;
    return s;
}
inline const std::string H10 = ripeti("\xC4", 10);
inline std::string bordo(const char *inizio, const char *giunto, const char *fine)
{
    return std::string(inizio) + H10 + giunto + H10 + giunto + H10 + fine;
}

// The two-day "Vendite" report of rooms 101 and 102, as the report writer
// makes it (Windows-1252 bytes, box drawing of the IBM PC set).
inline std::vector<std::string> reportDueGiorni()
{
    return {
        "STAMPA VENDITE PER NUMERO CAMERA DAL 01/03/2012 AL 02/03/2012",
        bordo("\xDA", "\xC2", "\xBF"),
        "\xB3   DATA   \xB3" "101       \xB3" "102       \xB3",
        bordo("\xC3", "\xC5", "\xB4"),
        "\xB3" "01/03/2012\xB3         1\xB3         0\xB3",
        "\xB3" "02/03/2012\xB3         1\xB3         1\xB3",
        bordo("\xC3", "\xC5", "\xB4"),
        "\xB3TOTALI    \xB3         2\xB3         1\xB3",
        bordo("\xC0", "\xC1", "\xD9"),
    };
}

} // namespace pc::prova
