// The atomic writer never writes into one of the hotel's databases, whatever
// name or chain of links leads to it, and names what a path really is.

#include "CartellaProva.h"
#include "ErroreDati.h"
#include "ScritturaFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>

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
