#include "Analisi.h"

#include "Database.h"
#include "ErroreDati.h"
#include "FigureGiornaliere.h"
#include "FileReport.h"

#include "Testo.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <unordered_map>

using pc::dati::ErroreDati;
using pc::dati::Valuta;

namespace pc::analisi {

namespace {

using Largo = __int128;

// num / den rounded half away from zero; nothing when den is 0 or the result
// does not fit.
std::optional<std::int64_t> dividi(Largo num, Largo den)
{
    if (den == 0) return std::nullopt;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const bool negativo = num < 0;
    const Largo a = negativo ? -num : num;
    Largo q = a / den;
    if ((a % den) * 2 >= den) ++q;
    if (q > INT64_MAX) return std::nullopt;
    return static_cast<std::int64_t>(negativo ? -q : q);
}

std::optional<Valuta> conDecimali(std::optional<std::int64_t> unita, int decimali)
{
    if (!unita) return std::nullopt;
    std::int64_t scala = 1;
    for (int i = decimali; i < 4; ++i) scala *= 10;
    if (*unita > INT64_MAX / scala || *unita < INT64_MIN / scala) return std::nullopt;
    return Valuta::daGrezzo(*unita * scala);
}

Valuta meno(Valuta a, Valuta b) { return Valuta::daGrezzo(a.grezzo() - b.grezzo()); }

bool bisestile(int anno) { return Giorno::seValido(anno, 2, 29).has_value(); }

Giorno ultimoDelMese(int anno, int mese)
{
    return mese == 12 ? Giorno::da(anno, 12, 31) : Giorno{Giorno::da(anno, mese + 1, 1).seriale - 1};
}

// The day figures of one kind, read a block at a time and kept from the
// oldest day still wanted: the comparison period's days come from the same
// stream behind, so at most a year and a block of days is held. For sales,
// the part of the figures that are bookings is kept beside them.
dati::Gruppo gruppoDi(Raggruppamento r)
{
    switch (r) {
    case Raggruppamento::NumeriCamere: return dati::Gruppo::Camere;
    case Raggruppamento::TipiCamere: return dati::Gruppo::Tipi;
    case Raggruppamento::Strutture: return dati::Gruppo::Strutture;
    case Raggruppamento::MacroCategorie: break;
    }
    return dati::Gruppo::Macro;
}

class Flusso {
public:
    Flusso(TipoReport tipo, Raggruppamento r, Giorno dalla, Giorno alla, bool conTerza, const std::shared_ptr<dati::Fonte> &fonte)
        : m_figure(std::make_unique<FigureGiornaliere>(tipo, r, dalla, alla, MetodoCalcolo::Rapido, fonte)),
          m_chiavi(m_figure->chiavi()), m_n(m_chiavi.size()), m_passo(conTerza ? 2 * m_n : m_n), m_conTerza(conTerza),
          m_inizio(dalla)
    {
    }
    // The figures the central archive's import stored, the whole period at
    // once (terza: the bookings' part, or null).
    Flusso(std::vector<std::string> chiavi, const std::vector<Valuta> &cifre, const std::vector<Valuta> *terza, Giorno dalla,
           long giorni)
        : m_chiavi(std::move(chiavi)), m_n(m_chiavi.size()), m_passo(terza ? 2 * m_n : m_n), m_conTerza(terza != nullptr),
          m_inizio(dalla), m_giorni(giorni)
    {
        m_buffer.reserve(static_cast<std::size_t>(giorni) * m_passo);
        for (long d = 0; d < giorni; ++d) {
            const auto da = cifre.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(d) * m_n);
            if (!m_primoConDati && std::any_of(da, da + static_cast<std::ptrdiff_t>(m_n), [](Valuta v) { return !v.zero(); }))
                m_primoConDati = dalla.seriale + d;
            m_buffer.insert(m_buffer.end(), da, da + static_cast<std::ptrdiff_t>(m_n));
            if (terza) {
                const auto t = terza->begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(d) * m_n);
                m_buffer.insert(m_buffer.end(), t, t + static_cast<std::ptrdiff_t>(m_n));
            }
        }
    }

    const std::vector<std::string> &chiavi() const { return m_chiavi; }

