#include "AiutiAnteprima.h"
#include "Anteprima.h"
#include "ConvertiXLS.h"
#include "DesktopRegistratore.h"
#include "FileTesto.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QImage>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <numeric>

using pc::anteprima::Anteprima;
using pc::anteprima::esportaFoglioElettronico;

using namespace pc;
using namespace pc::prova;

namespace {

// A preview opened on the report file of workstation 3, with a recording
// desktop and errors collected instead of shown.
struct AnteprimaAperta {
    DesktopRegistratore desktop;
    Anteprima finestra;
    std::vector<QString> avvisi;

    AnteprimaAperta()
    {
        finestra.impostaAvviso([this](const QString &m) { avvisi.push_back(m); });
        finestra.show();
    }
    QString testo() const { return finestra.testoMostrato(); }
    void clic(int indice) { QTest::mouseClick(finestra.tasto(indice), Qt::LeftButton); }
};

QString rigaLunga(int n, int lunghezza)
{
    QString r = QStringLiteral("R%1 ").arg(n, 3, 10, QLatin1Char('0'));
    return r.leftJustified(lunghezza, QLatin1Char('.'));
}

// 200 lines of 150 characters: 30000 characters in all.
void scriviReportLungo()
{
    std::string s;
    for (int i = 1; i <= 200; ++i) s += rigaLunga(i, 150).toStdString() + "\r\n";
    scriviByte("fd3", s);
}

QStringList righeMostrate(const AnteprimaAperta &a)
{
    QStringList r = a.testo().split(u'\n');
    if (!r.isEmpty() && r.last().isEmpty()) r.removeLast();
    return r;
}

// ---- Window ----------------------------------------------------------------

TEST(Anteprima, FinestraPulsantiETastiDiAccesso)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf(reportDueGiorni()));
    AnteprimaAperta a;
    EXPECT_EQ(a.finestra.windowTitle(), "Anteprima di Stampa");
    EXPECT_TRUE(a.finestra.isModal());
    ASSERT_EQ(a.desktop.finestreInPrimoPiano.size(), 1u);
    EXPECT_EQ(a.desktop.finestreInPrimoPiano[0].data(), &a.finestra);

    const char *didascalie[7] = {"&Esci", "&Riduci", "E&spandi", "&Avanti", "&Inizio", "E-&mail", "Sa&lva"};
    const Qt::Key tasti[7] = {Qt::Key_E, Qt::Key_R, Qt::Key_S, Qt::Key_A, Qt::Key_I, Qt::Key_M, Qt::Key_L};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(a.finestra.tasto(i)->text(), QString::fromUtf8(didascalie[i]));
        EXPECT_EQ(QKeySequence::mnemonic(a.finestra.tasto(i)->text()), QKeySequence(Qt::ALT | tasti[i])) << i;
    }
    EXPECT_FALSE(a.finestra.tasto(0)->icon().isNull());
    EXPECT_TRUE(a.finestra.tasto(0)->font().bold());

    QPlainTextEdit *t = a.finestra.areaTesto();
    EXPECT_DOUBLE_EQ(t->font().pointSizeF(), 11.25);
    EXPECT_TRUE(QFontInfo(t->font()).fixedPitch());
    EXPECT_EQ(t->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(t->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(t->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_FALSE(t->isReadOnly());
    EXPECT_EQ(t->palette().color(QPalette::Base), QColor(255, 255, 192));
    EXPECT_EQ(a.finestra.palette().color(QPalette::Window), QColor(192, 192, 255));
}

TEST(Anteprima, DisposizioneAllAttivazioneDalleMisureDellaFinestra)
{
    const auto d = Anteprima::disposizioneAttivazione(9525, 7380);
    EXPECT_DOUBLE_EQ(d.testo.left(), 84);
    EXPECT_DOUBLE_EQ(d.testo.width(), 9325);
    EXPECT_DOUBLE_EQ(d.testo.height(), 7380 - (1.5 * 1125 + 150));
    for (const auto &t : d.tasti) EXPECT_DOUBLE_EQ(t.top(), 7380 - (1.5 * 1125 + 10));
    EXPECT_DOUBLE_EQ(d.tasti[0].left(), 6795);
    EXPECT_DOUBLE_EQ(d.tasti[0].width(), 9525 - 6795 - 150);
    EXPECT_DOUBLE_EQ(d.tasti[2].left(), 1200);
    EXPECT_DOUBLE_EQ(d.tasti[2].width(), 1095);

    // The shown window uses it, in pixels (15 twips each).
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf(reportDueGiorni()));
    AnteprimaAperta a;
    const QSize esterno = a.finestra.frameGeometry().size();
    const auto e = Anteprima::disposizioneAttivazione(esterno.width() * 15.0, esterno.height() * 15.0);
    EXPECT_NEAR(a.finestra.areaTesto()->width(), e.testo.width() / 15, 1);
    EXPECT_NEAR(a.finestra.tasto(0)->width(), e.tasti[0].width() / 15, 1);
    EXPECT_NEAR(a.finestra.tasto(4)->y(), e.tasti[4].top() / 15, 1);
    EXPECT_LE(a.finestra.tasto(0)->geometry().right(), a.finestra.width());
}

// ---- Pages -----------------------------------------------------------------

TEST(Anteprima, ReportDiDueGiorniInUnaPaginaConBordiPuliti)
{
    CartellaProva cartella({.pcLocal = "3"});
    const auto report = reportDueGiorni();
    scriviByte("fd3", conCrLf(report));
    AnteprimaAperta a;
    const QString trattini = QString(32, u'-');
    const QStringList attese = {
        "STAMPA VENDITE PER NUMERO CAMERA DAL 01/03/2012 AL 02/03/2012",
        "-" + trattini + "-",
        "|   DATA   |101       |102       |",
        "|" + trattini + "|",
        "|01/03/2012|         1|         0|",
        "|02/03/2012|         1|         1|",
        "|" + trattini + "|",
        "|TOTALI    |         2|         1|",
        QString(u'\u00E0') + trattini + QString(u'\u00F9'),
    };
    EXPECT_EQ(righeMostrate(a), attese);
    EXPECT_TRUE(a.testo().endsWith(u'\n'));
    EXPECT_EQ(a.finestra.AltreRighe(), 0);
    const auto caratteri = std::accumulate(report.begin(), report.end(), 0,
                                           [](int n, const std::string &r) { return n + int(r.size()); });
    EXPECT_EQ(a.finestra.CaratteriPagina(), caratteri);
}

TEST(Anteprima, CaratteriWindows1252MostratiInUnicode)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf({"\xD2 \xF2 \xCD \x80 \xE8"}));
    AnteprimaAperta a;
    EXPECT_EQ(a.testo(), QStringLiteral("\u00F2 \u00F2 \u00CD \u20AC \u00E8\n"));
}

