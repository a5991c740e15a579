// A print through a real CUPS queue: a private cupsd started by the test in a
// temporary folder (nothing under /etc changes), with file: queues that write
// the jobs as files, stopped by its PID at the end.

#include "ReportDiProva.h"

#include "Desktop.h"
#include "StampaReport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using pc::piattaforma::desktop;
using pc::stampa::EsitoStampa;
using pc::stampa::ImpostazioniStampa;
using pc::stampa::SceltaStampa;
using pc::stampa::eseguiStampa;
using pc::stampa::leggiGruppi;

namespace pc::prova {

using namespace pc;

namespace {

QString esegui(const QString &programma, const QStringList &argomenti, int *codice = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programma, argomenti);
    const bool finito = p.waitForFinished(60000);
    if (codice) *codice = finito ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
}

class ServerCups {
public:
    bool avvia(QString &motivo)
    {
        const QString cupsd = QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/usr/local/sbin"});
        m_lpadmin = QStandardPaths::findExecutable("lpadmin", {"/usr/sbin", "/usr/local/sbin"});
        if (cupsd.isEmpty() || m_lpadmin.isEmpty() || QStandardPaths::findExecutable("lpstat").isEmpty()) {
            motivo = "cups non installato";
            return false;
        }
        if (!m_dir.isValid()) {
            motivo = "cartella temporanea non creata";
            return false;
        }
        const QString d = m_dir.path();
        QFile::setPermissions(d, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                     QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
        for (const char *sotto : {"spool/tmp", "cache", "state", "log", "ppd"}) QDir(d).mkpath(sotto);
        scrivi(d + "/cups-files.conf", "ServerRoot " + d + "\nRequestRoot " + d + "/spool\nTempDir " + d + "/spool/tmp\nCacheDir " + d +
                                          "/cache\nStateDir " + d + "/state\nErrorLog " + d + "/log/error_log\nAccessLog " + d +
                                          "/log/access_log\nPageLog " + d + "/log/page_log\nFileDevice Yes\n"
                                          "ServerBin /usr/lib/cups\nDataDir /usr/share/cups\n");
        scrivi(d + "/cupsd.conf", "Listen " + d + "/cups.sock\nLogLevel warn\nBrowsing No\nWebInterface No\n"
                                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                  "<Policy default>\n  <Limit All>\n    Order deny,allow\n    Allow all\n  </Limit>\n</Policy>\n");
        m_server.start(cupsd, {"-f", "-c", d + "/cupsd.conf", "-s", d + "/cups-files.conf"});
        if (!m_server.waitForStarted(10000)) {
            motivo = "cupsd non avviato";
            return false;
        }
        qputenv("CUPS_SERVER", (d + "/cups.sock").toUtf8());
        for (int i = 0; i < 200; ++i) {
            if (esegui("lpstat", {"-r"}).contains("is running")) return true;
            if (m_server.state() == QProcess::NotRunning) break;
            QThread::msleep(50);
        }
        motivo = "cupsd non risponde: " + QString::fromUtf8(m_server.readAll());
        return false;
    }

    // A queue that writes each job to the file `uscita` of the folder.
    bool aggiungiCoda(const QString &nome, const QString &uscita, QString &errore)
    {
        int codice = 0;
        errore = esegui(m_lpadmin, {"-p", nome, "-E", "-v", "file://" + m_dir.filePath(uscita), "-m",
                                    "lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd"},
                        &codice);
        return codice == 0;
    }
    void predefinita(const QString &nome) { esegui(m_lpadmin, {"-d", nome}); }

    // The job's file once complete (the backend writes it a little later).
    QByteArray attendi(const QString &uscita)
    {
        for (int i = 0; i < 600; ++i) {
            QFile f(m_dir.filePath(uscita));
            if (f.open(QIODevice::ReadOnly)) {
                const QByteArray dati = f.readAll();
                if (dati.contains("%%EOF")) return dati;
            }
            QThread::msleep(100);
        }
        return {};
    }

    QString percorso(const QString &nome) const { return m_dir.filePath(nome); }

    ~ServerCups()
    {
        if (m_server.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(m_server.processId()), SIGTERM);
            if (!m_server.waitForFinished(10000)) m_server.kill();
            m_server.waitForFinished(5000);
        }
        qunsetenv("CUPS_SERVER");
    }

private:
    static void scrivi(const QString &file, const QString &testo)
    {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly)) f.write(testo.toUtf8());
    }

    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_lpadmin;
};

