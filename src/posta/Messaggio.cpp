#include "Messaggio.h"

#include <QRandomGenerator>

#include <ctime>

namespace pc::posta {

namespace {

bool soloAscii(const std::string &t)
{
    for (unsigned char c : t)
        if (c >= 0x80 || c == '\r' || c == '\n') return false;
    return true;
}

std::string casuale(int cifre)
{
    static const char esadecimali[] = "0123456789abcdef";
    std::string r;
    for (int i = 0; i < cifre; ++i) r += esadecimali[QRandomGenerator::global()->bounded(16)];
    return r;
}

std::string dataRfc5322(long long istante)
{
    const std::time_t t = static_cast<std::time_t>(istante);
    std::tm locale{};
    localtime_r(&t, &locale);
    static const char *giorni[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *mesi[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long scarto = locale.tm_gmtoff / 60;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", giorni[locale.tm_wday], locale.tm_mday,
                  mesi[locale.tm_mon], locale.tm_year + 1900, locale.tm_hour, locale.tm_min, locale.tm_sec, scarto < 0 ? '-' : '+',
                  (scarto < 0 ? -scarto : scarto) / 60, (scarto < 0 ? -scarto : scarto) % 60);
    return buffer;
}

// A file name parameter: plain when ASCII, else RFC 2231.
std::string parametroNome(const char *chiave, const std::string &nome)
{
    if (soloAscii(nome) && nome.find_first_of("\"\\") == std::string::npos) return std::string(chiave) + "=\"" + nome + "\"";
    std::string r = std::string(chiave) + "*=UTF-8''";
    static const char esadecimali[] = "0123456789ABCDEF";
    for (unsigned char c : nome) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_') r += static_cast<char>(c);
        else {
            r += '%';
            r += esadecimali[c >> 4];
            r += esadecimali[c & 15];
        }
    }
    return r;
}

std::string parte(const std::string &tipo, const std::string &contenuto, const std::string &altre = {})
{
    return "Content-Type: " + tipo + "\r\nContent-Transfer-Encoding: base64\r\n" + altre + "\r\n" + base64(contenuto, true);
}

} // namespace

std::string base64(const std::string &dati, bool aCapo)
{
    static const char alfabeto[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string r;
    r.reserve(dati.size() * 4 / 3 + dati.size() / 38 + 8);
    int colonna = 0;
    for (std::size_t i = 0; i < dati.size(); i += 3) {
        const unsigned a = static_cast<unsigned char>(dati[i]);
        const unsigned b = i + 1 < dati.size() ? static_cast<unsigned char>(dati[i + 1]) : 0;
        const unsigned c = i + 2 < dati.size() ? static_cast<unsigned char>(dati[i + 2]) : 0;
        const unsigned n = (a << 16) | (b << 8) | c;
        r += alfabeto[(n >> 18) & 63];
        r += alfabeto[(n >> 12) & 63];
        r += i + 1 < dati.size() ? alfabeto[(n >> 6) & 63] : '=';
        r += i + 2 < dati.size() ? alfabeto[n & 63] : '=';
        if (aCapo && (colonna += 4) == 76) {
            r += "\r\n";
            colonna = 0;
        }
    }
    if (aCapo && colonna) r += "\r\n";
    return r;
}

std::string intestazioneCodificata(const std::string &testo)
{
    if (soloAscii(testo)) return testo;
    // Encoded words of at most 75 characters, never splitting a UTF-8 sequence.
    std::string r, pezzo;
    auto chiudi = [&] {
        if (pezzo.empty()) return;
        if (!r.empty()) r += "\r\n ";
        r += "=?UTF-8?B?" + base64(pezzo, false) + "?=";
        pezzo.clear();
    };
    for (std::size_t i = 0; i < testo.size();) {
        std::size_t n = 1;
        const unsigned char c = static_cast<unsigned char>(testo[i]);
        if (c >= 0xF0) n = 4;
        else if (c >= 0xE0) n = 3;
        else if (c >= 0xC0) n = 2;
        if (pezzo.size() + n > 42) chiudi();
        pezzo += testo.substr(i, n);
        i += n;
    }
    chiudi();
    return r;
}

std::string nuovoIdMessaggio(const std::string &mittente)
{
    const auto chiocciola = mittente.find('@');
    const std::string dominio = chiocciola == std::string::npos ? "localhost" : mittente.substr(chiocciola + 1);
    return "<produzione-camere." + std::to_string(static_cast<long long>(std::time(nullptr))) + "." + casuale(16) + "@" + dominio + ">";
}

std::string componiMessaggio(Messaggio &m)
{
    if (m.idMessaggio.empty()) m.idMessaggio = nuovoIdMessaggio(m.mittente);
    const long long istante = m.istante ? m.istante : static_cast<long long>(std::time(nullptr));
    const std::string misto = "=_misto_" + casuale(24), alternativo = "=_alternativo_" + casuale(24);
    std::string destinatari;
    for (const auto &d : m.destinatari) destinatari += (destinatari.empty() ? "" : ",\r\n ") + d;
    std::string t;
    t += "Date: " + dataRfc5322(istante) + "\r\n";
    t += "From: " + m.mittente + "\r\n";
    t += "To: " + destinatari + "\r\n";
    t += "Subject: " + intestazioneCodificata(m.oggetto) + "\r\n";
    t += "Message-ID: " + m.idMessaggio + "\r\n";
    t += "MIME-Version: 1.0\r\n";
    t += "Auto-Submitted: auto-generated\r\n";
    t += "Content-Type: multipart/mixed; boundary=\"" + misto + "\"\r\n\r\n";
    t += "This is a MIME message.\r\n";
    t += "--" + misto + "\r\nContent-Type: multipart/alternative; boundary=\"" + alternativo + "\"\r\n\r\n";
    t += "--" + alternativo + "\r\n" + parte("text/plain; charset=utf-8", m.testo);
    t += "--" + alternativo + "\r\n" + parte("text/html; charset=utf-8", m.html);
    t += "--" + alternativo + "--\r\n";
    for (const auto &a : m.allegati)
        t += "--" + misto + "\r\n" +
             parte(a.tipo + "; " + parametroNome("name", a.nome), a.contenuto,
                   "Content-Disposition: attachment; " + parametroNome("filename", a.nome) + "\r\n");
    t += "--" + misto + "--\r\n";
    return t;
}

} // namespace pc::posta
