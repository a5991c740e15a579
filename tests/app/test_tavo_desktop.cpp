// The main window driven as a user would: keys, clicks, the report run.
#include "TavoDesktop.h"

#include "Calendario.h"
#include "ErroreDati.h"
#include "TavoRoutine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <ostream>
#include <vector>

namespace pc::prova {

inline void PrintTo(const QString &testo, std::ostream *os) { *os << '"' << testo.toStdString() << '"'; }

namespace {

using pc::Raggruppamento;
using pc::RichiestaReport;
using pc::app::TavoDesktop;
using pc::TipoReport;

class FinestraPrincipale : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Values Form_Load must overwrite.
        pc::TavoRoutine::GiorniMese.fill(-1);
        pc::TavoRoutine::HotelCorrente = 0;
        finestra = std::make_unique<TavoDesktop>([this](const RichiestaReport &r, const pc::AvanzamentoReport &a) {
            richieste.push_back(r);
            if (durante) durante(a);
        });
        finestra->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(finestra.get()));
        casella(0)->setFocus();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), casella(0));
    }

    void TearDown() override { finestra.reset(); }

    template <typename T = QWidget> T *controllo(const QString &nome) const
    {
        T *w = finestra->findChild<T *>(nome);
        EXPECT_NE(w, nullptr) << nome.toStdString();
        return w;
    }
    QLineEdit *casella(int i) const { return controllo<QLineEdit>(QStringLiteral("Text1_%1").arg(i)); }
    QAbstractButton *tasto(int i) const { return controllo<QAbstractButton>(QStringLiteral("Tasto_%1").arg(i)); }
    QRadioButton *opt(int i) const { return controllo<QRadioButton>(QStringLiteral("Opt_%1").arg(i)); }
    QRadioButton *opt1(int i) const { return controllo<QRadioButton>(QStringLiteral("Opt1_%1").arg(i)); }
    static QWidget *aFuoco() { return QApplication::focusWidget(); }

    // Keys go where the focus is, as a user's would.
    static void digita(const QString &testo)
    {
        for (const QChar c : testo)
            QTest::sendKeyEvent(QTest::Click, aFuoco(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    static void invio() { QTest::keyClick(aFuoco(), Qt::Key_Return); }
    void scriviEInvio(int i, const QString &testo)
    {
        casella(i)->setFocus();
        QCoreApplication::processEvents();
        casella(i)->selectAll();
        digita(testo);
        invio();
    }

    std::unique_ptr<TavoDesktop> finestra;
    std::vector<RichiestaReport> richieste;
    std::function<void(const pc::AvanzamentoReport &)> durante;
};

// Waits (by re-queueing itself, never by time) for a message box to become the
// active modal window, hands it to `azione`, then closes it.
void quandoAppareMessaggio(std::function<void(QMessageBox *)> azione, int tentativi = 2000)
{
    QTimer::singleShot(0, [azione = std::move(azione), tentativi]() mutable {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            if (tentativi > 0) quandoAppareMessaggio(std::move(azione), tentativi - 1);
            return;
        }
        azione(box);
        box->close();
    });
}

int px(int twips)
{
    return pc::piattaforma::twipsInPixel(twips, QGuiApplication::primaryScreen()->logicalDotsPerInch());
}

// ------------------------------------------------------------------ start state

TEST_F(FinestraPrincipale, StatoIniziale)
{
    EXPECT_EQ(finestra->windowTitle(), QStringLiteral("Stampa produzione camere"));
    EXPECT_TRUE(opt(0)->isChecked());
    EXPECT_FALSE(opt(1)->isChecked());
    EXPECT_FALSE(opt(2)->isChecked());
    EXPECT_TRUE(opt1(0)->isChecked());
    EXPECT_FALSE(opt1(1)->isChecked());
    EXPECT_TRUE(casella(0)->text().isEmpty());
    EXPECT_TRUE(casella(1)->text().isEmpty());
    EXPECT_EQ(casella(0)->maxLength(), 10);
    EXPECT_EQ(casella(1)->maxLength(), 10);
    // Form_Load's public values.
    const std::array<short, 13> giorni = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(pc::TavoRoutine::GiorniMese[m], giorni[m]) << m;
    EXPECT_EQ(pc::TavoRoutine::HotelCorrente, 1);
}

TEST_F(FinestraPrincipale, DidascalieCaratteriEColori)
{
    EXPECT_EQ(controllo<QLabel>("Label1_0")->text(), QStringLiteral("Dalla data "));
    EXPECT_EQ(controllo<QLabel>("Label1_1")->text(), QStringLiteral("Alla data"));
    EXPECT_EQ(opt(0)->text(), QStringLiteral("Numeri camere"));
    EXPECT_EQ(opt(1)->text(), QStringLiteral("Tipi camere"));
    EXPECT_EQ(opt(2)->text(), QStringLiteral("Macro categorie"));
    EXPECT_EQ(opt1(0)->text(), QStringLiteral("Vendite"));
    EXPECT_EQ(opt1(1)->text(), QStringLiteral("Produzione"));
    EXPECT_EQ(tasto(0)->text(), QStringLiteral("&Stampa"));
    EXPECT_EQ(tasto(1)->text(), QStringLiteral("&Esci"));

    EXPECT_EQ(controllo<QLabel>("Label1_0")->font().family(), QStringLiteral("Corbel"));
    EXPECT_DOUBLE_EQ(opt1(1)->font().pointSizeF(), 9.75);
    EXPECT_EQ(casella(0)->font().family(), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(tasto(0)->font().pointSizeF(), 12);
    EXPECT_FALSE(tasto(0)->font().bold());
    EXPECT_TRUE(tasto(1)->font().bold());
    // Missing fonts resolve to something installed, not to nothing.
    EXPECT_FALSE(QFontInfo(opt(0)->font()).family().isEmpty());

    const QColor sfondo(192, 192, 255);
    EXPECT_EQ(finestra->palette().color(QPalette::Window), sfondo);
    EXPECT_EQ(opt(0)->palette().color(QPalette::Window), sfondo);
    EXPECT_EQ(casella(1)->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(tasto(1)->palette().color(QPalette::Button), QColor(Qt::white));

    // The picture above "&Esci": 48 x 48 at 96 dpi, under it the caption.
    auto *esci = qobject_cast<QToolButton *>(tasto(1));
    ASSERT_NE(esci, nullptr);
    EXPECT_EQ(esci->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_EQ(esci->iconSize(), QSize(px(720), px(720)));
    EXPECT_FALSE(esci->icon().isNull());
    const QImage immagine = esci->icon().pixmap(esci->iconSize()).toImage();
    int colorati = 0;
    for (int y = 0; y < immagine.height(); ++y)
        for (int x = 0; x < immagine.width(); ++x) colorati += qAlpha(immagine.pixel(x, y)) > 0;
    EXPECT_GT(colorati, immagine.width() * immagine.height() / 5);
}

TEST_F(FinestraPrincipale, GeometriaInTwipsConvertiti)
{
    // Fixed client area 5430 x 2835 twips.
    EXPECT_EQ(finestra->size(), QSize(px(5430), px(2835)));
    EXPECT_EQ(finestra->minimumSize(), finestra->maximumSize());

    struct Atteso {
        const char *nome;
        int left, top, width, height;
    };
    const Atteso attesi[] = {
        {"Label1_0", 120, 240, 1215, 255}, {"Text1_0", 1440, 240, 1332, 288},  {"Shape1_0", 1320, 120, 1575, 495},
        {"Label1_1", 120, 1080, 1215, 255}, {"Text1_1", 1440, 1080, 1332, 288}, {"Shape1_1", 1320, 960, 1575, 495},
        {"Opt_0", 3120, 120, 2175, 375},    {"Opt_1", 3120, 600, 2175, 375},    {"Opt_2", 3120, 1080, 2175, 375},
        {"Tasto_0", 120, 1680, 1455, 1080}, {"Frame1", 1680, 1560, 2055, 1215}, {"Opt1_0", 240, 360, 1575, 255},
        {"Opt1_1", 240, 720, 1575, 255},    {"Tasto_1", 3840, 1680, 1455, 1080},
    };
    for (const auto &a : attesi) {
        QWidget *w = controllo(QString::fromLatin1(a.nome));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), QRect(px(a.left), px(a.top), px(a.width), px(a.height))) << a.nome;
    }
    // The "Vendite"/"Produzione" buttons sit inside the frame.
    EXPECT_EQ(opt1(0)->parentWidget(), controllo("Frame1"));
    // Each date box lies above the rounded rectangle around it.
    for (int i = 0; i < 2; ++i) {
        QWidget *forma = controllo(QStringLiteral("Shape1_%1").arg(i));
        EXPECT_TRUE(forma->geometry().contains(casella(i)->geometry())) << i;
        EXPECT_TRUE(forma->testAttribute(Qt::WA_TransparentForMouseEvents));
        const QObjectList &figli = finestra->children();
        EXPECT_LT(figli.indexOf(forma), figli.indexOf(casella(i))) << "rectangle drawn over its box";
    }
}

TEST_F(FinestraPrincipale, GruppiDiOpzioniEsclusiviEIndipendenti)
{
    QTest::mouseClick(opt(2), Qt::LeftButton);
    EXPECT_TRUE(opt(2)->isChecked());
    EXPECT_FALSE(opt(0)->isChecked());
    EXPECT_TRUE(opt1(0)->isChecked()) << "the other group is not touched";
    QTest::mouseClick(opt1(1), Qt::LeftButton);
    EXPECT_TRUE(opt1(1)->isChecked());
    EXPECT_FALSE(opt1(0)->isChecked());
    EXPECT_TRUE(opt(2)->isChecked());
    QTest::mouseClick(opt(1), Qt::LeftButton);
    EXPECT_TRUE(opt(1)->isChecked());
    EXPECT_FALSE(opt(2)->isChecked());
    EXPECT_FALSE(opt(0)->isChecked());
}

TEST_F(FinestraPrincipale, OrdineDiTabulazione)
{
    const QStringList attesi = {"Text1_1", "Tasto_1", "Tasto_0", "Opt_0"};
    for (const QString &nome : attesi) {
        QTest::keyClick(aFuoco(), Qt::Key_Tab);
        ASSERT_NE(aFuoco(), nullptr);
        EXPECT_EQ(aFuoco()->objectName(), nome);
    }
    // Backwards from the first button back to the second date.
    tasto(1)->setFocus();
    QTest::keyClick(aFuoco(), Qt::Key_Backtab);
    EXPECT_EQ(aFuoco(), casella(1));
}

TEST_F(FinestraPrincipale, CaselleDiDataPrendonoAlPiuDieciCaratteri)
{
    digita(QStringLiteral("0103201299xx"));
    EXPECT_EQ(casella(0)->text(), QStringLiteral("0103201299"));
    // Every character is accepted up to the limit.
    casella(1)->setFocus();
    digita(QStringLiteral("ab'/ \u00e0"));
    EXPECT_EQ(casella(1)->text(), QStringLiteral("ab'/ \u00e0"));
}

// ----------------------------------------------------------- Enter in the boxes

TEST_F(FinestraPrincipale, InvioCompletaLaDataEPassaAllaSeconda)
{
    struct Caso {
        const char *digitato, *atteso;
    };
    // Two-digit years as the batch commands read them, from a fixed today.
    pc::dati::calendario::impostaOggi(pc::dati::calendario::seriale(2026, 12, 8));
    for (const Caso c : {Caso{"010312", "01/03/2012"}, Caso{"010399", "01/03/1999"}, Caso{"010319", "01/03/2019"},
                         Caso{"010320", "01/03/2020"}, Caso{"010346", "01/03/2046"}, Caso{"010347", "01/03/1947"},
                         Caso{"01032012", "01/03/2012"}, Caso{"29/02/2012", "29/02/2012"}, Caso{"29/02/2000", "29/02/2000"},
                         Caso{"01-03-2012", "01-03-2012"}}) {
        scriviEInvio(0, QString::fromUtf8(c.digitato));
        EXPECT_EQ(casella(0)->text(), QString::fromUtf8(c.atteso)) << c.digitato;
        EXPECT_EQ(aFuoco(), casella(1)) << c.digitato;
    }
    pc::dati::calendario::ripristinaOggi();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(richieste.empty()) << "Enter never starts the report";
}

TEST_F(FinestraPrincipale, DataErrataSvuotataETieneIlFuoco)
{
    for (int i = 0; i < 2; ++i)
        for (const char *t : {"29/02/2011", "290211", "31/04/2012", "01/13/2012", "01/01/1899", "0103", "ciao", "",
                              "29/02/1900", "01'03'2012", "9 /12/2012"}) {
            scriviEInvio(i, QString::fromUtf8(t));
            EXPECT_TRUE(casella(i)->text().isEmpty()) << i << " " << t;
            EXPECT_EQ(aFuoco(), casella(i)) << i << " " << t;
        }
    // No message for a bad date.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FinestraPrincipale, SecondaDataSpostaIlFuocoSecondoIlPeriodo)
{
    // Reversed period: back to the first date, both texts kept, all selected.
    scriviEInvio(0, QStringLiteral("100312"));
    scriviEInvio(1, QStringLiteral("010312"));
    EXPECT_EQ(aFuoco(), casella(0));
    EXPECT_EQ(casella(0)->text(), QStringLiteral("10/03/2012"));
    EXPECT_EQ(casella(1)->text(), QStringLiteral("01/03/2012"));
    EXPECT_EQ(casella(0)->selectedText(), QStringLiteral("10/03/2012"));

    // Equal dates: on to "&Stampa".
    scriviEInvio(1, QStringLiteral("10/03/2012"));
    EXPECT_EQ(aFuoco(), tasto(0));

    // A later last date: on to "&Stampa".
    scriviEInvio(1, QStringLiteral("11032012"));
    EXPECT_EQ(aFuoco(), tasto(0));

    // An empty first date is never after the last.
    casella(0)->clear();
    scriviEInvio(1, QStringLiteral("01/01/1900"));
    EXPECT_EQ(aFuoco(), tasto(0));
    EXPECT_TRUE(richieste.empty());
}

TEST_F(FinestraPrincipale, TabEMouseNonControllanoLaData)
{
    digita(QStringLiteral("0103"));
    QTest::keyClick(aFuoco(), Qt::Key_Tab);
    EXPECT_EQ(aFuoco(), casella(1));
    EXPECT_EQ(casella(0)->text(), QStringLiteral("0103"));
    digita(QStringLiteral("310412"));
    QTest::mouseClick(casella(0), Qt::LeftButton);
    EXPECT_EQ(aFuoco(), casella(0));
    EXPECT_EQ(casella(1)->text(), QStringLiteral("310412"));
}

TEST_F(FinestraPrincipale, IlFuocoSelezionaTuttoIlTesto)
{
    casella(1)->setText(QStringLiteral("01/03/2012"));
    casella(0)->setText(QStringLiteral("28/02/2012"));
    casella(1)->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(casella(1)->selectedText(), QStringLiteral("01/03/2012"));
    QTest::mouseClick(casella(0), Qt::LeftButton, {}, QPoint(3, casella(0)->height() / 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(casella(0)->selectedText(), QStringLiteral("28/02/2012"));
    // Typing replaces the old date.
    digita(QStringLiteral("010312"));
    EXPECT_EQ(casella(0)->text(), QStringLiteral("010312"));
}

// ------------------------------------------------------------------- the report

TEST_F(FinestraPrincipale, StampaConsegnaLaRichiestaPerOgniCombinazione)
{
    scriviEInvio(0, QStringLiteral("010312"));
    scriviEInvio(1, QStringLiteral("31032012"));
    const Raggruppamento gruppi[] = {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere,
                                     Raggruppamento::MacroCategorie};
    const TipoReport tipi[] = {TipoReport::Vendite, TipoReport::Produzione};
    for (int g = 0; g < 3; ++g)
        for (int t = 0; t < 2; ++t) {
            QTest::mouseClick(opt(g), Qt::LeftButton);
            QTest::mouseClick(opt1(t), Qt::LeftButton);
            richieste.clear();
            QTest::mouseClick(tasto(0), Qt::LeftButton);
            ASSERT_EQ(richieste.size(), 1u) << g << t;
            EXPECT_EQ(richieste[0].dalla, "01/03/2012");
            EXPECT_EQ(richieste[0].alla, "31/03/2012");
            EXPECT_EQ(richieste[0].raggruppamento, gruppi[g]) << g << t;
            EXPECT_EQ(richieste[0].tipo, tipi[t]) << g << t;
        }
    // "Produzione" and "Tipi camere": kind 2, grouping 2.
    QTest::mouseClick(opt(1), Qt::LeftButton);
    QTest::mouseClick(opt1(1), Qt::LeftButton);
    EXPECT_EQ(short(finestra->richiesta().tipo), 2);
    EXPECT_EQ(short(finestra->richiesta().raggruppamento), 2);
}

TEST_F(FinestraPrincipale, DueStampeDiFilaConLaStessaRichiesta)
{
    int dopo = 0;
    QWidget *genitore = nullptr;
    finestra->impostaDopoReport([&](QWidget *w) {
        ++dopo;
        genitore = w;
    });
    scriviEInvio(0, QStringLiteral("01/02/2012"));
    scriviEInvio(1, QStringLiteral("29/02/2012"));
    ASSERT_EQ(aFuoco(), tasto(0));
    invio();                                      // Enter on "&Stampa" presses it
    QTest::keyClick(aFuoco(), Qt::Key_Space);     // and so does Space
    ASSERT_EQ(richieste.size(), 2u);
    EXPECT_EQ(richieste[0].dalla, richieste[1].dalla);
    EXPECT_EQ(richieste[0].alla, "29/02/2012");
    EXPECT_EQ(richieste[1].alla, "29/02/2012");
    EXPECT_EQ(dopo, 2) << "the print menu follows every report";
    EXPECT_EQ(genitore, finestra.get());
    // The window keeps its contents and takes input again.
    EXPECT_EQ(casella(0)->text(), QStringLiteral("01/02/2012"));
    EXPECT_FALSE(finestra->occupato());
}

TEST_F(FinestraPrincipale, TastiDiAccessoAltSEAltE)
{
    // An access key presses its button with a short animation: wait for it.
    QTest::keyClick(aFuoco(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !richieste.empty(); }));
    EXPECT_EQ(richieste.size(), 1u);
    EXPECT_TRUE(finestra->isVisible());
    QTest::keyClick(aFuoco(), Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !finestra->isVisible(); }));
    EXPECT_EQ(richieste.size(), 1u);
}

TEST_F(FinestraPrincipale, EsciChiudeLaFinestra)
{
    QTest::mouseClick(tasto(1), Qt::LeftButton);
    EXPECT_FALSE(finestra->isVisible());
    EXPECT_TRUE(richieste.empty());
}

TEST_F(FinestraPrincipale, DuranteIlReportLaFinestraNonPrendeInput)
{
    casella(0)->setText(QStringLiteral("01/03/2012"));
    bool occupata = false, chiusa = false;
    durante = [&](const pc::AvanzamentoReport &a) {
        occupata = finestra->occupato();
        a(1, 2);
        QTest::keyClick(casella(0), Qt::Key_A);
        QTest::keyClick(casella(0), Qt::Key_Backspace);
        QTest::mouseClick(opt(2), Qt::LeftButton);
        QTest::mouseClick(opt1(1), Qt::LeftButton);
        QTest::mouseClick(tasto(0), Qt::LeftButton);                 // no second run inside the first
        QTest::keyClick(tasto(1), Qt::Key_E, Qt::AltModifier);        // no exit
        finestra->close();                                            // nor by the window's close
        chiusa = !finestra->isVisible();
        a(2, 2);
    };
    QTest::mouseClick(tasto(0), Qt::LeftButton);
    EXPECT_TRUE(occupata);
    EXPECT_FALSE(chiusa);
    EXPECT_EQ(richieste.size(), 1u);
    EXPECT_EQ(casella(0)->text(), QStringLiteral("01/03/2012"));
    EXPECT_TRUE(opt(0)->isChecked());
    EXPECT_TRUE(opt1(0)->isChecked());
    EXPECT_TRUE(finestra->isVisible());

    // Afterwards the same input works again.
    durante = nullptr;
    QTest::mouseClick(opt(2), Qt::LeftButton);
    EXPECT_TRUE(opt(2)->isChecked());
    QTest::mouseClick(tasto(0), Qt::LeftButton);
    EXPECT_EQ(richieste.size(), 2u);
}

TEST_F(FinestraPrincipale, AvanzamentoMostraIGiorniFatti)
{
    finestra->impostaSogliaAvanzamento(0);
    QProgressDialog *visto = nullptr;
    int valore = -1, massimo = -1;
    QString etichetta;
    bool visibile = false;
    durante = [&](const pc::AvanzamentoReport &a) {
        a(0, 31);
        a(12, 31);
        visto = finestra->findChild<QProgressDialog *>();
        if (!visto) return;
        visibile = visto->isVisible();
        valore = visto->value();
        massimo = visto->maximum();
        etichetta = visto->labelText();
    };
    QTest::mouseClick(tasto(0), Qt::LeftButton);
    ASSERT_NE(visto, nullptr);
    EXPECT_TRUE(visibile);
    EXPECT_EQ(valore, 12);
    EXPECT_EQ(massimo, 31);
    EXPECT_TRUE(etichetta.contains(QStringLiteral("12 di 31"))) << etichetta.toStdString();
    EXPECT_EQ(finestra->findChild<QProgressDialog *>(), nullptr) << "the progress goes away with the report";
}

TEST_F(FinestraPrincipale, ErroreDelReportMostraUnMessaggioELaFinestraResta)
{
    int dopo = 0;
    finestra->impostaDopoReport([&](QWidget *) { ++dopo; });
    durante = [](const pc::AvanzamentoReport &) {
        throw pc::dati::ErroreDati("Archivio \"Scheda_Cliente.mdb\" non trovato nella cartella corrente.");
    };
    QString titolo, testo;
    QMessageBox::Icon icona = QMessageBox::NoIcon;
    quandoAppareMessaggio([&](QMessageBox *box) {
        titolo = box->windowTitle();
        testo = box->text();
        icona = box->icon();
    });
    QTest::mouseClick(tasto(0), Qt::LeftButton);
    EXPECT_EQ(icona, QMessageBox::Warning);
    EXPECT_FALSE(titolo.isEmpty());
    EXPECT_TRUE(testo.contains(QStringLiteral("Archivio \"Scheda_Cliente.mdb\" non trovato"))) << testo.toStdString();
    EXPECT_EQ(dopo, 0) << "no print menu after a failed report";
    EXPECT_FALSE(finestra->occupato());
    EXPECT_TRUE(finestra->isVisible());
    // The offscreen platform does not hand the activation back by itself.
    finestra->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(finestra.get()));

    // Still usable: dates are typed and checked, the next report runs.
    durante = nullptr;
    scriviEInvio(0, QStringLiteral("010312"));
    EXPECT_EQ(casella(0)->text(), QStringLiteral("01/03/2012"));
    EXPECT_EQ(aFuoco(), casella(1));
    QTest::mouseClick(tasto(0), Qt::LeftButton);
    EXPECT_EQ(richieste.size(), 2u);
    EXPECT_EQ(dopo, 1);
}

TEST_F(FinestraPrincipale, ErroreImprevistoNonChiudeLApplicazione)
{
    // Whatever the report or the print menu after it throws stops at the
    // window: an Italian message, and the window goes on.
    struct Caso {
        const char *nome;
        std::function<void()> lancia;
        bool nelMenu;                 // thrown by the print menu, not the report
        QString atteso;
    };
    const std::vector<Caso> casi = {
        {"runtime_error", [] { throw std::runtime_error("disk full"); }, false, QStringLiteral("imprevisto del programma (disk full)")},
        {"bad_alloc", [] { throw std::bad_alloc(); }, false, QStringLiteral("Memoria insufficiente")},
        {"filesystem", [] { throw std::filesystem::filesystem_error("x", "doc", std::make_error_code(std::errc::no_space_on_device)); },
         true, QStringLiteral("spazio esaurito sul disco")},
        {"altro", [] { throw 7; }, true, QStringLiteral("Errore imprevisto")},
    };
    for (const Caso &c : casi) {
        SCOPED_TRACE(c.nome);
        durante = c.nelMenu ? std::function<void(const pc::AvanzamentoReport &)>()
                            : [&](const pc::AvanzamentoReport &) { c.lancia(); };
        finestra->impostaDopoReport([&](QWidget *) {
            if (c.nelMenu) c.lancia();
        });
        QString testo;
        quandoAppareMessaggio([&](QMessageBox *box) { testo = box->text(); });
        QTest::mouseClick(tasto(0), Qt::LeftButton);
        EXPECT_TRUE(testo.contains(c.atteso)) << testo.toStdString();
        EXPECT_FALSE(testo.contains(QStringLiteral("std::"))) << testo.toStdString();
        EXPECT_TRUE(finestra->isVisible());
        EXPECT_FALSE(finestra->occupato());
    }
}

} // namespace

} // namespace pc::prova
