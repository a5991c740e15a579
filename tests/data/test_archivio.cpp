// Statements from the chain's central archive against the same statements
// from the property's folder, the figures stored by the import against the
// statement's and the analysis's, the import's swap, a read-only server, the
// chain statement, readings from several threads and the failures, on a
// private PostgreSQL started here.

#include "AlbergoDiProva.h"
#include "Analisi.h"
#include "Catena.h"
#include "Database.h"
#include "ErroreDati.h"
#include "FigureGiornaliere.h"
#include "StampaProduzione.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using pc::dati::ErroreDati;
using pc::dati::Valore;
using pc::dati::Valuta;

namespace pc::prova {

namespace fs = std::filesystem;
namespace arc = dati::centrale;

namespace {

const char *const Bin = "/usr/lib/postgresql/15/bin";

int portaLibera()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    int porta = 55433;
    if (bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 && getsockname(s, reinterpret_cast<sockaddr *>(&a), &n) == 0)
        porta = ntohs(a.sin_port);
    close(s);
    return porta;
}

// One server for the whole test program, in a temporary folder, reached by a
// Unix socket there; stopped by its PID at the end.
class Server {
public:
    static Server &istanza()
    {
        static Server s;
        return s;
    }
    const std::string &motivo() const { return m_motivo; }
    std::string url(const std::string &db = "postgres", const std::string &utente = "pc") const
    {
        return "postgresql://" + utente + "@/" + db + "?host=" + m_dir + "&port=" + std::to_string(m_porta);
    }
    // Runs SQL as the superuser; the first row's first value.
    std::string sql(const std::string &comando, const std::string &db = "postgres") const
    {
        PGconn *c = PQconnectdb(url(db).c_str());
        PGresult *r = PQexec(c, comando.c_str());
        std::string v;
        if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0) v = PQgetvalue(r, 0, 0);
        EXPECT_TRUE(PQresultStatus(r) == PGRES_TUPLES_OK || PQresultStatus(r) == PGRES_COMMAND_OK)
            << comando << ": " << PQerrorMessage(c);
        PQclear(r);
        PQfinish(c);
        return v;
    }
    ~Server()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGINT);   // fast shutdown
            for (int i = 0; i < 400 && kill(m_pid, 0) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::error_code ec;
        if (!m_dir.empty()) fs::remove_all(m_dir, ec);
    }

private:
    Server()
    {
        if (!fs::exists(std::string(Bin) + "/initdb")) {
            m_motivo = std::string("PostgreSQL 15 assente (") + Bin + "): installare postgresql-15";
            return;
        }
        char modello[] = "/tmp/pc-archivio-XXXXXX";
        if (!mkdtemp(modello)) {
            m_motivo = "cartella temporanea non creata";
            return;
        }
        m_dir = modello;
        m_porta = portaLibera();
        std::string come;
        if (geteuid() == 0) {
            // initdb refuses root: the folder and the server go to postgres.
            const passwd *p = getpwnam("postgres");
            if (!p || chown(m_dir.c_str(), p->pw_uid, p->pw_gid) != 0) {
                m_motivo = "utente postgres assente";
                return;
            }
            come = "runuser -u postgres -- ";
        }
        const std::string dati = m_dir + "/data";
        if (std::system((come + Bin + "/initdb -D " + dati + " -A trust -U pc --no-sync -E UTF8 --locale=C >" + m_dir
                         + "/initdb.log 2>&1").c_str())
            != 0) {
            m_motivo = "initdb non riuscito (" + m_dir + "/initdb.log)";
            return;
        }
        // A role that must give its password, for the wrong password case.
        std::ofstream(dati + "/pg_hba.conf") << "local all protetto scram-sha-256\nlocal all all trust\n";
        if (std::system((come + Bin + "/pg_ctl -D " + dati + " -o \"-k " + m_dir + " -p " + std::to_string(m_porta)
                         + " -h '' -c fsync=off\" -l " + m_dir + "/log -w start >/dev/null 2>&1").c_str())
            != 0) {
            m_motivo = "server non avviato (" + m_dir + "/log)";
            return;
        }
        std::ifstream pid(dati + "/postmaster.pid");
        pid >> m_pid;
        sql("CREATE ROLE protetto LOGIN PASSWORD 'giusta'");
    }
    std::string m_dir, m_motivo;
    int m_porta = 0;
    pid_t m_pid = 0;
};

