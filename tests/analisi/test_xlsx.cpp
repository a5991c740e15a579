// The spreadsheet's structure, read back from the zip: sheets, numbers typed
// as numbers, totals as formulas with their results, frozen panes, charts.

#include "AlbergoAnalisi.h"

#include "Analisi.h"
#include "Formati.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

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
    EXPECT_EQ(fogli, QStringList({"Riepilogo", "Occupazione", "ADR", "RevPAR", "Vendute", "Ricavo", "Occupazione AP", "ADR AP",
                                  "RevPAR AP", "Vendute AP", "Ricavo AP"}));
    for (const char *parte : {"xl/charts/chart1.xml", "xl/charts/chart2.xml", "xl/drawings/drawing1.xml", "_rels/.rels"})
        EXPECT_FALSE(voce(nome, QString::fromLatin1(parte)).isEmpty()) << parte;

    std::vector<Foglio> letti;
    for (int i = 1; i <= fogli.size(); ++i) {
        letti.push_back(leggiFoglio(voce(nome, QStringLiteral("xl/worksheets/sheet%1.xml").arg(i))));
        const Foglio &f = letti.back();
        SCOPED_TRACE(fogli[i - 1].toStdString());
        EXPECT_TRUE(f.errore.isEmpty()) << f.errore.toStdString();
        EXPECT_EQ(f.bloccato, i > 1);   // header row and date column of every measure sheet
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
    struct Atteso {
        int foglio;
        const char *ref, *formula, *valore;
    };
    const Atteso attesi[] = {
        {4, "A2", "", "45350"},   // 28/02/2024 as a date serial
        {4, "C2", "", "1"},
        {4, "E3", "", "2"},
        {4, "B5", "SUM(B2:B4)", "1"},
        {4, "E5", "SUM(E2:E4)", "3"},
        {5, "E5", "SUM(E2:E4)", "350"},
        {1, "C2", "", "1"},                 // Occupazione: SIN on 28/02, 100 %
        {1, "D5", "IF('Riepilogo'!$B$7=0,\"\",'Vendute'!$D$5/'Riepilogo'!$B$7)", ""},   // TRI: no rooms
        {1, "E5", "IF('Riepilogo'!$B$8=0,\"\",'Vendute'!$E$5/'Riepilogo'!$B$8)", "0.333"},
        {2, "E5", "IF('Vendute'!$E$5=0,\"\",'Ricavo'!$E$5/'Vendute'!$E$5)", "116.67"},
        {3, "E5", "IF('Riepilogo'!$B$8=0,\"\",'Ricavo'!$E$5/'Riepilogo'!$B$8)", "38.89"},
        {8, "E5", "IF('Riepilogo'!$B$8=0,\"\",'Ricavo AP'!$E$5/'Riepilogo'!$B$8)", "28.89"},
        {0, "B8", "", "9"},                 // Riepilogo: Totale albergo, room-nights
        {0, "F8", "", "116.67"},
        {0, "N8", "", "0.346"},             // change of ADR
    };
    for (const auto &a : attesi) {
        SCOPED_TRACE(fogli[a.foglio].toStdString() + " " + a.ref);
        const auto it = letti[std::size_t(a.foglio)].celle.find(QString::fromLatin1(a.ref));
        ASSERT_NE(it, letti[std::size_t(a.foglio)].celle.end());
        EXPECT_EQ(it->second.formula.toStdString(), a.formula);
        EXPECT_EQ(it->second.valore.toStdString(), a.valore);
    }
    EXPECT_EQ(letti[1].celle.count(QStringLiteral("D2")), 0u);   // no ratio without rooms
}

} // namespace
} // namespace pc::prova
