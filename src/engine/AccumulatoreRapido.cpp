#include "AccumulatoreRapido.h"

#include "Testo.h"
#include "Valutatore.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <unordered_map>

namespace pc {

namespace {

// Day range [inizio, fine) of the period, as day indexes.
struct Intervallo {
    long inizio = 0;
    long fine = 0;
    bool vuoto() const { return fine <= inizio; }
};

// A record counting from day inizio to the day before fine, in column k
// (day indexes fit 32 bits: the widest period has some 3.6 million days).
struct Tratto {
    std::int32_t inizio;
    std::int32_t fine;
    std::int32_t k;
    Valuta q;
};

// A record counting on one day.
struct Punto {
    std::int32_t giorno;
    std::int32_t k;
    Valuta q;
};

// The guest cards of one record set: the cards active on a day are walked in
// query order (their record index), each compared with the card before.
struct PassaggioSchede {
    struct Scheda {
        int idCamera;   // the text compared with the card before
        int riga;
    };
    std::vector<Scheda> schede;                               // by record index
    std::vector<std::pair<long, std::uint32_t>> inizi, fini;  // (day, record), by day
    std::size_t prossimoInizio = 0, prossimaFine = 0;
    std::set<std::uint32_t> attive;                           // carried from block to block
};

} // namespace

class AccumulatoreRapido::Calcolo {
public:
    Calcolo(MotoreReport &m, Giorno dalla, long giorni, Raggruppamento r)
        : m(m), primo(dalla), giorni(giorni), r(r), n(m.CodiciRiga.size()), corrente(n)
    {
        for (std::size_t k = 0; k < n; ++k) righe.emplace(m.CodiciRiga[k], static_cast<int>(k));   // first key wins
        // The day-by-day accumulation opens both lookup tables on every day:
        // open them here too, so that a missing one fails alike.
        if (giorni > 0) {
            numeri = apriTabella("NumeriCamere.mdb", "NumeriCamere", m.Dati);
            macro = apriTabella("TipiCamere_Macro.mdb", "TipiCamere_Macro", m.Dati);
        }
    }

    void vendite()
    {
        schede(*m.RsCorrente, "DataPartenza");
        schede(*m.RsStorico, "DataPartenzaReale");
        prenotazioni();
        ordina();
    }

    void produzione()
    {
        addebiti(*m.RsCorrente);
        addebiti(*m.RsStorico);
        arrangiamenti();
        ordina();
    }

    // Adds the figures of days [inizio, inizio + quanti) to cifre; blocks come in day order.
    void blocco(long inizio, long quanti, SommaEsatta *cifre, SommaEsatta *terza)
    {
        const Valuta uno = Valuta::daIntero(1);
        for (long d = inizio; d < inizio + quanti; ++d) {
            SommaEsatta *giorno = cifre + static_cast<std::size_t>(d - inizio) * n;
            for (auto &p : passaggi) {
                for (; p.prossimaFine < p.fini.size() && p.fini[p.prossimaFine].first <= d; ++p.prossimaFine)
                    p.attive.erase(p.fini[p.prossimaFine].second);
                for (; p.prossimoInizio < p.inizi.size() && p.inizi[p.prossimoInizio].first <= d; ++p.prossimoInizio)
                    p.attive.insert(p.inizi[p.prossimoInizio].second);
                int ultima = 0;
                for (auto i : p.attive) {
                    const auto &s = p.schede[i];
                    if (s.idCamera == ultima) continue;
                    if (s.riga >= 0) giorno[s.riga] += uno;
                    ultima = s.idCamera;
                }
            }
            for (; prossimoInizio < tratti.size() && tratti[prossimoInizio].inizio <= d; ++prossimoInizio)
                corrente[static_cast<std::size_t>(tratti[prossimoInizio].k)] += tratti[prossimoInizio].q;
            for (; prossimaFine < fini.size() && fini[prossimaFine].inizio <= d; ++prossimaFine)
                corrente[static_cast<std::size_t>(fini[prossimaFine].k)] -= fini[prossimaFine].q;
            for (; prossimoPunto < punti.size() && punti[prossimoPunto].giorno <= d; ++prossimoPunto)
                giorno[punti[prossimoPunto].k] += punti[prossimoPunto].q;
            for (std::size_t k = 0; k < n; ++k) giorno[k] += corrente[k];
            // The runs of days are the third source's records alone.
            if (terza)
                for (std::size_t k = 0; k < n; ++k) terza[static_cast<std::size_t>(d - inizio) * n + k] += corrente[k];
        }
    }

private:
    MotoreReport &m;
    Giorno primo;
    long giorni;
    Raggruppamento r;
    std::size_t n;
    std::unordered_map<std::string, int> righe;
    std::unique_ptr<dati::Recordset> numeri, macro;
    std::unordered_map<std::string, std::optional<std::string>> tipi, macroDiTipo;