TEST(Anteprima, ReportLungoPaginatoAvantiEInizio)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviReportLungo();
    AnteprimaAperta a;
    // First page: lines until 20000 characters are reached; the line that
    // passes the limit stays on the page.
    QStringList r = righeMostrate(a);
    ASSERT_EQ(r.size(), 134);
    EXPECT_EQ(r.first(), rigaLunga(1, 150));
    EXPECT_EQ(r.last(), rigaLunga(134, 150));
    EXPECT_EQ(a.finestra.CaratteriPagina(), 134 * 150);
    EXPECT_EQ(a.finestra.AltreRighe(), 1);

    a.clic(3);   // Avanti: the rest of the report
    r = righeMostrate(a);
    ASSERT_EQ(r.size(), 66);
    EXPECT_EQ(r.first(), rigaLunga(135, 150));
    EXPECT_EQ(r.last(), rigaLunga(200, 150));
    EXPECT_EQ(a.finestra.AltreRighe(), 0);

    const QString fine = a.testo();
    a.clic(3);   // at the end: nothing changes
    EXPECT_EQ(a.testo(), fine);
    EXPECT_EQ(a.finestra.AltreRighe(), 0);

    a.clic(4);   // Inizio: first page with the larger limit of 26000
    r = righeMostrate(a);
    ASSERT_EQ(r.size(), 174);
    EXPECT_EQ(r.first(), rigaLunga(1, 150));
    EXPECT_EQ(a.finestra.CaratteriPagina(), 174 * 150);
    EXPECT_EQ(a.finestra.AltreRighe(), 1);
    EXPECT_TRUE(a.avvisi.empty());
}

TEST(Anteprima, RigaPiuLungaDelLimiteFaPaginaDaSola)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf({std::string(25000, 'x'), "dopo"}));
    AnteprimaAperta a;
    EXPECT_EQ(righeMostrate(a).size(), 1);
    EXPECT_EQ(a.finestra.AltreRighe(), 1);
    a.clic(3);
    EXPECT_EQ(a.testo(), "dopo\n");
    EXPECT_EQ(a.finestra.AltreRighe(), 0);
}

TEST(Anteprima, AvantiConTastoDiAccesso)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviReportLungo();
    AnteprimaAperta a;
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a.finestra));
    QTest::keyClick(&a.finestra, Qt::Key_A, Qt::AltModifier);
    // An access key presses the button with its short animation: wait for it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return a.finestra.AltreRighe() == 0; }));
    EXPECT_EQ(righeMostrate(a).first(), rigaLunga(135, 150));
    EXPECT_TRUE(a.finestra.areaTesto()->hasFocus());
}

