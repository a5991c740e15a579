#include "AccumulatoreRapido.h"

#include "Database.h"
#include "Dialetto.h"
#include "MotoreReport.h"
#include "Testo.h"
#include "Valutatore.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <unordered_map>

using pc::dati::Valore;
using pc::dati::Valuta;
using pc::dati::dialetto::quotaCriterio;

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
// While a source is read, k holds the number of the record's text instead.
struct Tratto {
    std::int32_t inizio;
    std::int32_t fine;
    std::int32_t k;
    Valuta q;
};

// A record counting on one day (k as in Tratto).
struct Punto {
    std::int32_t giorno;
    std::int32_t k;
    Valuta q;
};

// A guest card, as much of it as the passes need.
struct Scheda {
    // Its place in query order: the keys of DataArrivo and NumeroCamera
    // (dati::prefissoAscii), or its place in an ordered record set and 0.
    std::uint64_t chiave[2];
    std::uint32_t lettura;   // its place in reading order, for ties
    std::int32_t inizio, fine;
    std::int32_t testo;      // number of the text compared with the card before
};

bool primaInQuery(const Scheda &a, const Scheda &b)
{
    if (a.chiave[0] != b.chiave[0]) return a.chiave[0] < b.chiave[0];
    if (a.chiave[1] != b.chiave[1]) return a.chiave[1] < b.chiave[1];
    return a.lettura < b.lettura;
}

// Whether a text's ordering key (dati::prefissoAscii) stands for it whole:
// keys then compare as the Order by compares the texts.
bool chiaveEsatta(const std::string &t)
{
    return t.size() <= 8 && dati::testo::ascii(t) && t.find('\0') == std::string::npos;
}

// The guest cards of one source: the cards active on a day are walked in
// query order, each compared with the card before.
struct Passaggio {
    std::vector<Scheda> schede;            // in query order
    std::vector<std::int32_t> righe;       // column of each text number; -1: none
    std::vector<std::uint32_t> perInizio;  // places by first day, when the first days do not follow query order
    std::size_t prossima = 0;              // next card to come in (in schede, or in perInizio)
    std::vector<std::uint32_t> attive;     // places of the cards counted so far, in query order
};

// One source as read: what is kept of its records, and the errors the
// day-by-day accumulation would raise on them, to be raised in its order.
struct Fonte {
    FonteReport dove;
    std::string descrizione;            // for messages
    std::vector<int> colonne;           // its fields, in the order they are asked for
    std::exception_ptr erroreCampo;     // a field is missing: raised before anything of the source
    std::exception_ptr erroreCifra;     // the first unreadable figure: raised after the records before it
    std::unordered_map<std::string, std::int32_t> numeri;
    std::vector<std::string> testi;     // by number
    std::vector<bool> usati;            // whether a kept record has the text
    std::uint32_t letti = 0;            // records read
    bool perRecordset = false;          // keys the cards cannot be ordered by: read again as a record set
    std::vector<Scheda> schede;
    std::vector<Tratto> tratti;
    std::vector<Punto> punti;

    std::int32_t numero(const std::string &t)
    {
        auto [it, nuovo] = numeri.try_emplace(t, static_cast<std::int32_t>(testi.size()));
        if (nuovo) {
            testi.push_back(t);
            usati.push_back(false);
        }
        usati[static_cast<std::size_t>(it->second)] = true;
        return it->second;
    }
    void dimentica()
    {
        numeri.clear();
        testi.clear();
        usati.clear();
        std::vector<Scheda>().swap(schede);
    }
};

// A text field, or nothing when it is null (other values as their text).
const std::string *testoDi(const Valore &v, std::string &appoggio)
{
    if (v.nullo()) return nullptr;
    if (v.eTesto()) return &v.comeTesto();
    appoggio = v.inTesto();
    return &appoggio;
}

} // namespace

class AccumulatoreRapido::Calcolo {
public:
    Calcolo(const std::vector<std::string> &codici, Giorno dalla, long giorni, TipoReport tipo, Raggruppamento r,
            const std::array<FonteReport, 3> &dove)
        : m_codici(codici), m_primo(dalla), m_giorni(giorni), m_tipo(tipo), m_r(r), m_n(codici.size()), m_corrente(m_n)
    {
        for (std::size_t i = 0; i < 3; ++i) m_fonti[i].dove = dove[i];
        if (tipo == TipoReport::Vendite) {
            schede(m_fonti[0], "DataPartenza");
            schede(m_fonti[1], "DataPartenzaReale");
            prenotazioni(m_fonti[2]);
        } else {
            addebiti(m_fonti[0]);
            addebiti(m_fonti[1]);
            arrangiamenti(m_fonti[2]);
        }
    }