    // What the blocks walk, with how far they have gone.
    std::vector<PassaggioSchede> passaggi;
    std::vector<Tratto> tratti;   // by first day
    std::vector<Tratto> fini;     // the same records by the day after their last (in inizio)
    std::vector<Punto> punti;     // by day
    std::size_t prossimoInizio = 0, prossimaFine = 0, prossimoPunto = 0;
    std::vector<SommaEsatta> corrente;   // the runs of days covering the day reached

    void ordina()
    {
        auto perInizio = [](const Tratto &a, const Tratto &b) { return a.inizio < b.inizio; };
        std::sort(tratti.begin(), tratti.end(), perInizio);
        fini.reserve(tratti.size());
        for (const Tratto &t : tratti) fini.push_back({t.fine, t.fine, t.k, t.q});
        std::sort(fini.begin(), fini.end(), perInizio);
        std::sort(punti.begin(), punti.end(), [](const Punto &a, const Punto &b) { return a.giorno < b.giorno; });
    }

    int riga(const std::string &chiave) const
    {
        auto it = righe.find(chiave);
        return it == righe.end() ? -1 : it->second;
    }

    // The day of a text written as a real date yyyymmdd (8 digits).
    static std::optional<Giorno> dataPulita(const Valore &campo)
    {
        if (!campo.eTesto()) return std::nullopt;
        const std::string &t = campo.comeTesto();
        if (t.size() != 8) return std::nullopt;
        int cifre[8];
        for (int i = 0; i < 8; ++i) {
            if (t[static_cast<std::size_t>(i)] < '0' || t[static_cast<std::size_t>(i)] > '9') return std::nullopt;
            cifre[i] = t[static_cast<std::size_t>(i)] - '0';
        }
        const int anno = cifre[0] * 1000 + cifre[1] * 100 + cifre[2] * 10 + cifre[3];
        const int mese = cifre[4] * 10 + cifre[5], giorno = cifre[6] * 10 + cifre[7];
        if (anno < 1000) return std::nullopt;
        return Giorno::seValido(anno, mese, giorno);
    }

    // Day d as the criteria's 'yyyymmdd' text.
    Valore testoDelGiorno(long d) const { return Valore::testo(Giorno{primo.seriale + d}.aaaammgg()); }

    // First day index d with "campo <= G(d)"; giorni when none. The criteria
    // compare with confrontaValori, which grows with the day, so a binary search works.
    // A real date needs no search: the day texts compare as the days do.
    long primoDalQuale(const Valore &campo) const
    {
        if (auto g = dataPulita(campo)) return std::clamp(g->seriale - primo.seriale, 0L, giorni);
        long lo = 0, hi = giorni;
        while (lo < hi) {
            const long mezzo = lo + (hi - lo) / 2;
            const auto c = dati::confrontaValori(campo, testoDelGiorno(mezzo));
            if (c && *c <= 0) hi = mezzo;
            else lo = mezzo + 1;
        }
        return lo;
    }

    // Days with "inizio <= G and fine > G".
    Intervallo intervallo(const Valore &inizio, const Valore &fine) const
    {
        if (inizio.nullo() || fine.nullo()) return {};
        return {primoDalQuale(inizio), primoDalQuale(fine)};
    }

    const std::string *testoDi(const dati::Recordset &rs, std::size_t i, int colonna, std::string &appoggio) const
    {
        const Valore &v = rs.value(i, colonna);
        if (v.nullo()) return nullptr;
        if (v.eTesto()) return &v.comeTesto();
        appoggio = v.inTesto();
        return &appoggio;
    }

