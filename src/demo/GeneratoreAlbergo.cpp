#include "GeneratoreAlbergo.h"

#include "ErroreDati.h"
#include "ScrittoreSqlite.h"

#include <QDate>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>

using pc::dati::ErroreDati;
using pc::dati::Valore;

namespace pc::demo {

std::uint64_t Caso::prossimo()
{
    std::uint64_t z = (m_stato += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t Caso::sotto(std::uint64_t n)
{
    if (n == 0) return 0;
    return static_cast<std::uint64_t>((static_cast<unsigned __int128>(prossimo()) * n) >> 64);
}

namespace {

// ---------------------------------------------------------------- parameters

AlbergoDaGenerare secondoAlbergo(int camere, int camerePerPiano)
{
    AlbergoDaGenerare a;
    a.numero = 2;
    a.camere = camere;
    a.camerePerPiano = camerePerPiano;
    a.tipi = {
        {"ECO", "C", "BAS", 2, 2, 6000},
        {"FAM", "C", "BAS", 1, 3, 9000},
    };
    a.macro = {"BAS"};
    a.densitaPermille = 600;
    return a;
}

} // namespace

ParametriAlbergo parametriDemo()
{
    ParametriAlbergo p;
    p.seme = 20260315;
    AlbergoDaGenerare h;
    h.numero = 1;
    h.camere = 60;
    h.camerePerPiano = 14;
    h.tipi = {
        {"SGL", "C", "STD", 8, 1, 7000},
        {"DBL", "C", "STD", 22, 2, 11000},
        {"TRP", "C", "SUP", 10, 3, 14000},
        {"JRS", "C", "SUP", 10, 3, 18000},
        {"SUI", "C", "LUX", 6, 3, 26000},
        {"SAL", "S", "", 4, 0, 0},   // meeting rooms: no guests, never in the statement
    };
    h.macro = {"STD", "SUP", "LUX"};
    h.densitaPermille = 700;
    p.alberghi = {h, secondoAlbergo(12, 6)};
    p.primoGiorno = "20240301";
    p.oggi = "20260315";
    p.giorniPrenotazioni = 120;
    return p;
}

ParametriAlbergo parametriGrande()
{
    ParametriAlbergo p;
    p.seme = 300;
    AlbergoDaGenerare h;
    h.numero = 1;
    h.camere = 304;
    h.camerePerPiano = 30;
    h.tipi = {
        {"SGL", "C", "STD", 40, 1, 7000},
        {"DBL", "C", "STD", 140, 2, 11000},
        {"TRP", "C", "SUP", 50, 3, 14000},
        {"JRS", "C", "SUP", 45, 3, 18000},
        {"SUI", "C", "LUX", 25, 3, 26000},
        {"SAL", "S", "", 4, 0, 0},
    };
    h.macro = {"STD", "SUP", "LUX"};
    h.densitaPermille = 750;
    p.alberghi = {h, secondoAlbergo(20, 10)};
    p.primoGiorno = "20160101";
    p.oggi = "20251231";
    p.giorniPrenotazioni = 180;
    p.prenotazioniSenzaCamera = 40;
    p.prenotazioniAnnullate = 10;
    return p;
}

long long RiepilogoAlbergo::righe(const std::string &tabella, const std::string &file) const
{
    for (const auto &t : tabelle)
        if (t.tabella == tabella && (file.empty() || t.file == file)) return t.righe;
    return 0;
}

namespace {

const char *const kNumeriCamere = "NumeriCamere.mdb";
const char *const kTipiCamere = "TipiCamere.mdb";
const char *const kMacro = "TipiCamere_Macro.mdb";
const char *const kSchede = "Scheda_Cliente.mdb";
const char *const kSchedeStorico = "storico/SchedaStoricoClienti.mdb";
const char *const kPrenotazioni = "Camere_Prenotazione.mdb";
const char *const kConti = "Conto_Cliente.mdb";
const char *const kContiStorico = "storico/ContoStoricoClienti.mdb";
const char *const kArrangiamenti = "Arrangiamento.mdb";
const char *const kVoci = "VociFattura.mdb";
const char *const kAnagrafica = "AnagraficaHotels.mdb";
const char *const kStampanti = "Stampanti.mdb";
const char *const kContatori = "Contatori.mdb";

} // namespace

const std::vector<std::string> &fileAlbergo()
{
    static const std::vector<std::string> elenco = {
        kNumeriCamere, kTipiCamere, kMacro, kSchede, kSchedeStorico, kPrenotazioni, kConti,
        kContiStorico, kArrangiamenti, kVoci, kAnagrafica, kStampanti, kContatori,
    };
    return elenco;
}

namespace {

// ---------------------------------------------------------------- model

// Share of stays by length in nights (per cent); mean 3.61 nights.
constexpr std::array<std::pair<int, int>, 11> kDurate = {{
    {1, 22}, {2, 20}, {3, 17}, {4, 12}, {5, 9}, {6, 6}, {7, 8}, {8, 2}, {9, 1}, {10, 1}, {14, 2},
}};
constexpr long long kDurataMediaMillesimi = 3610;

// Room price by month, per cent of the type's price.
constexpr std::array<int, 12> kStagione = {85, 85, 90, 100, 105, 120, 140, 150, 115, 95, 85, 100};

struct Camera {
    int albergo;          // index into ParametriAlbergo::alberghi
    std::string numero;
    int tipo;             // index into the hotel's tipi
};

struct Soggiorno {
    int arrivo = 0;       // Julian days
    int partenza = 0;
    int camera = 0;       // index into the rooms
    int ospiti = 1;       // guest cards
    bool ritardatario = false;   // the last guest arrives a day later
    int arrangiamento = 0;       // 0 none, 1 half board, 2 full board
    bool abbuono = false;        // a discount at departure
    std::uint64_t seme = 0;      // draws of its charges
};

struct Prenotazione {
    int albergo;
    int arrivo, partenza;
    int camera;           // -1: no room yet
    int tipo;
    int quantita;
};

struct Addebito {
    int giorno;
    const char *voce;
    long long centesimi;
};

int giornoDa(const std::string &testo, const char *campo)
{
    const QDate d = QDate::fromString(QString::fromStdString(testo), QStringLiteral("yyyyMMdd"));
    if (testo.size() != 8 || !d.isValid())
        throw ErroreDati(std::string("Parametro \"") + campo + "\" dell'albergo da generare non valido: \"" + testo +
                         "\" non \xC3\xA8 una data aaaammgg.");
    return static_cast<int>(d.toJulianDay());
}

void controlla(bool condizione, const std::string &messaggio)
{
    if (!condizione) throw ErroreDati("Parametri dell'albergo da generare non validi: " + messaggio);
}

void controllaParametri(const ParametriAlbergo &p)
{
    controlla(!p.alberghi.empty(), "nessun albergo.");
    controlla(p.schedeMin >= 1 && p.schedeMax >= p.schedeMin && p.schedeMax <= 9, "schede per soggiorno fuori misura.");
    controlla(p.giorniPrenotazioni >= 8 && p.giorniPrenotazioni <= 3660, "orizzonte delle prenotazioni fuori misura.");
    controlla(p.arrangiamentiPercento >= 0 && p.arrangiamentiPercento <= 100, "quota di arrangiamenti fuori misura.");
    controlla(p.extraPermille >= 0 && p.extraPermille <= 1000, "probabilit\xC3\xA0 degli extra fuori misura.");
    controlla(p.prenotazioniSenzaCamera >= 0 && p.prenotazioniAnnullate >= 0, "numero di prenotazioni negativo.");
    std::set<int> numeri;
    for (const auto &a : p.alberghi) {
        const std::string chi = "albergo " + std::to_string(a.numero) + ": ";
        controlla(numeri.insert(a.numero).second, chi + "numero ripetuto.");
        controlla(a.camere >= 1 && a.camere <= 9999, chi + "numero di camere fuori misura.");
        controlla(a.camerePerPiano >= 1 && a.camerePerPiano <= 99, chi + "camere per piano fuori misura.");
        controlla(a.densitaPermille >= 1 && a.densitaPermille <= 999, chi + "densit\xC3\xA0 di occupazione fuori misura.");
        controlla(!a.tipi.empty(), chi + "nessun tipo di camera.");
        std::set<std::string> sigle;
        bool camereDaLetto = false;
        long long pesi = 0;
        for (const auto &t : a.tipi) {
            controlla(!t.sigla.empty() && sigle.insert(t.sigla).second, chi + "sigla di tipo vuota o ripetuta.");
            controlla(t.peso >= 1, chi + "peso del tipo " + t.sigla + " non positivo.");
            controlla(t.macro.empty() || std::find(a.macro.begin(), a.macro.end(), t.macro) != a.macro.end(),
                      chi + "il tipo " + t.sigla + " appartiene a una macro categoria non elencata.");
            if (t.tipologia == "C") {
                camereDaLetto = true;
                controlla(t.capienza >= 1 && t.prezzoCentesimi >= 0, chi + "capienza o prezzo del tipo " + t.sigla + " non validi.");
            }
            pesi += t.peso;
        }
        controlla(camereDaLetto, chi + "nessun tipo con Tipologia 'C'.");
        controlla(pesi <= a.camere * 1000LL, chi + "pesi dei tipi fuori misura.");
    }
}

// Rooms of every hotel: bedrooms floor by floor (101, 102, ...), the other
// rooms by the first letter of their Tipologia (S1, S2, ...). Types are spread
// over the floors in a drawn order.
std::vector<Camera> creaCamere(const ParametriAlbergo &p, Caso &caso)
{
    std::vector<Camera> camere;
    for (std::size_t h = 0; h < p.alberghi.size(); ++h) {
        const AlbergoDaGenerare &a = p.alberghi[h];
        long long pesi = 0;
        for (const auto &t : a.tipi) pesi += t.peso;
        std::vector<int> quante(a.tipi.size());
        int assegnate = 0;
        for (std::size_t i = 0; i < a.tipi.size(); ++i) {
            quante[i] = static_cast<int>(a.tipi[i].peso * a.camere / pesi);
            assegnate += quante[i];
        }
        for (std::size_t i = 0; assegnate < a.camere; i = (i + 1) % a.tipi.size(), ++assegnate) ++quante[i];

        std::vector<int> daLetto;
        std::vector<int> altre;
        for (std::size_t i = 0; i < a.tipi.size(); ++i)
            for (int k = 0; k < quante[i]; ++k) (a.tipi[i].tipologia == "C" ? daLetto : altre).push_back(static_cast<int>(i));
        for (std::size_t i = daLetto.size(); i > 1; --i) std::swap(daLetto[i - 1], daLetto[caso.sotto(i)]);

        for (std::size_t i = 0; i < daLetto.size(); ++i) {
            const int piano = static_cast<int>(i) / a.camerePerPiano + 1;
            const int posto = static_cast<int>(i) % a.camerePerPiano + 1;
            char numero[32];
            std::snprintf(numero, sizeof numero, "%d%02d", piano, posto);
            camere.push_back({static_cast<int>(h), numero, daLetto[i]});
        }
        std::map<std::string, int> contatori;
        for (int t : altre) {
            const std::string lettera = a.tipi[t].tipologia.empty() ? "X" : a.tipi[t].tipologia.substr(0, 1);
            camere.push_back({static_cast<int>(h), lettera + std::to_string(++contatori[lettera]), t});
        }
    }
    return camere;
}

int durata(Caso &caso)
{
    int x = static_cast<int>(caso.sotto(100));
    for (const auto &[notti, quota] : kDurate) {
        if (x < quota) return notti;
        x -= quota;
    }
    return 1;
}

// Stays room by room: vacancies and stays alternate so that the share of
// nights sold is the hotel's density; bookings thin out towards the horizon.
std::vector<Soggiorno> creaSoggiorni(const ParametriAlbergo &p, const std::vector<Camera> &camere, int primo, int oggi,
                                     Caso &caso)
{
    const int fine = oggi + p.giorniPrenotazioni;
    std::vector<Soggiorno> soggiorni;
    for (std::size_t c = 0; c < camere.size(); ++c) {
        const AlbergoDaGenerare &a = p.alberghi[camere[c].albergo];
        const TipoDaGenerare &tipo = a.tipi[camere[c].tipo];
        if (tipo.tipologia != "C") continue;
        // Geometric vacancy with mean L * (1 - d) / d nights: success chance per night in millionths.
        const long long vuotoMillesimi = kDurataMediaMillesimi * (1000 - a.densitaPermille) / a.densitaPermille;
        const std::uint64_t successo = static_cast<std::uint64_t>(1000000000LL / (vuotoMillesimi + 1000));
        // Start three weeks early so that the first day of the history is an
        // ordinary day, not one on which every room gets its first guests.
        int giorno = primo - 21;
        while (true) {
            while (caso.sotto(1000000) >= successo) ++giorno;
            const int notti = durata(caso);
            if (giorno > fine) break;
            const int arrivo = giorno;
            giorno += notti;
            if (arrivo < primo) continue;
            if (arrivo > oggi) {
                const int distanza = arrivo - oggi;
                if (!caso.permille(1000 - 850 * distanza / p.giorniPrenotazioni)) continue;
            }
            Soggiorno s;
            s.arrivo = arrivo;
            s.partenza = arrivo + notti;
            s.camera = static_cast<int>(c);
            const int massimo = std::min(p.schedeMax, tipo.capienza);
            const int minimo = std::min(p.schedeMin, massimo);
            s.ospiti = minimo + static_cast<int>(caso.sotto(static_cast<std::uint64_t>(massimo - minimo + 1)));
            s.ritardatario = s.ospiti >= 2 && notti >= 2 && arrivo + 1 <= oggi && caso.permille(50);
            if (caso.permille(p.arrangiamentiPercento * 10)) s.arrangiamento = caso.permille(600) ? 1 : 2;
            s.abbuono = caso.permille(30);
            s.seme = caso.prossimo();
            soggiorni.push_back(s);
        }
    }
    return soggiorni;
}

std::vector<Prenotazione> creaPrenotazioni(const ParametriAlbergo &p, const std::vector<Camera> &camere,
                                           const std::vector<Soggiorno> &soggiorni, int oggi, Caso &caso)
{
    std::vector<Prenotazione> elenco;
    for (const auto &s : soggiorni)
        if (s.arrivo > oggi) {
            const Camera &c = camere[s.camera];
            elenco.push_back({c.albergo, s.arrivo, s.partenza, s.camera, c.tipo, 1});
        }
    for (std::size_t h = 0; h < p.alberghi.size(); ++h) {
        const AlbergoDaGenerare &a = p.alberghi[h];
        std::vector<int> tipiC;
        for (std::size_t t = 0; t < a.tipi.size(); ++t)
            if (a.tipi[t].tipologia == "C") tipiC.push_back(static_cast<int>(t));
        std::vector<int> camereC;
        for (std::size_t c = 0; c < camere.size(); ++c)
            if (camere[c].albergo == static_cast<int>(h) && a.tipi[camere[c].tipo].tipologia == "C") camereC.push_back(static_cast<int>(c));
        // Group allotments: rooms of a type, not yet assigned.
        for (int i = 0; i < p.prenotazioniSenzaCamera; ++i) {
            const int arrivo = oggi + 1 + static_cast<int>(caso.sotto(static_cast<std::uint64_t>(p.giorniPrenotazioni - 7)));
            const int notti = 2 + static_cast<int>(caso.sotto(4));
            const int tipo = tipiC[caso.sotto(tipiC.size())];
            elenco.push_back({static_cast<int>(h), arrivo, arrivo + notti, -1, tipo, 2 + static_cast<int>(caso.sotto(4))});
        }
        // Cancelled bookings stay in the table with quantity 0.
        for (int i = 0; i < p.prenotazioniAnnullate && !camereC.empty(); ++i) {
            const int arrivo = oggi + 1 + static_cast<int>(caso.sotto(static_cast<std::uint64_t>(p.giorniPrenotazioni - 7)));
            const int camera = camereC[caso.sotto(camereC.size())];
            elenco.push_back({static_cast<int>(h), arrivo, arrivo + 1 + static_cast<int>(caso.sotto(5)), camera,
                              camere[camera].tipo, 0});
        }
    }
    std::stable_sort(elenco.begin(), elenco.end(), [](const Prenotazione &x, const Prenotazione &y) {
        return std::tie(x.arrivo, x.albergo) < std::tie(y.arrivo, y.albergo);
    });
    return elenco;
}

// ---------------------------------------------------------------- amounts

class Calendario {
public:
    Calendario(int primo, int ultimo) : m_primo(primo)
    {
        for (int g = primo; g <= ultimo; ++g) {
            const QDate d = QDate::fromJulianDay(g);
            m_testi.push_back(d.toString(QStringLiteral("yyyyMMdd")).toStdString());
            m_mesi.push_back(d.month());
        }
    }
    const std::string &testo(int giorno) const { return m_testi.at(static_cast<std::size_t>(giorno - m_primo)); }
    int mese(int giorno) const { return m_mesi.at(static_cast<std::size_t>(giorno - m_primo)); }

private:
    int m_primo;
    std::vector<std::string> m_testi;
    std::vector<int> m_mesi;
};

long long prezzoNotte(const TipoDaGenerare &t, int mese)
{
    return t.prezzoCentesimi * kStagione[static_cast<std::size_t>(mese - 1)] / 100 / 50 * 50;
}

long long tra(Caso &caso, long long da, long long a)
{
    return (da + static_cast<long long>(caso.sotto(static_cast<std::uint64_t>(a - da + 1)))) / 10 * 10;
}

// Daily amount of a board arrangement: the room at the arrival's season plus board per guest.
long long importoArrangiamento(const Soggiorno &s, const TipoDaGenerare &t, const Calendario &cal)
{
    return prezzoNotte(t, cal.mese(s.arrivo)) + (s.arrangiamento == 1 ? 3000 : 5000) * s.ospiti;
}

// The charges of a stay for the nights before `finoA` (exclusive); with
// `partito` also those made at departure (tourist tax, discount).
void addebitiSoggiorno(const Soggiorno &s, const TipoDaGenerare &t, const Calendario &cal, int extraPermille, int finoA,
                       bool partito, const std::function<void(const Addebito &)> &scrivi)
{
    Caso caso(s.seme);
    long long camera = 0;
    for (int g = s.arrivo; g < std::min(finoA, s.partenza); ++g) {
        if (!s.arrangiamento) {
            const long long prezzo = prezzoNotte(t, cal.mese(g));
            camera += prezzo;
            scrivi({g, "PERN", prezzo});
        }
        if (s.ospiti >= 3) scrivi({g, "SUPPL", 2500});
        if (caso.permille(extraPermille)) {
            switch (caso.sotto(3)) {
            case 0: scrivi({g, "BAR", tra(caso, 350, 2500)}); break;
            case 1: scrivi({g, "RIST", tra(caso, 2500, 8000)}); break;
            default: scrivi({g, "MINI", tra(caso, 400, 1500)}); break;
            }
        }
    }
    if (partito) {
        const int notti = std::min(s.partenza - s.arrivo, 7);
        scrivi({s.partenza, "TASSA", 200LL * s.ospiti * notti});
        if (s.abbuono && camera > 0) scrivi({s.partenza, "ABBUONO", -(camera / 10 / 10 * 10)});
    }
}

// ---------------------------------------------------------------- writing

class Scrittura {
public:
    Scrittura(const std::string &cartella, RiepilogoAlbergo &riepilogo) : m_cartella(cartella), m_riepilogo(riepilogo) {}

    void apri(const char *file)
    {
        chiudi();
        m_file = file;
        m_archivio = std::make_unique<ArchivioInScrittura>(m_cartella + "/" + file);
    }
    void tabella(const std::string &nome, const std::string &schema)
    {
        m_archivio->iniziaTabella(nome, colonneSuite(schema));
        m_riepilogo.tabelle.push_back({m_file, nome, 0});
    }
    void riga(const std::vector<Valore> &valori)
    {
        m_archivio->aggiungiRiga(valori);
        ++m_riepilogo.tabelle.back().righe;
    }
    void chiudi()
    {
        if (m_archivio) m_archivio->chiudi();
        m_archivio.reset();
    }

private:
    std::string m_cartella;
    RiepilogoAlbergo &m_riepilogo;
    std::string m_file;
    std::unique_ptr<ArchivioInScrittura> m_archivio;
};

Valore importo(long long centesimi) { return R(static_cast<double>(centesimi) / 100.0); }

void scriviTutto(const ParametriAlbergo &p, const std::string &cartella, RiepilogoAlbergo &riepilogo)
{
    const int primo = giornoDa(p.primoGiorno, "primo giorno");
    const int oggi = giornoDa(p.oggi, "oggi");
    controlla(primo <= oggi, "il primo giorno dello storico viene dopo oggi.");
    const Calendario cal(primo, oggi + p.giorniPrenotazioni + 40);

    Caso caso(p.seme);
    const std::vector<Camera> camere = creaCamere(p, caso);
    std::vector<Soggiorno> soggiorni = creaSoggiorni(p, camere, primo, oggi, caso);
    const std::vector<Prenotazione> prenotazioni = creaPrenotazioni(p, camere, soggiorni, oggi, caso);
    auto tipoDi = [&](const Camera &c) -> const TipoDaGenerare & { return p.alberghi[c.albergo].tipi[c.tipo]; };
    auto numeroAlbergo = [&](const Camera &c) { return static_cast<long long>(p.alberghi[c.albergo].numero); };

    Scrittura w(cartella, riepilogo);

    w.apri(kNumeriCamere);
    w.tabella("NumeriCamere", "NumeriCamere");
    for (const auto &c : camere) w.riga({I(numeroAlbergo(c)), T(c.numero), T(tipoDi(c).sigla)});

    w.apri(kTipiCamere);
    w.tabella("TipiCamere", "TipiCamere");
    for (const auto &a : p.alberghi)
        for (const auto &t : a.tipi) w.riga({I(a.numero), T(t.sigla), T(t.tipologia)});

    w.apri(kMacro);
    w.tabella("TipiCamere_MacroN", "TipiCamere_MacroN");
    for (const auto &a : p.alberghi)
        for (const auto &m : a.macro) w.riga({I(a.numero), T(m)});
    w.tabella("TipiCamere_Macro", "TipiCamere_Macro");
    for (const auto &a : p.alberghi)
        for (const auto &t : a.tipi)
            if (!t.macro.empty()) w.riga({T(t.sigla), T(t.macro)});

    // Guest cards: in-house guests in the current table in order of arrival,
    // departed ones in the history in order of departure (moved there at check-out).
    auto schede = [&](const Soggiorno &s) {
        const Camera &c = camere[s.camera];
        for (int k = 0; k < s.ospiti; ++k) {
            const int arrivo = (s.ritardatario && k == s.ospiti - 1) ? s.arrivo + 1 : s.arrivo;
            w.riga({I(numeroAlbergo(c)), T(cal.testo(arrivo)), T(cal.testo(s.partenza)), T(c.numero)});
        }
    };
    std::stable_sort(soggiorni.begin(), soggiorni.end(), [](const Soggiorno &x, const Soggiorno &y) {
        return std::tie(x.arrivo, x.camera) < std::tie(y.arrivo, y.camera);
    });
    w.apri(kSchede);
    w.tabella("Scheda_Cliente", "Scheda_Cliente");
    std::vector<const Soggiorno *> inCasa;
    for (const auto &s : soggiorni)
        if (s.arrivo <= oggi && s.partenza > oggi) {
            schede(s);
            inCasa.push_back(&s);
        }

    // Current accounts: charges of the guests in house, in order of posting.
    w.apri(kConti);
    w.tabella("Conto_Cliente", "Conto_Cliente");
    {
        struct Riga { Addebito a; long long albergo; const std::string *camera; };
        std::vector<Riga> righe;
        for (const Soggiorno *s : inCasa) {
            const Camera &c = camere[s->camera];
            addebitiSoggiorno(*s, tipoDi(c), cal, p.extraPermille, oggi + 1, false,
                              [&](const Addebito &a) { righe.push_back({a, numeroAlbergo(c), &c.numero}); });
        }
        std::stable_sort(righe.begin(), righe.end(), [](const Riga &x, const Riga &y) { return x.a.giorno < y.a.giorno; });
        for (const auto &r : righe)
            w.riga({I(r.albergo), T(cal.testo(r.a.giorno)), T(r.a.voce), T(*r.camera), importo(r.a.centesimi)});
    }

    w.apri(kArrangiamenti);
    w.tabella("Arrangiamento", "Arrangiamento");
    for (const auto &s : soggiorni)
        if (s.arrangiamento) {
            const Camera &c = camere[s.camera];
            w.riga({I(numeroAlbergo(c)), T("*" + c.numero), T(cal.testo(s.arrivo)), T(cal.testo(s.partenza)),
                    T(s.arrangiamento == 1 ? "MEZZA" : "PENS"), importo(importoArrangiamento(s, tipoDi(c), cal))});
        }

    w.apri(kPrenotazioni);
    w.tabella("Camere_Prenotazione", "Camere_Prenotazione");
    for (const auto &b : prenotazioni) {
        const AlbergoDaGenerare &a = p.alberghi[b.albergo];
        w.riga({I(a.numero), T(cal.testo(b.arrivo)), T(cal.testo(b.partenza)),
                b.camera < 0 ? N() : T(camere[b.camera].numero), T(a.tipi[b.tipo].sigla), I(b.quantita)});
    }

    std::stable_sort(soggiorni.begin(), soggiorni.end(), [](const Soggiorno &x, const Soggiorno &y) {
        return std::tie(x.partenza, x.camera) < std::tie(y.partenza, y.camera);
    });
    QDir().mkpath(QString::fromStdString(cartella + "/storico"));
    w.apri(kSchedeStorico);
    w.tabella("Scheda_Cliente", "SchedaStorico");
    for (const auto &s : soggiorni)
        if (s.partenza <= oggi) schede(s);

    w.apri(kContiStorico);
    w.tabella("Conto_Cliente", "Conto_Cliente");
    for (const auto &s : soggiorni)
        if (s.partenza <= oggi) {
            const Camera &c = camere[s.camera];
            addebitiSoggiorno(s, tipoDi(c), cal, p.extraPermille, s.partenza, true, [&](const Addebito &a) {
                w.riga({I(numeroAlbergo(c)), T(cal.testo(a.giorno)), T(a.voce), T(c.numero), importo(a.centesimi)});
            });
        }

    w.apri(kVoci);
    w.tabella("VociFattura", "VociFattura");
    for (const auto &a : p.alberghi) {
        // The minibar is a room item in some hotels, a bar item in others.
        const bool minibarInCamera = a.numero != p.alberghi.front().numero;
        const std::vector<std::pair<const char *, const char *>> voci = {
            {"PERN", "ARR"}, {"SUPPL", "ARR"}, {"ABBUONO", "ARR"}, {"MEZZA", "ARR"}, {"PENS", "ARR"},
            {"BAR", "BAR"},  {"RIST", "RIS"},  {"MINI", minibarInCamera ? "ARR" : "BAR"}, {"TASSA", "TAS"},
        };
        for (const auto &[codice, reparto] : voci) w.riga({I(a.numero), T(codice), T(reparto)});
    }

    w.apri(kAnagrafica);
    w.tabella("AnagraficaHotels", "AnagraficaHotels");
    for (const auto &a : p.alberghi) w.riga({I(a.numero), T(a.numero == p.alberghi.front().numero ? "ST" : "KU")});

    // Print destinations: a system printer, the PDF file, a raw file. Print
    // types: twelve groups of three characters, C6 = 1 for the system printer.
    w.apri(kStampanti);
    w.tabella("Stampanti", "Stampanti");
    for (const auto &a : p.alberghi) {
        if (a.numero == p.alberghi.front().numero) {
            w.riga({I(a.numero), T("LASER"), I(1), T("LASER")});
            w.riga({I(a.numero), T("PDF"), I(1), T("stampa.pdf")});
            w.riga({I(a.numero), T("FILE"), I(2), T("stampa-grezza.prn")});
        } else {
            w.riga({I(a.numero), T("LASER " + std::to_string(a.numero)), I(1), T("LASER")});
        }
    }
    w.tabella("SetStampa", "SetStampa");
    w.riga({I(1), T("008000000000000001010000000000000000"), T("000000000000000003066072000000000000")});
    w.riga({I(2), T("027015000000000000027064000000000000"), T("000000000000000002066072000000000000")});

    w.apri(kContatori);
    w.tabella("Contatori", "Contatori");
    for (const auto &a : p.alberghi) w.riga({I(a.numero), I(80), I(60)});
    w.chiudi();
}

} // namespace

RiepilogoAlbergo generaAlbergo(const ParametriAlbergo &parametri, const std::string &cartella)
{
    controllaParametri(parametri);
    if (!QDir().mkpath(QString::fromStdString(cartella)))
        throw ErroreDati("Impossibile creare la cartella \"" + cartella + "\".");
    RiepilogoAlbergo riepilogo;
    try {
        scriviTutto(parametri, cartella, riepilogo);
    } catch (...) {
        for (const auto &f : fileAlbergo()) QFile::remove(QString::fromStdString(cartella + "/" + f));
        throw;
    }
    return riepilogo;
}

} // namespace pc::demo