    // Adds the figures of days [inizio, inizio + quanti) to cifre; blocks come in day order.
    void blocco(long inizio, long quanti, SommaEsatta *cifre, SommaEsatta *terza)
    {
        if (!m_pronto) prepara();
        const Valuta uno = Valuta::daIntero(1);
        for (long d = inizio; d < inizio + quanti; ++d) {
            SommaEsatta *giorno = cifre + static_cast<std::size_t>(d - inizio) * m_n;
            for (auto &p : m_passaggi) {
                entrano(p, d);
                // The cards that ended leave; the others count unless the
                // card before has the same text.
                std::int32_t ultima = 0;
                std::size_t tenute = 0;
                for (std::uint32_t i : p.attive) {
                    const Scheda &s = p.schede[i];
                    if (s.fine <= d) continue;
                    p.attive[tenute++] = i;
                    if (s.testo == ultima) continue;
                    const std::int32_t k = p.righe[static_cast<std::size_t>(s.testo)];
                    if (k >= 0) giorno[k] += uno;
                    ultima = s.testo;
                }
                p.attive.resize(tenute);
            }
            for (; m_prossimoInizio < m_tratti.size() && m_tratti[m_prossimoInizio].inizio <= d; ++m_prossimoInizio)
                m_corrente[static_cast<std::size_t>(m_tratti[m_prossimoInizio].k)] += m_tratti[m_prossimoInizio].q;
            for (; m_prossimaFine < m_fini.size() && m_fini[m_prossimaFine].inizio <= d; ++m_prossimaFine)
                m_corrente[static_cast<std::size_t>(m_fini[m_prossimaFine].k)] -= m_fini[m_prossimaFine].q;
            for (; m_prossimoPunto < m_punti.size() && m_punti[m_prossimoPunto].giorno <= d; ++m_prossimoPunto)
                giorno[m_punti[m_prossimoPunto].k] += m_punti[m_prossimoPunto].q;
            for (std::size_t k = 0; k < m_n; ++k) giorno[k] += m_corrente[k];
            // The runs of days are the third source's records alone.
            if (terza)
                for (std::size_t k = 0; k < m_n; ++k) terza[static_cast<std::size_t>(d - inizio) * m_n + k] += m_corrente[k];
        }
    }

private:
    const std::vector<std::string> &m_codici;
    Giorno m_primo;
    long m_giorni;
    TipoReport m_tipo;
    Raggruppamento m_r;
    std::size_t m_n;
    Fonte m_fonti[3];
    bool m_pronto = false;
    std::unordered_map<std::string, int> m_righe;
    std::unique_ptr<dati::Recordset> m_numeriCamere, m_macro;
    std::unordered_map<std::string, std::optional<std::string>> m_tipi, m_macroDiTipo;

    // What the blocks walk, with how far they have gone.
    std::vector<Passaggio> m_passaggi;
    std::vector<Tratto> m_tratti;   // by first day
    std::vector<Tratto> m_fini;     // the same records by the day after their last (in inizio)
    std::vector<Punto> m_punti;     // by day
    std::size_t m_prossimoInizio = 0, m_prossimaFine = 0, m_prossimoPunto = 0;
    std::vector<SommaEsatta> m_corrente;   // the runs of days covering the day reached

    // ------------------------------------------------------------ reading

    // Reads a source record by record: its fields are looked up in the order
    // given (the first missing one is the error), then each record goes to perRecord.
    template <typename F>
    void leggi(Fonte &f, std::initializer_list<const char *> campi, F &&perRecord)
    {
        auto db = dati::Database::open(f.dove.file, f.dove.dati);
        db->scorri(
            f.dove.sql,
            [&](const dati::Recordset &schema) {
                f.descrizione = schema.descrizione();
                try {
                    for (const char *c : campi) f.colonne.push_back(schema.columnIndex(c));
                } catch (...) {
                    f.erroreCampo = std::current_exception();
                }
            },
            [&](const Valore *riga) {
                if (!f.erroreCampo) perRecord(riga);
                ++f.letti;
            });
    }

