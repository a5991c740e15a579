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

using pc::dati::ErroreDati;
using pc::dati::Valuta;

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

Cifre cifre(Valuta vendute, std::int64_t disponibili, Valuta venduteAP, std::int64_t disponibiliAP, Valuta ricavo = {},
             Valuta ricavoAP = {})
{
    Cifre c;
    c.vendute = vendute;
    c.disponibili = disponibili;
    c.venduteAP = venduteAP;
    c.disponibiliAP = disponibiliAP;
    c.ricavo = ricavo;
    c.ricavoAP = ricavoAP;
    return c;
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
        // Points from the exact occupancies: 33.33 - 6.25 is 27.1, not 33.3 - 6.3.
        {puntiOccupazione(cifre(v("1"), 3, v("1"), 16)), 1, "27.1"},
        {puntiOccupazione(cifre(v("2"), 3, v("1"), 3)), 1, "33.3"},
        {puntiOccupazione(cifre(v("2"), 3, v("1"), 0)), 1, "vuoto"},
        // RevPAR against a comparison period of another length: 350/9 against 170/6.
        {variazioneRevpar(cifre(v("0"), 9, v("0"), 6, v("350"), v("170"))), 1, "37.3"},
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

// Last year's period of a period: each day once, February as last year's
// statement gives it; by weekday 364 days earlier.
TEST(Rapporti, PeriodoPrecedente)
{
    struct Caso {
        Giorno dalla, alla;
        ModoConfronto modo;
        const char *atteso;
    };
    const Caso casi[] = {
        {Giorno::da(2028, 2, 1), Giorno::da(2028, 3, 31), ModoConfronto::Data, "01/02/2027-31/03/2027"},
        {Giorno::da(2012, 2, 1), Giorno::da(2012, 2, 29), ModoConfronto::Data, "01/02/2011-28/02/2011"},
        {Giorno::da(2025, 2, 1), Giorno::da(2025, 2, 28), ModoConfronto::Data, "01/02/2024-29/02/2024"},
        {Giorno::da(2025, 1, 1), Giorno::da(2025, 2, 28), ModoConfronto::Data, "01/01/2024-29/02/2024"},
        {Giorno::da(2025, 2, 28), Giorno::da(2025, 2, 28), ModoConfronto::Data, "28/02/2024-28/02/2024"},   // a day is a day
        {Giorno::da(2024, 2, 29), Giorno::da(2024, 3, 1), ModoConfronto::Data, "28/02/2023-01/03/2023"},
        {Giorno::da(2024, 3, 4), Giorno::da(2024, 3, 10), ModoConfronto::Settimana, "06/03/2023-12/03/2023"},
        {Giorno::da(2028, 2, 1), Giorno::da(2028, 2, 29), ModoConfronto::Settimana, "02/02/2027-02/03/2027"},
    };
    for (const auto &c : casi) {
        const Periodo p = periodoPrecedente({c.dalla, c.alla}, c.modo);
        EXPECT_EQ(p.dalla.ggmmaaaa() + "-" + p.alla.ggmmaaaa(), c.atteso) << c.dalla.ggmmaaaa();
    }
    EXPECT_EQ(giornoPrecedente(Giorno::da(2024, 3, 9), ModoConfronto::Settimana).ggmmaaaa(), "11/03/2023");   // Saturday
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
              "Data;Colonna;Disponibili;Vendute;Occupazione;Ricavo;ADR;RevPAR;Vendute_AP;Occupazione_AP;Ricavo_AP;ADR_AP;RevPAR_AP;"
              "Prenotate;Prenotate_AP\r\n"
              "28/02/2024;DOP;2;0;0,0;0,00;;0,00;1;50,0;90,00;90,00;45,00;0;0\r\n"
              "28/02/2024;SIN;1;1;100,0;100,00;100,00;100,00;0;0,0;0,00;;0,00;0;0\r\n"
              "28/02/2024;TRI;0;0;;0,00;;;0;;0,00;;;0;0\r\n"
              "29/02/2024;DOP;2;1;50,0;150,00;150,00;75,00;1;50,0;90,00;90,00;45,00;0;0\r\n"
              "29/02/2024;SIN;1;1;100,0;100,00;100,00;100,00;0;0,0;0,00;;0,00;0;0\r\n"
              "29/02/2024;TRI;0;0;;0,00;;;0;;0,00;;;0;0\r\n"
              "01/03/2024;DOP;2;0;0,0;0,00;;0,00;0;0,0;0,00;;0,00;0;0\r\n"
              "01/03/2024;SIN;1;0;0,0;0,00;;0,00;1;100,0;80,00;80,00;80,00;0;0\r\n"
              "01/03/2024;TRI;0;0;;0,00;;;0;;0,00;;;0;0\r\n"
              // Last year's period is 28/02-01/03/2023, two days, 28/02 once.
              "TOTALE;DOP;6;1;16,7;150,00;150,00;25,00;1;25,0;90,00;90,00;22,50;0;0\r\n"
              "TOTALE;SIN;3;2;66,7;200,00;100,00;66,67;1;50,0;80,00;80,00;40,00;0;0\r\n"
              "TOTALE;TRI;0;0;;0,00;;;0;;0,00;;;0;0\r\n"
              "28/02/2024;Totale albergo;3;1;33,3;100,00;100,00;33,33;1;33,3;90,00;90,00;30,00;0;0\r\n"
              "29/02/2024;Totale albergo;3;2;66,7;250,00;125,00;83,33;1;33,3;90,00;90,00;30,00;0;0\r\n"
              "01/03/2024;Totale albergo;3;0;0,0;0,00;;0,00;1;33,3;80,00;80,00;26,67;0;0\r\n"
              "TOTALE;Totale albergo;9;3;33,3;350,00;116,67;38,89;2;33,3;170,00;85,00;28,33;0;0\r\n");
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
    EXPECT_EQ(t(variazioneAdr(a), 1), "37.3");     // 116.67 against 85.00
    EXPECT_EQ(t(variazioneRevpar(a), 1), "37.3");  // 38.89 against 28.33
    EXPECT_EQ(t(puntiOccupazione(r.totaliColonne[1]), 1), "16.7");   // SIN: 66.7 - 50.0
    const std::string riepilogo = testoRiepilogo(r, ',');
    EXPECT_NE(riepilogo.find("Totale albergo"), std::string::npos);
    EXPECT_NE(riepilogo.find("116,67"), std::string::npos);
}

