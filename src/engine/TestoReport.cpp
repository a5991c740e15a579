#include "TestoReport.h"

#include "Testo.h"

using pc::dati::Valuta;

namespace pc {

namespace {

void aggiungiSinistra(std::string &linea, std::string_view testo, int larghezza)
{
    linea += testo;
    if (static_cast<int>(testo.size()) < larghezza) linea.append(static_cast<std::size_t>(larghezza) - testo.size(), ' ');
}

void aggiungiDestra(std::string &linea, std::string_view testo, int larghezza)
{
    if (static_cast<int>(testo.size()) < larghezza) linea.append(static_cast<std::size_t>(larghezza) - testo.size(), ' ');
    linea += testo;
}

constexpr char Verticale = '\xB3';

} // namespace

std::string TestoReport::titolo(const RichiestaReport &r)
{
    std::string t = "STAMPA ";
    t += r.tipo == TipoReport::Vendite ? "VENDITE PER " : "PRODUZIONE PER ";
    switch (r.raggruppamento) {
    case Raggruppamento::NumeriCamere: t += "NUMERO CAMERA DAL "; break;
    case Raggruppamento::TipiCamere: t += "TIPO CAMERA DAL "; break;
    case Raggruppamento::MacroCategorie: t += "MACRO CATEGORIA DAL "; break;
    case Raggruppamento::Strutture: t += "STRUTTURA DAL "; break;
    }
    t += dati::testo::utf8InCp1252(r.dalla) + " AL " + dati::testo::utf8InCp1252(r.alla);
    return t;
}

std::string TestoReport::bordo(char inizio, char giunto, char fine) const
{
    std::string linea(1, inizio);
    for (std::size_t k = 0; k < m_larghezze.size(); ++k) {
        if (k > 0) linea += giunto;
        linea.append(static_cast<std::size_t>(m_larghezze[k]), '\xC4');
    }
    linea += fine;
    return linea;
}

std::string TestoReport::intestazione(const std::vector<std::string> &chiavi) const
{
    std::string linea(1, Verticale);
    aggiungiSinistra(linea, "   DATA   ", m_larghezze[0]);
    linea += Verticale;
    for (std::size_t k = 0; k < chiavi.size(); ++k) {
        aggiungiSinistra(linea, chiavi[k], m_larghezze[k + 1]);
        linea += Verticale;
    }
    return linea;
}

std::string TestoReport::riga(std::string_view prima, const std::vector<std::string> &cifre) const
{
    std::string linea(1, Verticale);
    aggiungiSinistra(linea, prima, m_larghezze[0]);
    linea += Verticale;
    for (std::size_t k = 0; k < cifre.size(); ++k) {
        aggiungiDestra(linea, cifre[k], m_larghezze[k + 1]);
        linea += Verticale;
    }
    return linea;
}

void TestoReport::aggiungiRiga(std::string &out, std::string_view prima, const Valuta *cifre, int decimali, char separatore) const
{
    out += Verticale;
    aggiungiSinistra(out, prima, m_larghezze[0]);
    out += Verticale;
    char buffer[32];
    for (std::size_t k = 1; k < m_larghezze.size(); ++k) {
        const int lunghezza = cifre[k - 1].scrivi(buffer, decimali, separatore);
        if (lunghezza < m_larghezze[k]) out.append(static_cast<std::size_t>(m_larghezze[k] - lunghezza), ' ');
        out.append(buffer, static_cast<std::size_t>(lunghezza));
        out += Verticale;
    }
    out += "\r\n";
}

std::string reportPerTerminale(std::string_view contenuto)
{
    std::string uscita;
    uscita.reserve(contenuto.size() * 2);
    std::string altro;
    auto svuota = [&] {
        if (!altro.empty()) {
            uscita += dati::testo::cp1252InUtf8(altro);
            altro.clear();
        }
    };
    for (std::size_t i = 0; i < contenuto.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(contenuto[i]);
        const char *linea = nullptr;
        switch (c) {
        case 196: linea = "\u2500"; break;
        case 179: linea = "\u2502"; break;
        case 218: linea = "\u250C"; break;
        case 194: linea = "\u252C"; break;
        case 191: linea = "\u2510"; break;
        case 195: linea = "\u251C"; break;
        case 197: linea = "\u253C"; break;
        case 180: linea = "\u2524"; break;
        case 192: linea = "\u2514"; break;
        case 193: linea = "\u2534"; break;
        case 217: linea = "\u2518"; break;
        case '\r':
            if (i + 1 < contenuto.size() && contenuto[i + 1] == '\n') continue;
            break;
        default: break;
        }
        if (linea) {
            svuota();
            uscita += linea;
        } else {
            altro += static_cast<char>(c);
        }
    }
    svuota();
    return uscita;
}

} // namespace pc
