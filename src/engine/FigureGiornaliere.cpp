#include "FigureGiornaliere.h"

#include "AccumulatoreRapido.h"
#include "Database.h"
#include "Dialetto.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "MotoreReport.h"
#include "Raggruppamenti.h"
#include "Testo.h"

#include <algorithm>

using pc::dati::ErroreDati;
using pc::dati::Valore;
using pc::dati::Valuta;
using pc::dati::dialetto::quotaCriterio;

namespace pc {

namespace {

struct TabellaRaggruppamento {
    const char *file;
    const char *sql;
    const char *chiave;
};

TabellaRaggruppamento tabellaDi(Raggruppamento r)
{
    switch (r) {
    case Raggruppamento::NumeriCamere:
        return {"NumeriCamere.mdb", queryElencoCamere(), "NumeroCamera"};
    case Raggruppamento::TipiCamere:
        return {"TipiCamere.mdb", "Select * From TipiCamere Where NumeroHotel = 1 and Tipologia = 'C' Order by Sigla;", "Sigla"};
    case Raggruppamento::MacroCategorie:
    case Raggruppamento::Strutture:
        break;
    }
    return {"TipiCamere_Macro.mdb", "Select * From TipiCamere_MacroN Where NumeroHotel = 1 Order by Sigla;", "Sigla"};
}

// The row keys, in the order of the grouping table's query. A record without
// a key has no column to show and is left out.
std::vector<std::string> leggiChiavi(Raggruppamento r, const std::shared_ptr<dati::Fonte> &fonte)
{
    const TabellaRaggruppamento t = tabellaDi(r);
    auto db = dati::Database::open(t.file, fonte);
    auto rs = db->openRecordset(t.sql);
    std::vector<std::string> chiavi;
    const char *criterio = "NumeroHotel = 1";
    for (bool trovato = rs->findFirst(criterio); trovato; trovato = rs->findNext(criterio)) {
        const Valore &v = rs->field(t.chiave);
        if (!v.nullo()) chiavi.push_back(v.inTesto());
    }
    return chiavi;
}

// The three data sources of the kind for the period [D, A] (yyyymmdd), in reading order.
std::array<FonteReport, 3> fontiDi(TipoReport tipo, const std::string &D, const std::string &A,
                                   const std::shared_ptr<dati::Fonte> &fonte)
{
    // A source that finds the files by name needs no DIRKV.
    const std::string storico = fonte->perNome() ? std::string() : cartellaStorico() + "/";
    const std::string a = quotaCriterio(A), d = quotaCriterio(D);
    if (tipo == TipoReport::Vendite)
        return {FonteReport{"Scheda_Cliente.mdb", "Select * From Scheda_Cliente Where NumeroHotel = 1 and DataArrivo <= " + a +
                                                      " and DataPartenza > " + d + " Order by DataArrivo,NumeroCamera;"},
                FonteReport{storico + "SchedaStoricoClienti.mdb",
                            "Select * From Scheda_Cliente Where NumeroHotel = 1 and DataArrivo <= " + a +
                                " and DataPartenzaReale > " + d + " Order by DataArrivo,NumeroCamera;"},
                FonteReport{"Camere_Prenotazione.mdb", "Select * From Camere_Prenotazione Where NumeroHotel = 1 and DataArrivo <= " +
                                                           a + " and DataPartenza > " + d}};
    const std::string v = " and VoceAddebito In (Select Codice From VociFattura In 'VociFattura.mdb' Where NumeroHotel = 1 and Reparto = 'ARR');";
    const std::string conti = "Select * From Conto_Cliente Where NumeroHotel = 1 and DataAddebito <= " + a + " and DataAddebito >= " + d + v;
    return {FonteReport{"Conto_Cliente.mdb", conti}, FonteReport{storico + "ContoStoricoClienti.mdb", conti},
            FonteReport{"Arrangiamento.mdb", "Select * From Arrangiamento Where NumeroHotel = 1 and Left(NumeroCamera,1)='*' and "
                                             "DataInizio <= " + a + " and DataFine > " + d + v}};
}

// Opens the three sources as record sets, for the day-by-day accumulation.
void apriSorgenti(MotoreReport &m, const std::array<FonteReport, 3> &fonti)
{
    m.RsCorrente = dati::Database::open(fonti[0].file, fonti[0].dati)->openRecordset(fonti[0].sql);
    m.RsStorico = dati::Database::open(fonti[1].file, fonti[1].dati)->openRecordset(fonti[1].sql);
    m.RsTerzaFonte = dati::Database::open(fonti[2].file, fonti[2].dati)->openRecordset(fonti[2].sql);
}

// The figure as an amount, or a range error naming where it belongs.
Valuta cifraInIntervallo(const SommaEsatta &s, const std::string &chiave, const Giorno *giorno)
{
    if (auto v = s.valuta()) return *v;
    std::string dove = giorno ? "La cifra del " + giorno->ggmmaaaa() + " della colonna \"" + chiave + "\""
                              : "Il totale della colonna \"" + chiave + "\"";
    throw ErroreDati(dove + " \xC3\xA8 fuori dall'intervallo degli importi (da -922337203685477,5808 a 922337203685477,5807).");
}

} // namespace

struct FigureGiornaliere::Stato {
    TipoReport tipo;
    Raggruppamento raggruppamento;
    Giorno dalla;
    long giorni;
    MetodoCalcolo metodo;
    AvanzamentoReport avanzamento;
    MotoreReport m;
    std::unique_ptr<AccumulatoreRapido> rapido;
    long fatti = 0;                  // days handed out so far
    std::vector<SommaEsatta> somme;  // the block being computed
    std::vector<Valuta> cifre;       // the block handed out last
    std::vector<SommaEsatta> somme3; // the third source's part of the block
    std::vector<Valuta> cifre3;
    std::vector<SommaEsatta> somme_totali;
    std::vector<Valuta> totali;