std::shared_ptr<dati::Fonte> lettura(const arc::Contesto &a) { return catena::lettura(a.url, a.struttura); }

arc::EsitoImportazione importa(const arc::Contesto &a, const std::string &cartella, const std::string &storico)
{
    return catena::importa(a.url, a.struttura, cartella, storico);
}

// The report of a request, from the folder or from the archive.
std::string report(CartellaProva &c, RichiestaReport r, const std::optional<arc::Contesto> &archivio = {})
{
    if (archivio) r.dati = lettura(*archivio);
    StampaProduzione(r);
    return c.report();
}

// Every figure of an analysis, as text.
class Trascrizione : public analisi::Destinatario {
public:
    std::string testo;
    void inizio(const analisi::Intestazione &i) override
    {
        n = i.colonne.size();
        for (std::size_t k = 0; k < i.colonne.size(); ++k) testo += i.colonne[k] + "=" + std::to_string(i.disponibili[k]) + " ";
        testo += std::to_string(i.camereAlbergo) + "\n";
    }
    void giorno(Giorno g, const analisi::Cifre *c, const analisi::Cifre &a) override
    {
        testo += g.ggmmaaaa() + (a.mancante ? "*" : "") + (a.mancanteAP ? "+" : "");
        for (std::size_t k = 0; k < n; ++k) aggiungi(c[k]);
        aggiungi(a);
        testo += "\n";
    }
    void fine(const analisi::Cifre *c, const analisi::Cifre &a) override
    {
        testo += "TOTALI";
        for (std::size_t k = 0; k < n; ++k) aggiungi(c[k]);
        aggiungi(a);
    }
    std::size_t n = 0;

private:
    void aggiungi(const analisi::Cifre &c)
    {
        for (Valuta v : {c.vendute, c.ricavo, c.prenotate, c.venduteAP, c.ricavoAP, c.prenotateAP}) testo += " " + v.formatta(2, ',');
    }
};

std::string analisiDi(analisi::RichiestaAnalisi r, std::shared_ptr<dati::Fonte> fonte)
{
    r.dati = std::move(fonte);
    Trascrizione t;
    analisi::calcola(r, t);
    return t.testo;
}

// The statement's day figures of the period, day-major.
std::vector<Valuta> figureDelMotore(TipoReport tipo, Raggruppamento g, Giorno dal, Giorno al, std::shared_ptr<dati::Fonte> fonte = {})
{
    FigureGiornaliere f(tipo, g, dal, al, MetodoCalcolo::Rapido, std::move(fonte));
    std::vector<Valuta> r;
    Giorno primo;
    long giorni = 0;
    const Valuta *cifre = nullptr;
    while (f.prossimoBlocco(primo, giorni, cifre)) r.insert(r.end(), cifre, cifre + giorni * static_cast<long>(f.chiavi().size()));
    return r;
}

dati::Gruppo gruppoDi(Raggruppamento r)
{
    return r == Raggruppamento::NumeriCamere ? dati::Gruppo::Camere : r == Raggruppamento::TipiCamere ? dati::Gruppo::Tipi : dati::Gruppo::Macro;
}

void copiaCartella(const fs::path &da, const fs::path &a)
{
    fs::copy(da, a, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

class Archivio : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Server::istanza().motivo().empty()) GTEST_SKIP() << Server::istanza().motivo();
    }
    Server &server = Server::istanza();
    const fs::path dati = PC_DATI_PROVA;
    const fs::path grande = PC_ALBERGO_GRANDE;
};