    // The figures of day g (nothing outside the period), then, for sales, the
    // bookings' part: valid until the next call that reads further; a day
    // before the last one asked for must not have been dropped.
    const Valuta *cifre(Giorno g)
    {
        if (m_n == 0) return nullptr;
        while (g.seriale >= m_inizio.seriale + m_giorni) {
            if (!m_figure) return nullptr;
            Giorno primo;
            long giorni = 0;
            const Valuta *blocco = nullptr;
            if (!m_figure->prossimoBlocco(primo, giorni, blocco)) return nullptr;
            if (m_giorni == 0) m_inizio = primo;
            // The days dropped so far leave the buffer before it grows.
            m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_testa * m_passo));
            m_testa = 0;
            const std::vector<Valuta> &terza = m_figure->terzaFonte();
            for (long d = 0; d < giorni; ++d) {
                const Valuta *giorno = blocco + static_cast<std::size_t>(d) * m_n;
                if (!m_primoConDati)
                    for (std::size_t k = 0; k < m_n; ++k)
                        if (!giorno[k].zero()) {
                            m_primoConDati = primo.seriale + d;
                            break;
                        }
                m_buffer.insert(m_buffer.end(), giorno, giorno + m_n);
                if (!m_conTerza) continue;
                if (terza.empty()) m_buffer.resize(m_buffer.size() + m_n);
                else m_buffer.insert(m_buffer.end(), terza.begin() + static_cast<std::ptrdiff_t>(d * static_cast<long>(m_n)),
                                     terza.begin() + static_cast<std::ptrdiff_t>((d + 1) * static_cast<long>(m_n)));
            }
            m_giorni += giorni;
        }
        if (g.seriale < m_inizio.seriale) return nullptr;
        return m_buffer.data() + (m_testa + static_cast<std::size_t>(g.seriale - m_inizio.seriale)) * m_passo;
    }

    // Whether day g, already read, comes before the first day with a figure.
    bool primaDeiDati(Giorno g) const { return !m_primoConDati || g.seriale < *m_primoConDati; }

    // Forgets the days before g.
    void scarta(Giorno g)
    {
        const long via = std::min(m_giorni, g.seriale - m_inizio.seriale);
        if (via <= 0) return;
        m_testa += static_cast<std::size_t>(via);
        m_inizio = Giorno{m_inizio.seriale + via};
        m_giorni -= via;
    }

private:
    std::unique_ptr<FigureGiornaliere> m_figure;   // none: stored figures
    std::vector<std::string> m_chiavi;
    std::size_t m_n, m_passo;
    bool m_conTerza;
    std::vector<Valuta> m_buffer;   // m_testa dropped days, then m_giorni days from m_inizio
    std::size_t m_testa = 0;
    Giorno m_inizio;
    long m_giorni = 0;
    std::optional<long> m_primoConDati;
};

// Both kinds of figures of the days from one day to another, with the sold
// rooms' bookings part: the columns' figures of a day, read into x.
class Fonti {
public:
    Fonti(Raggruppamento r, Giorno dalla, Giorno alla, const std::shared_ptr<dati::Fonte> &richiesta)
    {
        const std::shared_ptr<dati::Fonte> fonte = richiesta ? richiesta : dati::fontePredefinita();
        if (fonte->haFigure()) {
            // Both kinds and both periods from one reading of the stored figures.
            const long giorni = alla >= dalla ? alla.seriale - dalla.seriale + 1 : 0;
            dati::FigureSalvate f = fonte->figure(gruppoDi(r), dalla.seriale, dalla.seriale + giorni - 1);
            m_vendite.emplace(f.chiavi, f.vendute, &f.prenotate, dalla, giorni);
            m_produzione.emplace(f.chiavi, f.ricavo, nullptr, dalla, giorni);
            m_camere = std::move(f.disponibili);
            m_camereAlbergo = f.camere;
            return;
        }
        if (r == Raggruppamento::Strutture)
            throw ErroreDati("L'analisi per struttura richiede l'archivio centrale della catena (--archivio URL o PC_ARCHIVIO).");
        m_vendite.emplace(TipoReport::Vendite, r, dalla, alla, true, fonte);
        m_produzione.emplace(TipoReport::Produzione, r, dalla, alla, false, fonte);
        m_fonte = fonte;
        m_r = r;
    }

    const std::vector<std::string> &chiavi() const { return m_vendite->chiavi(); }

    // Rooms of each column and of the room list: stored with the figures, or counted in the room list.
    std::vector<std::int64_t> camere(std::int64_t &albergo) const
    {
        if (!m_fonte) {
            albergo = m_camereAlbergo;
            return m_camere;
        }
        return camerePerColonna(m_r, chiavi(), albergo, m_fonte);
    }