// The hotel's lines of a csv, from the first hotel line on.
std::string righeAlbergo(const std::string &csv)
{
    std::string r;
    std::istringstream in(csv);
    for (std::string linea; std::getline(in, linea);)
        if (linea.find(";Totale albergo;") != std::string::npos) r += linea.substr(0, linea.size() - 1) + "\n";
    return r;
}

// Months with their own comparison months (February 2023 has 28 days) and a
// budget; the booking-only week by date and by weekday; years.
TEST(AlbergoAMano, MesiSettimanaPrenotazioniEBudget)
{
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    auto budget = std::make_shared<Budget>(Budget::leggi(budgetAnalisi()));
    struct Caso {
        RichiestaAnalisi r;
        const char *atteso;
    };
    const Giorno feb1 = Giorno::da(2024, 2, 1), mar31 = Giorno::da(2024, 3, 31), mar4 = Giorno::da(2024, 3, 4), mar5 = Giorno::da(2024, 3, 5);
    const Caso casi[] = {
        {{feb1, mar31, Raggruppamento::TipiCamere, true, ModoConfronto::Data, Periodicita::Mese, budget},
         // Feb: 3 sold of 29 x 3, last year 1 of 28 x 3; budget the sum of DOP and SIN.
         "02/2024;Totale albergo;87;3;3,4;350,00;116,67;4,02;1;1,2;90,00;90,00;1,07;0;0;15;1500,00;-12;-1150,00\n"
         // Mar: 04/03 101 and the two booked DOP, then 6 days of the two booked.
         "03/2024;Totale albergo;93;15;16,1;1780,00;118,67;19,14;4;4,3;340,00;85,00;3,66;14;0;30;3000,50;-15;-1220,50\n"
         "TOTALE;Totale albergo;180;18;10,0;2130,00;118,33;11,83;5;2,8;430,00;86,00;2,43;14;0;45;4500,50;-27;-2370,50\n"},
        {{feb1, mar31, Raggruppamento::TipiCamere, false, ModoConfronto::Data, Periodicita::Anno, budget},
         "2024;Totale albergo;180;18;10,0;2130,00;118,33;11,83;14;45;4500,50;-27;-2370,50\n"
         "TOTALE;Totale albergo;180;18;10,0;2130,00;118,33;11,83;14;45;4500,50;-27;-2370,50\n"},
        // Monday and Tuesday against Saturday and Sunday by date, Monday and Tuesday by weekday.
        {{mar4, mar5, Raggruppamento::TipiCamere, true, ModoConfronto::Data},
         "04/03/2024;Totale albergo;3;3;100,0;340,00;113,33;113,33;1;33,3;70,00;70,00;23,33;2;0\n"
         "05/03/2024;Totale albergo;3;2;66,7;240,00;120,00;80,00;0;0,0;0,00;;0,00;2;0\n"
         "TOTALE;Totale albergo;6;5;83,3;580,00;116,00;96,67;1;16,7;70,00;70,00;11,67;4;0\n"},
        {{mar4, mar5, Raggruppamento::TipiCamere, true, ModoConfronto::Settimana},
         "04/03/2024;Totale albergo;3;3;100,0;340,00;113,33;113,33;1;33,3;95,00;95,00;31,67;2;0\n"
         "05/03/2024;Totale albergo;3;2;66,7;240,00;120,00;80,00;1;33,3;95,00;95,00;31,67;2;0\n"
         "TOTALE;Totale albergo;6;5;83,3;580,00;116,00;96,67;2;33,3;190,00;95,00;31,67;4;0\n"},
    };
    for (const auto &caso : casi) {
        ScrittoreCsv csv(QStringLiteral("analisi7.csv"));
        calcola(caso.r, csv);
        EXPECT_EQ(righeAlbergo(leggiFile(QStringLiteral("analisi7.csv"))), caso.atteso) << caso.r.dalla.ggmmaaaa();
    }

    // The column lines of March by month: DOP's own budget, SIN without one.
    ScrittoreCsv csv(QStringLiteral("analisi7.csv"));
    calcola(casi[0].r, csv);
    const std::string tutto = leggiFile(QStringLiteral("analisi7.csv"));
    EXPECT_NE(tutto.find("03/2024;DOP;62;14;22,6;1680,00;120,00;27,10;3;4,8;260,00;86,67;4,19;14;0;20;2500,00;-6;-820,00\r\n"),
              std::string::npos) << tutto;
    EXPECT_NE(tutto.find("03/2024;SIN;31;1;3,2;100,00;100,00;3,23;1;3,2;80,00;80,00;2,58;0;0;;;;\r\n"), std::string::npos);

    // The days on the books: more than half the rooms sold not yet arrived.
    Riepilogo r;
    calcola({mar4, Giorno::da(2024, 3, 11), Raggruppamento::TipiCamere, false}, r);
    std::string marcati;
    for (const Cifre &x : r.albergoPerGiorno) marcati += x.inPrenotazione() ? 'P' : '-';
    EXPECT_EQ(marcati, "PPPPPPP-");
}