class StampaCups : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = std::make_unique<ServerCups>();
        QString motivo;
        if (!server->avvia(motivo)) {
            saltaPerche = motivo.toStdString();
            return;
        }
        if (!server->aggiungiCoda("Ufficio", "ufficio.prn", motivo) || !server->aggiungiCoda("Reception", "reception.prn", motivo)) {
            saltaPerche = "coda non creata: " + motivo.toStdString();
            return;
        }
        server->predefinita("Reception");
    }
    static void TearDownTestSuite() { server.reset(); }
    void SetUp() override
    {
        if (!saltaPerche.empty()) GTEST_SKIP() << saltaPerche;
    }

    static ImpostazioniStampa laser(const std::string &dispositivo)
    {
        ImpostazioniStampa imp;
        imp.lunghezzaPagina = 60;
        imp.destinazione = "LASER";
        imp.tipoStampa = 1;
        imp.tipoTrovato = true;
        imp.C = leggiGruppi("008000000000000001010");
        imp.G = {0, 0, 0, 0, 0, 3, 66, 72, 0, 0, 0, 0};
        imp.margineAlto = 3;
        imp.dispositivo = dispositivo;
        return imp;
    }

    static std::unique_ptr<ServerCups> server;
    static std::string saltaPerche;
};

std::unique_ptr<ServerCups> StampaCups::server;
std::string StampaCups::saltaPerche;

QString testoDelPdf(const QByteArray &lavoro)
{
    // The Generic PDF queue wraps the PDF in PJL: keep from "%PDF" on.
    QTemporaryDir dir;
    const QString file = dir.filePath("lavoro.pdf");
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(lavoro.mid(lavoro.indexOf("%PDF")));
    f.close();
    return esegui("pdftotext", {"-layout", "-fixed", "6", file, "-"});
}

} // namespace

TEST_F(StampaCups, LeCodeSonoLeStampantiDelSistema)
{
    // What the print menu lists as system printers.
    const QStringList stampanti = desktop().stampanti();
    EXPECT_TRUE(stampanti.contains("Ufficio")) << stampanti.join(", ").toStdString();
    EXPECT_TRUE(stampanti.contains("Reception")) << stampanti.join(", ").toStdString();
}

TEST_F(StampaCups, IlLavoroArrivaAllaCodaDelNomeEsattoFronteRetro)
{
    SceltaStampa scelta;
    scelta.destinazione = "LASER";
    scelta.fronteRetro = true;
    const EsitoStampa esito = eseguiStampa(laser("Ufficio"), scelta, "", prova::reportDiProva(20));
    EXPECT_EQ(esito.dispositivo, "Ufficio");
    const QByteArray lavoro = server->attendi("ufficio.prn");
    ASSERT_FALSE(lavoro.isEmpty()) << "nessun lavoro arrivato alla coda Ufficio";
    EXPECT_TRUE(lavoro.contains("%PDF"));
    // Two-sided on the long edge reached the queue.
    EXPECT_TRUE(lavoro.contains("DUPLEX=ON")) << lavoro.left(400).toStdString();
    EXPECT_TRUE(lavoro.contains("BINDING=LONGEDGE")) << lavoro.left(400).toStdString();
    const QString testo = testoDelPdf(lavoro);
    EXPECT_TRUE(testo.contains("|20/01/2026|         1|         0|         9|")) << testo.toStdString();
    EXPECT_FALSE(QFile::exists(server->percorso("reception.prn")));
}

TEST_F(StampaCups, NomeSconosciutoVaAllaStampantePredefinita)
{
    SceltaStampa scelta;
    scelta.stampante = "<nessuna stampante>";
    const EsitoStampa esito = eseguiStampa(laser("<nessuna stampante>"), scelta, "", prova::reportDiProva(2));
    EXPECT_EQ(esito.dispositivo, "Reception");
    const QByteArray lavoro = server->attendi("reception.prn");
    ASSERT_FALSE(lavoro.isEmpty()) << "nessun lavoro arrivato alla coda predefinita";
    EXPECT_TRUE(testoDelPdf(lavoro).contains("TOTALI"));
    // The name is compared with its case: "ufficio" is not "Ufficio".
    EXPECT_EQ(eseguiStampa(laser("ufficio"), scelta, "", prova::reportDiProva(1)).dispositivo, "Reception");
}

} // namespace pc::prova
