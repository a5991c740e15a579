// The spreadsheet's structure, read back from the zip: sheets, numbers typed
// as numbers, totals as formulas with their results, frozen panes, charts.

#include "AlbergoAnalisi.h"

#include "Analisi.h"
#include "Formati.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <cmath>
#include <map>

using namespace pc;
using namespace pc::analisi;

namespace pc::prova {
namespace {

QByteArray voce(const QString &zip, const QString &nome)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, nome});
    p.waitForFinished();
    return p.readAllStandardOutput();
}

struct Cella {
    QString tipo, formula, valore, stile;
};

struct Foglio {
    std::map<QString, Cella> celle;
    bool bloccato = false;
    QString errore;
};

Foglio leggiFoglio(const QByteArray &xml)
{
    Foglio f;
    QXmlStreamReader r(xml);
    QString ref;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement()) continue;
        const auto n = r.name();
        if (n == QLatin1String("pane")) f.bloccato = r.attributes().value("state") == QLatin1String("frozen");
        else if (n == QLatin1String("c")) {
            ref = r.attributes().value("r").toString();
            f.celle[ref] = {r.attributes().value("t").toString(), {}, {}, r.attributes().value("s").toString()};
        } else if (n == QLatin1String("f")) f.celle[ref].formula = r.readElementText();
        else if (n == QLatin1String("v") || n == QLatin1String("t")) f.celle[ref].valore = r.readElementText();
    }
    if (r.hasError()) f.errore = r.errorString();
    return f;
}