// The terminal summary: every line within 100 columns, title included, the
// fields in blocks; amounts with thousands separators.
TEST(AlbergoAMano, RiepilogoDaTerminaleEntro100Colonne)
{
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    auto budget = std::make_shared<Budget>(Budget::leggi(budgetAnalisi()));
    for (Periodicita p : {Periodicita::Giorno, Periodicita::Mese}) {
        Riepilogo r;
        calcola({Giorno::da(2024, 2, 1), Giorno::da(2024, 3, 31), Raggruppamento::NumeriCamere, true, ModoConfronto::Settimana, p, budget}, r);
        const std::string t = testoRiepilogo(r, ',');
        std::istringstream in(t);
        std::size_t righe = 0;
        for (std::string linea; std::getline(in, linea); ++righe) {
            const auto caratteri = std::count_if(linea.begin(), linea.end(), [](char x) { return (x & 0xC0) != 0x80; });
            EXPECT_LE(caratteri, 100) << linea;
        }
        EXPECT_NE(t.find("2.130,00"), std::string::npos) << t;
        EXPECT_NE(t.find("Var. ricavo %"), std::string::npos);
        EXPECT_EQ(t.find("Budget ricavo") != std::string::npos, p == Periodicita::Mese);
        EXPECT_EQ(t.find("\n03/2024 ") != std::string::npos, p == Periodicita::Mese);
        EXPECT_GT(righe, 10u);
    }
    EXPECT_EQ(conMigliaia("-1234567,50", ','), "-1.234.567,50");
    EXPECT_EQ(conMigliaia("123,5", ','), "123,5");
    EXPECT_EQ(conMigliaia("1234.5", '.'), "1,234.5");
}

