// The atomic writer never writes into one of the hotel's databases, whatever
// name or chain of links leads to it, and names what a path really is.

#include "CartellaProva.h"
#include "ErroreDati.h"
#include "ScritturaFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using pc::dati::ErroreDati;
using pc::dati::FileProvvisorio;
using pc::dati::ScritturaFile;
using pc::dati::descriviEccezione;
using pc::dati::naturaPercorso;
using pc::dati::scriviFileAtomico;
using pc::dati::sostituisciFile;

namespace pc::prova {
namespace {

namespace fs = std::filesystem;

std::string contenuto(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

TEST(ScritturaFile, NessunArchivioDellAlbergoVieneSovrascritto)
{
    CartellaProva c;
    const fs::path sqlite = c.radice() / "Scheda_Cliente.mdb";
    {
        std::ofstream(sqlite, std::ios::binary) << std::string("SQLite format 3\0", 16) << std::string(2000, 'd');
    }
    const fs::path jet = c.radice() / "NumeriCamere.mdb";
    fs::copy_file(fs::path(PC_DATI_PROVA) / "mdb-real" / "delTestV2000.mdb", jet);
    const fs::path altro = c.radice() / "altro.txt";
    std::ofstream(altro) << "testo qualsiasi";

    using Scrittura = std::function<void(const std::string &)>;
    const std::vector<std::pair<const char *, Scrittura>> scritture = {
        {"scrittura", [](const std::string &f) { scriviFileAtomico(f, "report", "il file del report"); }},
        {"sostituzione",
         [&](const std::string &f) {
             const std::string t = (c.radice() / "temporaneo").string();
             std::ofstream(t) << "pdf";
             sostituisciFile(t, f, "il file PDF");
         }},
    };
    struct Caso {
        const char *nome;
        std::function<fs::path()> prepara;   // the name written to
        fs::path archivio;                   // the database that must stay as it was
        const char *motore;
    };
    const std::vector<Caso> casi = {
        {"l'archivio stesso", [&] { return sqlite; }, sqlite, "SQLite"},
        {"collegamento", [&] { fs::create_symlink(sqlite, c.radice() / "fd1"); return c.radice() / "fd1"; }, sqlite, "SQLite"},
        {"catena di collegamenti",
         [&] {
             fs::create_symlink("Scheda_Cliente.mdb", c.radice() / "anello");
             fs::create_symlink(c.radice() / "anello", c.radice() / "fd1");
             return c.radice() / "fd1";
         },
         sqlite, "SQLite"},
        {"collegamento fisico", [&] { fs::create_hard_link(sqlite, c.radice() / "fd1"); return c.radice() / "fd1"; }, sqlite, "SQLite"},
        {"archivio Jet", [&] { fs::create_symlink(jet, c.radice() / "fd1"); return c.radice() / "fd1"; }, jet, "Jet"},
    };
    for (const auto &[modo, scrivi] : scritture)
        for (const Caso &caso : casi) {
            SCOPED_TRACE(std::string(modo) + ", " + caso.nome);
            const std::string prima = contenuto(caso.archivio);
            const fs::path bersaglio = caso.prepara();
            try {
                scrivi(bersaglio.string());
                ADD_FAILURE() << "scritto";
            } catch (const ErroreDati &e) {
                const std::string m = e.what();
                EXPECT_NE(m.find(caso.motore), std::string::npos) << m;
                EXPECT_NE(m.find("non viene mai sovrascritto"), std::string::npos) << m;
            }
            EXPECT_EQ(contenuto(caso.archivio), prima);
            for (const char *n : {"fd1", "anello", "temporaneo"}) fs::remove(c.radice() / n);
            EXPECT_EQ(std::distance(fs::directory_iterator(c.radice()), fs::directory_iterator()), 3);
        }

    // A link onto any other file: written like any file.
    fs::create_symlink(altro, c.radice() / "fd1");
    scriviFileAtomico((c.radice() / "fd1").string(), "report");
    EXPECT_EQ(contenuto(c.radice() / "fd1"), "report");
}

TEST(ScritturaFile, NaturaDiUnPercorsoCheNonEUnFile)
{
    CartellaProva c;
    ASSERT_EQ(mkfifo((c.radice() / "pipe").c_str(), 0600), 0);
    std::ofstream(c.radice() / "file") << "x";
    const std::vector<std::pair<fs::path, std::string>> casi = {
        {c.radice() / "pipe", "una pipe (FIFO)"},
        {"/dev/zero", "un dispositivo a caratteri"},
        {c.radice(), "una cartella"},
        {c.radice() / "file", ""},
        {c.radice() / "assente", ""},
    };
    for (const auto &[p, natura] : casi) EXPECT_EQ(naturaPercorso(p.string()), natura) << p;
    // A folder is never replaced by a file.
    EXPECT_THROW(scriviFileAtomico(c.radice().string(), "x"), ErroreDati);
    EXPECT_TRUE(fs::is_directory(c.radice()));
}

TEST(ScritturaFile, OgniEccezioneHaUnMessaggioItaliano)
{
    const std::vector<std::pair<std::exception_ptr, std::string>> casi = {
        {std::make_exception_ptr(ErroreDati("messaggio proprio")), "messaggio proprio"},
        {std::make_exception_ptr(std::bad_alloc()), "Memoria insufficiente"},
        {std::make_exception_ptr(fs::filesystem_error("x", "/a/b", std::make_error_code(std::errc::permission_denied))),
         "Errore del file system su \"/a/b\": permesso negato."},
        {std::make_exception_ptr(std::system_error(std::make_error_code(std::errc::filename_too_long))),
         "nome del file troppo lungo"},
        {std::make_exception_ptr(42), "Errore imprevisto del programma."},
    };
    for (const auto &[eccezione, atteso] : casi) {
        const std::string m = descriviEccezione(eccezione);
        EXPECT_NE(m.find(atteso), std::string::npos) << m;
    }
}

} // namespace
} // namespace pc::prova

namespace pc::prova {
namespace {

// The temporary files of the file writer left in a folder.
std::vector<std::string> provvisori(const fs::path &cartella)
{
    std::vector<std::string> nomi;
    for (const auto &e : fs::directory_iterator(cartella))
        if (e.path().filename().string().find(".pc-tmp.") != std::string::npos) nomi.push_back(e.path().filename().string());
    return nomi;
}

std::string tipo(const fs::path &p)
{
    std::error_code ec;
    const auto s = fs::symlink_status(p, ec);
    if (fs::is_symlink(s)) return "link:" + fs::read_symlink(p).string();
    if (fs::is_regular_file(s)) return "file:" + contenuto(p);
    return std::to_string(static_cast<int>(s.type()));
}

TEST(ScritturaFile, OgniDestinazioneComeLaRegolaDice)
{
    CartellaProva c;
    const fs::path t = c.radice() / "t", sub = c.radice() / "sub";
    // A device of our own when we may make one: a faulty writer run as root
    // would replace it, not the system's /dev/null.
    const fs::path dispositivo =
        geteuid() == 0 && mknod((c.radice() / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 ? c.radice() / "null" : fs::path("/dev/null");
    fs::create_directory(sub);
    std::ofstream(sub / "altro.txt") << "vecchio";
    {
        std::ofstream(c.radice() / "db.mdb", std::ios::binary) << std::string("SQLite format 3\0", 16) << std::string(2000, 'd');
    }
    struct Caso {
        const char *nome;
        std::function<fs::path()> prepara;   // makes the thing at t; returns the target to write
        const char *errore;                  // what the message says; nullptr: written
        fs::path scritto;                    // where the new bytes go when written
    };
    const std::vector<Caso> casi = {
        {"pipe", [&] { mkfifo(t.c_str(), 0600); return t; }, "una pipe (FIFO)", {}},
        {"socket",
         [&] {
             const int s = socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un a{};
             a.sun_family = AF_UNIX;
             std::strncpy(a.sun_path, t.c_str(), sizeof a.sun_path - 1);
             bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
             close(s);
             return t;
         },
         "un socket", {}},
        {"collegamento a un dispositivo", [&] { fs::create_symlink(dispositivo, t); return t; }, "un dispositivo a caratteri", {}},
        {"cartella", [&] { fs::create_directory(t); return t; }, "\xC3\xA8 una cartella", {}},
        {"collegamento a una cartella", [&] { fs::create_symlink(sub, t); return t; }, "\xC3\xA8 una cartella", {}},
        {"collegamento circolare", [&] { fs::create_symlink("t2", t); fs::create_symlink("t", c.radice() / "t2"); return t; },
         "collegamenti simbolici", {}},
        {"file di lavoro di un archivio", [&] { return c.radice() / "db.mdb-wal"; }, "file di lavoro dell'archivio SQLite", {}},
        {"collegamento a un file", [&] { fs::create_symlink("sub/altro.txt", t); return t; }, nullptr, sub / "altro.txt"},
        {"collegamento a un file che manca", [&] { fs::create_symlink(sub / "nuovo.txt", t); return t; }, nullptr, sub / "nuovo.txt"},
        {"file nuovo", [&] { return t; }, nullptr, t},
    };
    using Scrittura = std::function<void(const std::string &)>;
    const std::vector<std::pair<const char *, Scrittura>> scritture = {
        {"byte", [](const std::string &f) { scriviFileAtomico(f, "nuovo"); }},
        {"scrittore esterno",
         [](const std::string &f) {
             FileProvvisorio p(f, "il file");
             std::ofstream(p.percorso(), std::ios::binary) << "nuovo";
             p.conferma();
         }},
    };
    for (const auto &[modo, scrivi] : scritture)
        for (const Caso &caso : casi) {
            SCOPED_TRACE(std::string(modo) + ", " + caso.nome);
            const fs::path bersaglio = caso.prepara();
            const std::string prima = tipo(bersaglio), dbPrima = contenuto(c.radice() / "db.mdb");
            try {
                scrivi(bersaglio.string());
                EXPECT_EQ(caso.errore, nullptr) << "scritto";
                EXPECT_EQ(contenuto(caso.scritto), "nuovo");
                if (caso.scritto != bersaglio) EXPECT_EQ(tipo(bersaglio), prima);   // the link stays
            } catch (const ErroreDati &e) {
                ASSERT_NE(caso.errore, nullptr) << e.what();
                EXPECT_NE(std::string(e.what()).find(caso.errore), std::string::npos) << e.what();
                EXPECT_EQ(tipo(bersaglio), prima);
            }
            EXPECT_EQ(contenuto(c.radice() / "db.mdb"), dbPrima);
            EXPECT_TRUE(fs::is_character_file(dispositivo));
            EXPECT_TRUE(provvisori(c.radice()).empty());
            EXPECT_TRUE(provvisori(sub).empty());
            std::error_code ec;
            for (const char *n : {"t", "t2"}) fs::remove_all(c.radice() / n, ec);
            fs::remove(sub / "nuovo.txt", ec);
            std::ofstream(sub / "altro.txt") << "vecchio";
        }

    // A replaced file keeps its permissions, read-only ones too.
    for (const auto &[modo, scrivi] : scritture) {
        SCOPED_TRACE(modo);
        std::ofstream(t) << "x";
        const fs::perms permessi = fs::perms::owner_read | fs::perms::group_read;
        fs::permissions(t, permessi);
        scrivi(t.string());
        EXPECT_EQ(contenuto(t), "nuovo");
        EXPECT_EQ(fs::status(t).permissions() & fs::perms::all, permessi);
        fs::remove(t);
    }
}

// Writes, then ends by the signal: the temporary file must be gone.
TEST(ScritturaFile, UnSegnaleNonLasciaFileProvvisori)
{
    CartellaProva c;
    std::ofstream(c.radice() / "out") << "vecchio";
    for (const int segnale : {SIGTERM, SIGINT, SIGHUP, SIGXFSZ}) {
        for (const bool esterno : {false, true}) {
            SCOPED_TRACE(std::to_string(segnale) + (esterno ? " scrittore esterno" : " byte"));
            std::fflush(nullptr);
            const pid_t figlio = fork();
            if (figlio == 0) {
                std::signal(segnale, SIG_DFL);
                FileProvvisorio f((c.radice() / "out").string());
                const std::string blocco(8192, 'x');
                if (segnale == SIGXFSZ) {
                    const rlimit r{4096, 4096};
                    setrlimit(RLIMIT_FSIZE, &r);   // the next write past 4 KB raises SIGXFSZ
                }
                if (esterno) std::ofstream(f.percorso(), std::ios::binary) << blocco << std::flush;
                else f.scrivi(blocco);
                raise(segnale);
                _exit(0);
            }
            int stato = 0;
            waitpid(figlio, &stato, 0);
            EXPECT_TRUE(WIFSIGNALED(stato) && WTERMSIG(stato) == segnale) << stato;
            EXPECT_TRUE(provvisori(c.radice()).empty()) << provvisori(c.radice()).front();
            EXPECT_EQ(contenuto(c.radice() / "out"), "vecchio");
        }
    }
}

// What a SIGKILL leaves is removed by a later write beside it only when its
// process is gone and it comes from this host.
TEST(ScritturaFile, ResiduiRimossiSoloSeOrfaniDiQuestaPostazione)
{
    CartellaProva c;
    int canale[2];
    ASSERT_EQ(pipe(canale), 0);
    std::fflush(nullptr);
    const pid_t figlio = fork();
    if (figlio == 0) {
        FileProvvisorio f((c.radice() / "report").string());
        f.scrivi("mezzo report");
        const std::string nome = fs::path(f.percorso()).filename().string();
        (void)!write(canale[1], nome.c_str(), nome.size());
        close(canale[1]);
        for (;;) pause();
    }
    close(canale[1]);
    char buffer[512] = {};
    ASSERT_GT(read(canale[0], buffer, sizeof buffer - 1), 0);
    close(canale[0]);
    kill(figlio, SIGKILL);
    waitpid(figlio, nullptr, 0);
    const std::string orfano = buffer;   // ".report.pc-tmp.HOST.PID.RANDOM"
    ASSERT_TRUE(fs::exists(c.radice() / orfano));

    const auto marca = orfano.find(".pc-tmp.") + 8;
    const auto punto1 = orfano.find('.', marca), punto2 = orfano.find('.', punto1 + 1);
    const std::string testa = orfano.substr(0, marca), host = orfano.substr(marca, punto1 - marca);
    const std::string altraPostazione = testa + "altra-postazione" + orfano.substr(punto1);
    const std::string vivo = testa + host + ".1" + orfano.substr(punto2);   // process 1 is always alive
    for (const auto &n : {altraPostazione, vivo}) std::ofstream(c.radice() / n) << "in corso";

    scriviFileAtomico((c.radice() / "altro").string(), "x");
    EXPECT_FALSE(fs::exists(c.radice() / orfano));
    EXPECT_TRUE(fs::exists(c.radice() / altraPostazione));
    EXPECT_TRUE(fs::exists(c.radice() / vivo));
}

} // namespace
} // namespace pc::prova
