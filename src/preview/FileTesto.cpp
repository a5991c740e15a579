#include "FileTesto.h"

#include "ErroreDati.h"
#include "Testo.h"

#include <QFile>
#include <QSaveFile>

namespace pc::filetesto {

namespace {

std::string causa(const QFileDevice &f)
{
    switch (f.error()) {
    case QFileDevice::PermissionsError: return "permesso negato";
    case QFileDevice::OpenError: return "il file o la cartella non si possono aprire";
    case QFileDevice::WriteError: return "errore di scrittura (disco pieno?)";
    case QFileDevice::ReadError: return "errore di lettura";
    default: return "errore del file system";
    }
}

} // namespace

std::vector<std::string> righe(const std::string &contenuto)
{
    std::vector<std::string> elenco;
    std::size_t inizio = 0;
    const std::size_t n = contenuto.size();
    while (inizio < n) {
        std::size_t fine = contenuto.find_first_of("\r\n", inizio);
        if (fine == std::string::npos) {
            elenco.push_back(contenuto.substr(inizio));
            break;
        }
        elenco.push_back(contenuto.substr(inizio, fine - inizio));
        inizio = fine + 1;
        if (contenuto[fine] == '\r' && inizio < n && contenuto[inizio] == '\n') ++inizio;
    }
    return elenco;
}

bool leggi(const std::string &file, std::string &contenuto)
{
    QFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray dati = f.readAll();
    if (f.error() != QFileDevice::NoError) return false;
    contenuto.assign(dati.constData(), static_cast<std::size_t>(dati.size()));
    return true;
}

void scrivi(const std::string &file, const std::string &contenuto)
{
    QSaveFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::WriteOnly)) {
        throw ErroreDati("Impossibile scrivere il file \"" + file + "\": " + causa(f) + ".");
    }
    f.write(contenuto.data(), static_cast<qint64>(contenuto.size()));
    if (!f.commit()) {
        throw ErroreDati("Impossibile scrivere il file \"" + file + "\": " + causa(f) + ".");
    }
}

std::string perFile(const QString &testo)
{
    QString t;
    t.reserve(testo.size() + testo.size() / 16);
    const qsizetype n = testo.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = testo.at(i);
        if (c == u'\r') {
            if (i + 1 < n && testo.at(i + 1) == u'\n') ++i;
            t += u"\r\n";
        } else if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            t += u"\r\n";
        } else {
            t += c;
        }
    }
    const QByteArray utf8 = t.toUtf8();
    return testo::utf8InCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString daCp1252(const std::string &byte)
{
    return QString::fromStdString(testo::cp1252InUtf8(byte));
}

} // namespace pc::filetesto
