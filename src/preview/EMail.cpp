#include "EMail.h"

#include "FileReport.h"
#include "FileTesto.h"

#include <QRegularExpression>
#include <QUrl>

namespace pc::anteprima {

std::string nomeFileEMail() { return "e-mail" + postazione() + ".txt"; }

std::string contenutoFileEMail(const QString &testo)
{
    return "OGGETTO\r\n" + filetesto::perFile(testo) + "\r\n";
}

QString oggettoEMail(const QString &testo)
{
    static const QRegularExpression fineRiga(QStringLiteral("\\r\\n|\\r|\\n|\\x{2029}"));
    for (const QString &riga : testo.split(fineRiga)) {
        const QString titolo = riga.trimmed();
        if (!titolo.isEmpty()) return titolo;
    }
    return QString();
}

QStringList argomentiComposer(const QString &testo, const QString &allegato)
{
    QString corpo = testo;
    corpo.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList argomenti{QStringLiteral("--utf8"), QStringLiteral("--subject"), oggettoEMail(testo)};
    if (QUrl::toPercentEncoding(corpo).size() <= LunghezzaMassimaCorpo)
        argomenti << QStringLiteral("--body") << corpo;
    else
        argomenti << QStringLiteral("--attach") << allegato;
    return argomenti;
}

void scriviFileEMail(const QString &testo) { filetesto::scrivi(nomeFileEMail(), contenutoFileEMail(testo)); }

} // namespace pc::anteprima