    // Vendute, prenotate and ricavo of day g into the current (ap false) or
    // the comparison (ap true) figures of x[0..n).
    void leggi(Giorno g, Cifre *x, std::size_t n, bool ap)
    {
        const Valuta *v = m_vendite->cifre(g);
        if (v)
            for (std::size_t c = 0; c < n; ++c) {
                (ap ? x[c].venduteAP : x[c].vendute) = v[c];
                (ap ? x[c].prenotateAP : x[c].prenotate) = v[n + c];
            }
        else
            for (std::size_t c = 0; c < n; ++c) (ap ? x[c].venduteAP : x[c].vendute) = (ap ? x[c].prenotateAP : x[c].prenotate) = Valuta();
        const Valuta *p = m_produzione->cifre(g);
        for (std::size_t c = 0; c < n; ++c) (ap ? x[c].ricavoAP : x[c].ricavo) = p ? p[c] : Valuta();
    }

    bool primaDeiDati(Giorno g) const { return m_vendite->primaDeiDati(g) && m_produzione->primaDeiDati(g); }

    void scarta(Giorno g)
    {
        m_vendite->scarta(g);
        m_produzione->scarta(g);
    }

private:
    std::optional<Flusso> m_vendite, m_produzione;
    std::shared_ptr<dati::Fonte> m_fonte;   // none: stored figures
    Raggruppamento m_r = Raggruppamento::TipiCamere;
    std::vector<std::int64_t> m_camere;
    std::int64_t m_camereAlbergo = 0;
};

// The figures of a period (or a month or year of it) and of its comparison
// period, each day once: the current days are added as they come, the
// comparison days from where the last call stopped up to the one compared
// with the day reached, and on the last day to the comparison period's end.
struct Aggregato {
    Periodo periodo, precedente;
    Giorno prossimoAP;
    std::vector<Cifre> colonne;
    Cifre albergo;
    std::vector<std::optional<VoceBudget>> budget;   // columns, then the hotel
    std::vector<char> senzaBudget;                   // a month of it had none

    void apri(const Periodo &p, std::size_t n, ModoConfronto m)
    {
        periodo = p;
        precedente = periodoPrecedente(p, m);
        prossimoAP = precedente.dalla;
        colonne.assign(n, Cifre());
        albergo = Cifre();
        budget.assign(n + 1, std::nullopt);
        senzaBudget.assign(n + 1, false);
    }
};

// A year's or the period's budget is the sum of its months' when every one
// of them has a budget: a month without one leaves the total without.
void aggiungiBudget(std::optional<VoceBudget> &a, bool &incompleto, const std::optional<VoceBudget> &b)
{
    if (!b) incompleto = true;
    if (incompleto) {
        a.reset();
        return;
    }
    if (!a) a = VoceBudget();
    a->vendute += b->vendute;
    a->ricavo += b->ricavo;
}

} // namespace

Cifre &Cifre::operator+=(const Cifre &c)
{
    vendute += c.vendute;
    ricavo += c.ricavo;
    prenotate += c.prenotate;
    venduteAP += c.venduteAP;
    ricavoAP += c.ricavoAP;
    prenotateAP += c.prenotateAP;
    disponibili += c.disponibili;
    disponibiliAP += c.disponibiliAP;
    return *this;
}

bool Cifre::inPrenotazione() const { return !vendute.zero() && Largo(prenotate.grezzo()) * 2 > Largo(vendute.grezzo()); }

std::optional<Valuta> occupazione(Valuta vendute, std::int64_t disponibili)
{
    // vendute / disponibili * 100, in tenths of a point.
    return conDecimali(dividi(Largo(vendute.grezzo()) * 1000, Largo(disponibili) * Valuta::Scala), 1);
}

std::optional<Valuta> adr(Valuta ricavo, Valuta vendute)
{
    return conDecimali(dividi(Largo(ricavo.grezzo()) * 100, Largo(vendute.grezzo())), 2);
}

std::optional<Valuta> revpar(Valuta ricavo, std::int64_t disponibili)
{
    return conDecimali(dividi(Largo(ricavo.grezzo()) * 100, Largo(disponibili) * Valuta::Scala), 2);
}

std::optional<Valuta> variazione(Valuta ora, Valuta primaAnno)
{
    return conDecimali(dividi((Largo(ora.grezzo()) - primaAnno.grezzo()) * 1000, Largo(primaAnno.grezzo())), 1);
}

