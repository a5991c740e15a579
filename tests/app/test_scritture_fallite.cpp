// Every file the program writes, on a disk that refuses more bytes: each
// writer runs in a child process whose file size limit is 4 KB (SIGXFSZ
// ignored, so writes fail with EFBIG) or writes to /dev/full. The writer must
// fail with an Italian message, leave the previous file as it was and leave no
// temporary file behind.

#include "ChiudiModale.h"
#include "ComandiBatch.h"
#include "DateReport.h"
#include "EMail.h"
#include "ErroreDati.h"
#include "FileTesto.h"
#include "ScritturaFile.h"

#include "FinestraAnalisi.h"
#include "ScrittoreSqlite.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using pc::anteprima::scriviFileEMail;
using pc::dati::ErroreDati;
using pc::dati::copiaFileAtomico;
using pc::dati::scriviDispositivo;

namespace pc::prova {
namespace {

using namespace pc::demo;

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
    return app::eseguiComandoBatch(static_cast<int>(argv.size()), argv.data());
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

// The demo hotel in dir (the working folder from now on), with a PDF and a
// raw-file print destination, and a one-year report fd5.
void preparaAlbergo(const QTemporaryDir &dir)
{
    ASSERT_TRUE(dir.isValid());
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
    ASSERT_EQ(comando({"stampa", "--dal", "01/01/2026", "--al", "31/12/2026", "--tipo", "produzione", "--raggruppamento", "camere"}), 0);
}

// The analysis window's save buttons: the result, and the message it shows on stderr.
int salvaDallaFinestra(bool (analisi::FinestraAnalisi::*salva)(const QString &), const QString &nome)
{
    analisi::FinestraAnalisi w;
    w.impostaRichiesta({Giorno::da(2026, 1, 1), Giorno::da(2026, 1, 31), Raggruppamento::TipiCamere, true});
    quandoAppare<QMessageBox>([](QMessageBox *m) {
        std::fprintf(stderr, "%s\n", m->text().toUtf8().constData());
        m->close();
    });
    return (w.*salva)(nome) ? 0 : 1;
}

std::vector<std::string> analisiIn(const char *formato, const char *uscita)
{
    return {"analisi", "--dal", "01/01/2026", "--al", "31/01/2026", "--raggruppamento", "tipi", "--confronto", "--formato", formato,
            "--uscita", uscita};
}

TEST(ScrittureFallite, OgniScrittoreLasciaIlFilePrecedenteENessunResiduo)
{
    QTemporaryDir dir;
    const QString prima = QDir::currentPath();
    preparaAlbergo(dir);
    // A report far beyond the limit, written without a limit.
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
             anteprima::filetesto::scrivi("pagina.txt", anteprima::filetesto::perFile(lungo));
             return 0;
         }},
        {"analisi csv", "uscita.csv", [] { return comando(analisiIn("csv", "uscita.csv")); }},
        {"analisi xlsx", "uscita.xlsx", [] { return comando(analisiIn("xlsx", "uscita.xlsx")); }},
        {"analisi pdf", "uscita.pdf", [] { return comando(analisiIn("pdf", "uscita.pdf")); }},
        {"finestra xlsx", "uscita.xlsx", [] { return salvaDallaFinestra(&analisi::FinestraAnalisi::salvaXlsx, "uscita.xlsx"); }},
        {"finestra csv", "uscita.csv", [] { return salvaDallaFinestra(&analisi::FinestraAnalisi::salvaCsv, "uscita.csv"); }},
        {"finestra pdf", "uscita.pdf", [] { return salvaDallaFinestra(&analisi::FinestraAnalisi::salvaPdf, "uscita.pdf"); }},
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

struct Esito {
    int codice;
    std::string errore;   // what the child wrote on stderr
};

// Runs `scrittura` in a child, as a user who may not write in the folder when
// `ospite` (for root; otherwise the caller takes the folder's write permission).
Esito inFiglio(const std::function<int()> &scrittura, bool ospite)
{
    char modello[] = "/tmp/test_scritture_fallite-XXXXXX";
    const int fd = mkstemp(modello);
    std::fflush(nullptr);
    const pid_t figlio = fork();
    if (figlio == 0) {
        dup2(fd, STDERR_FILENO);
        if (ospite && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(4);
        int esito = 3;
        try {
            esito = scrittura();
        } catch (const ErroreDati &e) {
            std::fprintf(stderr, "%s\n", e.what());
            esito = 1;
        } catch (...) {
        }
        std::fflush(nullptr);
        _exit(esito);
    }
    int stato = 0;
    waitpid(figlio, &stato, 0);
    Esito e{WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato), {}};
    char buffer[4096];
    lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) e.errore.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    unlink(modello);
    return e;
}

