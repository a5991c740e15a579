#include "Testo.h"

#include <QString>

#include <array>

namespace pc::dati::testo {

namespace {

// Windows-1252 bytes 0x80..0x9F; the undefined ones keep their own code.
constexpr std::array<char16_t, 32> alti = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

bool ascii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

int confrontaNoCase(std::string_view a, std::string_view b)
{
    if (ascii(a) && ascii(b)) {
        const std::size_t n = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < n; ++i) {
            unsigned char x = minuscoloAscii(static_cast<unsigned char>(a[i]));
            unsigned char y = minuscoloAscii(static_cast<unsigned char>(b[i]));
            if (x != y) return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    int r = qs(a).compare(qs(b), Qt::CaseInsensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::string maiuscolo(std::string_view s)
{
    if (ascii(s)) {
        std::string r(s);
        for (char &c : r) c = static_cast<char>(maiuscoloAscii(static_cast<unsigned char>(c)));
        return r;
    }
    return qs(s).toUpper().toStdString();
}

std::string chiaveNoCase(std::string_view s)
{
    if (ascii(s)) {
        std::string r(s);
        for (char &c : r) c = static_cast<char>(minuscoloAscii(static_cast<unsigned char>(c)));
        return r;
    }
    return qs(s).toCaseFolded().toStdString();
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string utf8InCp1252(std::string_view utf8)
{
    if (ascii(utf8)) return std::string(utf8);
    const QString u = qs(utf8);
    std::string r;
    r.reserve(static_cast<std::size_t>(u.size()));
    for (qsizetype i = 0; i < u.size(); ++i) {
        char32_t c = u.at(i).unicode();
        if (u.at(i).isHighSurrogate() && i + 1 < u.size()) {
            r += '?';
            ++i;
            continue;
        }
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            r += static_cast<char>(c);
            continue;
        }
        char out = '?';
        for (std::size_t k = 0; k < alti.size(); ++k)
            if (alti[k] == c) { out = static_cast<char>(0x80 + k); break; }
        r += out;
    }
    return r;
}

std::string cp1252InUtf8(std::string_view cp1252)
{
    if (ascii(cp1252)) return std::string(cp1252);
    QString u;
    u.reserve(static_cast<qsizetype>(cp1252.size()));
    for (unsigned char c : cp1252) {
        if (c >= 0x80 && c < 0xA0)
            u += QChar(alti[c - 0x80]);
        else
            u += QChar(c);
    }
    return u.toStdString();
}

} // namespace pc::dati::testo
