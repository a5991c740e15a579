#include "Sorgente.h"

#include "ErroreDati.h"
#include "ScritturaFile.h"
#include "SorgentiInterne.h"
#include "Calendario.h"
#include "Testo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace pc::dati {

namespace {
constexpr std::size_t PaginaGrande = std::size_t{2} << 20;
}

void *allocaCelle(std::size_t byte)
{
    if (byte < PaginaGrande) return ::operator new(byte);
    const std::size_t intero = (byte + PaginaGrande - 1) / PaginaGrande * PaginaGrande;
    void *p = std::aligned_alloc(PaginaGrande, intero);
    if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, intero, MADV_HUGEPAGE);   // only advice: ignored where huge pages are off
#endif
    return p;
}

void liberaCelle(void *p, std::size_t byte) noexcept
{
    if (byte < PaginaGrande)
        ::operator delete(p);
    else
        std::free(p);
}

bool campoCifra(std::string_view nome)
{
    return testo::ugualeNoCase(nome, "Importo") || testo::ugualeNoCase(nome, "ImportoTotale")
           || testo::ugualeNoCase(nome, "Quantit\xC3\xA0" "Camere");
}

std::string binarioInCampoCifra(const unsigned char *p, std::size_t n)
{
    static const char cifre[] = "0123456789ABCDEF";
    std::string s = "0x";
    s.reserve(2 + n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        s += cifre[p[i] >> 4];
        s += cifre[p[i] & 0x0f];
    }
    return s;
}

bool campoData(std::string_view tabella, std::string_view nome)
{
    bool datata = false;
    for (const char *t : {"Scheda_Cliente", "Camere_Prenotazione", "Conto_Cliente", "Arrangiamento"})
        datata = datata || testo::ugualeNoCase(tabella, t);
    if (!datata) return false;
    for (const char *c : {"DataArrivo", "DataPartenza", "DataPartenzaReale", "DataAddebito", "DataInizio", "DataFine"})
        if (testo::ugualeNoCase(nome, c)) return true;
    return false;
}

bool dataValida(const Valore &v)
{
    if (v.nullo()) return true;
    if (!v.eTesto()) return false;
    const std::string &t = v.comeTesto();
    if (t.find_first_not_of(" \t") == std::string::npos) return true;
    if (t.size() != 8) return false;
    for (char c : t)
        if (c < '0' || c > '9') return false;
    // Read in place: every record of a period's tables passes here.
    auto cifre = [&](std::size_t da, std::size_t quante) {
        int n = 0;
        for (std::size_t i = da; i < da + quante; ++i) n = n * 10 + (t[i] - '0');
        return n;
    };
    const long anno = cifre(0, 4);
    const int mese = cifre(4, 2), giorno = cifre(6, 2);
    return anno >= 1 && mese >= 1 && mese <= 12 && giorno >= 1 && giorno <= calendario::giorniNelMese(anno, mese);
}

VerificaDate::VerificaDate(const std::vector<std::string> &colonne, std::string archivio, std::string tabella)
    : m_colonne(colonne), m_archivio(std::move(archivio)), m_tabella(std::move(tabella))
{
    for (std::size_t c = 0; c < colonne.size(); ++c) {
        if (campoData(m_tabella, colonne[c])) m_date.push_back(c);
        if (testo::ugualeNoCase(colonne[c], "NumeroCamera")) m_camera = static_cast<int>(c);
    }
}

void VerificaDate::verifica(const Valore *riga) const
{
    for (std::size_t c : m_date) {
        if (dataValida(riga[c])) continue;
        auto mostra = [](const Valore &v) {
            if (!v.eTesto()) return v.inTesto() + (v.tipo() == Valore::Tipo::Reale || v.tipo() == Valore::Tipo::Intero ? " (un numero)" : "");
            std::string r = "\"";
            for (unsigned char ch : v.comeTesto().substr(0, 40)) {
                if (ch < 0x20 || ch == 0x7F) {
                    static const char esa[] = "0123456789ABCDEF";
                    r += "\\x";
                    r += esa[ch >> 4];
                    r += esa[ch & 15];
                } else {
                    r += static_cast<char>(ch);
                }
            }
            return r + (v.comeTesto().size() > 40 ? "\xE2\x80\xA6\"" : "\"");
        };
        const std::string stanza = m_camera < 0 || riga[m_camera].nullo() ? std::string("non indicata")
                                                                          : mostra(Valore::testo(riga[m_camera].inTesto()));
        throw ErroreDati("Nel campo \"" + m_colonne[c] + "\" della tabella \"" + m_tabella + "\" dell'archivio \"" + m_archivio
                         + "\" il valore " + mostra(riga[c]) + " non \xC3\xA8 una data (record della camera " + stanza
                         + "). Le date sono testi di otto cifre aaaammgg, come 20240301.");
    }
}

void verificaDate(const Tabella &t, const std::string &archivio, const std::string &tabella)
{
    const VerificaDate verifica(t.colonne, archivio, tabella);
    if (!verifica.serve()) return;
    for (std::size_t i = 0; i < t.righe.size(); ++i) verifica.verifica(t.righe[i].data());
}

TipoArchivio tipoArchivio(const char *testa, std::size_t letti)
{
    if (letti >= 16 && std::memcmp(testa, "SQLite format 3", 16) == 0) return TipoArchivio::Sqlite;
    // Jet 3/4 (and ACE) files carry their engine's name at offset 4.
    if (letti >= 19 && (std::memcmp(testa + 4, "Standard Jet DB", 15) == 0 || std::memcmp(testa + 4, "Standard ACE DB", 15) == 0))
        return TipoArchivio::Jet;
    return TipoArchivio::Nessuno;
}

TipoArchivio riconosciArchivio(const std::string &percorso)
{
    std::ifstream f(percorso, std::ios::binary);
    if (!f) return TipoArchivio::Nessuno;
    char testa[32] = {};
    f.read(testa, sizeof testa);
    return tipoArchivio(testa, static_cast<std::size_t>(f.gcount()));
}

std::unique_ptr<Sorgente> apriSorgente(const std::string &percorso)
{
    // Non-blocking: a FIFO put in the file's place meanwhile must not hang the run.
    const int fd = ::open(percorso.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int numero = errno;
        throw ErroreDati("Archivio \"" + percorso + "\" " +
                         (numero == ENOENT ? std::string("non trovato.") : "non leggibile: " + causaSistema(numero) + "."));
    }
    struct stat st {};
    char testa[32] = {};
    ssize_t letti = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        letti = ::pread(fd, testa, sizeof testa, 0);
        if (letti < 0) {
            const int numero = errno;
            ::close(fd);
            throw ErroreDati("Archivio \"" + percorso + "\" non leggibile: " + causaSistema(numero) + ".");
        }
    } else {
        ::close(fd);
        throw ErroreDati("\"" + percorso + "\" non \xC3\xA8 un archivio ma " +
                         (S_ISDIR(st.st_mode) ? std::string("una cartella") : std::string("un file speciale")) + " (non un file regolare).");
    }
    ::close(fd);
    const TipoArchivio tipo = tipoArchivio(testa, static_cast<std::size_t>(letti));
    if (tipo == TipoArchivio::Sqlite) return apriSorgenteSqlite(percorso);
    if (tipo == TipoArchivio::Jet) return apriSorgenteJet(percorso);
    throw ErroreDati("Il file \"" + percorso + "\" non \xC3\xA8 un archivio riconosciuto (n\xC3\xA9 SQLite n\xC3\xA9 Jet/Access).");
}

} // namespace pc::dati
