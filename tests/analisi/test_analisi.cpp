// The analysis's figures: ratios rounded from exact amounts, a hand-made hotel
// worked out by hand, the reconciliation with the statement on a generated
// hotel, and the batch command's failures.

#include "AlbergoAnalisi.h"

#include "Analisi.h"
#include "ComandiBatch.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "Formati.h"
#include "GeneratoreAlbergo.h"
#include "StampaProduzione.h"

#include <gtest/gtest.h>

#include <QFile>

#include <fstream>
#include <map>
#include <sstream>

using namespace pc;
using namespace pc::analisi;
using namespace pc::prova;

namespace pc::prova {
namespace {

Valuta v(const char *t) { return *Valuta::daTesto(t); }
std::string t(const std::optional<Valuta> &x, int decimali) { return x ? x->formatta(decimali) : "vuoto"; }

std::string leggiFile(const QString &nome)
{
    QFile f(nome);
    if (!f.open(QIODevice::ReadOnly)) return "<assente>";
    return f.readAll().toStdString();
}

TEST(Rapporti, ArrotondatiAMetaLontanoDaZeroEVuotiSenzaDivisore)
{
    struct Caso {
        std::optional<Valuta> ottenuto;
        int decimali;
        const char *atteso;
    };
    const Caso casi[] = {
        {occupazione(v("1"), 6), 1, "16.7"},
        {occupazione(v("1"), 16), 1, "6.3"},     // 6.25
        {occupazione(v("-1"), 16), 1, "-6.3"},
        {occupazione(v("0"), 5), 1, "0.0"},
        {occupazione(v("3"), 0), 1, "vuoto"},
        {adr(v("0.125"), v("1")), 2, "0.13"},
        {adr(v("-0.125"), v("1")), 2, "-0.13"},
        {adr(v("350"), v("3")), 2, "116.67"},
        {adr(v("100"), v("0")), 2, "vuoto"},
        {revpar(v("350"), 9), 2, "38.89"},
        {revpar(v("0.005"), 1), 2, "0.01"},
        {revpar(v("10"), 0), 2, "vuoto"},
        {variazione(v("350"), v("260")), 1, "34.6"},
        {variazione(v("0"), v("100")), 1, "-100.0"},
        {variazione(v("5"), v("0")), 1, "vuoto"},
    };
    for (std::size_t i = 0; i < std::size(casi); ++i) EXPECT_EQ(t(casi[i].ottenuto, casi[i].decimali), casi[i].atteso) << "caso " << i;
}

TEST(Rapporti, AnnoPrimaIl29FebbraioDiventa28)
{
    const std::pair<Giorno, Giorno> casi[] = {
        {Giorno::da(2024, 2, 29), Giorno::da(2023, 2, 28)}, {Giorno::da(2024, 2, 28), Giorno::da(2023, 2, 28)},
        {Giorno::da(2025, 3, 1), Giorno::da(2024, 3, 1)},   {Giorno::da(2026, 1, 1), Giorno::da(2025, 1, 1)}};
    for (const auto &[g, atteso] : casi) EXPECT_EQ(annoPrima(g).ggmmaaaa(), atteso.ggmmaaaa()) << g.ggmmaaaa();
}

RichiestaAnalisi richiestaProva(Raggruppamento r, bool confronto = true)
{
    return {Giorno::da(2024, 2, 28), Giorno::da(2024, 3, 1), r, confronto};
}

// Worked out by hand from albergoAnalisi(): 29/02/2024 is compared with
// 28/02/2023, like 28/02/2024; TRI has no rooms, so no ratios.
TEST(AlbergoAMano, CsvPerTipiConConfronto)
{
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    ScrittoreCsv csv(QStringLiteral("analisi7.csv"));
    calcola(richiestaProva(Raggruppamento::TipiCamere), csv);
    EXPECT_EQ(leggiFile(QStringLiteral("analisi7.csv")),
              "Data;Colonna;Disponibili;Vendute;Occupazione;Ricavo;ADR;RevPAR;Vendute_AP;Occupazione_AP;Ricavo_AP;ADR_AP;RevPAR_AP\r\n"
              "28/02/2024;DOP;2;0;0,0;0,00;;0,00;1;50,0;90,00;90,00;45,00\r\n"
              "28/02/2024;SIN;1;1;100,0;100,00;100,00;100,00;0;0,0;0,00;;0,00\r\n"
              "28/02/2024;TRI;0;0;;0,00;;;0;;0,00;;\r\n"
              "29/02/2024;DOP;2;1;50,0;150,00;150,00;75,00;1;50,0;90,00;90,00;45,00\r\n"
              "29/02/2024;SIN;1;1;100,0;100,00;100,00;100,00;0;0,0;0,00;;0,00\r\n"
              "29/02/2024;TRI;0;0;;0,00;;;0;;0,00;;\r\n"
              "01/03/2024;DOP;2;0;0,0;0,00;;0,00;0;0,0;0,00;;0,00\r\n"
              "01/03/2024;SIN;1;0;0,0;0,00;;0,00;1;100,0;80,00;80,00;80,00\r\n"
              "01/03/2024;TRI;0;0;;0,00;;;0;;0,00;;\r\n"
              "TOTALE;DOP;6;1;16,7;150,00;150,00;25,00;2;33,3;180,00;90,00;30,00\r\n"
              "TOTALE;SIN;3;2;66,7;200,00;100,00;66,67;1;33,3;80,00;80,00;26,67\r\n"
              "TOTALE;TRI;0;0;;0,00;;;0;;0,00;;\r\n"
              "28/02/2024;Totale albergo;3;1;33,3;100,00;100,00;33,33;1;33,3;90,00;90,00;30,00\r\n"
              "29/02/2024;Totale albergo;3;2;66,7;250,00;125,00;83,33;1;33,3;90,00;90,00;30,00\r\n"
              "01/03/2024;Totale albergo;3;0;0,0;0,00;;0,00;1;33,3;80,00;80,00;26,67\r\n"
              "TOTALE;Totale albergo;9;3;33,3;350,00;116,67;38,89;3;33,3;260,00;86,67;28,89\r\n");
}

TEST(AlbergoAMano, DisponibiliDiOgniRaggruppamentoEDifferenze)
{
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    struct Caso {
        Raggruppamento r;
        std::map<std::string, std::int64_t> disponibili;   // rooms per column
    };
    const Caso casi[] = {
        {Raggruppamento::NumeriCamere, {{"101", 1}, {"102", 1}, {"103", 1}}},
        {Raggruppamento::TipiCamere, {{"SIN", 1}, {"DOP", 2}, {"TRI", 0}}},
        {Raggruppamento::MacroCategorie, {{"STD", 3}, {"SUP", 0}}},   // DOP counts in STD, its first record
    };
    for (const auto &caso : casi) {
        Riepilogo r;
        calcola(richiestaProva(caso.r), r);
        std::map<std::string, std::int64_t> disponibili;
        for (std::size_t k = 0; k < r.intestazione.colonne.size(); ++k) disponibili[r.intestazione.colonne[k]] = r.intestazione.disponibili[k];
        EXPECT_EQ(disponibili, caso.disponibili);
        EXPECT_EQ(r.intestazione.camereAlbergo, 3);
        EXPECT_EQ(r.totaleAlbergo.disponibili, 9);
        EXPECT_EQ(r.date.size(), 3u);
    }
    Riepilogo r;
    calcola(richiestaProva(Raggruppamento::TipiCamere), r);
    const Cifre &a = r.totaleAlbergo;
    EXPECT_EQ(t(puntiOccupazione(a), 1), "0.0");
    EXPECT_EQ(t(variazioneAdr(a), 1), "34.6");     // 116.67 against 86.67
    EXPECT_EQ(t(variazioneRevpar(a), 1), "34.6");
    EXPECT_EQ(t(puntiOccupazione(r.totaliColonne[1]), 1), "33.4");   // SIN: 66.7 - 33.3
    const std::string riepilogo = testoRiepilogo(r, ',');
    EXPECT_NE(riepilogo.find("Totale albergo"), std::string::npos);
    EXPECT_NE(riepilogo.find("116,67"), std::string::npos);
}

// ------------------------------------------------------------ reconciliation

// The cells of the statement's lines, by their first cell (the date or "TOTALI").
std::map<std::string, std::vector<std::string>> righeReport(const std::string &report)
{
    std::map<std::string, std::vector<std::string>> righe;
    std::istringstream in(leggibile(report));
    const std::string bar = "\u2502";
    for (std::string linea; std::getline(in, linea);) {
        if (linea.rfind(bar, 0) != 0) continue;
        std::vector<std::string> celle;
        for (std::size_t i = bar.size(), j; (j = linea.find(bar, i)) != std::string::npos; i = j + bar.size()) {
            std::string cella = linea.substr(i, j - i);
            cella.erase(0, cella.find_first_not_of(' '));
            cella.erase(cella.find_last_not_of(' ') + 1);
            celle.push_back(cella);
        }
        if (celle.empty() || (celle.front() != "TOTALI" && !Giorno::leggi(celle.front()))) continue;
        const std::string chiave = celle.front();
        celle.erase(celle.begin());
        righe[chiave] = celle;
    }
    return righe;
}

// The analysis's figures as the statement writes them, by day.
class Registro : public Destinatario {
public:
    std::map<std::string, std::vector<std::string>> vendite, produzione, venditeAP, produzioneAP;
    void inizio(const Intestazione &i) override { n = i.colonne.size(); }
    void giorno(Giorno g, const Cifre *c, const Cifre &) override { registra(g.ggmmaaaa(), annoPrima(g).ggmmaaaa(), c); }
    void fine(const Cifre *c, const Cifre &) override { registra("TOTALI", "", c); }

private:
    void registra(const std::string &data, const std::string &dataAP, const Cifre *c)
    {
        const char s = separatoreDecimale();
        for (std::size_t k = 0; k < n; ++k) {
            vendite[data].push_back(c[k].vendute.formatta(0, s));
            produzione[data].push_back(c[k].ricavo.formatta(2, s));
            if (!dataAP.empty()) {
                venditeAP[dataAP].push_back(c[k].venduteAP.formatta(0, s));
                produzioneAP[dataAP].push_back(c[k].ricavoAP.formatta(2, s));
            }
        }
    }
    std::size_t n = 0;
};

TEST(Riconciliazione, VenduteERicavoComeIlReportPerOgniRaggruppamento)
{
    CartellaProva c(perIlReport);
    strumenti::generaAlbergo(strumenti::parametriDemo(), c.percorso().toStdString());
    // 01/03/2025 - 10/04/2025 and the same days of 2024 (history from 01/03/2024).
    const Giorno dalla = Giorno::da(2025, 3, 1), alla = Giorno::da(2025, 4, 10);
    for (Raggruppamento r : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie}) {
        SCOPED_TRACE(nomeRaggruppamento(r));
        Registro registro;
        calcola({dalla, alla, r, true}, registro);
        auto report = [&](Giorno d, Giorno a, TipoReport tipo) {
            StampaProduzione(RichiestaReport{d.ggmmaaaa(), a.ggmmaaaa(), tipo, r});
            auto righe = righeReport(c.report());
            righe.erase("TOTALI");
            return righe;
        };
        auto senzaTotali = [](std::map<std::string, std::vector<std::string>> m) {
            m.erase("TOTALI");
            return m;
        };
        const auto vendite = report(dalla, alla, TipoReport::Vendite);
        EXPECT_EQ(vendite.size(), 41u);
        EXPECT_EQ(senzaTotali(registro.vendite), vendite);
        EXPECT_EQ(senzaTotali(registro.produzione), report(dalla, alla, TipoReport::Produzione));
        EXPECT_EQ(registro.venditeAP, report(annoPrima(dalla), annoPrima(alla), TipoReport::Vendite));
        EXPECT_EQ(registro.produzioneAP, report(annoPrima(dalla), annoPrima(alla), TipoReport::Produzione));
        // The statement's totals line.
        StampaProduzione(RichiestaReport{dalla.ggmmaaaa(), alla.ggmmaaaa(), TipoReport::Produzione, r});
        EXPECT_EQ(righeReport(c.report())["TOTALI"], registro.produzione["TOTALI"]);
    }
}

// ------------------------------------------------------------- batch command

TEST(ComandoAnalisi, ErroriConMessaggioCodiceEFilePrecedenteIntatto)
{
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    const std::vector<std::string> base = {"--dal", "28/02/2024", "--al", "01/03/2024", "--raggruppamento", "tipi", "--confronto"};
    auto con = [&](std::vector<std::string> altro) {
        std::vector<std::string> a = base;
        a.insert(a.end(), altro.begin(), altro.end());
        return a;
    };
    ASSERT_EQ(batch::comandoAnalisi(con({"--formato", "csv"})), 0);
    const std::string prima = leggiFile(QStringLiteral("analisi7.csv"));
    ASSERT_NE(prima.find("TOTALE;Totale albergo;9;3;"), std::string::npos);

    struct Caso {
        std::vector<std::string> argomenti;
        int codice;
    };
    const Caso casi[] = {
        {con({"--formato", "ods"}), 2},
        {{"--dal", "02/03/2024", "--al", "01/03/2024", "--formato", "csv"}, 2},
        {{"--dal", "31/02/2024", "--al", "01/03/2024", "--formato", "csv"}, 2},
        {{"--dal", "28/02/2024", "--al", "01/03/2024", "--raggruppamento", "piani", "--formato", "csv"}, 2},
        {{"--al", "01/03/2024", "--formato", "csv"}, 2},
    };
    for (const auto &caso : casi) EXPECT_EQ(batch::comandoAnalisi(caso.argomenti), caso.codice) << caso.argomenti[1];

    // A source that cannot be read: exit 1, the previous csv as it was.
    QFile::remove(QStringLiteral("Conto_Cliente.mdb"));
    for (const char *formato : {"csv", "xlsx", "testo"}) EXPECT_EQ(batch::comandoAnalisi(con({"--formato", formato})), 1) << formato;
    EXPECT_EQ(leggiFile(QStringLiteral("analisi7.csv")), prima);
    EXPECT_FALSE(QFile::exists(QStringLiteral("analisi7.xlsx")));
}

} // namespace
} // namespace pc::prova
