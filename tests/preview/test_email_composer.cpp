// The preview's e-mail on a Linux desktop: the suite's sender when it is on
// PATH, otherwise the desktop's mail composer, otherwise the error of old.
// Both programs are recording stand-ins in a private PATH.
#include "AiutiAnteprima.h"
#include "Anteprima.h"
#include "EMail.h"
#include "ErroreDati.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using pc::anteprima::LunghezzaMassimaCorpo;
using pc::anteprima::contenutoFileEMail;
using pc::anteprima::inviaEMail;
using pc::dati::ErroreDati;

namespace pc::prova {
namespace {

// A program that writes its arguments, each ended by NUL, to registro/NAME
// (written whole, then renamed: the file appears complete or not at all).
void scriviSostituto(const QString &cartella, const QString &nome, const QString &registro)
{
    QFile f(cartella + QLatin1Char('/') + nome);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '%1/%2.tmp' && /bin/mv '%1/%2.tmp' '%1/%2'\n")
                .arg(registro, nome)
                .toUtf8());
    f.close();
    ASSERT_TRUE(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// The arguments a stand-in recorded; nullopt when it was not started. The
// program runs detached: wait for its record for a while.
std::optional<QStringList> argomentiRegistrati(const QString &registro, const QString &nome)
{
    QFile f(registro + QLatin1Char('/') + nome);
    for (QDeadlineTimer limite(10000); !f.exists() && !limite.hasExpired();) QThread::msleep(20);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    QStringList argomenti = QString::fromUtf8(f.readAll()).split(QLatin1Char('\0'));
    argomenti.removeLast();   // after the last NUL
    return argomenti;
}

class PercorsoPrivato {
public:
    explicit PercorsoPrivato(const QString &cartella) : m_precedente(qgetenv("PATH")) { qputenv("PATH", cartella.toUtf8()); }
    ~PercorsoPrivato() { qputenv("PATH", m_precedente); }

private:
    QByteArray m_precedente;
};

TEST(EMailSulDesktop, MittenteDellaSuiteOComposerOErrore)
{
    const QString pagina = QStringLiteral("\r\n  STAMPA VENDITE PER CAMERA DAL 01/03/2026  \r\n\u2502101\u2502\r\n");
    const QString lunga = QStringLiteral("TITOLO\r\n") + QString(LunghezzaMassimaCorpo, QLatin1Char('x')) + QStringLiteral("\r\n");
    struct Caso {
        const char *nome;
        bool zaroza, composer;
        QString testo;
        QStringList attesiComposer;   // empty: the composer is not started
    };
    const Caso casi[] = {
        {"solo il mittente della suite", true, false, pagina, {}},
        {"il mittente della suite prima del composer", true, true, pagina, {}},
        {"il composer con oggetto e testo", false, true, pagina,
         {"--utf8", "--subject", "STAMPA VENDITE PER CAMERA DAL 01/03/2026", "--body",
          QStringLiteral("\n  STAMPA VENDITE PER CAMERA DAL 01/03/2026  \n\u2502101\u2502\n")}},
        {"il composer con il file allegato", false, true, lunga, {"--utf8", "--subject", "TITOLO", "--attach", "ALLEGATO"}},
        {"nessuno dei due", false, false, pagina, {}},
    };
    for (const Caso &c : casi) {
        SCOPED_TRACE(c.nome);
        CartellaProva cartella({.pcLocal = "3"});
        QTemporaryDir programmi, registro;
        if (c.zaroza) scriviSostituto(programmi.path(), QStringLiteral("Zaroza.exe"), registro.path());
        if (c.composer) scriviSostituto(programmi.path(), QStringLiteral("xdg-email"), registro.path());
        PercorsoPrivato percorso(programmi.path());

        if (!c.zaroza && !c.composer) {
            try {
                inviaEMail(c.testo);
                ADD_FAILURE() << "nessun errore senza programmi di posta";
            } catch (const ErroreDati &e) {
                EXPECT_STREQ(e.what(), "Impossibile avviare il programma di posta \"Zaroza.exe\". Il testo da inviare "
                                       "\xC3\xA8 stato comunque scritto nel file \"e-mail3.txt\".");
            }
        } else {
            inviaEMail(c.testo);
        }
        // The hand-off file is written in every case.
        EXPECT_EQ(leggiByte("e-mail3.txt"), contenutoFileEMail(c.testo));

        if (c.zaroza) {
            EXPECT_EQ(argomentiRegistrati(registro.path(), QStringLiteral("Zaroza.exe")), QStringList());
        }
        if (!c.attesiComposer.isEmpty()) {
            QStringList attesi = c.attesiComposer;
            attesi.replaceInStrings(QStringLiteral("ALLEGATO"), cartella.percorso(QStringLiteral("e-mail3.txt")));
            EXPECT_EQ(argomentiRegistrati(registro.path(), QStringLiteral("xdg-email")), attesi);
        } else {
            // Started or not, it has written nothing once the sender's record is there.
            EXPECT_FALSE(QFile::exists(registro.path() + QStringLiteral("/xdg-email")));
        }
    }
}

} // namespace
} // namespace pc::prova
