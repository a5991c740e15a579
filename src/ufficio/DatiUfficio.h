#pragma once

// What the office's pages show, computed from the central archive with the
// statement's and the analysis's own code. Each computation reads through a
// reading of its own (one connection, one read-only snapshot: one per
// request), at most a few at once; the statement, which writes its file under
// a fixed name, one at a time.

#include "Analisi.h"
#include "DateReport.h"
#include "ErroreDati.h"
#include "Richiesta.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string>
#include <vector>

namespace pc::ufficio {

// A property the archive does not hold.
class StrutturaSconosciuta : public dati::ErroreDati {
public:
    using dati::ErroreDati::ErroreDati;
};

// One property's (or the chain's) figures for the three periods that end on
// a day: the day, the month to that day, the year to that day; each against
// the same days a year earlier.
struct RigaCatena {
    std::string struttura;
    analisi::Cifre giorno, mese, anno;
};

struct Catena {
    Giorno giorno;
    std::vector<RigaCatena> righe;   // the properties, in name order
    RigaCatena totale;               // their sum
};

// Only the properties a user may see, with their own total.
Catena perUtente(const Catena &c, const std::vector<std::string> &ammesse);

class DatiUfficio {
public:
    // url: the archive. Makes a private temporary folder the working
    // directory of the process: the statement and the analysis write their
    // files there, the downloads read them back and remove them.
    explicit DatiUfficio(std::string url);
    ~DatiUfficio();
    DatiUfficio(const DatiUfficio &) = delete;
    DatiUfficio &operator=(const DatiUfficio &) = delete;

    std::vector<std::string> strutture();
    // Kept until the archive changes (a new import).
    Catena catena(Giorno giorno);
    // The analysis of one property (one Riepilogo); throws ErroreDati for an
    // unknown property.
    analisi::Riepilogo riepilogo(const std::string &struttura, const analisi::RichiestaAnalisi &r);
    // The bytes of the statement file the command "stampa" writes for the
    // same request from the archive (struttura ignored for the chain's), or
    // with comeCsv of its spreadsheet copy as the command "csv" then writes it.
    std::string stampa(const std::string &struttura, const RichiestaReport &r, bool comeCsv);
    // The bytes of the file "analisi --formato csv|xlsx" writes (struttura
    // ignored for the analysis by property).
    std::string analisiFile(const std::string &struttura, const analisi::RichiestaAnalisi &r, const std::string &formato);

private:
    // f(fonte) with a reading of the property (empty: of the chain) taken for
    // it; a failure for a property the archive lacks becomes StrutturaSconosciuta.
    template <class F> auto inLettura(const std::string &struttura, F &&f);
    // Throws StrutturaSconosciuta when the archive does not hold it.
    void controllaStruttura(const std::string &struttura);
    std::string leggiERimuovi(const std::string &nome);

    std::counting_semaphore<1024> m_posti{8};   // readings of the archive at once
    std::mutex m_mutexStampa;                   // the statement's file "fd" + PCLocal
    std::atomic<unsigned long> m_numero{0};     // names of the analysis files
    std::string m_url, m_cartella;
    std::mutex m_mutexCatene;   // the chain pages kept
    std::string m_firmaCatena;
    std::chrono::steady_clock::time_point m_firmaLetta;
    std::vector<Catena> m_catene;   // by day, for the current archive
};

} // namespace pc::ufficio