namespace {

// (a / b) / (c / d) - 1 = (a d - c b) / (c b), in tenths of a percent.
std::optional<Valuta> variazioneDiRapporti(Largo a, Largo b, Largo c, Largo d)
{
    Largo x, y, num, den;
    if (__builtin_mul_overflow(a, d, &x) || __builtin_mul_overflow(c, b, &y) || __builtin_sub_overflow(x, y, &num) ||
        __builtin_mul_overflow(num, Largo(1000), &num) || __builtin_mul_overflow(c, b, &den))
        return std::nullopt;   // beyond any real hotel's figures
    return conDecimali(dividi(num, den), 1);
}

} // namespace

std::optional<Valuta> variazioneAdr(const Cifre &c)
{
    if (c.vendute.zero()) return std::nullopt;
    return variazioneDiRapporti(c.ricavo.grezzo(), c.vendute.grezzo(), c.ricavoAP.grezzo(), c.venduteAP.grezzo());
}

std::optional<Valuta> variazioneRevpar(const Cifre &c)
{
    if (c.disponibili == 0 || c.disponibiliAP == 0) return std::nullopt;
    return variazioneDiRapporti(c.ricavo.grezzo(), c.disponibili, c.ricavoAP.grezzo(), c.disponibiliAP);
}

std::optional<Valuta> puntiOccupazione(const Cifre &c)
{
    // (v / d - v' / d') * 100 = (v d' - v' d) * 100 / (d d'), in tenths of a point.
    if (c.disponibili == 0 || c.disponibiliAP == 0) return std::nullopt;
    Largo x, y, num, den;
    if (__builtin_mul_overflow(Largo(c.vendute.grezzo()), Largo(c.disponibiliAP), &x) ||
        __builtin_mul_overflow(Largo(c.venduteAP.grezzo()), Largo(c.disponibili), &y) || __builtin_sub_overflow(x, y, &num) ||
        __builtin_mul_overflow(num, Largo(1000), &num) ||
        __builtin_mul_overflow(Largo(c.disponibili) * c.disponibiliAP, Largo(Valuta::Scala), &den))
        return std::nullopt;
    return conDecimali(dividi(num, den), 1);
}

std::optional<Valuta> scostamentoVendute(const Cifre &c)
{
    if (!c.budget) return std::nullopt;
    return meno(c.vendute, c.budget->vendute);
}

std::optional<Valuta> scostamentoRicavo(const Cifre &c)
{
    if (!c.budget) return std::nullopt;
    return meno(c.ricavo, c.budget->ricavo);
}

Giorno annoPrima(Giorno g)
{
    if (g.mese() == 2 && g.giorno() == 29) return Giorno::da(g.anno() - 1, 2, 28);
    return Giorno::da(g.anno() - 1, g.mese(), g.giorno());
}

Giorno giornoPrecedente(Giorno g, ModoConfronto m)
{
    return m == ModoConfronto::Settimana ? Giorno{g.seriale - 364} : annoPrima(g);
}

Periodo periodoPrecedente(const Periodo &p, ModoConfronto m)
{
    if (m == ModoConfronto::Settimana) return {Giorno{p.dalla.seriale - 364}, Giorno{p.alla.seriale - 364}};
    Periodo q{annoPrima(p.dalla), annoPrima(p.alla)};
    // A period holding the whole of February reaches the 29th of the year before.
    const int anno = p.alla.anno();
    if (p.alla.mese() == 2 && p.alla.giorno() == 28 && !bisestile(anno) && bisestile(anno - 1) &&
        p.dalla <= Giorno::da(anno, 2, 1))
        q.alla = Giorno::da(anno - 1, 2, 29);
    return q;
}

// ------------------------------------------------------------------ budget

