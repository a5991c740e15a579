// Jet files read from several threads at once, while another thread writes
// on stdout and stderr: every table comes out as when read alone, and not a
// line of the other thread is lost or moved while libmdb's output is hidden.

#include "JetComune.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <thread>
#include <vector>
#include <unistd.h>

namespace pc::prova {

namespace {

namespace fs = std::filesystem;

// Every table of every Jet file of the small hotel, each as one text.
std::map<std::string, std::string> leggiTutto(const fs::path &cartella)
{
    std::map<std::string, std::string> tabelle;
    for (const auto &e : fs::recursive_directory_iterator(cartella)) {
        if (!e.is_regular_file()) continue;
        auto s = dati::apriSorgente(e.path().string());
        for (const auto &nome : s->tabelle()) {
            const dati::Tabella t = s->leggiTabella(nome);
            std::string testo;
            for (std::size_t r = 0; r < t.righe.size(); ++r)
                for (std::size_t c = 0; c < t.colonne.size(); ++c) testo += t.righe[r][c].inTesto() + (c + 1 < t.colonne.size() ? "\t" : "\n");
            tabelle[e.path().filename().string() + "/" + nome] = testo;
        }
    }
    return tabelle;
}

// Descriptors 1 and 2 sent to files for the length of the object.
class CatturaUscite {
public:
    CatturaUscite()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        for (int i = 0; i < 2; ++i) {
            m_file[i] = fs::temp_directory_path() / ("pc_jet_thread_" + std::to_string(::getpid()) + "_" + std::to_string(i));
            std::FILE *f = std::fopen(m_file[i].c_str(), "w");
            m_salvato[i] = ::dup(i + 1);
            ::dup2(::fileno(f), i + 1);
            std::fclose(f);
        }
    }
    ~CatturaUscite()
    {
        ripristina();
        for (const auto &f : m_file) fs::remove(f);
    }
    void ripristina()
    {
        std::cout.flush();
        std::fflush(stdout);
        std::fflush(stderr);
        for (int i = 0; i < 2; ++i)
            if (m_salvato[i] >= 0) {
                ::dup2(m_salvato[i], i + 1);
                ::close(m_salvato[i]);
                m_salvato[i] = -1;
            }
    }
    std::string uscita(int fd) const
    {
        std::ifstream f(m_file[fd - 1], std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }

private:
    fs::path m_file[2];
    int m_salvato[2] = {-1, -1};
};

} // namespace

TEST(JetThread, LettureParalleleEUsciteDiAltriThreadIntatte)
{
    const fs::path cartella = pc::prova::datiProva() / "hotel-jet" / "jet";
    const auto attese = leggiTutto(cartella);
    ASSERT_EQ(attese.size(), 15u);

    constexpr int kLettori = 4, kGiri = 3;
    std::vector<int> giusti(kLettori, 0);
    std::vector<std::string> errori(kLettori);
    std::atomic<int> attivi{kLettori};
    int righeScritte = 0;
    {
        CatturaUscite cattura;
        std::thread scrittore([&] {
            // Writes until every reader is done, and at least 200 lines.
            for (int n = 0; n < 200 || attivi.load() > 0; ++n) {
                std::fprintf(stderr, "errore %d\n", n);
                std::cout << "uscita " << n << '\n';
                righeScritte = n + 1;
            }
        });
        std::vector<std::thread> lettori;
        for (int l = 0; l < kLettori; ++l)
            lettori.emplace_back([&, l] {
                try {
                    for (int g = 0; g < kGiri; ++g)
                        if (leggiTutto(cartella) == attese) ++giusti[static_cast<std::size_t>(l)];
                } catch (const std::exception &e) {
                    errori[static_cast<std::size_t>(l)] = e.what();
                }
                --attivi;
            });
        for (auto &t : lettori) t.join();
        scrittore.join();
        cattura.ripristina();

        std::string errAttese, outAttese;
        for (int n = 0; n < righeScritte; ++n) {
            errAttese += "errore " + std::to_string(n) + "\n";
            outAttese += "uscita " + std::to_string(n) + "\n";
        }
        // Compared whole: a line lost, repeated or out of place shows up.
        EXPECT_TRUE(cattura.uscita(2) == errAttese) << "stderr diverso su " << righeScritte << " righe";
        EXPECT_TRUE(cattura.uscita(1) == outAttese) << "stdout diverso su " << righeScritte << " righe";
    }
    for (int l = 0; l < kLettori; ++l) {
        EXPECT_EQ(errori[static_cast<std::size_t>(l)], "") << "lettore " << l;
        EXPECT_EQ(giusti[static_cast<std::size_t>(l)], kGiri) << "lettore " << l;
    }
}

} // namespace pc::prova