    // The type NumeriCamere gives a room (first match, ignoring case as the lookup does).
    const std::optional<std::string> &tipoDi(const std::string &camera)
    {
        auto it = tipi.find(camera);
        if (it != tipi.end()) return it->second;
        std::optional<std::string> tipo;
        if (numeri->findFirst("NumeroCamera = " + quotaCriterio(camera))) {
            const Valore &v = numeri->field("TipoCamera");
            if (!v.nullo()) tipo = v.inTesto();
        }
        return tipi.emplace(camera, std::move(tipo)).first->second;
    }

    const std::optional<std::string> &macroDi(const std::string &tipo)
    {
        auto it = macroDiTipo.find(tipo);
        if (it != macroDiTipo.end()) return it->second;
        std::optional<std::string> sigla;
        if (macro->findFirst("TipoCamera = " + quotaCriterio(tipo))) {
            const Valore &v = macro->field("Sigla");
            if (!v.nullo()) sigla = v.inTesto();
        }
        return macroDiTipo.emplace(tipo, std::move(sigla)).first->second;
    }

    // Row of a room's type (grouping 2) or of its type's macro category (3).
    int rigaDellaCamera(const std::string &camera, bool trimTipo)
    {
        const auto &tipo = tipoDi(camera);
        if (!tipo) return -1;
        if (r == Raggruppamento::TipiCamere) return riga(trimTipo ? std::string(testo::trim(*tipo)) : *tipo);
        const auto &sigla = macroDi(*tipo);
        return sigla ? riga(*sigla) : -1;
    }

    void aggiungiGiorno(long d, int k, Valuta q)
    {
        if (k < 0 || d < 0 || d >= giorni) return;
        punti.push_back({static_cast<std::int32_t>(d), k, q});
    }

    void aggiungiIntervallo(Intervallo t, int k, Valuta q)
    {
        if (k < 0 || t.vuoto()) return;
        tratti.push_back({static_cast<std::int32_t>(t.inizio), static_cast<std::int32_t>(t.fine), k, q});
    }

    // Guest cards: a card counts on the days it covers unless the card matched
    // just before it on that day (in query order) has the same room.
    void schede(const dati::Recordset &rs, const char *campoPartenza)
    {
        const int cArrivo = rs.columnIndex("DataArrivo"), cPartenza = rs.columnIndex(campoPartenza);
        const int cCamera = rs.columnIndex("NumeroCamera");
        PassaggioSchede &p = passaggi.emplace_back();
        std::unordered_map<std::string, int> id{{std::string(), 0}};   // the pass starts from the empty text
        p.schede.resize(rs.size());
        std::string appoggio;
        for (std::size_t i = 0; i < rs.size(); ++i) {
            const std::string *camera = testoDi(rs, i, cCamera, appoggio);
            if (!camera) continue;
            const Intervallo t = intervallo(rs.value(i, cArrivo), rs.value(i, cPartenza));
            if (t.vuoto()) continue;
            std::string confronto = r == Raggruppamento::NumeriCamere ? testo::maiuscolo(*camera) : *camera;
            const int k = r == Raggruppamento::NumeriCamere ? riga(confronto) : rigaDellaCamera(*camera, false);
            const int idc = id.emplace(std::move(confronto), static_cast<int>(id.size())).first->second;
            p.schede[i] = {idc, k};
            p.inizi.emplace_back(t.inizio, static_cast<std::uint32_t>(i));
            p.fini.emplace_back(t.fine, static_cast<std::uint32_t>(i));
        }
        auto perGiorno = [](const auto &a, const auto &b) { return a.first < b.first; };
        std::sort(p.inizi.begin(), p.inizi.end(), perGiorno);
        std::sort(p.fini.begin(), p.fini.end(), perGiorno);
    }