namespace {

std::string senzaSpazi(std::string t)
{
    const auto a = t.find_first_not_of(" \t\r\n"), b = t.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : t.substr(a, b - a + 1);
}

bool utf8Valido(const std::string &t)
{
    for (std::size_t i = 0; i < t.size();) {
        const auto c = static_cast<unsigned char>(t[i]);
        const std::size_t lunghezza = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (lunghezza == 0 || i + lunghezza > t.size()) return false;
        for (std::size_t k = 1; k < lunghezza; ++k)
            if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return false;
        i += lunghezza;
    }
    return true;
}

// "1.234,50" or "1234,5" or "1234": an amount written the Italian way.
std::optional<Valuta> importoItaliano(std::string t)
{
    t = senzaSpazi(t);
    if (t.empty()) return std::nullopt;
    std::string pulito;
    const bool virgola = t.find(',') != std::string::npos;
    for (char c : t) {
        if (c == '.' && virgola) continue;
        pulito += c == ',' ? '.' : c;
    }
    if (pulito.find_first_not_of("+-0123456789.") != std::string::npos) return std::nullopt;
    return Valuta::daTesto(pulito);
}

std::vector<std::string> campi(const std::string &linea)
{
    std::vector<std::string> c;
    std::string corrente;
    bool virgolette = false;
    for (std::size_t i = 0; i < linea.size(); ++i) {
        const char x = linea[i];
        if (x == '"') {
            if (virgolette && i + 1 < linea.size() && linea[i + 1] == '"') {
                corrente += '"';
                ++i;
            } else {
                virgolette = !virgolette;
            }
        } else if (x == ';' && !virgolette) {
            c.push_back(senzaSpazi(corrente));
            corrente.clear();
        } else {
            corrente += x;
        }
    }
    c.push_back(senzaSpazi(corrente));
    return c;
}

Valuta quota(Valuta v, long parte, long tutto)
{
    return Valuta::daGrezzo(*dividi(Largo(v.grezzo()) * parte, Largo(tutto)));
}

} // namespace

Budget Budget::leggi(const std::string &contenuto)
{
    std::string testo = contenuto;
    if (testo.rfind("\xEF\xBB\xBF", 0) == 0) testo.erase(0, 3);
    if (!utf8Valido(testo)) testo = dati::testo::cp1252InUtf8(testo);
    Budget b;
    std::size_t numero = 0;
    for (std::size_t i = 0; i <= testo.size();) {
        std::size_t j = testo.find('\n', i);
        if (j == std::string::npos) j = testo.size();
        const std::string linea = senzaSpazi(testo.substr(i, j - i));
        i = j + 1;
        ++numero;
        if (linea.empty()) continue;
        const auto c = campi(linea);
        if (numero == 1 && !c.empty() && dati::testo::ugualeNoCase(c[0], "Mese")) continue;   // the fields' names
        auto errore = [&](const std::string &perche) {
            throw ErroreDati("Budget, riga " + std::to_string(numero) + ": " + perche + " (attese Mese;Colonna;Vendute;Ricavo, mese mm/aaaa).");
        };
        if (c.size() != 4) errore("servono 4 campi separati da \";\", trovati " + std::to_string(c.size()));
        int mese = 0, anno = 0;
        if (c[0].size() != 7 || c[0][2] != '/' || std::sscanf(c[0].c_str(), "%2d/%4d", &mese, &anno) != 2 || mese < 1 || mese > 12 ||
            anno < 1900 || c[0].find_first_not_of("0123456789/") != std::string::npos)
            errore("il mese \"" + c[0] + "\" non \xC3\xA8 nella forma mm/aaaa");
        if (c[1].empty()) errore("manca la colonna");
        const auto vendute = importoItaliano(c[2]), ricavo = importoItaliano(c[3]);
        if (!vendute) errore("le camere vendute \"" + c[2] + "\" non sono un numero");
        if (!ricavo) errore("il ricavo \"" + c[3] + "\" non \xC3\xA8 un importo");
        Mese &m = b.m_mesi[anno * 12 + mese - 1];
        const VoceBudget v{*vendute, *ricavo};
        if (dati::testo::ugualeNoCase(c[1], "Totale albergo")) {
            if (m.albergo) errore("\"Totale albergo\" di " + c[0] + " ripetuto");
            m.albergo = v;
        } else if (!m.colonne.emplace(c[1], v).second) {
            errore("la colonna \"" + c[1] + "\" di " + c[0] + " ripetuta");
        }
    }
    return b;
}

Budget Budget::leggiFile(const std::string &percorso)
{
    std::ifstream f(percorso, std::ios::binary);
    if (!f) throw ErroreDati("Impossibile leggere il budget \"" + percorso + "\": " + std::strerror(errno) + ".");
    std::ostringstream contenuto;
    contenuto << f.rdbuf();
    if (f.bad()) throw ErroreDati("Impossibile leggere il budget \"" + percorso + "\".");
    return leggi(contenuto.str());
}