TEST_F(Archivio, StatementsFromTheArchiveAreThoseOfTheFolder)
{
    for (const char *tipoFile : {"jet", "sqlite"}) {
        CartellaProva c(perIlReport);
        copiaCartella(dati / "hotel-jet" / tipoFile, c.percorso().toStdString());
        const arc::Contesto ctx{server.url(), std::string("Albergo ") + tipoFile};
        const auto esito = importa(ctx, ".", "storico");
        EXPECT_EQ(esito.tabelle, 15u);
        importa(ctx, ".", "storico");   // again: the same copy
        int confronti = 0;
        for (auto tipo : {TipoReport::Vendite, TipoReport::Produzione})
            for (auto gruppo : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie})
                for (auto [dal, al] : {std::pair{"01/02/2012", "30/04/2012"}, {"29/02/2012", "01/03/2012"},
                                       {"25/01/2012", "25/05/2012"}, {"16/04/2012", "16/04/2012"}}) {
                    const RichiestaReport r{dal, al, tipo, gruppo};
                    const std::string cartella = report(c, r);
                    ASSERT_FALSE(cartella.empty());
                    EXPECT_EQ(report(c, r, ctx), cartella) << tipoFile << " " << dal << "-" << al;
                    ++confronti;
                }
        EXPECT_EQ(confronti, 24);
        // The stored figures are the statement's, by kind and grouping, and
        // the analysis from them is the one from the rows.
        const auto fonte = lettura(ctx);
        const Giorno dal = *Giorno::leggi("25/01/2012"), al = *Giorno::leggi("25/05/2012");
        for (auto gruppo : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie}) {
            const dati::FigureSalvate f = fonte->figure(gruppoDi(gruppo), dal.seriale, al.seriale);
            EXPECT_EQ(f.vendute, figureDelMotore(TipoReport::Vendite, gruppo, dal, al)) << tipoFile;
            EXPECT_EQ(f.ricavo, figureDelMotore(TipoReport::Produzione, gruppo, dal, al)) << tipoFile;
            for (bool confronto : {false, true}) {
                const analisi::RichiestaAnalisi ra{dal, al, gruppo, confronto};
                EXPECT_EQ(analisiDi(ra, fonte), analisiDi(ra, nullptr)) << tipoFile << " " << static_cast<int>(gruppo);
            }
        }
    }
}

