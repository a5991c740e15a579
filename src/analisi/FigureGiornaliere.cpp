#include "FigureGiornaliere.h"

#include "AccumulatoreRapido.h"
#include "Database.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "MotoreReport.h"

namespace pc {

namespace {

std::vector<std::string> leggiChiavi(Raggruppamento r)
{
    const char *file = "TipiCamere_Macro.mdb";
    const char *sql = "Select * From TipiCamere_MacroN Where NumeroHotel = 1 Order by Sigla;";
    const char *chiave = "Sigla";
    if (r == Raggruppamento::NumeriCamere) {
        file = "NumeriCamere.mdb";
        sql = "Select * From NumeriCamere Where NumeroHotel = 1 and TipoCamera In (Select Sigla From TipiCamere In "
              "'TipiCamere.mdb' Where NumeroHotel = 1 and Tipologia = 'C') Order by NumeroCamera;";
        chiave = "NumeroCamera";
    } else if (r == Raggruppamento::TipiCamere) {
        file = "TipiCamere.mdb";
        sql = "Select * From TipiCamere Where NumeroHotel = 1 and Tipologia = 'C' Order by Sigla;";
    }
    auto rs = dati::Database::open(file)->openRecordset(sql);
    std::vector<std::string> chiavi;
    for (bool t = rs->findFirst("NumeroHotel = 1"); t; t = rs->findNext("NumeroHotel = 1")) {
        const Valore &v = rs->field(chiave);
        if (!v.nullo()) chiavi.push_back(v.inTesto());
    }
    return chiavi;
}

void apriSorgenti(MotoreReport &m, TipoReport tipo, const std::string &D, const std::string &A)
{
    std::string storico = variabileAmbiente("DIRKV");
    if (storico.empty())
        throw ErroreDati("La variabile d'ambiente DIRKV (cartella degli archivi storici) non \xC3\xA8 impostata.");
    storico += "/";
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

FigureGiornaliere::FigureGiornaliere(TipoReport tipo, Raggruppamento r, Giorno dalla, Giorno alla, MetodoCalcolo)
    : m_dalla(dalla)
{
    MotoreReport m;
    m.CodiciRiga = m_chiavi = leggiChiavi(r);
    m.ValoriRiga.assign(m_chiavi.size(), {});
    apriSorgenti(m, tipo, dalla.aaaammgg(), alla.aaaammgg());
    m_giorni = alla >= dalla ? alla.seriale - dalla.seriale + 1 : 0;
    accumulaPeriodo(m, dalla, m_giorni, tipo, r, m_cifre, {});
    for (const auto &v : m.ValoriRiga) m_totali.push_back(v[1]);
}

bool FigureGiornaliere::prossimoBlocco(Giorno &primo, long &giorni, const Valuta *&cifre, long massimoGiorni)
{
    if (m_fatti >= m_giorni) return false;
    primo = Giorno{m_dalla.seriale + m_fatti};
    giorni = std::min(massimoGiorni, m_giorni - m_fatti);
    cifre = m_cifre.data() + static_cast<std::size_t>(m_fatti) * m_chiavi.size();
    m_fatti += giorni;
    return true;
}

} // namespace pc