std::optional<VoceBudget> Budget::voce(const Periodo &giorni, const std::string *colonna) const
{
    const auto it = m_mesi.find(giorni.dalla.anno() * 12 + giorni.dalla.mese() - 1);
    if (it == m_mesi.end()) return std::nullopt;
    const Mese &m = it->second;
    std::optional<VoceBudget> v;
    if (colonna) {
        if (auto c = m.colonne.find(*colonna); c != m.colonne.end()) v = c->second;
    } else if (m.albergo) {
        v = m.albergo;
    } else if (!m.colonne.empty()) {
        v = VoceBudget();
        for (const auto &[nome, x] : m.colonne) {
            v->vendute += x.vendute;
            v->ricavo += x.ricavo;
        }
    }
    const long delMese = ultimoDelMese(giorni.dalla.anno(), giorni.dalla.mese()).giorno();
    if (v && giorni.giorni() < delMese) {
        v->vendute = quota(v->vendute, giorni.giorni(), delMese);
        v->ricavo = quota(v->ricavo, giorni.giorni(), delMese);
    }
    return v;
}

// ------------------------------------------------------------- computation

void calcola(const RichiestaAnalisi &r, Destinatario &d, const Avanzamento &avanzamento)
{
    Intestazione i;
    i.richiesta = r;
    const Periodo tutto{r.dalla, r.alla};
    i.giorni = tutto.giorni();
    const ModoConfronto modo = r.modoConfronto;
    const bool confronto = r.confronto;
    i.precedente = periodoPrecedente(tutto, modo);

    // One stream per kind from the first day of the comparison (if any) to the
    // last day: the sources are read once for both periods.
    const Giorno primo = confronto && i.giorni > 0 ? std::min(i.precedente.dalla, r.dalla) : r.dalla;
    Fonti fonti(r.raggruppamento, primo, r.alla, r.dati);
    i.colonne = fonti.chiavi();
    i.disponibili = fonti.camere(i.camereAlbergo);
    d.inizio(i);

    const std::size_t n = i.colonne.size();
    const Budget *budget = r.budget && !r.budget->vuoto() ? r.budget.get() : nullptr;
    std::vector<Cifre> giorno(n), ap(n);
    // The period, its month and its year reached.
    Aggregato totale, mese, anno;
    totale.apri(tutto, n, modo);
    auto periodoDi = [&](Periodicita p, Giorno g) {
        const Periodo intero = p == Periodicita::Mese ? Periodo{Giorno::da(g.anno(), g.mese(), 1), ultimoDelMese(g.anno(), g.mese())}
                                                      : Periodo{Giorno::da(g.anno(), 1, 1), Giorno::da(g.anno(), 12, 31)};
        return Periodo{std::max(intero.dalla, r.dalla), std::min(intero.alla, r.alla)};
    };
    // Adds day g's figures to a, and the comparison days up to the one g is compared with.
    auto aggiungi = [&](Aggregato &a, Giorno g, const std::vector<Cifre> &x, const Cifre &albergo) {
        for (std::size_t c = 0; c < n; ++c) {
            a.colonne[c].vendute += x[c].vendute;
            a.colonne[c].ricavo += x[c].ricavo;
            a.colonne[c].prenotate += x[c].prenotate;
            a.colonne[c].disponibili += x[c].disponibili;
        }
        a.albergo.vendute += albergo.vendute;
        a.albergo.ricavo += albergo.ricavo;
        a.albergo.prenotate += albergo.prenotate;
        a.albergo.disponibili += albergo.disponibili;
        if (!confronto) return;
        const Giorno fino = g == a.periodo.alla ? a.precedente.alla : std::min(giornoPrecedente(g, modo), a.precedente.alla);
        for (; a.prossimoAP <= fino; a.prossimoAP = a.prossimoAP.successivo()) {
            fonti.leggi(a.prossimoAP, ap.data(), n, true);
            for (std::size_t c = 0; c < n; ++c) {
                a.colonne[c].venduteAP += ap[c].venduteAP;
                a.colonne[c].ricavoAP += ap[c].ricavoAP;
                a.colonne[c].prenotateAP += ap[c].prenotateAP;
                a.colonne[c].disponibiliAP += i.disponibili[c];
                a.albergo.venduteAP += ap[c].venduteAP;
                a.albergo.ricavoAP += ap[c].ricavoAP;
                a.albergo.prenotateAP += ap[c].prenotateAP;
            }
            a.albergo.disponibiliAP += i.camereAlbergo;
        }
    };
    auto conBudget = [&](Aggregato &a) {
        for (std::size_t c = 0; c <= n; ++c) (c < n ? a.colonne[c] : a.albergo).budget = a.budget[c];
    };

    for (long k = 0; k < i.giorni; ++k) {
        const Giorno g{r.dalla.seriale + k};
        if (k == 0 || g.giorno() == 1) mese.apri(periodoDi(Periodicita::Mese, g), n, modo);
        if (k == 0 || (g.giorno() == 1 && g.mese() == 1)) anno.apri(periodoDi(Periodicita::Anno, g), n, modo);
        const Giorno gAP = giornoPrecedente(g, modo);
        // The day compared with first: the stream then only moves on.
        Cifre albergo;
        albergo.disponibili = albergo.disponibiliAP = i.camereAlbergo;
        if (confronto) {
            fonti.scarta(std::min(gAP, totale.prossimoAP));
            fonti.leggi(gAP, giorno.data(), n, true);
            albergo.mancanteAP = fonti.primaDeiDati(gAP);
        } else {
            fonti.scarta(g);
        }
        fonti.leggi(g, giorno.data(), n, false);
        albergo.mancante = fonti.primaDeiDati(g);
        for (std::size_t c = 0; c < n; ++c) {
            Cifre &x = giorno[c];
            x.disponibili = x.disponibiliAP = i.disponibili[c];
            x.mancante = albergo.mancante;
            x.mancanteAP = albergo.mancanteAP;
            albergo.vendute += x.vendute;
            albergo.ricavo += x.ricavo;
            albergo.prenotate += x.prenotate;
            albergo.venduteAP += x.venduteAP;
            albergo.ricavoAP += x.ricavoAP;
            albergo.prenotateAP += x.prenotateAP;
        }
        d.giorno(g, giorno.data(), albergo);
        for (Aggregato *a : {&totale, &mese, &anno}) aggiungi(*a, g, giorno, albergo);
        if (g == mese.periodo.alla) {
            if (budget) {
                for (std::size_t c = 0; c <= n; ++c) {
                    mese.budget[c] = budget->voce(mese.periodo, c < n ? &i.colonne[c] : nullptr);
                    bool a = anno.senzaBudget[c], t = totale.senzaBudget[c];
                    aggiungiBudget(anno.budget[c], a, mese.budget[c]);
                    aggiungiBudget(totale.budget[c], t, mese.budget[c]);
                    anno.senzaBudget[c] = a;
                    totale.senzaBudget[c] = t;
                }
                conBudget(mese);
            }
            d.periodo(Periodicita::Mese, mese.periodo, mese.colonne.data(), mese.albergo);
        }
        if (g == anno.periodo.alla) {
            if (budget) conBudget(anno);
            d.periodo(Periodicita::Anno, anno.periodo, anno.colonne.data(), anno.albergo);
        }
        if (avanzamento && (k % 16 == 15 || k + 1 == i.giorni)) avanzamento(k + 1, i.giorni);
    }
    if (budget) conBudget(totale);
    d.fine(totale.colonne.data(), totale.albergo);
}