TEST_F(Archivio, AnImportWaitsForTheStatementReadingTheOldCopy)
{
    if (!fs::exists(grande)) GTEST_SKIP() << "albergo grande assente: " << grande.string();
    CartellaProva c(perIlReport);
    const std::string dir = c.percorso().toStdString();
    fs::create_directories(dir + "/vecchia");
    fs::create_directories(dir + "/nuova");
    copiaCartella(dati / "hotel-jet" / "sqlite", dir + "/vecchia");
    copiaCartella(grande / "sqlite", dir + "/nuova");
    const arc::Contesto ctx{server.url(), "Scambio"};
    importa(ctx, dir + "/vecchia", dir + "/vecchia/storico");
    const RichiestaReport r{"01/02/2012", "30/04/2012", TipoReport::Produzione, Raggruppamento::NumeriCamere};
    auto dallaCartella = [&](const std::string &sotto) {
        fs::current_path(dir + "/" + sotto);
        qputenv("DIRKV", (dir + "/" + sotto + "/storico").c_str());
        StampaProduzione(r);
        fs::current_path(dir);
        qputenv("DIRKV", (dir + "/storico").c_str());
        std::ifstream f(dir + "/" + sotto + "/fd7", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    const std::string vecchio = dallaCartella("vecchia"), nuovo = dallaCartella("nuova");
    ASSERT_NE(vecchio, nuovo);

    RichiestaReport inLettura = r;
    inLettura.dati = lettura(ctx);
    StampaProduzione(inLettura);   // the reading has begun
    EXPECT_EQ(c.report(), vecchio);
    std::string erroreImportazione;
    std::thread importazione([&] {
        try {
            importa(ctx, dir + "/nuova", dir + "/nuova/storico");
        } catch (const ErroreDati &e) {
            erroreImportazione = e.what();
        }
    });
    // The import has copied everything and waits for the swap.
    std::string attesa;
    for (int i = 0; i < 6000 && attesa != "1"; ++i) {
        attesa = server.sql("SELECT count(*) FROM pg_locks l JOIN pg_class c ON c.oid = l.relation "
                            "WHERE c.relname = 'strutture' AND l.mode = 'AccessExclusiveLock' AND NOT l.granted");
        if (attesa != "1") std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(attesa, "1");
    StampaProduzione(inLettura);
    EXPECT_EQ(c.report(), vecchio);
    inLettura.dati.reset();   // the reading ends: the swap goes through
    importazione.join();
    EXPECT_EQ(erroreImportazione, "");
    EXPECT_EQ(report(c, r, ctx), nuovo);
}

TEST_F(Archivio, StatementsRunOnAReadOnlyServer)
{
    server.sql("CREATE DATABASE sola_lettura");
    CartellaProva c(perIlReport);
    copiaCartella(dati / "hotel-jet" / "jet", c.percorso().toStdString());
    const arc::Contesto ctx{server.url("sola_lettura"), "Jet"};
    importa(ctx, ".", "storico");
    server.sql("ALTER DATABASE sola_lettura SET default_transaction_read_only = on");
    for (auto gruppo : {Raggruppamento::NumeriCamere, Raggruppamento::MacroCategorie}) {
        const RichiestaReport r{"01/02/2012", "30/04/2012", TipoReport::Produzione, gruppo};
        EXPECT_EQ(report(c, r, ctx), report(c, r));
    }
    try {
        importa(ctx, ".", "storico");
        ADD_FAILURE() << "importazione riuscita su un server in sola lettura";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("sola lettura"), std::string::npos) << e.what();
    }
}

// Three properties whose charges are few enough to add up by hand.
AlbergoDiProva albergo(std::vector<std::vector<Valore>> conti)
{
    AlbergoDiProva a;
    a.numeriCamere = {{I(1), T("101"), T("SIN")}, {I(1), T("102"), T("DOP")}, {I(2), T("101"), T("DOP")}};
    a.tipiCamere = {{I(1), T("SIN"), T("C")}, {I(1), T("DOP"), T("C")}, {I(2), T("DOP"), T("C")}};
    a.vociFattura = {{I(1), T("PERN"), T("ARR")}, {I(1), T("BAR"), T("BAR")}, {I(2), T("PERN"), T("ARR")}};
    a.conti = std::move(conti);
    return a;
}

TEST_F(Archivio, TheChainStatementHasOneColumnPerProperty)
{
    server.sql("CREATE DATABASE catena");
    std::map<std::string, AlbergoDiProva> alberghi{
        {"Beta", albergo({{I(1), T("20260301"), T("PERN"), T("101"), R(100)},
                          {I(1), T("20260302"), T("PERN"), T("102"), R(20.5)},
                          {I(2), T("20260302"), T("PERN"), T("101"), R(999)}})},   // another hotel: left out
        {"Alfa", albergo({{I(1), T("20260301"), T("PERN"), T("101"), R(50)},
                          {I(1), T("20260301"), T("BAR"), T("101"), R(4)},   // not a room charge
                          {I(1), T("20260302"), T("PERN"), T("102"), R(80)}})},
        {"gamma", albergo({{I(1), T("20260303"), T("pern"), T("102"), R(7)}})},
    };
    // Alfa: a guest in 101 for two nights and a booking of two rooms for one.
    alberghi["Alfa"].schede = {{I(1), T("20260301"), T("20260303"), T("101")}};
    alberghi["Alfa"].prenotazioni = {{I(1), T("20260301"), T("20260302"), T("102"), T("DOP"), I(2)}};
    CartellaProva c(perIlReport);
    const std::string dir = c.percorso().toStdString();
    for (const auto &[nome, a] : alberghi) {
        a.scrivi(QString::fromStdString(dir + "/" + nome));
        importa({server.url("catena"), nome}, dir + "/" + nome, dir + "/" + nome + "/storico");
    }
    const RichiestaReport r{"01/03/2026", "03/03/2026", TipoReport::Produzione, Raggruppamento::Strutture};
    const std::string atteso = "STAMPA PRODUZIONE PER STRUTTURA DAL 01/03/2026 AL 03/03/2026\n"
                               "┌──────────┬──────────┬──────────┬──────────┐\n"
                               "│   DATA   │Alfa      │Beta      │gamma     │\n"
                               "├──────────┼──────────┼──────────┼──────────┤\n"
                               "│01/03/2026│     50.00│    100.00│      0.00│\n"
                               "│02/03/2026│     80.00│     20.50│      0.00│\n"
                               "│03/03/2026│      0.00│      0.00│      7.00│\n"
                               "├──────────┼──────────┼──────────┼──────────┤\n"
                               "│TOTALI    │    130.00│    120.50│      7.00│\n"
                               "└──────────┴──────────┴──────────┴──────────┘\n";
    EXPECT_EQ(leggibile(report(c, r, arc::Contesto{server.url("catena"), "Beta"})), atteso);
    EXPECT_EQ(leggibile(report(c, r, arc::Contesto{server.url("catena"), ""})), atteso);   // the chain alone

    // The chain's stored figures, bookings apart, and the analysis by property.
    const auto fonte = lettura({server.url("catena"), ""});
    const Giorno dal = *Giorno::leggi("01/03/2026"), al = *Giorno::leggi("03/03/2026");
    const dati::FigureSalvate f = fonte->figure(dati::Gruppo::Strutture, dal.seriale, al.seriale);
    const auto v = [](std::initializer_list<int> x) {
        std::vector<Valuta> r;
        for (int i : x) r.push_back(Valuta::daIntero(i));
        return r;
    };
    EXPECT_EQ(f.chiavi, (std::vector<std::string>{"Alfa", "Beta", "gamma"}));
    EXPECT_EQ(f.disponibili, (std::vector<std::int64_t>{2, 2, 2}));
    EXPECT_EQ(f.vendute, v({3, 0, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(f.prenotate, v({2, 0, 0, 0, 0, 0, 0, 0, 0}));
    Trascrizione t;
    analisi::RichiestaAnalisi perStruttura(dal, al, Raggruppamento::Strutture, false);
    perStruttura.dati = fonte;
    analisi::calcola(perStruttura, t);
    EXPECT_EQ(t.testo.substr(0, t.testo.find('\n')), "Alfa=2 Beta=2 gamma=2 6");
    EXPECT_NE(t.testo.find("TOTALI 4,00 130,00 2,00 0,00 0,00 0,00 0,00 120,50 0,00 0,00 0,00 0,00 0,00 7,00 0,00 0,00 0,00 0,00 "
                           "4,00 257,50 2,00"),
              std::string::npos)
        << t.testo;
    // Without the archive the grouping is refused, the previous report intact.
    try {
        report(c, r);
        ADD_FAILURE() << "report della catena senza archivio";
    } catch (const ErroreDati &) {
    }
    EXPECT_EQ(leggibile(c.report()), atteso);
}

TEST_F(Archivio, FailuresAreItalianMessagesAndLeaveTheReport)
{
    server.sql("CREATE DATABASE vecchio");
    server.sql("CREATE SCHEMA pc_archivio; CREATE TABLE pc_archivio.layout (versione integer); INSERT INTO pc_archivio.layout "
               "VALUES (0); CREATE TABLE pc_archivio.strutture (nome text)",
               "vecchio");
    server.sql("CREATE DATABASE errori");
    CartellaProva c(perIlReport);
    AlbergoDiProva a = albergo({{I(1), T("20260301"), T("PERN"), T("101"), R(50)}});
    a.scrivi(c.percorso());
    importa({server.url("errori"), "Uno"}, ".", "storico");
    std::ofstream(c.percorso().toStdString() + "/fd7") << "precedente";
    const RichiestaReport r{"01/03/2026", "03/03/2026", TipoReport::Produzione, Raggruppamento::TipiCamere};

    std::string url = server.url("errori");
    const std::string irraggiungibile = url.substr(0, url.find("&port=")) + "&port=" + std::to_string(portaLibera());
    qputenv("PGPASSWORD", "sbagliata");
    const struct {
        arc::Contesto contesto;
        const char *atteso;
    } casi[] = {
        {{irraggiungibile, "Uno"}, "Impossibile raggiungere l'archivio centrale"},
        {{server.url("errori", "protetto"), "Uno"}, "negato"},
        {{server.url("errori"), "Nessuna"}, "La struttura \"Nessuna\" non \xC3\xA8 presente"},
        {{server.url("vecchio"), "Uno"}, "versione precedente"},
        {{server.url("vecchio"), "Uno"}, "importare di nuovo"},
        {{server.url("postgres") + "&password=segreta", "Uno"}, "contiene una password"},
    };
    for (const auto &caso : casi) {
        try {
            report(c, r, caso.contesto);
            ADD_FAILURE() << caso.atteso;
        } catch (const ErroreDati &e) {
            const std::string m = e.what();
            EXPECT_NE(m.find(caso.atteso), std::string::npos) << m;
            EXPECT_EQ(m.find("sbagliata"), std::string::npos) << m;
            EXPECT_EQ(m.find("segreta"), std::string::npos) << m;
        }
        EXPECT_EQ(c.report(), "precedente");
    }
    qunsetenv("PGPASSWORD");

    // The connection lost in the middle of a reading.
    {
        RichiestaReport inLettura = r;
        inLettura.dati = lettura({server.url("errori"), "Uno"});
        EXPECT_EQ(inLettura.dati->figure(dati::Gruppo::Tipi, 0, 0).chiavi.size(), 2u);   // the reading has begun
        server.sql("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = 'produzione-camere' "
                   "AND datname = 'errori'");
        try {
            StampaProduzione(inLettura);
            ADD_FAILURE() << "report riuscito senza connessione";
        } catch (const ErroreDati &e) {
            EXPECT_NE(std::string(e.what()).find("si \xC3\xA8 interrotta"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(c.report(), "precedente");
    // The next reading connects again.
    EXPECT_EQ(arc::strutture(server.url("errori")), std::vector<std::string>{"Uno"});
}

// An archive of the layout before the figures, or a property imported into it
// before, is refused with a message saying to import again; importing again
// brings the archive up to date.
TEST_F(Archivio, AnArchiveWithoutFiguresIsRefusedUntilImportedAgain)
{
    server.sql("CREATE DATABASE senza_cifre");
    CartellaProva c(perIlReport);
    albergo({{I(1), T("20260301"), T("PERN"), T("101"), R(50)}}).scrivi(c.percorso());
    const arc::Contesto uno{server.url("senza_cifre"), "Uno"}, catena{server.url("senza_cifre"), ""};
    importa(uno, ".", "storico");
    importa({uno.url, "Due"}, ".", "storico");
    server.sql("ALTER TABLE pc_archivio.strutture DROP COLUMN camere, DROP COLUMN figure; DROP TABLE pc_archivio.figure_catena; "
               "UPDATE pc_archivio.layout SET versione = 1",
               "senza_cifre");
    const RichiestaReport perTipo{"01/03/2026", "03/03/2026", TipoReport::Produzione, Raggruppamento::TipiCamere};
    const RichiestaReport perStruttura{"01/03/2026", "03/03/2026", TipoReport::Produzione, Raggruppamento::Strutture};
    const std::string atteso = report(c, perTipo);
    auto errore = [&](const RichiestaReport &r, const arc::Contesto &a) {
        try {
            report(c, r, a);
        } catch (const ErroreDati &e) {
            return std::string(e.what());
        }
        return std::string();
    };
    for (const auto &m : {errore(perTipo, uno), errore(perStruttura, catena)}) {
        EXPECT_NE(m.find("versione precedente"), std::string::npos) << m;
        EXPECT_NE(m.find("importa"), std::string::npos) << m;
    }
    importa(uno, ".", "storico");   // brings the layout up; "Due" still lacks its figures
    EXPECT_EQ(report(c, perTipo, uno), atteso);
    for (const auto &m : {errore(perTipo, {uno.url, "Due"}), errore(perStruttura, catena)})
        EXPECT_NE(m.find("\"Due\" dell'archivio centrale (") , std::string::npos) << m;
    importa({uno.url, "Due"}, ".", "storico");
    EXPECT_EQ(errore(perStruttura, catena), "");
}

// Two properties read at once from two threads, each through its own
// reading, get their own figures and statements every time.
TEST_F(Archivio, TwoPropertiesReadFromTwoThreadsGetTheirOwnFigures)
{
    server.sql("CREATE DATABASE thread");
    CartellaProva c(perIlReport);
    const std::string dir = c.percorso().toStdString();
    const std::pair<const char *, double> proprieta[] = {{"Prima", 50}, {"Seconda", 70}};
    for (const auto &[nome, importo] : proprieta) {
        albergo({{I(1), T("20260301"), T("PERN"), T("101"), R(importo)}}).scrivi(QString::fromStdString(dir + "/" + nome));
        importa({server.url("thread"), nome}, dir + "/" + nome, dir + "/" + nome + "/storico");
    }
    const Giorno g = *Giorno::leggi("01/03/2026");
    auto leggiFile = [](const std::string &nome) {
        std::ifstream f(nome, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    // Each thread's statement in a file of its own, against the one made alone.
    std::vector<RichiestaReport> richieste;
    std::vector<std::string> attesi;
    for (const auto &[nome, importo] : proprieta) {
        RichiestaReport r{"01/03/2026", "02/03/2026", TipoReport::Produzione, Raggruppamento::NumeriCamere};
        r.uscita = dir + "/report-" + nome;
        r.dati = lettura({server.url("thread"), nome});
        StampaProduzione(r);
        attesi.push_back(leggiFile(r.uscita));
        r.dati.reset();
        richieste.push_back(r);
    }
    ASSERT_NE(attesi[0], attesi[1]);
    std::vector<std::string> errori(2);
    std::vector<std::thread> fili;
    for (std::size_t p = 0; p < 2; ++p)
        fili.emplace_back([&, p] {
            const Valuta atteso = Valuta::daIntero(static_cast<long long>(proprieta[p].second));
            for (int volta = 0; volta < 20 && errori[p].empty(); ++volta) {
                try {
                    const auto fonte = lettura({server.url("thread"), proprieta[p].first});
                    const auto f = fonte->figure(dati::Gruppo::Tipi, g.seriale, g.seriale);
                    const auto righe = figureDelMotore(TipoReport::Produzione, Raggruppamento::TipiCamere, g, g, fonte);
                    if (f.ricavo != righe || f.ricavo.size() != 2 || f.ricavo[1] != atteso)
                        errori[p] = std::string("cifre di un'altra struttura per ") + proprieta[p].first;
                    RichiestaReport r = richieste[p];
                    r.dati = fonte;
                    StampaProduzione(r);
                    if (leggiFile(r.uscita) != attesi[p]) errori[p] = std::string("report diverso per ") + proprieta[p].first;
                } catch (const ErroreDati &e) {
                    errori[p] = e.what();
                }
            }
        });
    for (auto &f : fili) f.join();
    EXPECT_EQ(errori, std::vector<std::string>(2));
}

// Every cell comes back as it was: kinds mixed in a column, texts the
// server cannot hold as text, the characters COPY escapes, null and the
// empty text; and a criterion narrowed by the server selects and orders the
// same records.
TEST_F(Archivio, EveryCellComesBackAsItWas)
{
    // A whole hotel, whose VociFattura is then replaced (the import computes
    // the figures too, which need every file).
    CartellaProva c(perIlReport);
    albergo({}).scrivi(c.percorso());
    const std::vector<std::vector<Valore>> righe = {
        {I(1), T("b\tc\\d\ne\r"), T("20250101"), I(7), N()},
        {I(1), T("A"), T(""), T("testo"), N()},
        {I(2), T("\xC3\xA0 la carte"), N(), R(1.0005), N()},
        {I(1), T("zeta"), T("20240229"), T(std::string("nul\0dentro", 10)), N()},
        {T("1"), T("a"), T("2025"), T("\xFF\xFE non UTF-8"), N()},
        {N(), T("Caff\xC3\xA8"), T("20251231"), R(-0.0), N()},
        {I(1), N(), T("19991231"), R(1e300), N()},
    };
    demo::scriviArchivio(c.percorso().toStdString() + "/VociFattura.mdb",
                         {{"VociFattura", {{"NumeroHotel", ""}, {"Codice", "TEXT"}, {"Data", "TEXT"}, {"Misto", ""}, {"Reparto", "TEXT"}}, righe}});
    const arc::Contesto ctx{server.url(), "Celle"};
    importa(ctx, ".", "storico");
    for (const char *sql : {"VociFattura", "Select * From VociFattura Where NumeroHotel = 1 and Data >= '2000' Order by Codice",
                            "Select * From VociFattura Where Data < '20250101' or Codice = 'a'",
                            "Select Misto From VociFattura Where NumeroHotel = 1 and Left(Codice, 1) <> 'b' Order by Misto"}) {
        auto leggi = [&](const std::optional<arc::Contesto> &a) {
            auto rs = dati::Database::open("VociFattura.mdb", a ? lettura(*a) : dati::cartella())->openRecordset(sql);
            std::vector<std::vector<Valore>> r(rs->size());
            for (std::size_t i = 0; i < rs->size(); ++i)
                for (std::size_t k = 0; k < rs->colonne().size(); ++k) r[i].push_back(rs->value(i, static_cast<int>(k)));
            return r;
        };
        const auto cartella = leggi(std::nullopt);
        EXPECT_FALSE(cartella.empty()) << sql;
        EXPECT_EQ(leggi(ctx), cartella) << sql;
    }
}

// An import that would lack a table the statement reads is refused before
// anything is replaced, naming what is missing; the print menu's files may be
// absent. Each archived file is taken away in turn.
TEST_F(Archivio, AnIncompleteImportIsRefusedAndThePreviousCopyStays)
{
    CartellaProva c(perIlReport);
    const fs::path dir = c.percorso().toStdString();
    copiaCartella(dati / "hotel-jet" / "sqlite", dir);
    fs::create_directories(dir / "via");
    fs::create_directories(dir / "vuota");
    const arc::Contesto ctx{server.url(), "Completa"};
    importa(ctx, ".", "storico");
    const RichiestaReport r{"01/02/2012", "30/04/2012", TipoReport::Produzione, Raggruppamento::TipiCamere};
    const std::string atteso = report(c, r);
    auto importa = [&](const std::string &struttura, const std::string &storico) -> std::string {
        try {
            catena::importa(ctx.url, struttura, ".", storico);
        } catch (const ErroreDati &e) {
            return e.what();
        }
        return "";
    };

    for (const auto &f : arc::fileArchiviati()) {
        const fs::path file = dir / (f.storico ? "storico" : "") / f.file;
        fs::rename(file, dir / "via" / f.file);
        const std::string m = importa(ctx.struttura, "storico");
        if (f.prospetto) {
            EXPECT_NE(m.find("rifiutata"), std::string::npos) << f.file << ": " << m;
            EXPECT_NE(m.find(f.file), std::string::npos) << m;
        } else {
            // Every statement still runs from the copy, as from the folder.
            EXPECT_EQ(m, "") << f.file;
            for (auto tipo : {TipoReport::Vendite, TipoReport::Produzione})
                for (auto gruppo : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie}) {
                    const RichiestaReport x{"25/01/2012", "25/05/2012", tipo, gruppo};
                    EXPECT_EQ(report(c, x, ctx), report(c, x)) << f.file;
                }
        }
        fs::rename(dir / "via" / f.file, file);
        EXPECT_EQ(report(c, r, ctx), atteso) << f.file;
    }

    // DIRKV empty (not mounted), a FIFO in a database's place (never opened),
    // a file without one of its tables, and names that are no names.
    ASSERT_EQ(mkfifo((dir / "via/ContoStoricoClienti.mdb").c_str(), 0600), 0);
    fs::copy_file(dir / "storico/SchedaStoricoClienti.mdb", dir / "via/SchedaStoricoClienti.mdb");
    fs::rename(dir / "TipiCamere_Macro.mdb", dir / "TipiCamere_Macro.mdb.vero");
    demo::scriviArchivio((dir / "TipiCamere_Macro.mdb").string(),
                         {{"TipiCamere_MacroN", demo::colonneSuite("TipiCamere_MacroN"), {}}});
    const struct {
        std::string struttura, storico;
        std::vector<std::string> attesi;
    } casi[] = {
        {"Completa", "vuota", {"SchedaStoricoClienti.mdb", "ContoStoricoClienti.mdb", "\"vuota\" \xC3\xA8 vuota"}},
        {"Completa", "via", {"ContoStoricoClienti.mdb\" non \xC3\xA8 un archivio ma una pipe", "Tabella \"TipiCamere_Macro\" assente"}},
        {"Riga\nDue", "storico", {"caratteri di controllo"}},
        {"Tab\tulata", "storico", {"caratteri di controllo"}},
        {"  \xC2\xA0 ", "storico", {"soli spazi"}},
    };
    for (const auto &caso : casi) {
        const std::string m = importa(caso.struttura, caso.storico);
        for (const auto &a : caso.attesi) EXPECT_NE(m.find(a), std::string::npos) << m;
        EXPECT_EQ(report(c, r, ctx), atteso);
    }
    EXPECT_EQ(server.sql("SELECT count(*) FROM pc_archivio.strutture WHERE nome <> 'Completa' AND nome LIKE '%Completa%' OR nome ~ '[[:cntrl:]]'"), "0");
}

} // namespace
} // namespace pc::prova
