#include "FileTesto.h"

#include "ScritturaFile.h"
#include "Testo.h"

#include <QFile>

using pc::dati::scriviFileAtomico;

namespace pc::anteprima::filetesto {

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
    scriviFileAtomico(file, contenuto);
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
    return dati::testo::utf8InCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString daCp1252(const std::string &byte)
{
    return QString::fromStdString(dati::testo::cp1252InUtf8(byte));
}

} // namespace pc::anteprima::filetesto