    // An unreadable figure ends what is kept of the source: the day-by-day
    // accumulation stops there.
    std::optional<Valuta> cifra(Fonte &f, std::string_view campo, const Valore &valore, const Valore &data,
                                const Valore &camera, bool &illeggibile)
    {
        try {
            return cifraDelRecord(f.descrizione, campo, valore, data, camera);
        } catch (...) {
            f.erroreCifra = std::current_exception();
            illeggibile = true;
            return std::nullopt;
        }
    }

    // Guest cards: a card counts on the days it covers unless the card matched
    // just before it on that day (in query order) has the same room. The
    // query orders them by DataArrivo and NumeroCamera; texts of up to eight
    // ASCII bytes are ordered here by their keys, any other value by reading
    // the source again as a record set.
    void schede(Fonte &f, const char *campoPartenza)
    {
        f.numeri.emplace(std::string(), 0);   // the pass starts from the empty text
        f.testi.emplace_back();
        f.usati.push_back(false);
        const bool perCamera = m_r == Raggruppamento::NumeriCamere;
        std::string appoggio;
        auto scheda = [&](const Valore *riga, bool ordinati) {
            const Valore &arrivo = riga[f.colonne[0]], &camera = riga[f.colonne[2]];
            if (!ordinati && ((!arrivo.nullo() && !arrivo.eTesto()) || (!camera.nullo() && !camera.eTesto()))) {
                f.perRecordset = true;
                return;
            }
            const std::string *stanza = testoDi(camera, appoggio);
            if (!stanza) return;
            const Intervallo t = intervallo(arrivo, riga[f.colonne[1]]);
            if (t.vuoto()) return;
            Scheda s;
            if (ordinati) {
                s.chiave[0] = f.letti;
                s.chiave[1] = 0;
            } else {
                if (!chiaveEsatta(arrivo.comeTesto()) || !chiaveEsatta(*stanza)) {
                    f.perRecordset = true;
                    return;
                }
                s.chiave[0] = dati::prefissoAscii(arrivo.comeTesto());
                s.chiave[1] = dati::prefissoAscii(*stanza);
            }
            s.lettura = f.letti;
            s.inizio = static_cast<std::int32_t>(t.inizio);
            s.fine = static_cast<std::int32_t>(t.fine);
            s.testo = f.numero(perCamera ? dati::testo::maiuscolo(*stanza) : *stanza);
            f.schede.push_back(s);
        };
        leggi(f, {"DataArrivo", campoPartenza, "NumeroCamera"}, [&](const Valore *riga) {
            if (!f.perRecordset) scheda(riga, false);
        });
        if (f.perRecordset) {
            f.dimentica();
            f.numeri.emplace(std::string(), 0);
            f.testi.emplace_back();
            f.usati.push_back(false);
            f.letti = 0;
            auto rs = dati::Database::open(f.dove.file, f.dove.dati)->openRecordset(f.dove.sql);
            for (std::size_t i = 0; i < rs->size(); ++i, ++f.letti) scheda(&rs->value(i, 0), true);
        }
        if (!std::is_sorted(f.schede.begin(), f.schede.end(), primaInQuery))
            std::sort(f.schede.begin(), f.schede.end(), primaInQuery);
    }

    // Bookings: every day they cover, the rooms of their type (by room
    // number: one for the room named).
    void prenotazioni(Fonte &f)
    {
        const bool perCamera = m_r == Raggruppamento::NumeriCamere;
        std::string a1, a2;
        leggi(f, {"DataArrivo", "DataPartenza", "NumeroCamera", "TipoCamera", "Quantit\xC3\xA0" "Camere"}, [&](const Valore *riga) {
            if (f.erroreCifra) return;
            const Valore &arrivo = riga[f.colonne[0]], &camera = riga[f.colonne[2]], &quantita = riga[f.colonne[4]];
            const Intervallo t = intervallo(arrivo, riga[f.colonne[1]]);
            if (t.vuoto()) return;
            bool illeggibile = false;
            const std::optional<Valuta> q = cifra(f, "Quantit\xC3\xA0" "Camere", quantita, arrivo, camera, illeggibile);
            if (illeggibile || !q || !quantitaPositiva(quantita, *q)) return;
            const std::string *testo = perCamera ? testoDi(camera, a1) : testoDi(riga[f.colonne[3]], a2);
            if (!testo) return;
            f.tratti.push_back({static_cast<std::int32_t>(t.inizio), static_cast<std::int32_t>(t.fine),
                                f.numero(std::string(dati::testo::trim(*testo))), perCamera ? Valuta::daIntero(1) : *q});
        });
    }

