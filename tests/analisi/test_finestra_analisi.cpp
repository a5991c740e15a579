// The window "Analisi produzione camere": the chart and the table of the
// hand-made hotel, the PDF it saves, and how the main window opens it.

#include "AlbergoAnalisi.h"

#include "FinestraAnalisi.h"
#include "TavoDesktop.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QChart>
#include <QFile>
#include <QLineEdit>
#include <QLineSeries>
#include <QProcess>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>

using pc::app::TavoDesktop;

using namespace pc;
using namespace pc::analisi;

namespace pc::prova {
namespace {

TEST(FinestraAnalisi, GraficoTabellaEPdf)
{
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    FinestraAnalisi w;
    w.impostaRichiesta({Giorno::da(2024, 2, 28), Giorno::da(2024, 3, 1), Raggruppamento::TipiCamere, true});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(w.calcola());

    // Occupancy and RevPAR, this year and the year before, one point a day.
    const auto serie = w.grafico()->series();
    ASSERT_EQ(serie.size(), 4);
    std::vector<std::pair<QString, std::vector<double>>> attese = {
        {QStringLiteral("Occupazione %"), {33.3, 66.7, 0}},
        {QStringLiteral("RevPAR"), {33.33, 83.33, 0}},
        {QStringLiteral("Occupazione % anno precedente"), {33.3, 33.3, 33.3}},
        {QStringLiteral("RevPAR anno precedente"), {30, 30, 26.67}},
    };
    for (std::size_t i = 0; i < attese.size(); ++i) {
        auto *linea = qobject_cast<QLineSeries *>(serie[qsizetype(i)]);
        ASSERT_NE(linea, nullptr);
        EXPECT_EQ(linea->name(), attese[i].first);
        std::vector<double> y;
        for (const QPointF &p : linea->points()) y.push_back(p.y());
        EXPECT_EQ(y, attese[i].second) << attese[i].first.toStdString();
    }
    auto *tabella = w.findChild<QTableWidget *>(QStringLiteral("Tabella"));
    ASSERT_NE(tabella, nullptr);
    ASSERT_EQ(tabella->rowCount(), 4);
    EXPECT_EQ(tabella->item(3, 0)->text(), QStringLiteral("Totale albergo"));
    EXPECT_EQ(tabella->item(3, 5)->text(), QStringLiteral("116,67"));   // ADR
    EXPECT_EQ(tabella->item(2, 3)->text(), QString());                   // TRI: no rooms, no occupancy

    const QString pdf = c.percorso() + QStringLiteral("/analisi7.pdf");
    ASSERT_TRUE(w.salvaPdf(pdf));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        p.waitForFinished();
        const QString testo = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(testo.contains(QStringLiteral("Analisi produzione camere dal 28/02/2024 al 01/03/2024"))) << testo.toStdString();
        EXPECT_TRUE(testo.contains(QStringLiteral("116,67")));
        EXPECT_TRUE(testo.contains(QStringLiteral("Occupazione % per giorno")));
    }
}

// What is shown and what is saved are one computation: another period given
// by the main window clears the figures, and saving computes what it shows.
// Dates are typed as in the main window ("280224").
TEST(FinestraAnalisi, MaiCifreVecchieEDateComeNellaFinestraPrincipale)
{
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    FinestraAnalisi w;
    w.impostaRichiesta({Giorno::da(2024, 2, 28), Giorno::da(2024, 3, 1), Raggruppamento::TipiCamere, true});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(w.calcola());
    auto *tabella = w.findChild<QTableWidget *>(QStringLiteral("Tabella"));
    w.impostaPeriodo(Giorno::da(2024, 2, 28), Giorno::da(2024, 3, 1));   // the same: kept
    EXPECT_NE(w.riepilogo(), nullptr);
    w.impostaPeriodo(Giorno::da(2024, 3, 4), Giorno::da(2024, 3, 5));
    EXPECT_EQ(w.riepilogo(), nullptr);
    EXPECT_EQ(tabella->rowCount(), 0);
    EXPECT_TRUE(w.grafico()->series().isEmpty());

    struct Caso {
        const char *dalla, *alla, *totale;
    };
    const Caso casi[] = {
        {"280224", "010324", "350,00"},
        {"04032024", "05-03-2024", "580,00"},
    };
    for (const auto &caso : casi) {
        auto *dalla = w.findChild<QLineEdit *>(QStringLiteral("Dalla")), *alla = w.findChild<QLineEdit *>(QStringLiteral("Alla"));
        dalla->setText(QString::fromLatin1(caso.dalla));
        alla->setText(QString::fromLatin1(caso.alla));
        const QString csv = c.percorso() + QStringLiteral("/a.csv");
        ASSERT_TRUE(w.richiesta(false).has_value()) << caso.dalla;   // else a message would wait
        ASSERT_TRUE(w.salvaCsv(csv)) << caso.dalla;
        ASSERT_NE(w.riepilogo(), nullptr);
        EXPECT_EQ(tabella->item(tabella->rowCount() - 1, 4)->text(), QString::fromLatin1(caso.totale));
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().contains(QByteArray("TOTALE;Totale albergo;") + "6;" + "5;")
                    == (std::string(caso.totale) == "580,00"));
    }
    // Choosing a row shows its chart: SIN, sold on 04/03 only.
    w.scegliRiga(1);
    auto *occupazione = qobject_cast<QLineSeries *>(w.grafico()->series().front());
    ASSERT_NE(occupazione, nullptr);
    std::vector<double> y;
    for (const QPointF &p : occupazione->points()) y.push_back(p.y());
    EXPECT_EQ(y, (std::vector<double>{100, 0}));
}

TEST(FinestraAnalisi, DallaFinestraPrincipaleConF2ConIlSuoPeriodo)
{
    TavoDesktop principale(TavoDesktop::FunzioneReport{});
    const QSize dimensioni = principale.size();
    collegaAFinestraPrincipale(&principale);
    EXPECT_EQ(principale.size(), dimensioni);
    EXPECT_EQ(principale.contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_TRUE(principale.toolTip().contains(QStringLiteral("F2")));
    principale.findChild<QLineEdit *>(QStringLiteral("Text1_0"))->setText(QStringLiteral("01/03/2026"));
    principale.findChild<QLineEdit *>(QStringLiteral("Text1_1"))->setText(QStringLiteral("31/03/2026"));
    principale.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&principale));
    QTest::keyClick(&principale, Qt::Key_F2);
    auto *analisi = principale.findChild<FinestraAnalisi *>();
    ASSERT_NE(analisi, nullptr);
    EXPECT_TRUE(analisi->isVisible());
    const auto r = analisi->richiesta(false);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->dalla.ggmmaaaa(), "01/03/2026");
    EXPECT_EQ(r->alla.ggmmaaaa(), "31/03/2026");
    EXPECT_EQ(principale.actions().size(), 1);
    analisi->close();
}

} // namespace
} // namespace pc::prova