CifreConAnnoPrecedente cifreConAnnoPrecedente(const std::vector<Periodo> &periodi, Raggruppamento r, ModoConfronto m)
{
    CifreConAnnoPrecedente risultato;
    Giorno primo{LONG_MAX}, ultimo{LONG_MIN};
    for (const Periodo &p : periodi) {
        if (p.giorni() == 0) continue;
        const Periodo q = periodoPrecedente(p, m);
        primo = std::min({primo, p.dalla, q.dalla});
        ultimo = std::max({ultimo, p.alla, q.alla});
    }
    if (primo > ultimo) primo = ultimo = Giorno::da(2000, 1, 1);
    // Every day once into memory: the periods may overlap in any way.
    Fonti fonti(r, primo, ultimo, {});
    risultato.colonne = fonti.chiavi();
    risultato.camere = fonti.camere(risultato.camereAlbergo);
    const std::size_t n = risultato.colonne.size();
    const long giorni = ultimo.seriale - primo.seriale + 1;
    std::vector<Cifre> tutti(static_cast<std::size_t>(giorni) * n);
    for (long k = 0; k < giorni; ++k) fonti.leggi(Giorno{primo.seriale + k}, tutti.data() + static_cast<std::size_t>(k) * n, n, false);
    for (const Periodo &p : periodi) {
        CifreDiPeriodo x;
        x.periodo = p;
        x.precedente = periodoPrecedente(p, m);
        x.colonne.assign(n, Cifre());
        auto somma = [&](const Periodo &q, bool ap) {
            for (long s = q.dalla.seriale; s <= q.alla.seriale; ++s) {
                const Cifre *giorno = tutti.data() + static_cast<std::size_t>(s - primo.seriale) * n;
                for (std::size_t c = 0; c < n; ++c) {
                    Cifre &y = x.colonne[c];
                    (ap ? y.venduteAP : y.vendute) += giorno[c].vendute;
                    (ap ? y.ricavoAP : y.ricavo) += giorno[c].ricavo;
                    (ap ? y.prenotateAP : y.prenotate) += giorno[c].prenotate;
                    (ap ? y.disponibiliAP : y.disponibili) += risultato.camere[c];
                }
            }
        };
        if (p.giorni() > 0) {
            somma(p, false);
            somma(x.precedente, true);
        }
        for (const Cifre &c : x.colonne) x.albergo += c;
        x.albergo.disponibili = risultato.camereAlbergo * p.giorni();
        x.albergo.disponibiliAP = risultato.camereAlbergo * x.precedente.giorni();
        risultato.periodi.push_back(std::move(x));
    }
    return risultato;
}