    // Room charges: each on its day.
    void addebiti(Fonte &f)
    {
        const bool perCamera = m_r == Raggruppamento::NumeriCamere;
        std::string appoggio;
        leggi(f, {"DataAddebito", "NumeroCamera", "Importo"}, [&](const Valore *riga) {
            if (f.erroreCifra) return;
            const Valore &data = riga[f.colonne[0]], &camera = riga[f.colonne[1]];
            if (data.nullo()) return;
            long d;
            if (auto g = dataPulita(data)) {
                d = g->seriale - m_primo.seriale;
                if (d < 0 || d >= m_giorni) return;
            } else {
                d = primoDalQuale(data);
                if (d >= m_giorni) return;
                const auto c = dati::confrontaValori(data, testoDelGiorno(d));
                if (!c || *c != 0) return;
            }
            bool illeggibile = false;
            const std::optional<Valuta> importo = cifra(f, "Importo", riga[f.colonne[2]], data, camera, illeggibile);
            if (illeggibile) return;
            const std::string *stanza = testoDi(camera, appoggio);
            if (!stanza || !importo) return;
            f.punti.push_back({static_cast<std::int32_t>(d), f.numero(perCamera ? dati::testo::maiuscolo(*stanza) : *stanza), *importo});
        });
    }

    // Board arrangements of the pseudo-rooms "*101": every day they cover, on room 101.
    void arrangiamenti(Fonte &f)
    {
        std::string appoggio;
        leggi(f, {"DataInizio", "DataFine", "NumeroCamera", "ImportoTotale"}, [&](const Valore *riga) {
            if (f.erroreCifra) return;
            const Valore &inizio = riga[f.colonne[0]], &camera = riga[f.colonne[2]];
            const Intervallo t = intervallo(inizio, riga[f.colonne[1]]);
            if (t.vuoto()) return;
            bool illeggibile = false;
            const std::optional<Valuta> importo = cifra(f, "ImportoTotale", riga[f.colonne[3]], inizio, camera, illeggibile);
            if (illeggibile) return;
            const std::string *stanza = testoDi(camera, appoggio);
            if (!stanza || !importo || stanza->empty()) return;
            f.tratti.push_back({static_cast<std::int32_t>(t.inizio), static_cast<std::int32_t>(t.fine), f.numero(stanza->substr(1)),
                                *importo});
        });
    }

    // ------------------------------------------------------------ dates

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
    Valore testoDelGiorno(long d) const { return Valore::testo(Giorno{m_primo.seriale + d}.aaaammgg()); }

