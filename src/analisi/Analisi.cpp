#include "Analisi.h"

#include "Database.h"
#include "ErroreDati.h"
#include "FigureGiornaliere.h"
#include "FileReport.h"
#include "MotoreReport.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

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

// The day figures of one kind, read a block at a time and kept from the
// oldest day still wanted: the comparison year's days come from the same
// stream a year behind, so at most a year and a block of days is held.
class Flusso {
public:
    Flusso(TipoReport tipo, Raggruppamento r, Giorno dalla, Giorno alla, const std::shared_ptr<dati::Fonte> &fonte)
        : m_figure(std::make_unique<FigureGiornaliere>(tipo, r, dalla, alla, MetodoCalcolo::Rapido, fonte)),
          m_chiavi(m_figure->chiavi()), m_n(m_chiavi.size()), m_inizio(dalla)
    {
    }
    // The figures stored by the central archive's import, the whole period at once.
    Flusso(std::vector<std::string> chiavi, std::vector<Valuta> cifre, Giorno dalla, long giorni)
        : m_chiavi(std::move(chiavi)), m_n(m_chiavi.size()), m_buffer(std::move(cifre)), m_inizio(dalla), m_giorni(giorni)
    {
    }

    const std::vector<std::string> &chiavi() const { return m_chiavi; }

    // The figures of day g (nothing outside the period), valid until the next
    // call that reads further; a day before the last one asked for must not
    // have been dropped.
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
            m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_testa * m_n));
            m_testa = 0;
            m_buffer.insert(m_buffer.end(), blocco, blocco + static_cast<std::size_t>(giorni) * m_n);
            m_giorni += giorni;
        }
        if (g.seriale < m_inizio.seriale) return nullptr;
        return m_buffer.data() + (m_testa + static_cast<std::size_t>(g.seriale - m_inizio.seriale)) * m_n;
    }

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
    std::size_t m_n;
    std::vector<Valuta> m_buffer;   // m_testa dropped days, then m_giorni days from m_inizio
    std::size_t m_testa = 0;
    Giorno m_inizio;
    long m_giorni = 0;
};

// Rooms of the statement's room list per column, and of the whole list.
std::vector<std::int64_t> leggiDisponibili(Raggruppamento r, const std::vector<std::string> &colonne,
                                           std::int64_t &albergo, const std::shared_ptr<dati::Fonte> &fonte)
{
    std::unordered_map<std::string, std::size_t> indice;
    for (std::size_t k = 0; k < colonne.size(); ++k) indice.emplace(colonne[k], k);   // first key wins
    std::vector<std::int64_t> disponibili(colonne.size(), 0);
    auto rs = dati::Database::open("NumeriCamere.mdb", fonte)->openRecordset(
        "Select * From NumeriCamere Where NumeroHotel = 1 and TipoCamera In (Select Sigla From TipiCamere In "
        "'TipiCamere.mdb' Where NumeroHotel = 1 and Tipologia = 'C') Order by NumeroCamera;");
    std::unique_ptr<dati::Recordset> macro;
    if (r == Raggruppamento::MacroCategorie) macro = apriTabella("TipiCamere_Macro.mdb", "TipiCamere_Macro", fonte);
    albergo = 0;
    std::size_t camera = 0;
    const char *criterio = "NumeroHotel = 1";
    for (bool trovato = rs->findFirst(criterio); trovato; trovato = rs->findNext(criterio)) {
        if (rs->field("NumeroCamera").nullo()) continue;   // no column and no room
        ++albergo;
        if (r == Raggruppamento::NumeriCamere) {
            if (camera < disponibili.size()) ++disponibili[camera];
            ++camera;
            continue;
        }
        const Valore &tipo = rs->field("TipoCamera");
        if (tipo.nullo()) continue;
        std::optional<std::string> chiave = tipo.inTesto();
        if (r == Raggruppamento::MacroCategorie) chiave = macroDelTipo(*macro, *chiave);
        if (!chiave) continue;
        if (auto it = indice.find(*chiave); it != indice.end()) ++disponibili[it->second];
    }
    return disponibili;
}

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

} // namespace