// The figures of several periods at once (the morning summary's day, month
// and year to date) are the analysis's totals of each period.
TEST(AlbergoAMano, CifreDiPiuPeriodiComeITotaliDellAnalisi)
{
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    const std::vector<Periodo> periodi = {{Giorno::da(2024, 3, 4), Giorno::da(2024, 3, 4)},
                                          {Giorno::da(2024, 3, 1), Giorno::da(2024, 3, 4)},
                                          {Giorno::da(2024, 1, 1), Giorno::da(2024, 3, 4)},
                                          {Giorno::da(2024, 2, 28), Giorno::da(2024, 3, 1)}};
    for (ModoConfronto modo : {ModoConfronto::Data, ModoConfronto::Settimana}) {
        const auto x = cifreConAnnoPrecedente(periodi, Raggruppamento::TipiCamere, modo);
        ASSERT_EQ(x.periodi.size(), periodi.size());
        for (std::size_t k = 0; k < periodi.size(); ++k) {
            Riepilogo r;
            calcola({periodi[k].dalla, periodi[k].alla, Raggruppamento::TipiCamere, true, modo}, r);
            auto testo = [](const Cifre &c) {
                return c.vendute.formatta(2) + " " + c.ricavo.formatta(2) + " " + c.prenotate.formatta(2) + " " + std::to_string(c.disponibili) +
                       " | " + c.venduteAP.formatta(2) + " " + c.ricavoAP.formatta(2) + " " + std::to_string(c.disponibiliAP);
            };
            SCOPED_TRACE(periodi[k].dalla.ggmmaaaa() + " " + std::to_string(static_cast<int>(modo)));
            EXPECT_EQ(testo(x.periodi[k].albergo), testo(r.totaleAlbergo));
            for (std::size_t j = 0; j < x.colonne.size(); ++j) EXPECT_EQ(testo(x.periodi[k].colonne[j]), testo(r.totaliColonne[j]));
        }
    }
    // By date, 28/02-01/03/2024 against two days of 2023, 28/02 once.
    EXPECT_EQ(cifreConAnnoPrecedente({periodi[3]}, Raggruppamento::TipiCamere).periodi[0].albergo.ricavoAP.formatta(2), "170.00");
}