    // First day index d with "campo <= G(d)"; giorni when none. The criteria
    // compare with confrontaValori, which grows with the day, so a binary search works.
    // A real date needs no search: the day texts compare as the days do.
    long primoDalQuale(const Valore &campo) const
    {
        if (auto g = dataPulita(campo)) return std::clamp(g->seriale - m_primo.seriale, 0L, m_giorni);
        long lo = 0, hi = m_giorni;
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

    // ------------------------------------------------------------ columns

    int riga(const std::string &chiave) const
    {
        auto it = m_righe.find(chiave);
        return it == m_righe.end() ? -1 : it->second;
    }

    // The type NumeriCamere gives a room (first match, ignoring case as the lookup does).
    const std::optional<std::string> &tipoDi(const std::string &camera)
    {
        auto it = m_tipi.find(camera);
        if (it != m_tipi.end()) return it->second;
        std::optional<std::string> tipo;
        if (m_numeriCamere->findFirst("NumeroCamera = " + quotaCriterio(camera))) {
            const Valore &v = m_numeriCamere->field("TipoCamera");
            if (!v.nullo()) tipo = v.inTesto();
        }
        return m_tipi.emplace(camera, std::move(tipo)).first->second;
    }

    const std::optional<std::string> &macroDi(const std::string &tipo)
    {
        auto it = m_macroDiTipo.find(tipo);
        if (it != m_macroDiTipo.end()) return it->second;
        std::optional<std::string> sigla;
        if (m_macro->findFirst("TipoCamera = " + quotaCriterio(tipo))) {
            const Valore &v = m_macro->field("Sigla");
            if (!v.nullo()) sigla = v.inTesto();
        }
        return m_macroDiTipo.emplace(tipo, std::move(sigla)).first->second;
    }

    // Row of a room's type (grouping 2) or of its type's macro category (3).
    int rigaDellaCamera(const std::string &camera, bool trimTipo)
    {
        const auto &tipo = tipoDi(camera);
        if (!tipo) return -1;
        if (m_r == Raggruppamento::TipiCamere) return riga(trimTipo ? std::string(dati::testo::trim(*tipo)) : *tipo);
        const auto &sigla = macroDi(*tipo);
        return sigla ? riga(*sigla) : -1;
    }

    // The column of each text of a source that a kept record has.
    template <typename F>
    std::vector<std::int32_t> colonneDeiTesti(const Fonte &f, F &&colonna)
    {
        std::vector<std::int32_t> k(f.testi.size(), -1);
        for (std::size_t i = 0; i < f.testi.size(); ++i)
            if (f.usati[i]) k[i] = colonna(f.testi[i]);
        return k;
    }

    // ------------------------------------------------------------ the sweep

    // The lookups, the columns of what was kept and its order, in the order
    // the day-by-day accumulation meets the same records (and their errors).
    void prepara()
    {
        m_pronto = true;
        for (std::size_t k = 0; k < m_n; ++k) m_righe.emplace(m_codici[k], static_cast<int>(k));   // first key wins
        // The day-by-day accumulation opens both lookup tables on every day:
        // open them here too, so that a missing one fails alike.
        m_numeriCamere = apriTabella("NumeriCamere.mdb", "NumeriCamere", m_fonti[0].dove.dati);
        m_macro = apriTabella("TipiCamere_Macro.mdb", "TipiCamere_Macro", m_fonti[0].dove.dati);
        const bool perCamera = m_r == Raggruppamento::NumeriCamere;
        for (std::size_t i = 0; i < 3; ++i) {
            Fonte &f = m_fonti[i];
            if (f.erroreCampo) std::rethrow_exception(f.erroreCampo);
            if (m_tipo == TipoReport::Vendite && i < 2) {
                Passaggio &p = m_passaggi.emplace_back();
                p.righe = colonneDeiTesti(f, [&](const std::string &t) { return perCamera ? riga(t) : rigaDellaCamera(t, false); });
                p.schede = std::move(f.schede);
                bool crescenti = true;
                for (std::size_t j = 1; j < p.schede.size() && crescenti; ++j) crescenti = p.schede[j - 1].inizio <= p.schede[j].inizio;
                if (!crescenti) {
                    p.perInizio.resize(p.schede.size());
                    for (std::size_t j = 0; j < p.perInizio.size(); ++j) p.perInizio[j] = static_cast<std::uint32_t>(j);
                    std::stable_sort(p.perInizio.begin(), p.perInizio.end(),
                                     [&](std::uint32_t a, std::uint32_t b) { return p.schede[a].inizio < p.schede[b].inizio; });
                }
            } else if (m_tipo == TipoReport::Vendite) {
                const auto k = colonneDeiTesti(f, [&](const std::string &t) -> std::int32_t {
                    if (m_r != Raggruppamento::MacroCategorie) return riga(t);
                    const auto &sigla = macroDi(t);
                    return sigla ? riga(*sigla) : -1;
                });
                aggiungiTratti(f.tratti, k);
            } else if (i < 2) {
                const auto k = colonneDeiTesti(f, [&](const std::string &t) { return perCamera ? riga(t) : rigaDellaCamera(t, false); });
                aggiungiPunti(f.punti, k);
            } else {
                const auto k = colonneDeiTesti(f, [&](const std::string &t) { return perCamera ? riga(t) : rigaDellaCamera(t, true); });
                aggiungiTratti(f.tratti, k);
            }
            f.dimentica();
            if (f.erroreCifra) std::rethrow_exception(f.erroreCifra);
        }
        auto perInizio = [](const Tratto &a, const Tratto &b) { return a.inizio < b.inizio; };
        std::sort(m_tratti.begin(), m_tratti.end(), perInizio);
        m_fini.reserve(m_tratti.size());
        for (const Tratto &t : m_tratti) m_fini.push_back({t.fine, t.fine, t.k, t.q});
        std::sort(m_fini.begin(), m_fini.end(), perInizio);
        ordinaPerGiorno(m_punti);
    }

    // The charges by day, in place: each goes straight to the run of its day
    // (the order within a day does not matter, the sums being exact).
    static void ordinaPerGiorno(std::vector<Punto> &v)
    {
        if (v.size() < 2) return;
        std::int32_t minimo = v[0].giorno, massimo = v[0].giorno;
        bool ordinati = true;
        for (std::size_t i = 1; i < v.size(); ++i) {
            ordinati = ordinati && v[i - 1].giorno <= v[i].giorno;
            minimo = std::min(minimo, v[i].giorno);
            massimo = std::max(massimo, v[i].giorno);
        }
        if (ordinati) return;
        const std::size_t giorniUsati = static_cast<std::size_t>(massimo - minimo) + 1;
        std::vector<std::size_t> fine(giorniUsati + 1, 0);   // fine[g + 1]: past the last place of day g
        for (const Punto &p : v) ++fine[static_cast<std::size_t>(p.giorno - minimo) + 1];
        for (std::size_t g = 1; g <= giorniUsati; ++g) fine[g] += fine[g - 1];
        std::vector<std::size_t> prossimo(fine.begin(), fine.end() - 1);   // next free place of each day
        for (std::size_t g = 0; g < giorniUsati; ++g) {
            while (prossimo[g] < fine[g + 1]) {
                Punto &p = v[prossimo[g]];
                const std::size_t suo = static_cast<std::size_t>(p.giorno - minimo);
                if (suo == g) ++prossimo[g];
                else std::swap(p, v[prossimo[suo]++]);
            }
        }
    }

    void aggiungiTratti(std::vector<Tratto> &letti, const std::vector<std::int32_t> &k)
    {
        for (Tratto t : letti) {
            t.k = k[static_cast<std::size_t>(t.k)];
            if (t.k >= 0) m_tratti.push_back(t);
        }
        std::vector<Tratto>().swap(letti);
    }

    // The charges keep their place: their text numbers become columns where they are.
    void aggiungiPunti(std::vector<Punto> &letti, const std::vector<std::int32_t> &k)
    {
        std::size_t tenuti = 0;
        for (Punto p : letti) {
            p.k = k[static_cast<std::size_t>(p.k)];
            if (p.k >= 0) letti[tenuti++] = p;
        }
        letti.resize(tenuti);
        if (m_punti.empty()) {
            m_punti = std::move(letti);
        } else {
            m_punti.insert(m_punti.end(), letti.begin(), letti.end());
            std::vector<Punto>().swap(letti);
        }
    }

    // The cards whose first day is d come in, in query order among the others.
    void entrano(Passaggio &p, long d)
    {
        const std::size_t prima = p.attive.size();
        if (p.perInizio.empty()) {
            while (p.prossima < p.schede.size() && p.schede[p.prossima].inizio <= d)
                p.attive.push_back(static_cast<std::uint32_t>(p.prossima++));
            return;
        }
        while (p.prossima < p.perInizio.size() && p.schede[p.perInizio[p.prossima]].inizio <= d) p.attive.push_back(p.perInizio[p.prossima++]);
        if (p.attive.size() == prima) return;
        std::sort(p.attive.begin() + static_cast<std::ptrdiff_t>(prima), p.attive.end());
        std::inplace_merge(p.attive.begin(), p.attive.begin() + static_cast<std::ptrdiff_t>(prima), p.attive.end());
    }
};

AccumulatoreRapido::AccumulatoreRapido(const std::vector<std::string> &codiciRiga, Giorno dalla, long giorni, TipoReport tipo,
                                       Raggruppamento raggruppamento, const std::array<FonteReport, 3> &fonti)
    : m_calcolo(std::make_unique<Calcolo>(codiciRiga, dalla, giorni, tipo, raggruppamento, fonti))
{
}

AccumulatoreRapido::~AccumulatoreRapido() = default;

void AccumulatoreRapido::blocco(long inizio, long quanti, SommaEsatta *cifre, SommaEsatta *terza)
{
    m_calcolo->blocco(inizio, quanti, cifre, terza);
}

} // namespace pc
