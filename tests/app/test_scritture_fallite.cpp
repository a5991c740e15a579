// Every file the program writes, on a disk that refuses more bytes: each
// writer runs in a child process whose file size limit is 4 KB (SIGXFSZ
// ignored, so writes fail with EFBIG) or writes to /dev/full. The writer must
// fail with an Italian message, leave the previous file as it was and leave no
// temporary file behind.

#include "ComandiBatch.h"
#include "EMail.h"
#include "ErroreDati.h"
#include "FileTesto.h"
#include "ScritturaFile.h"

#include "ScrittoreSqlite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pc::prova {
namespace {

using namespace pc::strumenti;

constexpr rlim_t Limite = 4096;
const std::string Precedente = "il file di prima";

// Runs `scrittura` in a child under the size limit; its exit code (the
// command's, or 1 when it throws ErroreDati, 3 for anything else).
int inFiglioLimitato(const std::function<int()> &scrittura)
{
    std::fflush(nullptr);
    const pid_t figlio = fork();
    if (figlio == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{Limite, Limite};
        setrlimit(RLIMIT_FSIZE, &r);
        int esito = 3;
        try {
            esito = scrittura();
        } catch (const ErroreDati &) {
            esito = 1;
        } catch (...) {
        }
        std::fflush(nullptr);
        _exit(esito);
    }
    int stato = 0;
    waitpid(figlio, &stato, 0);
    return WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato);
}

int comando(std::vector<std::string> argomenti)
{
    std::vector<char *> argv{const_cast<char *>("produzione-camere")};
    for (auto &a : argomenti) argv.push_back(a.data());
    return batch::eseguiComandoBatch(static_cast<int>(argv.size()), argv.data());
}

QByteArray leggi(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<assente>");
}

void scrivi(const QString &file, const QByteArray &byte)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(byte), byte.size());
}

struct Scrittore {
    const char *nome;
    QString bersaglio;                // the file that must stay as it was
    std::function<int()> scrivi;
};

TEST(ScrittureFallite, OgniScrittoreLasciaIlFilePrecedenteENessunResiduo)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString prima = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    qputenv("PCLocal", "5");
    qputenv("DIRKV", (dir.path() + "/storico").toLocal8Bit());
    ASSERT_EQ(comando({"demo", dir.path().toStdString()}), 0);
    scriviArchivio("Stampanti.mdb",
                   {{"Stampanti", colonneSuite("Stampanti"),
                     {{I(1), T("PDF"), I(1), T("stampa.pdf")}, {I(1), T("FILE"), I(2), T("uscita.prn")}}},
                    {"SetStampa", colonneSuite("SetStampa"),
                     {{I(1), T("008000000000000001010"), T("000000000000000003066072")},
                      {I(2), T("027015000000000000018001002003004"), T("000000000000000000066072")}}}});
    // A report far beyond the limit, written without a limit.
    ASSERT_EQ(comando({"stampa", "--dal", "01/01/2026", "--al", "31/12/2026", "--tipo", "produzione", "--raggruppamento", "camere"}), 0);
    ASSERT_GT(QFile("fd5").size(), qint64(8 * Limite));
    const QString lungo = QString(int(8 * Limite), u'x');
    QDir().mkdir("doc");

    const std::vector<Scrittore> scrittori = {
        {"report", "fd5", [] { return comando({"stampa", "--dal", "01/01/2026", "--al", "31/12/2026", "--tipo", "produzione",
                                                "--raggruppamento", "camere"}); }},
        {"csv", "fd5.csv", [] { return comando({"csv"}); }},
        {"pdf", "stampa.pdf", [] { return comando({"stampante", "--destinazione", "PDF"}); }},
        {"grezza", "uscita.prn", [] { return comando({"stampante", "--destinazione", "FILE"}); }},
        {"copia documento", "doc/fd5202601011200.doc", [] {
             copiaFileAtomico("fd5", "doc/fd5202601011200.doc", "la copia del report");
             return 0;
         }},
        {"e-mail", "e-mail5.txt", [&] {
             scriviFileEMail(lungo);
             return 0;
         }},
        {"salva anteprima", "pagina.txt", [&] {
             filetesto::scrivi("pagina.txt", filetesto::perFile(lungo));
             return 0;
         }},
    };
    for (const Scrittore &s : scrittori) {
        SCOPED_TRACE(s.nome);
        // The report is the input of the others: only its own row replaces it.
        if (s.bersaglio != "fd5") scrivi(s.bersaglio, QByteArray::fromStdString(Precedente));
        const QByteArray vecchio = leggi(s.bersaglio);
        const QStringList elenco = QDir().entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        EXPECT_EQ(inFiglioLimitato(s.scrivi), 1);
        EXPECT_EQ(leggi(s.bersaglio), vecchio);
        EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), elenco);
        EXPECT_EQ(QDir("doc").entryList(QDir::Files | QDir::Hidden).size(), QFile::exists("doc/fd5202601011200.doc") ? 1 : 0);
    }

    // A one-page PDF: Qt reports nothing, the file is found cut short.
    ASSERT_EQ(comando({"stampa", "--dal", "01/01/2026", "--al", "03/01/2026", "--tipo", "vendite", "--raggruppamento", "macro"}), 0);
    EXPECT_EQ(inFiglioLimitato([] { return comando({"stampante", "--destinazione", "PDF"}); }), 1);
    EXPECT_EQ(leggi("stampa.pdf").toStdString(), Precedente);

    // A device that is full: the cause is named in Italian.
    try {
        scriviDispositivo("/dev/full", std::string(100, 'x'), "sul dispositivo di stampa");
        ADD_FAILURE() << "nessun errore su /dev/full";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("spazio esaurito sul disco"), std::string::npos) << e.what();
    }
    QDir::setCurrent(prima);
}

} // namespace
} // namespace pc::prova
