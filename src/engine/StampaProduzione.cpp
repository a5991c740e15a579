#include "StampaProduzione.h"

#include "Database.h"
#include "AccumulatoreRapido.h"
#include "DateReport.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "MotoreReport.h"
#include "ScritturaFile.h"
#include "TestoReport.h"
#include "Testo.h"

#include <QString>

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

Giorno leggiDataRichiesta(const std::string &testo, const char *quale)
{
    if (auto g = Giorno::leggi(testo)) return *g;
    throw ErroreDati(std::string("La data ") + quale + " \"" + testo + "\" non \xC3\xA8 una data valida (gg/mm/aaaa).");
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

void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento)
{
    StampaProduzione(richiesta, avanzamento, MetodoCalcolo::Rapido);
}

void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento, MetodoCalcolo metodo)
{
    MotoreReport m;
    const Giorno dalla = leggiDataRichiesta(richiesta.dalla, "iniziale");
    const Giorno alla = leggiDataRichiesta(richiesta.alla, "finale");

    m.CodiciRiga = leggiChiavi(richiesta.raggruppamento);
    const std::size_t n = m.CodiciRiga.size();
    m.ValoriRiga.assign(n, {});

    apriSorgenti(m, richiesta.tipo, dalla.aaaammgg(), alla.aaaammgg());

    // Figures of every day, kept until the end so that a column can be widened
    // for a figure longer than its 10 characters.
    const long giorni = alla >= dalla ? alla.seriale - dalla.seriale + 1 : 0;
    std::vector<Valuta> cifre;
    if (metodo == MetodoCalcolo::Rapido) {
        accumulaPeriodo(m, dalla, giorni, richiesta.tipo, richiesta.raggruppamento, cifre, avanzamento);
    } else {
        cifre.reserve(static_cast<std::size_t>(giorni) * n);
        for (Giorno g = dalla; g <= alla; g = g.successivo()) {
            if (richiesta.tipo == TipoReport::Vendite) m.AccumulaCamere(g.aaaammgg(), richiesta.raggruppamento);
            else m.AccumulaImporti(g.aaaammgg(), richiesta.raggruppamento);
            for (auto &v : m.ValoriRiga) {
                cifre.push_back(v[0]);
                v[0] = Valuta();
            }
            if (avanzamento) avanzamento(g.seriale - dalla.seriale + 1, giorni);
        }
    }
    m.RsCorrente.reset();
    m.RsStorico.reset();
    m.RsTerzaFonte.reset();

    // Texts, in Windows-1252, and the width of every column: the longest
    // figure of a column is that of its largest or of its smallest value.
    const char separatore = separatoreDecimale();
    const int decimali = richiesta.tipo == TipoReport::Vendite ? 0 : 2;
    auto lunghezza = [&](Valuta v) {
        char buffer[32];
        return v.scrivi(buffer, decimali, separatore);
    };
    std::vector<std::string> chiavi(n);
    std::vector<Valuta> totali(n), minimi(n), massimi(n);
    std::vector<int> larghezze(n + 1, TestoReport::LarghezzaColonna);
    const std::string primaData = testo::utf8InCp1252(richiesta.dalla);
    larghezze[0] = std::max<int>(larghezze[0], static_cast<int>(primaData.size()));
    for (std::size_t i = 0; i < cifre.size(); ++i) {
        const std::size_t k = i % n;
        minimi[k] = std::min(minimi[k], cifre[i]);
        massimi[k] = std::max(massimi[k], cifre[i]);
    }
    for (std::size_t k = 0; k < n; ++k) {
        chiavi[k] = testo::utf8InCp1252(m.CodiciRiga[k]);
        totali[k] = m.ValoriRiga[k][1];
        larghezze[k + 1] = std::max({larghezze[k + 1], static_cast<int>(chiavi[k].size()), lunghezza(totali[k]),
                                     lunghezza(minimi[k]), lunghezza(massimi[k])});
    }

    const TestoReport testoReport(larghezze);
    const QString nome = QString::fromStdString(nomeFileReport());
    ScritturaFile file(nome.toStdString(), "il file del report");
    std::string blocco;
    auto svuota = [&](bool sempre) {
        if (sempre || blocco.size() >= (1u << 16)) {
            file.scrivi(blocco);
            blocco.clear();
        }
    };
    auto scrivi = [&](const std::string &linea) {
        blocco += linea;
        blocco += "\r\n";
    };
    scrivi(TestoReport::titolo(richiesta));
    scrivi(testoReport.bordoSuperiore());
    scrivi(testoReport.intestazione(chiavi));
    scrivi(testoReport.separatore());
    std::size_t i = 0;
    for (Giorno g = dalla; g <= alla; g = g.successivo(), i += n) {
        // The first day line shows the first date exactly as it was typed.
        testoReport.aggiungiRiga(blocco, g == dalla ? primaData : g.ggmmaaaa(), cifre.data() + i, decimali, separatore);
        svuota(false);
    }
    scrivi(testoReport.separatore());
    testoReport.aggiungiRiga(blocco, "TOTALI    ", totali.data(), decimali, separatore);
    scrivi(testoReport.bordoInferiore());
    file.scrivi(blocco);
    file.conferma();
}

} // namespace pc
