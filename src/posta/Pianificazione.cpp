#include "Pianificazione.h"

#include "ErroreDati.h"
#include "ModelliUnita.h"
#include "ScritturaFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

using pc::dati::ErroreDati;
using pc::dati::scriviFileAtomico;

namespace pc::posta {

namespace {

void sostituisci(std::string &t, const std::string &segnaposto, const std::string &valore)
{
    for (auto p = t.find(segnaposto); p != std::string::npos; p = t.find(segnaposto, p + valore.size())) t.replace(p, segnaposto.size(), valore);
}

// An argument of ExecStart: in double quotes, '%' doubled for systemd's specifiers.
std::string argomentoSystemd(const std::string &a)
{
    std::string r = "\"";
    for (char c : a) {
        if (c == '"' || c == '\\') r += '\\';
        if (c == '%') r += '%';
        r += c;
    }
    return r + "\"";
}

std::string argomentoShell(const std::string &a)
{
    std::string r = "'";
    for (char c : a) {
        if (c == '\'') r += "'\\''";
        else if (c == '%') r += "\\%";   // cron reads % as a line break
        else r += c;
    }
    return r + "'";
}

std::string oraTesto(int minuti)
{
    char b[16];
    std::snprintf(b, sizeof b, "%02d:%02d", minuti / 60, minuti % 60);
    return b;
}

// systemctl --user ARGS; false when it fails.
bool systemctl(const QStringList &argomenti, std::string *uscita = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + argomenti);
    if (!p.waitForStarted(10000)) return false;
    p.waitForFinished(60000);
    if (uscita) *uscita = (p.readAllStandardError() + p.readAllStandardOutput()).trimmed().toStdString();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

std::optional<int> leggiOra(const std::string &t)
{
    if (t.size() != 5 || t[2] != ':' || t.find_first_not_of("0123456789", 0) != 2 || t.find_first_not_of("0123456789", 3) != std::string::npos)
        return std::nullopt;
    const int h = std::stoi(t.substr(0, 2)), m = std::stoi(t.substr(3, 2));
    if (h > 23 || m > 59) return std::nullopt;
    return h * 60 + m;
}

Unita unitaInvio(const std::string &programma, const std::string &configurazione, int minuti)
{
    Unita u{kModelloServizio, kModelloTimer};
    sostituisci(u.servizio, "@PROGRAMMA@", argomentoSystemd(programma));
    sostituisci(u.servizio, "@CONFIGURAZIONE@", argomentoSystemd(configurazione));
    sostituisci(u.timer, "@ORA@", oraTesto(minuti));
    return u;
}

std::string rigaCrontab(const std::string &programma, const std::string &configurazione, int minuti)
{
    return std::to_string(minuti % 60) + " " + std::to_string(minuti / 60) + " * * * " + argomentoShell(programma) +
           " invia --configurazione " + argomentoShell(configurazione);
}

std::string cartellaUnita()
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') return std::string(config) + "/systemd/user";
    return QDir::homePath().toStdString() + "/.config/systemd/user";
}

bool systemdUtenteAttivo()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    struct stat st {};
    return ::stat((std::string(runtime) + "/systemd/private").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

std::string pianifica(const std::string &programma, const std::string &configurazione, int minuti)
{
    const std::string cartella = cartellaUnita();
    if (!QDir().mkpath(QString::fromStdString(cartella)))
        throw ErroreDati("impossibile creare la cartella delle unit\xC3\xA0 systemd \"" + cartella + "\".");
    const Unita u = unitaInvio(programma, configurazione, minuti);
    const std::string servizio = cartella + "/" + kNomeUnita + ".service", timer = cartella + "/" + kNomeUnita + ".timer";
    scriviFileAtomico(servizio, u.servizio, "l'unit\xC3\xA0 systemd");
    scriviFileAtomico(timer, u.timer, "il timer systemd");
    std::string r = "scritte le unit\xC3\xA0 " + servizio + " e " + timer + ".\n";
    std::string uscita;
    if (systemdUtenteAttivo()) {
        if (systemctl({QStringLiteral("daemon-reload")}, &uscita) &&
            systemctl({QStringLiteral("enable"), QStringLiteral("--now"), QString::fromStdString(std::string(kNomeUnita) + ".timer")}, &uscita))
            return r + "Invio giornaliero attivato alle " + oraTesto(minuti) + " (systemctl --user list-timers per vederlo).\n";
        r += "systemctl --user non ha attivato il timer: " + uscita + "\n";
    } else {
        r += "systemd dell'utente non \xC3\xA8 attivo.\n";
    }
    return r + "Aggiungere al crontab (crontab -e) la riga:\n" + rigaCrontab(programma, configurazione, minuti) + "\n";
}

std::string rimuoviPianificazione()
{
    const std::string cartella = cartellaUnita();
    const std::string servizio = cartella + "/" + kNomeUnita + ".service", timer = cartella + "/" + kNomeUnita + ".timer";
    std::string r;
    if (systemdUtenteAttivo()) systemctl({QStringLiteral("disable"), QStringLiteral("--now"), QString::fromStdString(std::string(kNomeUnita) + ".timer")});
    bool tolte = false;
    for (const auto &f : {timer, servizio}) {
        QFile file(QString::fromStdString(f));
        if (!file.exists()) continue;
        if (!file.remove()) throw ErroreDati("impossibile togliere \"" + f + "\": " + file.errorString().toStdString());
        r += "tolta l'unit\xC3\xA0 " + f + ".\n";
        tolte = true;
    }
    if (systemdUtenteAttivo()) systemctl({QStringLiteral("daemon-reload")});
    if (!tolte) r += "nessuna unit\xC3\xA0 da togliere in " + cartella + ".\n";
    return r + "Se l'invio era nel crontab, togliere la riga con crontab -e.\n";
}

} // namespace pc::posta