Cifre &Cifre::operator+=(const Cifre &c)
{
    vendute += c.vendute;
    ricavo += c.ricavo;
    venduteAP += c.venduteAP;
    ricavoAP += c.ricavoAP;
    disponibili += c.disponibili;
    return *this;
}

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

std::optional<Valuta> variazioneAdr(const Cifre &c)
{
    // (R / S) / (R' / S') - 1 = (R S' - R' S) / (R' S)
    if (c.vendute.zero()) return std::nullopt;
    const Largo r = c.ricavo.grezzo(), s = c.vendute.grezzo(), r1 = c.ricavoAP.grezzo(), s1 = c.venduteAP.grezzo();
    Largo a, b, num, den;
    if (__builtin_mul_overflow(r, s1, &a) || __builtin_mul_overflow(r1, s, &b) || __builtin_sub_overflow(a, b, &num) ||
        __builtin_mul_overflow(num, Largo(1000), &num) || __builtin_mul_overflow(r1, s, &den))
        return std::nullopt;   // beyond any real hotel's figures
    return conDecimali(dividi(num, den), 1);
}

std::optional<Valuta> variazioneRevpar(const Cifre &c)
{
    // The same rooms are available in both years.
    if (c.disponibili == 0) return std::nullopt;
    return variazione(c.ricavo, c.ricavoAP);
}

std::optional<Valuta> puntiOccupazione(const Cifre &c)
{
    const auto ora = occupazione(c.vendute, c.disponibili), prima = occupazione(c.venduteAP, c.disponibili);
    if (!ora || !prima) return std::nullopt;
    return meno(*ora, *prima);
}

Giorno annoPrima(Giorno g)
{
    if (g.mese() == 2 && g.giorno() == 29) return Giorno::da(g.anno() - 1, 2, 28);
    return Giorno::da(g.anno() - 1, g.mese(), g.giorno());
}

