#include "Configurazione.h"

#include "ErroreDati.h"
#include "ScritturaFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

using pc::dati::ErroreDati;
using pc::dati::causaFile;
using pc::dati::causaSistema;

namespace pc::posta {

namespace {

std::string pulisci(std::string t)
{
    const auto a = t.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    const auto b = t.find_last_not_of(" \t\r");
    return t.substr(a, b - a + 1);
}

std::string minuscolo(std::string t)
{
    for (char &c : t)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return t;
}

// The value after '=': a comment starts at ';' or '#' after a blank; a value
// in double quotes is taken as written.
std::string valoreRiga(const std::string &resto)
{
    std::string v = pulisci(resto);
    if (v.size() >= 2 && v.front() == '"') {
        const auto fine = v.find('"', 1);
        if (fine != std::string::npos) return v.substr(1, fine - 1);
    }
    for (std::size_t i = 0; i < v.size(); ++i)
        if ((v[i] == ';' || v[i] == '#') && (i == 0 || v[i - 1] == ' ' || v[i - 1] == '\t')) return pulisci(v.substr(0, i));
    return v;
}

std::string assoluto(const std::string &percorso, const std::string &cartellaBase)
{
    if (percorso.empty() || percorso.front() == '/') return percorso;
    return QDir(QString::fromStdString(cartellaBase)).absoluteFilePath(QString::fromStdString(percorso)).toStdString();
}

// A value as the reader above gets it back: in quotes when it holds a
// comment mark or blanks at its ends.
std::string valoreIni(const std::string &v)
{
    if (v.find_first_of(";#\"") == std::string::npos && v == pulisci(v)) return v;
    return "\"" + v + "\"";
}

} // namespace

std::vector<std::string> dividiIndirizzi(const std::string &elenco)
{
    std::vector<std::string> r;
    std::string parte;
    for (char c : elenco + ",") {
        if (c == ',' || c == ';') {
            if (auto p = pulisci(parte); !p.empty()) r.push_back(p);
            parte.clear();
        } else {
            parte += c;
        }
    }
    return r;
}

bool indirizzoValido(const std::string &a)
{
    const auto chiocciola = a.find('@');
    if (chiocciola == std::string::npos || chiocciola == 0 || chiocciola + 1 >= a.size()) return false;
    if (a.find('@', chiocciola + 1) != std::string::npos) return false;
    for (unsigned char c : a)
        if (c <= ' ' || c == '<' || c == '>' || c == ',' || c == ';' || c == '"' || c == '(' || c == ')' || c == 127) return false;
    return true;
}

const char *nomeSicurezza(Sicurezza s)
{
    switch (s) {
    case Sicurezza::StartTls: return "starttls";
    case Sicurezza::Tls: return "tls";
    case Sicurezza::Nessuna: break;
    }
    return "nessuna";
}

std::string urlServer(const Configurazione &c)
{
    return std::string(c.sicurezza == Sicurezza::Tls ? "smtps://" : "smtp://") + c.host + ":" + std::to_string(c.porta);
}

Configurazione configurazioneDaTesto(const std::string &testo, const std::string &nome)
{
    Configurazione c;
    std::string sezione;
    int numero = 0;
    auto errore = [&](const std::string &cosa) { throw ErroreDati("configurazione \"" + nome + "\", riga " + std::to_string(numero) + ": " + cosa); };
    bool destinatari = false;
    std::size_t inizio = 0;
    while (inizio <= testo.size()) {
        auto fine = testo.find('\n', inizio);
        if (fine == std::string::npos) fine = testo.size();
        std::string riga = pulisci(testo.substr(inizio, fine - inizio));
        inizio = fine + 1;
        ++numero;
        if (numero == 1 && riga.rfind("\xEF\xBB\xBF", 0) == 0) riga = riga.substr(3);
        if (riga.empty() || riga[0] == ';' || riga[0] == '#') continue;
        if (riga[0] == '[') {
            if (riga.back() != ']') errore("sezione senza \"]\".");
            sezione = minuscolo(pulisci(riga.substr(1, riga.size() - 2)));
            continue;
        }
        const auto uguale = riga.find('=');
        if (uguale == std::string::npos) errore("manca \"=\" (chiave = valore).");
        const std::string chiave = minuscolo(pulisci(riga.substr(0, uguale)));
        const std::string v = valoreRiga(riga.substr(uguale + 1));
        auto intero = [&](int minimo, int massimo) {
            char *resto = nullptr;
            errno = 0;
            const long n = std::strtol(v.c_str(), &resto, 10);
            if (v.empty() || *resto || errno || n < minimo || n > massimo)
                errore("\"" + chiave + "\" deve essere un numero da " + std::to_string(minimo) + " a " + std::to_string(massimo) + ".");
            return static_cast<int>(n);
        };
        if (sezione == "server") {
            if (chiave == "host") c.host = v;
            else if (chiave == "porta") c.porta = intero(1, 65535);
            else if (chiave == "sicurezza") {
                const std::string s = minuscolo(v);
                if (s == "starttls") c.sicurezza = Sicurezza::StartTls;
                else if (s == "tls" || s == "ssl") c.sicurezza = Sicurezza::Tls;
                else if (s == "nessuna") c.sicurezza = Sicurezza::Nessuna;
                else errore("sicurezza \"" + v + "\" sconosciuta: usare starttls, tls o nessuna.");
            } else if (chiave == "utente") c.utente = v;
            else if (chiave == "file_password") c.filePassword = v;
            else if (chiave == "certificato_ca") c.certificatoCa = v;
        } else if (sezione == "messaggio") {
            if (chiave == "mittente") c.mittente = v;
            else if (chiave == "destinatari") {
                c.destinatari = dividiIndirizzi(v);
                destinatari = true;
            } else if (chiave == "nome") c.nome = v;
        } else if (sezione == "albergo") {
            if (chiave == "cartella") c.cartella = v;
            else if (chiave == "pclocal") c.pclocal = v;
            else if (chiave == "dirkv") c.dirkv = v;
            else if (chiave == "archivio") c.archivio = v;
            else if (chiave == "struttura") c.struttura = v;
            else if (chiave == "raggruppamento") c.raggruppamento = minuscolo(v);
        } else if (sezione == "invio") {
            if (chiave == "tentativi") c.tentativi = intero(1, 20);
            else if (chiave == "pausa") {
                char *resto = nullptr;
                c.pausa = std::strtod(v.c_str(), &resto);
                if (v.empty() || *resto || !(c.pausa >= 0 && c.pausa <= 3600)) errore("\"pausa\" deve essere un numero di secondi da 0 a 3600.");
            }
        }
    }
    numero = 0;
    auto manca = [&](const std::string &cosa) { throw ErroreDati("configurazione \"" + nome + "\": " + cosa); };
    if (c.host.empty()) manca("manca \"host\" nella sezione [server].");
    if (c.mittente.empty()) manca("manca \"mittente\" nella sezione [messaggio].");
    if (!indirizzoValido(c.mittente)) manca("il mittente \"" + c.mittente + "\" non \xC3\xA8 un indirizzo valido.");
    if (!destinatari || c.destinatari.empty()) manca("manca \"destinatari\" nella sezione [messaggio].");
    for (const auto &d : c.destinatari)
        if (!indirizzoValido(d)) manca("il destinatario \"" + d + "\" non \xC3\xA8 un indirizzo valido.");
    if (c.raggruppamento != "camere" && c.raggruppamento != "tipi" && c.raggruppamento != "macro")
        manca("raggruppamento \"" + c.raggruppamento + "\" sconosciuto: usare camere, tipi o macro.");
    if (c.cartella.empty() && c.archivio.empty())
        manca("indicare nella sezione [albergo] la cartella dell'albergo (cartella) o l'archivio centrale (archivio e struttura).");
    if (!c.archivio.empty() && c.struttura.empty()) manca("con \"archivio\" indicare anche \"struttura\" nella sezione [albergo].");
    return c;
}

Configurazione leggiConfigurazione(const std::string &percorso)
{
    QFile f(QFile::decodeName(QByteArray::fromStdString(percorso)));
    if (!f.open(QIODevice::ReadOnly))
        throw ErroreDati("impossibile leggere la configurazione \"" + percorso + "\": " + causaFile(f, errno));
    const QByteArray dati = f.readAll();
    Configurazione c = configurazioneDaTesto(dati.toStdString(), percorso);
    const QFileInfo info(f.fileName());
    c.percorso = info.absoluteFilePath().toStdString();
    const std::string base = info.absolutePath().toStdString();
    c.filePassword = assoluto(c.filePassword, base);
    c.certificatoCa = assoluto(c.certificatoCa, base);
    c.cartella = assoluto(c.cartella, base);
    if (!c.dirkv.empty()) c.dirkv = assoluto(c.dirkv, base);
    return c;
}

std::string testoConfigurazione(const Configurazione &c)
{
    std::string t = "; Invio giornaliero della produzione camere (produzione-camere invia --configurazione FILE).\n"
                    "[server]\n";
    t += "host = " + valoreIni(c.host) + "\n";
    t += "porta = " + std::to_string(c.porta) + "\n";
    t += std::string("sicurezza = ") + nomeSicurezza(c.sicurezza) + "        ; starttls, tls o nessuna\n";
    if (!c.utente.empty()) t += "utente = " + valoreIni(c.utente) + "\n";
    if (!c.filePassword.empty()) t += "file_password = " + valoreIni(c.filePassword) + "   ; leggibile solo dal proprietario\n";
    if (!c.certificatoCa.empty()) t += "certificato_ca = " + valoreIni(c.certificatoCa) + "\n";
    t += "\n[messaggio]\n";
    t += "mittente = " + valoreIni(c.mittente) + "\n";
    std::string elenco;
    for (const auto &d : c.destinatari) elenco += (elenco.empty() ? "" : ", ") + d;
    t += "destinatari = " + valoreIni(elenco) + "\n";
    t += "nome = " + valoreIni(c.nome) + "\n";
    t += "\n[albergo]\n";
    if (!c.cartella.empty()) t += "cartella = " + valoreIni(c.cartella) + "\n";
    if (!c.pclocal.empty()) t += "pclocal = " + valoreIni(c.pclocal) + "\n";
    if (!c.dirkv.empty()) t += "dirkv = " + valoreIni(c.dirkv) + "\n";
    if (!c.archivio.empty()) t += "archivio = " + valoreIni(c.archivio) + "\n";
    if (!c.struttura.empty()) t += "struttura = " + valoreIni(c.struttura) + "\n";
    t += "raggruppamento = " + c.raggruppamento + "\n";
    return t;
}

std::string leggiPassword(const Configurazione &c)
{
    if (const char *p = std::getenv("PC_SMTP_PASSWORD"); p && *p) return p;
    if (c.filePassword.empty())
        throw ErroreDati("con \"utente\" indicare \"file_password\" nella sezione [server] della configurazione "
                         "o la variabile d'ambiente PC_SMTP_PASSWORD.");
    struct stat st {};
    if (::stat(c.filePassword.c_str(), &st) != 0)
        throw ErroreDati("impossibile leggere il file della password \"" + c.filePassword + "\": " + causaSistema(errno));
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        throw ErroreDati("il file della password \"" + c.filePassword +
                         "\" \xC3\xA8 leggibile da altri utenti: renderlo leggibile solo dal proprietario (chmod 600).");
    QFile f(QFile::decodeName(QByteArray::fromStdString(c.filePassword)));
    if (!f.open(QIODevice::ReadOnly))
        throw ErroreDati("impossibile leggere il file della password \"" + c.filePassword + "\": " + causaFile(f, errno));
    std::string p = f.readAll().toStdString();
    if (auto a_capo = p.find_first_of("\r\n"); a_capo != std::string::npos) p.resize(a_capo);
    if (p.empty()) throw ErroreDati("il file della password \"" + c.filePassword + "\" \xC3\xA8 vuoto.");
    return p;
}

} // namespace pc::posta