// What a path is: a link and where it leads, a file and its bytes, or its kind.
std::string statoDi(const std::string &percorso)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto s = fs::symlink_status(percorso, ec);
    if (fs::is_symlink(s)) return "collegamento a " + fs::read_symlink(percorso, ec).string();
    if (fs::is_regular_file(s)) {
        const QByteArray byte = leggi(QString::fromStdString(percorso));
        return "file di " + std::to_string(byte.size()) + " byte, " + std::to_string(std::hash<std::string>{}(byte.toStdString()));
    }
    return "tipo " + std::to_string(static_cast<int>(s.type()));
}

// Every name in the working folder, the history folder and doc/.
QStringList elencoCartelle()
{
    QStringList tutti;
    for (const QString &c : {QStringLiteral("."), QStringLiteral("storico"), QStringLiteral("doc")})
        for (const QString &n : QDir(c).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
            tutti << c + "/" + n;
    return tutti;
}

// Every writer against every target it must not replace or write through.
// Each: a non-zero exit with an Italian message, the target as it was, the
// databases as they were, no temporary file left anywhere. A link to a plain
// file is followed alike by every writer: that file is replaced, the link stays.
TEST(ScrittureFallite, OgniScrittoreRifiutaLeDestinazioniCheNonPuoSostituire)
{
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    const QString prima = QDir::currentPath();
    preparaAlbergo(dir);
    fs::permissions(dir.path().toStdString(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                  fs::perms::others_read | fs::perms::others_exec);
    QDir().mkdir("doc");
    const QByteArray report = leggi("fd5");
    const bool root = geteuid() == 0;
    // A device of our own when we may make one (a writer that went wrong as
    // root would replace it, not the system's /dev/null).
    const std::string dispositivo = root && mknod("null", S_IFCHR | 0666, makedev(1, 3)) == 0 ? "null" : "/dev/null";

    struct Scrittore {
        const char *nome;
        std::string bersaglio;
        std::function<int()> esegui;
        bool suDispositivo = false;   // raw printing writes a device in place
    };
    const std::vector<Scrittore> scrittori = {
        {"report", "fd5", [] { return comando({"stampa", "--dal", "01/01/2026", "--al", "31/01/2026", "--tipo", "vendite",
                                                 "--raggruppamento", "tipi"}); }},
        {"csv", "fd5.csv", [] { return comando({"csv"}); }},
        {"pdf", "stampa.pdf", [] { return comando({"stampante", "--destinazione", "PDF"}); }},
        {"grezza", "uscita.prn", [] { return comando({"stampante", "--destinazione", "FILE"}); }, true},
        {"analisi csv", "uscita.csv", [] { return comando(analisiIn("csv", "uscita.csv")); }},
        {"analisi xlsx", "uscita.xlsx", [] { return comando(analisiIn("xlsx", "uscita.xlsx")); }},
        {"analisi pdf", "uscita.pdf", [] { return comando(analisiIn("pdf", "uscita.pdf")); }},
        {"finestra xlsx", "uscita.xlsx", [] { return salvaDallaFinestra(&analisi::FinestraAnalisi::salvaXlsx, "uscita.xlsx"); }},
        {"finestra csv", "uscita.csv", [] { return salvaDallaFinestra(&analisi::FinestraAnalisi::salvaCsv, "uscita.csv"); }},
        {"finestra pdf", "uscita.pdf", [] { return salvaDallaFinestra(&analisi::FinestraAnalisi::salvaPdf, "uscita.pdf"); }},
    };
    struct Bersaglio {
        const char *nome;
        std::function<void(const std::string &)> prepara;
        bool ospite = false;   // run where the folder is read-only
        bool dispositivo = false;
        bool riesce = false;   // written through: the file the link leads to is replaced, the link stays
    };
    const std::vector<Bersaglio> bersagli = {
        {"pipe", [](const std::string &n) { mkfifo(n.c_str(), 0644); }},
        {"collegamento a un dispositivo", [&](const std::string &n) { fs::create_symlink(dispositivo, n); }, false, true},
        {"collegamento a un archivio", [](const std::string &n) { fs::create_symlink("NumeriCamere.mdb", n); }},
        {"collegamento a un archivio storico", [](const std::string &n) { fs::create_symlink("storico/ContoStoricoClienti.mdb", n); }},
        {"collegamento a una cartella", [](const std::string &n) { fs::create_symlink("storico", n); }},
        {"cartella", [](const std::string &n) { fs::create_directory(n); }},
        {"cartella in sola lettura", [](const std::string &n) { scrivi(QString::fromStdString(n), QByteArray::fromStdString(Precedente)); }, true},
        {"collegamento a un file",
         [](const std::string &n) {
             scrivi(QString::fromStdString("altrove/" + n), QByteArray::fromStdString(Precedente));
             fs::create_symlink("altrove/" + n, n);
         },
         false, false, true},
    };
    QDir().mkdir("altrove");
    const std::vector<std::string> archivi = {"NumeriCamere.mdb", "storico/ContoStoricoClienti.mdb"};
    for (const Scrittore &s : scrittori)
        for (const Bersaglio &b : bersagli) {
            SCOPED_TRACE(std::string(s.nome) + " su " + b.nome);
            std::error_code ec;
            fs::remove_all(s.bersaglio, ec);
            if (s.bersaglio != "fd5" && !fs::is_regular_file("fd5")) {
                fs::remove_all("fd5", ec);
                scrivi("fd5", report);
            }
            b.prepara(s.bersaglio);
            const std::string statoPrima = statoDi(s.bersaglio);
            std::vector<std::string> archiviPrima;
            for (const auto &a : archivi) archiviPrima.push_back(statoDi(a));
            const QStringList elenco = elencoCartelle();
            if (b.ospite && !root) fs::permissions(".", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
            const Esito e = inFiglio(s.esegui, b.ospite);
            if (b.ospite && !root) fs::permissions(".", fs::perms::owner_write, fs::perm_options::add);
            if (b.riesce) {
                EXPECT_EQ(e.codice, 0) << e.errore;
                EXPECT_NE(leggi(QString::fromStdString("altrove/" + s.bersaglio)).toStdString(), Precedente);
                EXPECT_EQ(QDir("altrove").entryList(QDir::Files | QDir::Hidden).size(), 1);
                fs::remove("altrove/" + s.bersaglio, ec);
            } else if (s.suDispositivo && b.dispositivo) {
                EXPECT_EQ(e.codice, 0) << e.errore;
            } else {
                EXPECT_EQ(e.codice, 1) << e.errore;
                EXPECT_NE(e.errore.find("Impossibile"), std::string::npos) << e.errore;
                for (const char *inglese : {"No such", "No space", "Permission denied", "[ERROR]", "Filename", "Is a directory"})
                    EXPECT_EQ(e.errore.find(inglese), std::string::npos) << e.errore;
            }
            EXPECT_EQ(statoDi(s.bersaglio), statoPrima);
            for (std::size_t i = 0; i < archivi.size(); ++i) EXPECT_EQ(statoDi(archivi[i]), archiviPrima[i]);
            EXPECT_EQ(elencoCartelle(), elenco);
            EXPECT_TRUE(fs::is_character_file(dispositivo));
            fs::remove_all(s.bersaglio, ec);
        }
    QDir::setCurrent(prima);
}

// One convention for every command: 2 for a wrong command line, 1 when the
// work could not be done, 0 on success; a failure leaves the report as it was.
TEST(CodiciDiUscita, DueRigaDiComandoErrataUnoLavoroNonRiuscitoZeroRiuscito)
{
    QTemporaryDir dir;
    const QString prima = QDir::currentPath();
    preparaAlbergo(dir);
    QDir().mkdir("fd9");           // a report that cannot be written
    mkfifo("fdF", 0644);           // a report that would block whoever opened it
    const QByteArray report = leggi("fd5");
    struct Caso {
        std::vector<std::string> argomenti;
        int codice;
        const char *postazione = "5";
    };
    const std::vector<std::string> marzo = {"--dal", "01/03/2026", "--al", "31/03/2026"};
    auto con = [](std::vector<std::string> a, const std::vector<std::string> &b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<Caso> casi = {
        {{"sconosciuto"}, 2},
        {{"--help"}, 0},
        {{"stampa", "--sconosciuta"}, 2},
        {{"stampa", "--dal", "01/03/2026"}, 2},
        {{"stampa", "--dal", "31/02/2026", "--al", "01/03/2026"}, 2},
        {{"stampa", "--dal", "31/03/2026", "--al", "01/03/2026"}, 2},
        {con({"stampa"}, con(marzo, {"--tipo", "tutto"})), 2},
        {con({"stampa"}, con(marzo, {"--raggruppamento", "strutture"})), 2},
        {con({"stampa"}, con(marzo, {"avanzo"})), 2},
        {con({"stampa"}, marzo), 1, "9"},
        {con({"stampa"}, marzo), 1, "/../x"},
        {con({"stampa"}, marzo), 1, "1\n2"},
        {con({"stampa"}, marzo), 1, "F"},
        {con({"stampa"}, marzo), 0, ""},
        {con({"stampa"}, marzo), 0, "7"},
        {{"demo"}, 2},
        {{"demo", "a", "b"}, 2},
        {{"demo", "--x", "a"}, 2},
        {{"demo", "fd5"}, 1},
        {{"demo", "nuovo"}, 0},
        {{"csv", "--x"}, 2},
        {{"csv", "avanzo"}, 2},
        {{"csv"}, 1, "8"},
        {{"csv"}, 1, "F"},
        {{"csv"}, 0, "7"},
        {{"stampante"}, 2},
        {{"stampante", "--x"}, 2},
        {{"stampante", "--destinazione", "NESSUNA"}, 1},
        {{"stampante", "--destinazione", "FILE"}, 1, "F"},
        {{"stampante", "--destinazione", "FILE"}, 0},
        {{"importa"}, 2},
        {{"importa", "--x"}, 2},
        {{"importa", "--archivio", "postgresql://pc@127.0.0.1:1/catena", "--struttura", "A"}, 1},
        {{"analisi"}, 2},
        {{"analisi", "--dal", "31/03/2026", "--al", "01/03/2026", "--formato", "csv"}, 2},
        {con({"analisi"}, con(marzo, {"--formato", "doc"})), 2},
        {con({"analisi"}, con(marzo, {"--formato", "csv", "--raggruppamento", "x"})), 2},
        {{"analisi", "--dal", "01/01/0100", "--al", "31/12/9999", "--formato", "xlsx"}, 2},
        {con({"analisi"}, con(marzo, {"--formato", "csv", "--uscita", "storico"})), 1},
        {con({"analisi"}, con(marzo, {"--formato", "csv", "--uscita", "a.csv"})), 0},
    };
    for (const Caso &c : casi) {
        std::string riga;
        for (const auto &a : c.argomenti) riga += a + " ";
        SCOPED_TRACE(riga + "(PCLocal=" + c.postazione + ")");
        qputenv("PCLocal", c.postazione);
        EXPECT_EQ(comando(c.argomenti), c.codice);
        if (c.codice != 0) EXPECT_EQ(leggi("fd5"), report);
    }
    qputenv("PCLocal", "5");
    QDir::setCurrent(prima);
}

} // namespace
} // namespace pc::prova