void calcola(const RichiestaAnalisi &r, Destinatario &d, const Avanzamento &avanzamento)
{
    Intestazione i;
    i.richiesta = r;
    i.giorni = r.alla >= r.dalla ? r.alla.seriale - r.dalla.seriale + 1 : 0;

    // One stream per kind from the first day of the comparison (if any) to the
    // last day: the sources are read once for both years.
    const Giorno primo = r.confronto && i.giorni > 0 ? annoPrima(r.dalla) : r.dalla;
    const std::shared_ptr<dati::Fonte> fonte = r.dati ? r.dati : dati::fontePredefinita();
    std::optional<Flusso> vendite, produzione;
    if (fonte->haFigure()) {
        // Both kinds and both years from one reading of the stored figures.
        const long giorni = r.alla >= primo ? r.alla.seriale - primo.seriale + 1 : 0;
        dati::FigureSalvate f = fonte->figure(gruppoDi(r.raggruppamento), primo.seriale, primo.seriale + giorni - 1);
        i.disponibili = std::move(f.disponibili);
        i.camereAlbergo = f.camere;
        vendite.emplace(f.chiavi, std::move(f.vendute), primo, giorni);
        produzione.emplace(std::move(f.chiavi), std::move(f.ricavo), primo, giorni);
        i.colonne = vendite->chiavi();
    } else {
        if (r.raggruppamento == Raggruppamento::Strutture)
            throw ErroreDati("L'analisi per struttura richiede l'archivio centrale della catena (--archivio URL o PC_ARCHIVIO).");
        vendite.emplace(TipoReport::Vendite, r.raggruppamento, primo, r.alla, fonte);
        produzione.emplace(TipoReport::Produzione, r.raggruppamento, primo, r.alla, fonte);
        i.colonne = vendite->chiavi();
        i.disponibili = leggiDisponibili(r.raggruppamento, i.colonne, i.camereAlbergo, fonte);
    }
    d.inizio(i);

    const std::size_t n = i.colonne.size();
    std::vector<Cifre> giorno(n), totali(n);
    Cifre totaleAlbergo;
    for (long k = 0; k < i.giorni; ++k) {
        const Giorno g{r.dalla.seriale + k};
        const Giorno gAP = annoPrima(g);
        const bool confronto = r.confronto;
        vendite->scarta(confronto ? gAP : g);
        produzione->scarta(confronto ? gAP : g);
        // The day itself first: reading on may move the kept days.
        const Valuta *v = vendite->cifre(g), *p = produzione->cifre(g);
        const Valuta *vAP = confronto ? vendite->cifre(gAP) : nullptr, *pAP = confronto ? produzione->cifre(gAP) : nullptr;
        Cifre albergo;
        albergo.disponibili = i.camereAlbergo;
        for (std::size_t c = 0; c < n; ++c) {
            Cifre &x = giorno[c];
            x.vendute = v ? v[c] : Valuta();
            x.ricavo = p ? p[c] : Valuta();
            x.venduteAP = vAP ? vAP[c] : Valuta();
            x.ricavoAP = pAP ? pAP[c] : Valuta();
            x.disponibili = i.disponibili[c];
            totali[c] += x;
            albergo.vendute += x.vendute;
            albergo.ricavo += x.ricavo;
            albergo.venduteAP += x.venduteAP;
            albergo.ricavoAP += x.ricavoAP;
        }
        totaleAlbergo += albergo;
        d.giorno(g, giorno.data(), albergo);
        if (avanzamento && (k % 16 == 15 || k + 1 == i.giorni)) avanzamento(k + 1, i.giorni);
    }
    d.fine(totali.data(), totaleAlbergo);
}

void Riepilogo::inizio(const Intestazione &i)
{
    intestazione = i;
    date.clear();
    albergoPerGiorno.clear();
    totaliColonne.clear();
    totaleAlbergo = Cifre();
}

void Riepilogo::giorno(Giorno g, const Cifre *, const Cifre &albergo)
{
    date.push_back(g);
    albergoPerGiorno.push_back(albergo);
}

void Riepilogo::fine(const Cifre *colonne, const Cifre &albergo)
{
    totaliColonne.assign(colonne, colonne + intestazione.colonne.size());
    totaleAlbergo = albergo;
}

std::optional<Raggruppamento> raggruppamentoDaNome(const std::string &nome)
{
    if (nome == "camere") return Raggruppamento::NumeriCamere;
    if (nome == "tipi") return Raggruppamento::TipiCamere;
    if (nome == "macro") return Raggruppamento::MacroCategorie;
    if (nome == "strutture") return Raggruppamento::Strutture;
    return std::nullopt;
}

const char *nomeRaggruppamento(Raggruppamento r)
{
    switch (r) {
    case Raggruppamento::NumeriCamere: return "camere";
    case Raggruppamento::TipiCamere: return "tipi";
    case Raggruppamento::Strutture: return "strutture";
    case Raggruppamento::MacroCategorie: break;
    }
    return "macro";
}

const char *titoloRaggruppamento(Raggruppamento r)
{
    switch (r) {
    case Raggruppamento::NumeriCamere: return "Numeri camere";
    case Raggruppamento::TipiCamere: return "Tipi camere";
    case Raggruppamento::Strutture: return "Strutture";
    case Raggruppamento::MacroCategorie: break;
    }
    return "Macro categorie";
}

std::string nomeFileAnalisi(const std::string &estensione) { return "analisi" + postazione() + estensione; }

std::string testoCifra(const std::optional<Valuta> &v, int decimali, char separatore)
{
    return v ? v->formatta(decimali, separatore) : std::string();
}

} // namespace pc::analisi