std::string etichetta(Periodicita p, const Periodo &periodo)
{
    const std::string t = periodo.dalla.ggmmaaaa();
    switch (p) {
    case Periodicita::Giorno: return t;
    case Periodicita::Mese: return t.substr(3);
    case Periodicita::Anno: break;
    }
    return t.substr(6);
}

void Riepilogo::inizio(const Intestazione &i)
{
    intestazione = i;
    date.clear();
    albergoPerGiorno.clear();
    colonnePerGiorno.clear();
    righe.clear();
    totaliColonne.clear();
    totaleAlbergo = Cifre();
}

void Riepilogo::giorno(Giorno g, const Cifre *colonne, const Cifre &albergo)
{
    date.push_back(g);
    albergoPerGiorno.push_back(albergo);
    if (m_conColonne) colonnePerGiorno.insert(colonnePerGiorno.end(), colonne, colonne + intestazione.colonne.size());
    // Day lines take their columns from the days kept.
    if (intestazione.richiesta.periodicita == Periodicita::Giorno) righe.push_back({{g, g}, {}, albergo});
}

void Riepilogo::periodo(Periodicita p, const Periodo &periodo, const Cifre *colonne, const Cifre &albergo)
{
    if (p == intestazione.richiesta.periodicita)
        righe.push_back({periodo, std::vector<Cifre>(colonne, colonne + intestazione.colonne.size()), albergo});
}

void Riepilogo::fine(const Cifre *colonne, const Cifre &albergo)
{
    totaliColonne.assign(colonne, colonne + intestazione.colonne.size());
    totaleAlbergo = albergo;
}

const Cifre &Riepilogo::delGiorno(std::size_t d, std::size_t k) const
{
    const std::size_t n = intestazione.colonne.size();
    return k >= n ? albergoPerGiorno[d] : colonnePerGiorno[d * n + k];
}

const Cifre *Riepilogo::dellaRiga(std::size_t riga, std::size_t k) const
{
    const RigaPeriodo &x = righe[riga];
    if (k >= intestazione.colonne.size()) return &x.albergo;
    if (!x.colonne.empty()) return &x.colonne[k];
    return m_conColonne ? &delGiorno(riga, k) : nullptr;
}

std::optional<Periodicita> periodicitaDaNome(const std::string &nome)
{
    if (nome == "giorno") return Periodicita::Giorno;
    if (nome == "mese") return Periodicita::Mese;
    if (nome == "anno") return Periodicita::Anno;
    return std::nullopt;
}

const char *nomePeriodicita(Periodicita p)
{
    switch (p) {
    case Periodicita::Giorno: return "giorno";
    case Periodicita::Mese: return "mese";
    case Periodicita::Anno: break;
    }
    return "anno";
}

std::string titoloAnalisi(const Intestazione &i)
{
    const RichiestaAnalisi &q = i.richiesta;
    std::string t = "Analisi produzione camere dal " + q.dalla.ggmmaaaa() + " al " + q.alla.ggmmaaaa() + " - " +
                    titoloRaggruppamento(q.raggruppamento);
    if (q.periodicita == Periodicita::Mese) t += " - per mese";
    else if (q.periodicita == Periodicita::Anno) t += " - per anno";
    if (q.confronto)
        t += std::string(" - confronto ") + (q.modoConfronto == ModoConfronto::Settimana ? "per giorno della settimana" : "per data") +
             " con il " + i.precedente.dalla.ggmmaaaa() + " - " + i.precedente.alla.ggmmaaaa();
    return t;
}

std::string nomeFileAnalisi(const std::string &estensione) { return "analisi" + postazione() + estensione; }

std::string testoCifra(const std::optional<Valuta> &v, int decimali, char separatore)
{
    return v ? v->formatta(decimali, separatore) : std::string();
}

} // namespace pc::analisi