TEST(Anteprima, RiduciFinoAUnPuntoEspandiSenzaLimite)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf(reportDueGiorni()));
    AnteprimaAperta a;
    auto punti = [&] { return a.finestra.areaTesto()->font().pointSizeF(); };
    a.clic(1);
    EXPECT_DOUBLE_EQ(punti(), 10.25);
    a.clic(2);
    a.clic(2);
    EXPECT_DOUBLE_EQ(punti(), 12.25);
    for (int i = 0; i < 20; ++i) a.clic(1);
    EXPECT_DOUBLE_EQ(punti(), 1.0);
    a.clic(1);
    EXPECT_DOUBLE_EQ(punti(), 1.0);
    for (int i = 0; i < 80; ++i) a.clic(2);
    EXPECT_DOUBLE_EQ(punti(), 81.0);
}

TEST(Anteprima, SalvaSullaSecondaPaginaLasciaSoloQuellaPagina)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviReportLungo();
    AnteprimaAperta a;
    a.clic(3);
    const QString pagina = a.testo();
    const auto caratteri = a.finestra.CaratteriPagina();
    a.clic(6);
    EXPECT_EQ(leggiByte("fd3"), pc::anteprima::filetesto::perFile(pagina) + "\r\n");
    EXPECT_EQ(a.testo(), pagina);
    EXPECT_EQ(a.finestra.CaratteriPagina(), caratteri);
    EXPECT_EQ(a.finestra.AltreRighe(), 0);
    // The file is open again from its start.
    a.clic(4);
    EXPECT_EQ(a.testo(), pagina + "\n");
    EXPECT_TRUE(a.avvisi.empty());
}

TEST(Anteprima, SalvaScriveLeModificheInWindows1252)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf(reportDueGiorni()));
    AnteprimaAperta a;
    a.finestra.areaTesto()->setPlainText(QStringLiteral("caff\u00E8 \u20AC\nseconda"));
    a.clic(6);
    // The text as shown, then one more line end.
    EXPECT_EQ(leggiByte("fd3"), "caff\xE8 \x80\r\nseconda\r\n");
}

// ---- Missing file and failures -------------------------------------------

TEST(Anteprima, ReportMancanteChiudeSenzaMessaggio)
{
    CartellaProva cartella({.pcLocal = "3"});
    DesktopRegistratore desktop;
    Anteprima finestra;
    std::vector<QString> avvisi;
    finestra.impostaAvviso([&](const QString &m) { avvisi.push_back(m); });
    QTimer::singleShot(10000, &finestra, [&] { finestra.done(99); });   // guard only
    EXPECT_EQ(finestra.exec(), QDialog::Rejected);
    EXPECT_FALSE(finestra.isVisible());
    EXPECT_TRUE(avvisi.empty());
}

TEST(Anteprima, PCLocalNonImpostatoUsaLoStessoNomeDelReport)
{
    CartellaProva cartella(CartellaProva::Lavoro{});
    scriviByte("fd", conCrLf({"riga"}));
    AnteprimaAperta a;
    EXPECT_TRUE(a.finestra.reportAperto());
    EXPECT_EQ(a.testo(), "riga\n");
}

TEST(Anteprima, PassoFallitoSulFileRiprovatoDopoLaRiapertura)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviReportLungo();
    AnteprimaAperta a;
    a.finestra.done(QDialog::Accepted);   // closes the report file, as on exit
    ASSERT_FALSE(a.finestra.reportAperto());
    a.finestra.Tasto_Click(3);
    EXPECT_TRUE(a.avvisi.empty());
    EXPECT_EQ(righeMostrate(a).first(), rigaLunga(135, 150));
    EXPECT_EQ(a.finestra.AltreRighe(), 0);
}

TEST(Anteprima, AltriErroriDiventanoUnMessaggio)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviReportLungo();
    AnteprimaAperta a;
    a.finestra.done(QDialog::Accepted);
    QFile::remove(QStringLiteral("fd3"));
    a.finestra.Tasto_Click(3);   // reopening fails too
    ASSERT_EQ(a.avvisi.size(), 1u);
    EXPECT_TRUE(a.avvisi[0].contains(QStringLiteral("\"fd3\""))) << a.avvisi[0].toStdString();

    ASSERT_TRUE(QDir().mkdir(QStringLiteral("fd3")));
    a.finestra.Tasto_Click(6);   // the report file cannot be written
    ASSERT_EQ(a.avvisi.size(), 2u);
    EXPECT_TRUE(a.avvisi[1].contains(QStringLiteral("\"fd3\""))) << a.avvisi[1].toStdString();
}