TEST(Budget, RigheSbagliateConIlLoroNumero)
{
    const std::pair<const char *, const char *> casi[] = {
        {"Mese;Colonna;Vendute;Ricavo\n02/2024;DOP;10\n", "riga 2"},
        {"02/2024;DOP;10;100\r\n2/2024;DOP;10;100\r\n", "riga 2"},
        {"02/2024;DOP;10;100\n13/2024;DOP;10;100\n", "riga 2"},
        {"\n\n02/2024;DOP;dieci;100\n", "riga 3"},
        {"02/2024;DOP;10;1OO\n", "riga 1"},
        {"02/2024;DOP;10;100\n02/2024;DOP;1;1\n", "riga 2"},
        {"02/2024;;10;100\n", "riga 1"},
    };
    for (const auto &[testo, riga] : casi) {
        try {
            Budget::leggi(testo);
            ADD_FAILURE() << testo;
        } catch (const ErroreDati &e) {
            EXPECT_NE(std::string(e.what()).find(riga), std::string::npos) << e.what();
        }
    }
    // Windows-1252 and a share of the month when the period holds part of it.
    const Budget b = Budget::leggi("03/2024;Caf\xE8;31;3.100,00\n");
    const std::string colonna = "Caf\xC3\xA8";
    const auto parte = b.voce({Giorno::da(2024, 3, 1), Giorno::da(2024, 3, 10)}, &colonna);
    ASSERT_TRUE(parte.has_value());
    EXPECT_EQ(parte->vendute.formatta(2), "10.00");
    EXPECT_EQ(parte->ricavo.formatta(2), "1000.00");
    EXPECT_FALSE(b.voce({Giorno::da(2024, 4, 1), Giorno::da(2024, 4, 30)}, &colonna).has_value());
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
    demo::generaAlbergo(demo::parametriDemo(), c.percorso().toStdString());
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

// Month and year lines against the statement of the same days, and of last
// year's same days as that year's own statement gives them.
TEST(Riconciliazione, MesiEAnniComeIlReportDelPeriodoEDellAnnoPrima)
{
    CartellaProva c(perIlReport);
    demo::generaAlbergo(demo::parametriDemo(), c.percorso().toStdString());
    struct Linee : Destinatario {
        std::vector<std::pair<Periodo, std::vector<Cifre>>> righe;
        std::size_t n = 0;
        void inizio(const Intestazione &i) override { n = i.colonne.size(); }
        void giorno(Giorno, const Cifre *, const Cifre &) override {}
        void periodo(Periodicita, const Periodo &p, const Cifre *c, const Cifre &) override { righe.emplace_back(p, std::vector<Cifre>(c, c + n)); }
        void fine(const Cifre *, const Cifre &) override {}
    } linee;
    const Giorno dalla = Giorno::da(2025, 3, 1), alla = Giorno::da(2025, 4, 10);
    calcola({dalla, alla, Raggruppamento::TipiCamere, true}, linee);
    ASSERT_EQ(linee.righe.size(), 3u);   // March, 1-10 April, 2025
    const char s = separatoreDecimale();
    for (const auto &[periodo, colonne] : linee.righe) {
        const Periodo prima = periodoPrecedente(periodo, ModoConfronto::Data);
        SCOPED_TRACE(periodo.dalla.ggmmaaaa() + " - " + periodo.alla.ggmmaaaa());
        for (TipoReport tipo : {TipoReport::Vendite, TipoReport::Produzione}) {
            std::vector<std::string> ora, ap;
            for (const Cifre &x : colonne) {
                ora.push_back(tipo == TipoReport::Vendite ? x.vendute.formatta(0, s) : x.ricavo.formatta(2, s));
                ap.push_back(tipo == TipoReport::Vendite ? x.venduteAP.formatta(0, s) : x.ricavoAP.formatta(2, s));
            }
            StampaProduzione(RichiestaReport{periodo.dalla.ggmmaaaa(), periodo.alla.ggmmaaaa(), tipo, Raggruppamento::TipiCamere});
            EXPECT_EQ(righeReport(c.report())["TOTALI"], ora);
            StampaProduzione(RichiestaReport{prima.dalla.ggmmaaaa(), prima.alla.ggmmaaaa(), tipo, Raggruppamento::TipiCamere});
            EXPECT_EQ(righeReport(c.report())["TOTALI"], ap);
        }
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
    ASSERT_EQ(app::comandoAnalisi(con({"--formato", "csv"})), 0);
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
        {con({"--formato", "csv", "--periodicita", "settimana"}), 2},
        {con({"--formato", "csv", "--confronto=anno"}), 2},
        {con({"--formato", "csv", "--budget", "budget.csv"}), 2},                          // a budget is by month
        {con({"--formato", "csv", "--periodicita", "mese", "--budget", "manca.csv"}), 1},   // cannot be read
        {con({"--formato", "csv", "--periodicita", "mese", "--budget", "sbagliato.csv"}), 1},
    };
    {
        QFile f(QStringLiteral("sbagliato.csv"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("02/2024;DOP;10;100\n02/2024;SIN;x;1\n");
    }
    for (const auto &caso : casi) EXPECT_EQ(app::comandoAnalisi(caso.argomenti), caso.codice) << caso.argomenti.back();

    // "--confronto settimana" and "--confronto data" beside the bare option; the period by month.
    ASSERT_EQ(app::comandoAnalisi(con({"settimana", "--formato", "csv", "--periodicita", "mese", "--uscita", "s.csv"})), 0);
    EXPECT_NE(leggiFile(QStringLiteral("s.csv")).find("\r\n03/2024;Totale albergo;3;0;0,0;0,00;;0,00;0;"), std::string::npos);
    ASSERT_EQ(app::comandoAnalisi(con({"data", "--formato", "csv", "--uscita", "d.csv"})), 0);
    EXPECT_EQ(leggiFile(QStringLiteral("d.csv")), prima);

    // A source that cannot be read: exit 1, the previous csv as it was.
    QFile::remove(QStringLiteral("Conto_Cliente.mdb"));
    for (const char *formato : {"csv", "xlsx", "testo"}) EXPECT_EQ(app::comandoAnalisi(con({"--formato", formato})), 1) << formato;
    EXPECT_EQ(leggiFile(QStringLiteral("analisi7.csv")), prima);
    EXPECT_FALSE(QFile::exists(QStringLiteral("analisi7.xlsx")));
}

} // namespace
} // namespace pc::prova