    void chiudiSorgenti()
    {
        m.RsCorrente.reset();
        m.RsStorico.reset();
        m.RsTerzaFonte.reset();
    }

    // The day figures of [primo, primo + giorni) into somme, exact.
    void calcola(Giorno primo, long quanti)
    {
        const std::size_t n = m.CodiciRiga.size();
        somme.assign(static_cast<std::size_t>(quanti) * n, SommaEsatta());
        if (metodo == MetodoCalcolo::Rapido) {
            somme3.assign(somme.size(), SommaEsatta());
            rapido->blocco(primo.seriale - dalla.seriale, quanti, somme.data(), somme3.data());
            return;
        }
        for (long i = 0; i < quanti; ++i) {
            const Giorno g{primo.seriale + i};
            if (tipo == TipoReport::Vendite) m.AccumulaCamere(g.aaaammgg(), raggruppamento);
            else m.AccumulaImporti(g.aaaammgg(), raggruppamento);
            for (std::size_t k = 0; k < n; ++k) {
                somme[static_cast<std::size_t>(i) * n + k] = m.ValoriRiga[k][0];
                m.ValoriRiga[k][0] = SommaEsatta();
            }
        }
    }
};

FigureGiornaliere::FigureGiornaliere(TipoReport tipo, Raggruppamento raggruppamento, Giorno dalla, Giorno alla,
                                     MetodoCalcolo metodo, std::shared_ptr<dati::Fonte> fonte)
    : m_stato(std::make_unique<Stato>())
{
    m_stato->m.Dati = fonte ? std::move(fonte) : dati::fontePredefinita();
    m_stato->tipo = tipo;
    m_stato->raggruppamento = raggruppamento;
    m_stato->dalla = dalla;
    m_stato->giorni = alla >= dalla ? alla.seriale - dalla.seriale + 1 : 0;
    m_stato->metodo = metodo;
    m_stato->m.CodiciRiga = leggiChiavi(raggruppamento, m_stato->m.Dati);
    m_stato->m.ValoriRiga.assign(m_stato->m.CodiciRiga.size(), {});
    m_stato->somme_totali.assign(m_stato->m.CodiciRiga.size(), SommaEsatta());
    m_stato->totali.assign(m_stato->m.CodiciRiga.size(), Valuta());
    auto fonti = fontiDi(tipo, dalla.aaaammgg(), alla.aaaammgg(), m_stato->m.Dati);
    for (auto &f : fonti) f.dati = m_stato->m.Dati;
    // The sweep reads the sources now, keeping only what it needs of them.
    if (metodo == MetodoCalcolo::Rapido)
        m_stato->rapido = std::make_unique<AccumulatoreRapido>(m_stato->m.CodiciRiga, dalla, m_stato->giorni, tipo, raggruppamento, fonti);
    else
        apriSorgenti(m_stato->m, fonti);
}

FigureGiornaliere::~FigureGiornaliere() = default;

const std::vector<std::string> &FigureGiornaliere::chiavi() const { return m_stato->m.CodiciRiga; }
const std::vector<Valuta> &FigureGiornaliere::terzaFonte() const { return m_stato->cifre3; }
const std::vector<Valuta> &FigureGiornaliere::totali() const { return m_stato->totali; }
void FigureGiornaliere::impostaAvanzamento(AvanzamentoReport a) { m_stato->avanzamento = std::move(a); }
long FigureGiornaliere::giorniTotali() const { return m_stato->giorni; }

bool FigureGiornaliere::prossimoBlocco(Giorno &primo, long &giorni, const Valuta *&cifre, long massimoGiorni)
{
    const std::vector<std::string> &chiavi = m_stato->m.CodiciRiga;
    const std::size_t n = chiavi.size();
    if (m_stato->fatti >= m_stato->giorni) {
        m_stato->chiudiSorgenti();
        m_stato->rapido.reset();
        return false;
    }
    primo = Giorno{m_stato->dalla.seriale + m_stato->fatti};
    giorni = std::min(std::max(1L, massimoGiorni), m_stato->giorni - m_stato->fatti);
    m_stato->calcola(primo, giorni);
    m_stato->cifre.resize(m_stato->somme.size());
    for (std::size_t i = 0; i < m_stato->somme.size(); ++i) {
        const std::size_t k = i % n;
        m_stato->somme_totali[k] += m_stato->somme[i];
        const Giorno g{primo.seriale + static_cast<long>(i / n)};
        m_stato->cifre[i] = cifraInIntervallo(m_stato->somme[i], chiavi[k], &g);
    }
    m_stato->cifre3.resize(m_stato->somme3.size());
    for (std::size_t i = 0; i < m_stato->somme3.size(); ++i) {
        const Giorno g{primo.seriale + static_cast<long>(i / n)};
        m_stato->cifre3[i] = cifraInIntervallo(m_stato->somme3[i], chiavi[i % n], &g);
    }
    m_stato->fatti += giorni;
    if (m_stato->fatti >= m_stato->giorni)
        for (std::size_t k = 0; k < n; ++k) m_stato->totali[k] = cifraInIntervallo(m_stato->somme_totali[k], chiavi[k], nullptr);
    cifre = m_stato->cifre.data();
    if (m_stato->avanzamento) m_stato->avanzamento(m_stato->fatti, m_stato->giorni);
    return true;
}

} // namespace pc