TEST(FoglioXlsx, FogliCelleNumericheFormuleEGrafici)
{
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty()) GTEST_SKIP() << "unzip non installato";
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    const QString nome = c.percorso() + QStringLiteral("/analisi7.xlsx");
    {
        ScrittoreXlsx xlsx(nome);
        calcola({Giorno::da(2024, 2, 28), Giorno::da(2024, 3, 1), Raggruppamento::TipiCamere, true}, xlsx);
    }
    // The sheets, in order.
    const QByteArray workbook = voce(nome, QStringLiteral("xl/workbook.xml"));
    QStringList fogli;
    for (QXmlStreamReader r(workbook); !r.atEnd();)
        if (r.readNext() == QXmlStreamReader::StartElement && r.name() == QLatin1String("sheet")) fogli << r.attributes().value("name").toString();
    EXPECT_EQ(fogli, QStringList({"Riepilogo", "Mesi", "Grafici", "Occupazione", "ADR", "RevPAR", "Vendute", "Prenotate", "Ricavo",
                                  "Disponibili", "Occupazione AP", "ADR AP", "RevPAR AP", "Vendute AP", "Prenotate AP", "Ricavo AP"}));
    for (const char *parte : {"xl/charts/chart1.xml", "xl/charts/chart2.xml", "xl/drawings/drawing1.xml", "_rels/.rels"})
        EXPECT_FALSE(voce(nome, QString::fromLatin1(parte)).isEmpty()) << parte;

    std::vector<Foglio> letti;
    for (int i = 1; i <= fogli.size(); ++i) {
        letti.push_back(leggiFoglio(voce(nome, QStringLiteral("xl/worksheets/sheet%1.xml").arg(i))));
        const Foglio &f = letti.back();
        SCOPED_TRACE(fogli[i - 1].toStdString());
        EXPECT_TRUE(f.errore.isEmpty()) << f.errore.toStdString();
        EXPECT_EQ(f.bloccato, i > 1 && i != 3);   // header row and first column of the month and day sheets
        // Every cell is a number, an inline text, or a formula with a text result.
        for (const auto &[ref, cella] : f.celle) {
            if (cella.tipo.isEmpty()) {
                bool numero = false;
                cella.valore.toDouble(&numero);
                EXPECT_TRUE(numero) << ref.toStdString() << " " << cella.valore.toStdString();
            } else {
                EXPECT_TRUE(cella.tipo == QLatin1String("inlineStr") || (cella.tipo == QLatin1String("str") && !cella.formula.isEmpty()))
                    << ref.toStdString() << " " << cella.tipo.toStdString();
            }
        }
    }
    // Columns DOP, SIN, TRI, Totale albergo; days 28/02, 29/02, 01/03/2024; totals in row 5.
    // Last year's totals count 28/02/2023 once: 29/02 (row 3) is left out of them.
    struct Atteso {
        int foglio;
        const char *ref, *formula;
        double valore;   // NAN: no number
    };
    const double nessuno = std::nan("");
    const Atteso attesi[] = {
        {6, "A2", "", 45350},   // 28/02/2024 as a date serial
        {6, "C2", "", 1},
        {6, "E3", "", 2},
        {6, "B5", "SUM(B2:B4)", 1},
        {6, "E5", "SUM(E2:E4)", 3},
        {8, "E5", "SUM(E2:E4)", 350},
        {9, "E2", "", 3},
        {9, "E5", "SUM(E2:E4)", 9},
        {9, "E6", "SUM(E2:E2,E4:E4)", 6},
        {13, "E5", "SUM(E2:E2,E4:E4)", 2},
        {15, "E5", "SUM(E2:E2,E4:E4)", 170},
        {3, "C2", "IF('Disponibili'!$C$2=0,\"\",'Vendute'!$C$2/'Disponibili'!$C$2)", 1},   // day ratios are formulas
        {3, "D2", "IF('Disponibili'!$D$2=0,\"\",'Vendute'!$D$2/'Disponibili'!$D$2)", nessuno},   // TRI: no rooms
        {4, "E5", "IF('Vendute'!$E$5=0,\"\",'Ricavo'!$E$5/'Vendute'!$E$5)", 350.0 / 3},
        {12, "E5", "IF('Disponibili'!$E$6=0,\"\",'Ricavo AP'!$E$5/'Disponibili'!$E$6)", 170.0 / 6},
        {0, "B8", "='Disponibili'!$E$5", 9},   // Riepilogo: Totale albergo, formulas over the day sheets
        {0, "G8", "='ADR'!$E$5", 350.0 / 3},
        {0, "N8", "IF(OR(E8=\"\",J8=\"\"),\"\",(E8-J8)*100)", 0},
        {0, "O8", "IF(OR(G8=\"\",L8=\"\",L8=0),\"\",G8/L8-1)", (350.0 / 3) / 85 - 1},
        {1, "C5", "", 6},   // Mesi: 28-29/02/2024 against 28/02/2023
        {1, "J5", "", 3},
        {1, "K5", "", 1},
        {1, "F5", "IF(C5=0,\"\",D5/C5)", 0.5},
    };
    for (const auto &a : attesi) {
        SCOPED_TRACE(fogli[a.foglio].toStdString() + " " + a.ref);
        const auto it = letti[std::size_t(a.foglio)].celle.find(QString::fromLatin1(a.ref));
        ASSERT_NE(it, letti[std::size_t(a.foglio)].celle.end());
        EXPECT_EQ(it->second.formula.toStdString(), std::string(a.formula).erase(0, a.formula[0] == '=' ? 1 : 0));
        if (std::isnan(a.valore)) EXPECT_EQ(it->second.valore, QString());
        else EXPECT_NEAR(it->second.valore.toDouble(), a.valore, 1e-9) << it->second.valore.toStdString();
    }
    // Page setup: landscape, one page wide, the header row on every page.
    const QByteArray foglioVendute = voce(nome, QStringLiteral("xl/worksheets/sheet7.xml"));
    EXPECT_TRUE(foglioVendute.contains("orientation=\"landscape\"")) << foglioVendute.left(2000).toStdString();
    EXPECT_TRUE(foglioVendute.contains("fitToHeight=\"0\""));
    EXPECT_TRUE(workbook.contains(">Vendute!$1:$1<"));
    // Last year dashed, the RevPAR axis in euro.
    const QByteArray grafico = voce(nome, QStringLiteral("xl/charts/chart2.xml"));
    EXPECT_TRUE(grafico.contains("prstDash val=\"dash\""));
    EXPECT_TRUE(grafico.contains("\xE2\x82\xAC"));
}

} // namespace
} // namespace pc::prova