    void prenotazioni()
    {
        const dati::Recordset &rs = *m.RsTerzaFonte;
        const int cArrivo = rs.columnIndex("DataArrivo"), cPartenza = rs.columnIndex("DataPartenza");
        const int cCamera = rs.columnIndex("NumeroCamera"), cTipo = rs.columnIndex("TipoCamera");
        const int cQuantita = rs.columnIndex("Quantit\xC3\xA0" "Camere");
        std::string a1, a2;
        for (std::size_t i = 0; i < rs.size(); ++i) {
            const Valore &quantita = rs.value(i, cQuantita);
            const Intervallo t = intervallo(rs.value(i, cArrivo), rs.value(i, cPartenza));
            if (t.vuoto()) continue;
            const std::optional<Valuta> q =
                cifraDelRecord(rs, "Quantit\xC3\xA0" "Camere", quantita, rs.value(i, cArrivo), rs.value(i, cCamera));
            if (!q || !quantitaPositiva(quantita, *q)) continue;
            if (r == Raggruppamento::NumeriCamere) {
                if (const std::string *camera = testoDi(rs, i, cCamera, a1))
                    aggiungiIntervallo(t, riga(std::string(testo::trim(*camera))), Valuta::daIntero(1));
                continue;
            }
            const std::string *tipo = testoDi(rs, i, cTipo, a2);
            if (!tipo) continue;
            const std::string pulito(testo::trim(*tipo));
            if (r == Raggruppamento::TipiCamere) {
                aggiungiIntervallo(t, riga(pulito), *q);
            } else if (const auto &sigla = macroDi(pulito)) {
                aggiungiIntervallo(t, riga(*sigla), *q);
            }
        }
    }

    void addebiti(const dati::Recordset &rs)
    {
        const int cData = rs.columnIndex("DataAddebito"), cCamera = rs.columnIndex("NumeroCamera");
        const int cImporto = rs.columnIndex("Importo");
        std::string appoggio;
        for (std::size_t i = 0; i < rs.size(); ++i) {
            const Valore &data = rs.value(i, cData);
            if (data.nullo()) continue;
            long d;
            if (auto g = dataPulita(data)) {
                d = g->seriale - primo.seriale;
                if (d < 0 || d >= giorni) continue;
            } else {
                d = primoDalQuale(data);
                if (d >= giorni) continue;
                const auto c = dati::confrontaValori(data, testoDelGiorno(d));
                if (!c || *c != 0) continue;
            }
            const std::optional<Valuta> importo =
                cifraDelRecord(rs, "Importo", rs.value(i, cImporto), data, rs.value(i, cCamera));
            const std::string *camera = testoDi(rs, i, cCamera, appoggio);
            if (!camera || !importo) continue;
            const int k = r == Raggruppamento::NumeriCamere ? riga(testo::maiuscolo(*camera)) : rigaDellaCamera(*camera, false);
            aggiungiGiorno(d, k, *importo);
        }
    }

    void arrangiamenti()
    {
        const dati::Recordset &rs = *m.RsTerzaFonte;
        const int cInizio = rs.columnIndex("DataInizio"), cFine = rs.columnIndex("DataFine");
        const int cCamera = rs.columnIndex("NumeroCamera"), cImporto = rs.columnIndex("ImportoTotale");
        std::string appoggio;
        for (std::size_t i = 0; i < rs.size(); ++i) {
            const Intervallo t = intervallo(rs.value(i, cInizio), rs.value(i, cFine));
            if (t.vuoto()) continue;
            const std::optional<Valuta> importo =
                cifraDelRecord(rs, "ImportoTotale", rs.value(i, cImporto), rs.value(i, cInizio), rs.value(i, cCamera));
            const std::string *camera = testoDi(rs, i, cCamera, appoggio);
            if (!camera || !importo || camera->empty()) continue;
            const std::string p = camera->substr(1);   // "*101" stands for room 101
            const int k = r == Raggruppamento::NumeriCamere ? riga(p) : rigaDellaCamera(p, true);
            aggiungiIntervallo(t, k, *importo);
        }
    }

};

AccumulatoreRapido::AccumulatoreRapido(MotoreReport &m, Giorno dalla, long giorni, TipoReport tipo,
                                       Raggruppamento raggruppamento)
    : m_calcolo(std::make_unique<Calcolo>(m, dalla, giorni, raggruppamento))
{
    if (tipo == TipoReport::Vendite) m_calcolo->vendite();
    else m_calcolo->produzione();
}

AccumulatoreRapido::~AccumulatoreRapido() = default;

void AccumulatoreRapido::blocco(long inizio, long quanti, SommaEsatta *cifre, SommaEsatta *terza)
{
    m_calcolo->blocco(inizio, quanti, cifre, terza);
}

} // namespace pc