// ---- E-mail ------------------------------------------------------------------

TEST(AnteprimaEMail, ScriveIlFileEAvviaIlProgrammaDiPosta)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf({"AB", "C\xB3" "D"}));
    AnteprimaAperta a;
    a.clic(5);
    EXPECT_EQ(leggiByte("e-mail3.txt"), "OGGETTO\r\nAB\r\nC|D\r\n\r\n");
    ASSERT_EQ(a.desktop.programmiAvviati.size(), 1u);
    EXPECT_EQ(a.desktop.programmiAvviati[0].programma, "Zaroza.exe");
    EXPECT_TRUE(a.desktop.programmiAvviati[0].argomenti.isEmpty());
    EXPECT_TRUE(a.avvisi.empty());
}

TEST(AnteprimaEMail, AreaVuotaEDueInviiDiSeguito)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf({"prima"}));
    AnteprimaAperta a;
    a.clic(5);
    a.finestra.areaTesto()->clear();
    a.clic(5);
    EXPECT_EQ(leggiByte("e-mail3.txt"), "OGGETTO\r\n\r\n");
    a.finestra.areaTesto()->setPlainText(QStringLiteral("terza\n"));
    a.clic(5);
    EXPECT_EQ(leggiByte("e-mail3.txt"), "OGGETTO\r\nterza\r\n\r\n");
    EXPECT_EQ(a.desktop.programmiAvviati.size(), 3u);
}

TEST(AnteprimaEMail, ProgrammaNonAvviatoMessaggioEFileScritto)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf({"AB"}));
    AnteprimaAperta a;
    a.desktop.esitoAvvio = false;
    a.clic(5);
    EXPECT_EQ(leggiByte("e-mail3.txt"), "OGGETTO\r\nAB\r\n\r\n");
    ASSERT_EQ(a.avvisi.size(), 1u);
    EXPECT_TRUE(a.avvisi[0].contains("Zaroza.exe"));
    EXPECT_TRUE(a.avvisi[0].contains("e-mail3.txt"));
}

// ---- Spreadsheet export for the print menu -------------------------------

TEST(FoglioElettronico, ConverteEApreIlCsv)
{
    CartellaProva cartella({.pcLocal = "3"});
    DesktopRegistratore desktop;
    scriviByte("fd3", conCrLf(reportDueGiorni()));
    std::vector<QString> avvisi;
    EXPECT_TRUE(esportaFoglioElettronico(nullptr, [&](const QString &m) { avvisi.push_back(m); }));
    ASSERT_EQ(desktop.fileAperti.size(), 1);
    EXPECT_EQ(desktop.fileAperti[0], cartella.percorso("fd3.csv"));
    EXPECT_EQ(leggiByte("fd3.csv").substr(0, 4), "STAM");
    EXPECT_TRUE(avvisi.empty());
}

TEST(FoglioElettronico, ReportMancanteOCsvNonApertoDannoUnMessaggio)
{
    CartellaProva cartella({.pcLocal = "3"});
    DesktopRegistratore desktop;
    std::vector<QString> avvisi;
    auto avviso = [&](const QString &m) { avvisi.push_back(m); };
    EXPECT_FALSE(esportaFoglioElettronico(nullptr, avviso));
    EXPECT_TRUE(desktop.fileAperti.empty());
    ASSERT_EQ(avvisi.size(), 1u);
    EXPECT_TRUE(avvisi[0].contains("\"fd3\""));

    scriviByte("fd3", "x\r\n");
    desktop.esitoApertura = false;
    EXPECT_FALSE(esportaFoglioElettronico(nullptr, avviso));
    ASSERT_EQ(avvisi.size(), 2u);
    EXPECT_TRUE(avvisi[1].contains("fd3.csv"));
}

// ---- Look --------------------------------------------------------------------

TEST(Anteprima, ImmagineDellaFinestra)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviByte("fd3", conCrLf(reportDueGiorni()));
    AnteprimaAperta a;
    const QImage img = a.finestra.grab().toImage();
    ASSERT_FALSE(img.isNull());
    // Window background and the text area's background, far from any text.
    EXPECT_EQ(img.pixelColor(2, 2), QColor(192, 192, 255));
    const QRect area = a.finestra.areaTesto()->geometry();
    EXPECT_EQ(img.pixelColor(area.center().x(), area.bottom() - 30), QColor(255, 255, 192));
    if (const QByteArray png = qgetenv("PC_ANTEPRIMA_PNG"); !png.isEmpty()) img.save(QString::fromLocal8Bit(png));
}

} // namespace
