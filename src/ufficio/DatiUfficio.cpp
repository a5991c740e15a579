#include "DatiUfficio.h"

#include "Catena.h"
#include "Centrale.h"
#include "ConvertiXLS.h"
#include "FileReport.h"
#include "Formati.h"
#include "ScritturaFile.h"
#include "StampaProduzione.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

using pc::anteprima::ConvertiXLS;
using pc::anteprima::nomeFileCsv;
using pc::dati::ErroreDati;
using pc::dati::causaSistema;

namespace pc::ufficio {

namespace centrale = dati::centrale;

Catena perUtente(const Catena &c, const std::vector<std::string> &ammesse)
{
    if (ammesse.empty()) return c;
    Catena r;
    r.giorno = c.giorno;
    r.totale.struttura = c.totale.struttura;
    for (const auto &riga : c.righe)
        if (std::find(ammesse.begin(), ammesse.end(), riga.struttura) != ammesse.end()) {
            r.righe.push_back(riga);
            r.totale.giorno += riga.giorno;
            r.totale.mese += riga.mese;
            r.totale.anno += riga.anno;
        }
    return r;
}

DatiUfficio::DatiUfficio(std::string url) : m_url(std::move(url))
{
    const char *tmp = std::getenv("TMPDIR");
    std::string modello = std::string(tmp && *tmp ? tmp : "/tmp") + "/produzione-camere-ufficio-XXXXXX";
    if (!mkdtemp(modello.data()))
        throw ErroreDati("Impossibile creare la cartella di lavoro temporanea in \"" + modello.substr(0, modello.rfind('/'))
                         + "\": " + causaSistema(errno) + ".");
    m_cartella = modello;
    if (chdir(m_cartella.c_str()) != 0) throw ErroreDati("Impossibile lavorare nella cartella \"" + m_cartella + "\".");
    // The history files are found by name in the archive: any folder will do.
    setenv("DIRKV", ".", 1);
}

DatiUfficio::~DatiUfficio()
{
    std::error_code ec;
    std::filesystem::remove_all(m_cartella, ec);
}

template <class F> auto DatiUfficio::inLettura(const std::string &struttura, F &&f)
{
    m_posti.acquire();
    struct Libera {
        std::counting_semaphore<1024> &s;
        ~Libera() { s.release(); }
    } libera{m_posti};
    try {
        return f(catena::lettura(m_url, struttura));
    } catch (const StrutturaSconosciuta &) {
        throw;
    } catch (const ErroreDati &) {
        // A reading of its own only when the request failed: a property the
        // archive does not hold is told apart from a failing server.
        if (!struttura.empty()) controllaStruttura(struttura);
        throw;
    }
}

void DatiUfficio::controllaStruttura(const std::string &struttura)
{
    const auto elenco = centrale::strutture(m_url);
    if (std::find(elenco.begin(), elenco.end(), struttura) == elenco.end())
        throw StrutturaSconosciuta("La struttura \"" + struttura + "\" non \xC3\xA8 presente nell'archivio centrale.");
}

std::string DatiUfficio::leggiERimuovi(const std::string &nome)
{
    std::ifstream f(nome, std::ios::binary);
    std::string byte((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const bool letto = !f.bad();
    std::remove(nome.c_str());
    if (!letto) throw ErroreDati("Impossibile rileggere il file \"" + nome + "\" appena scritto.");
    return byte;
}

std::vector<std::string> DatiUfficio::strutture()
{
    return inLettura({}, [this](const auto &) { return centrale::strutture(m_url); });
}

Catena DatiUfficio::catena(Giorno giorno)
{
    // The archive is asked whether it changed at most once a second: a busy
    // chain page costs no reading then.
    {
        std::lock_guard lock(m_mutexCatene);
        if (std::chrono::steady_clock::now() - m_firmaLetta < std::chrono::seconds(1))
            for (const auto &c : m_catene)
                if (c.giorno == giorno) return c;
    }
    return inLettura({}, [&](const std::shared_ptr<dati::Fonte> &fonte) {
        const std::string firma = centrale::firma(m_url);
        {
            std::lock_guard lock(m_mutexCatene);
            if (firma != m_firmaCatena) {
                m_catene.clear();
                m_firmaCatena = firma;
            }
            m_firmaLetta = std::chrono::steady_clock::now();
            for (const auto &c : m_catene)
                if (c.giorno == giorno) return c;
        }
        // The analysis by property of the three periods, from one snapshot.
        auto figure = [&](Giorno dal, analisi::Riepilogo &riepilogo) {
            analisi::RichiestaAnalisi r;
            r.dalla = dal;
            r.alla = giorno;
            r.raggruppamento = Raggruppamento::Strutture;
            r.confronto = true;
            r.dati = fonte;
            analisi::calcola(r, riepilogo);
        };
        analisi::Riepilogo delGiorno, delMese, dellAnno;
        figure(giorno, delGiorno);
        figure(Giorno::da(giorno.anno(), giorno.mese(), 1), delMese);
        figure(Giorno::da(giorno.anno(), 1, 1), dellAnno);
        Catena c;
        c.giorno = giorno;
        c.totale = {"Totale catena", delGiorno.totaleAlbergo, delMese.totaleAlbergo, dellAnno.totaleAlbergo};
        const auto &nomi = dellAnno.intestazione.colonne;
        for (std::size_t i = 0; i < nomi.size(); ++i)
            c.righe.push_back({nomi[i], delGiorno.totaliColonne.at(i), delMese.totaliColonne.at(i), dellAnno.totaliColonne.at(i)});
        std::lock_guard lock(m_mutexCatene);
        if (m_catene.size() >= 32) m_catene.erase(m_catene.begin());
        m_catene.push_back(c);
        return c;
    });
}

analisi::Riepilogo DatiUfficio::riepilogo(const std::string &struttura, const analisi::RichiestaAnalisi &r)
{
    return inLettura(struttura, [&](const std::shared_ptr<dati::Fonte> &fonte) {
        analisi::RichiestaAnalisi q = r;
        q.dati = fonte;
        analisi::Riepilogo riepilogo;
        analisi::calcola(q, riepilogo);
        return riepilogo;
    });
}

std::string DatiUfficio::stampa(const std::string &struttura, const RichiestaReport &r, bool comeCsv)
{
    return inLettura(r.raggruppamento == Raggruppamento::Strutture ? std::string() : struttura, [&](const std::shared_ptr<dati::Fonte> &fonte) {
        RichiestaReport q = r;
        q.dati = fonte;
        std::lock_guard lock(m_mutexStampa);
        StampaProduzione(q);
        if (!comeCsv) return leggiERimuovi(nomeFileReport());
        ConvertiXLS(nomeFileReport());
        leggiERimuovi(nomeFileReport());
        return leggiERimuovi(nomeFileCsv());
    });
}

std::string DatiUfficio::analisiFile(const std::string &struttura, const analisi::RichiestaAnalisi &r, const std::string &formato)
{
    const bool catena = r.raggruppamento == Raggruppamento::Strutture;
    return inLettura(catena ? std::string() : struttura, [&](const std::shared_ptr<dati::Fonte> &fonte) {
        analisi::RichiestaAnalisi q = r;
        q.dati = fonte;
        const std::string nome = "analisi-" + std::to_string(++m_numero) + "." + formato;
        if (formato == "xlsx") {
            analisi::ScrittoreXlsx xlsx(QString::fromStdString(nome));
            analisi::calcola(q, xlsx);
        } else {
            analisi::ScrittoreCsv csv(QString::fromStdString(nome));
            analisi::calcola(q, csv);
        }
        return leggiERimuovi(nome);
    });
}

} // namespace pc::ufficio
