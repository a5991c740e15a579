#include "FigureGiornaliere.h"

#include "AccumulatoreRapido.h"
#include "Database.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "MotoreReport.h"
#include "Testo.h"

#include <algorithm>

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
        return {"NumeriCamere.mdb",
                "Select * From NumeriCamere Where NumeroHotel = 1 and TipoCamera In (Select Sigla From TipiCamere In "
                "'TipiCamere.mdb' Where NumeroHotel = 1 and Tipologia = 'C') Order by NumeroCamera;",
                "NumeroCamera"};
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
std::vector<std::string> leggiChiavi(Raggruppamento r)
{
    const TabellaRaggruppamento t = tabellaDi(r);
    auto db = dati::Database::open(t.file);
    auto rs = db->openRecordset(t.sql);
    std::vector<std::string> chiavi;
    const char *criterio = "NumeroHotel = 1";
    for (bool trovato = rs->findFirst(criterio); trovato; trovato = rs->findNext(criterio)) {
        const Valore &v = rs->field(t.chiave);
        if (!v.nullo()) chiavi.push_back(v.inTesto());
    }
    return chiavi;
}

std::string cartellaStorico()
{
    std::string dirkv = variabileAmbiente("DIRKV");
    if (dirkv.empty())
        throw ErroreDati("La variabile d'ambiente DIRKV (cartella degli archivi storici) non \xC3\xA8 impostata.");
    while (dirkv.size() > 1 && (dirkv.back() == '/' || dirkv.back() == '\\')) dirkv.pop_back();
    return dirkv + "/";
}

// Opens the three data sources of the kind for the period [D, A] (yyyymmdd).
void apriSorgenti(MotoreReport &m, TipoReport tipo, const std::string &D, const std::string &A)
{
    const std::string storico = cartellaStorico();
    const std::string a = quotaCriterio(A), d = quotaCriterio(D);
    if (tipo == TipoReport::Vendite) {
        m.RsCorrente = dati::Database::open("Scheda_Cliente.mdb")->openRecordset(
            "Select * From Scheda_Cliente Where NumeroHotel = 1 and DataArrivo <= " + a + " and DataPartenza > " + d +
            " Order by DataArrivo,NumeroCamera;");
        m.RsStorico = dati::Database::open(storico + "SchedaStoricoClienti.mdb")->openRecordset(
            "Select * From Scheda_Cliente Where NumeroHotel = 1 and DataArrivo <= " + a + " and DataPartenzaReale > " + d +
            " Order by DataArrivo,NumeroCamera;");
        m.RsTerzaFonte = dati::Database::open("Camere_Prenotazione.mdb")->openRecordset(
            "Select * From Camere_Prenotazione Where NumeroHotel = 1 and DataArrivo <= " + a + " and DataPartenza > " + d);
        return;
    }
    const std::string v = " and VoceAddebito In (Select Codice From VociFattura In 'VociFattura.mdb' Where NumeroHotel = 1 and Reparto = 'ARR');";
    const std::string conti = "Select * From Conto_Cliente Where NumeroHotel = 1 and DataAddebito <= " + a + " and DataAddebito >= " + d + v;
    m.RsCorrente = dati::Database::open("Conto_Cliente.mdb")->openRecordset(conti);
    m.RsStorico = dati::Database::open(storico + "ContoStoricoClienti.mdb")->openRecordset(conti);
    m.RsTerzaFonte = dati::Database::open("Arrangiamento.mdb")->openRecordset(
        "Select * From Arrangiamento Where NumeroHotel = 1 and Left(NumeroCamera,1)='*' and DataInizio <= " + a +
        " and DataFine > " + d + v);
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
    long fatti = 0;                 // days handed out so far
    std::vector<Valuta> cifre;      // the block handed out last
    std::vector<Valuta> totali;
};

FigureGiornaliere::FigureGiornaliere(TipoReport tipo, Raggruppamento raggruppamento, Giorno dalla, Giorno alla,
                                     MetodoCalcolo metodo)
    : d(std::make_unique<Stato>())
{
    d->tipo = tipo;
    d->raggruppamento = raggruppamento;
    d->dalla = dalla;
    d->giorni = alla >= dalla ? alla.seriale - dalla.seriale + 1 : 0;
    d->metodo = metodo;
    d->m.CodiciRiga = leggiChiavi(raggruppamento);
    d->m.ValoriRiga.assign(d->m.CodiciRiga.size(), {});
    d->totali.assign(d->m.CodiciRiga.size(), Valuta());
    apriSorgenti(d->m, tipo, dalla.aaaammgg(), alla.aaaammgg());
}

FigureGiornaliere::~FigureGiornaliere() = default;

const std::vector<std::string> &FigureGiornaliere::chiavi() const { return d->m.CodiciRiga; }
const std::vector<Valuta> &FigureGiornaliere::totali() const { return d->totali; }
void FigureGiornaliere::impostaAvanzamento(AvanzamentoReport a) { d->avanzamento = std::move(a); }
long FigureGiornaliere::giorniTotali() const { return d->giorni; }

bool FigureGiornaliere::prossimoBlocco(Giorno &primo, long &giorni, const Valuta *&cifre, long massimoGiorni)
{
    MotoreReport &m = d->m;
    const std::size_t n = m.CodiciRiga.size();
    if (d->fatti >= d->giorni) {
        m.RsCorrente.reset();
        m.RsStorico.reset();
        m.RsTerzaFonte.reset();
        return false;
    }
    massimoGiorni = std::max(1L, massimoGiorni);
    primo = Giorno{d->dalla.seriale + d->fatti};
    giorni = std::min(massimoGiorni, d->giorni - d->fatti);
    if (d->metodo == MetodoCalcolo::Rapido) {
        if (d->fatti == 0) accumulaPeriodo(m, d->dalla, d->giorni, d->tipo, d->raggruppamento, d->cifre, d->avanzamento);
        cifre = d->cifre.data() + static_cast<std::size_t>(d->fatti) * n;
    } else {
        d->cifre.clear();
        for (long i = 0; i < giorni; ++i) {
            const Giorno g{primo.seriale + i};
            if (d->tipo == TipoReport::Vendite) m.AccumulaCamere(g.aaaammgg(), d->raggruppamento);
            else m.AccumulaImporti(g.aaaammgg(), d->raggruppamento);
            for (auto &v : m.ValoriRiga) {
                d->cifre.push_back(v[0]);
                v[0] = Valuta();
            }
            if (d->avanzamento) d->avanzamento(g.seriale - d->dalla.seriale + 1, d->giorni);
        }
        cifre = d->cifre.data();
    }
    d->fatti += giorni;
    if (d->fatti >= d->giorni)
        for (std::size_t k = 0; k < n; ++k) d->totali[k] = m.ValoriRiga[k][1];
    return true;
}

} // namespace pc
