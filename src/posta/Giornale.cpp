#include "Giornale.h"

#include "ErroreDati.h"
#include "ScritturaFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using pc::dati::ErroreDati;
using pc::dati::causaFile;
using pc::dati::causaSistema;
using pc::dati::scriviFileAtomico;

namespace pc::posta {

namespace {

std::vector<std::string> campi(const std::string &riga)
{
    std::vector<std::string> r(1);
    for (char c : riga) {
        if (c == '\t') r.emplace_back();
        else if (c != '\r') r.back() += c;
    }
    return r;
}

std::string senzaTab(std::string t)
{
    std::replace(t.begin(), t.end(), '\t', ' ');
    std::replace(t.begin(), t.end(), '\n', ' ');
    return t;
}

std::optional<Giorno> daAaaammgg(const std::string &t)
{
    if (t.size() != 8 || t.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return Giorno::seValido(std::stoi(t.substr(0, 4)), std::stoi(t.substr(4, 2)), std::stoi(t.substr(6, 2)));
}

} // namespace

std::string cartellaStato()
{
    const char *stato = std::getenv("XDG_STATE_HOME");
    if (stato && *stato == '/') return std::string(stato) + "/produzione-camere";
    const char *casa = std::getenv("HOME");
    return std::string(casa && *casa ? casa : QDir::homePath().toStdString().c_str()) + "/.local/state/produzione-camere";
}

std::string chiaveInvio(const Configurazione &c)
{
    auto d = c.destinatari;
    for (auto &x : d) std::transform(x.begin(), x.end(), x.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    std::sort(d.begin(), d.end());
    d.erase(std::unique(d.begin(), d.end()), d.end());
    std::string k = senzaTab(c.nome) + " ->";
    for (const auto &x : d) k += " " + x;
    return k;
}

Giornale::Giornale(std::string cartella) : m_cartella(std::move(cartella)), m_percorso(m_cartella + "/invii.txt") { leggi(); }

void Giornale::leggi()
{
    QFile f(QFile::decodeName(QByteArray::fromStdString(m_percorso)));
    if (!f.exists()) return;
    if (!f.open(QIODevice::ReadOnly))
        throw ErroreDati("impossibile leggere il registro degli invii \"" + m_percorso + "\": " + causaFile(f, errno));
    const std::string testo = f.readAll().toStdString();
    std::size_t inizio = 0;
    while (inizio < testo.size()) {
        auto fine = testo.find('\n', inizio);
        if (fine == std::string::npos) fine = testo.size();
        const auto c = campi(testo.substr(inizio, fine - inizio));
        inizio = fine + 1;
        if (c.size() < 3 || c[0].empty() || c[0][0] == '#') continue;
        const auto g = daAaaammgg(c[0]);
        if (!g) continue;
        m_voci.push_back({*g, c[1], c[2], c.size() > 3 ? c[3] : std::string()});
    }
}

std::optional<VoceGiornale> Giornale::inviato(Giorno g, const std::string &chiave) const
{
    for (auto it = m_voci.rbegin(); it != m_voci.rend(); ++it)
        if (it->giorno == g && it->chiave == chiave) return *it;
    return std::nullopt;
}

std::optional<Giorno> Giornale::ultimoInviato(const std::string &chiave) const
{
    std::optional<Giorno> r;
    for (const auto &v : m_voci)
        if (v.chiave == chiave && (!r || v.giorno > *r)) r = v.giorno;
    return r;
}

void Giornale::registra(Giorno g, const std::string &chiave, const std::string &idMessaggio)
{
    if (!QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(m_cartella))))
        throw ErroreDati("impossibile creare la cartella del registro degli invii \"" + m_cartella + "\".");
    VoceGiornale v{g, senzaTab(chiave), senzaTab(idMessaggio), QDateTime::currentDateTime().toString(Qt::ISODate).toStdString()};
    std::string testo = "# produzione-camere invia: giorno inviato, albergo -> destinatari, Message-ID, ora dell'invio\n";
    m_voci.push_back(v);
    for (const auto &x : m_voci) testo += x.giorno.aaaammgg() + "\t" + x.chiave + "\t" + x.idMessaggio + "\t" + x.istante + "\n";
    try {
        scriviFileAtomico(m_percorso, testo, "il registro degli invii");
    } catch (...) {
        m_voci.pop_back();
        throw;
    }
}

BloccoGiornale::BloccoGiornale(const std::string &cartella, const std::function<void(const std::string &)> &attesa)
{
    if (!QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(cartella))))
        throw ErroreDati("impossibile creare la cartella del registro degli invii \"" + cartella + "\".");
    m_fd = ::open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) throw ErroreDati("impossibile aprire la cartella del registro degli invii \"" + cartella + "\": " + causaSistema(errno));
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) return;
    if (attesa) attesa("un altro invio \xC3\xA8 in corso (registro " + cartella + "): attendo che finisca.");
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const int e = errno;
        ::close(m_fd);
        throw ErroreDati("impossibile bloccare il registro degli invii \"" + cartella + "\": " + causaSistema(e));
    }
}

BloccoGiornale::~BloccoGiornale()
{
    if (m_fd >= 0) ::close(m_fd);
}

std::vector<Giorno> giorniDaInviare(std::optional<Giorno> ultimo, Giorno ieri)
{
    if (!ultimo) return {ieri};
    std::vector<Giorno> r;
    for (long s = std::max(ultimo->seriale + 1, ieri.seriale - 6); s <= ieri.seriale; ++s) r.push_back(Giorno{s});
    return r;
}

} // namespace pc::posta
