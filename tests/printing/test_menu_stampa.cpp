// The print menu: what loading leaves behind (document copy, printers,
// current hotel), what activation reads, the PDF button, the document
// button, closing without destinations or on a failing data store, the
// layout and the tab order.
#include "ChiudiModale.h"
#include "DesktopRegistratore.h"
#include "MenuStampa.h"
#include "ScrittoreSqlite.h"
#include "TavoRoutine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace pc::prova {

using pc::stampa::MenuStampa;
using pc::demo::I;
using pc::demo::N;
using pc::demo::T;
using Righe = std::vector<std::vector<pc::dati::Valore>>;

namespace {

QByteArray leggi(const QString &percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void scrivi(const QString &percorso, const QByteArray &dati)
{
    QFile f(percorso);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(dati);
}

QDateTime alle(int anno, int mese, int giorno, int ora, int minuto, int secondo = 0, int ms = 0)
{
    return QDateTime(QDate(anno, mese, giorno), QTime(ora, minuto, secondo, ms));
}

// A working directory with the hotel's databases, the workstation number and
// a recording desktop; everything is put back afterwards.
class MenuStampaProva : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_precedente = QDir::currentPath();
        m_pcLocal = qgetenv("PCLocal");
        m_pcLocalImpostato = qEnvironmentVariableIsSet("PCLocal");
        QDir::setCurrent(m_dir.path());
        qputenv("PCLocal", "3");
        pc::TavoRoutine::HotelCorrente = 1;
        anagrafica({{I(1), T("KU")}, {I(2), T("X")}});
        stampanti({{I(2), T("ALTRO HOTEL"), I(1), T("lpt1")},
                   {I(1), T("LASER"), I(1), T("lpt1")},
                   {I(1), T("PDF UFFICIO"), I(2), T("uff.pdf")},
                   {I(2), T("PDF HOTEL 2"), I(1), T("x.pdf")},
                   {I(1), T("PDF RECEPTION"), I(2), T("rec.pdf")}});
    }
    void TearDown() override
    {
        QDir::setCurrent(m_precedente);
        if (m_pcLocalImpostato) qputenv("PCLocal", m_pcLocal);
        else qunsetenv("PCLocal");
        pc::TavoRoutine::HotelCorrente = 1;
    }

    static void anagrafica(const Righe &righe)
    {
        pc::demo::scriviArchivio(
            "AnagraficaHotels.mdb",
            {{"AnagraficaHotels", pc::demo::colonneSuite("AnagraficaHotels"), righe}});
    }
    static void stampanti(const Righe &righe)
    {
        pc::demo::scriviArchivio("Stampanti.mdb", {{"Stampanti", pc::demo::colonneSuite("Stampanti"), righe},
                                                        {"SetStampa", pc::demo::colonneSuite("SetStampa"), {}}});
    }

    // A menu whose printing and preview only record what they were given.
    std::unique_ptr<MenuStampa> nuovoMenu(QDateTime adesso = alle(2026, 12, 7, 9, 5))
    {
        auto menu = std::make_unique<MenuStampa>(nullptr, [adesso] { return adesso; });
        menu->impostaStampa([this](MenuStampa &m) { stampe << m.destinazione(); });
        menu->impostaAnteprima([this](MenuStampa &) { ++anteprime; });
        return menu;
    }

    QTemporaryDir m_dir;
    QString m_precedente;
    QByteArray m_pcLocal;
    bool m_pcLocalImpostato = false;
    pc::prova::DesktopRegistratore desktop{{QStringLiteral("Laser Ufficio"), QStringLiteral("Ricevute")}};
    QStringList stampe;
    int anteprime = 0;
};

} // namespace

// ---------------------------------------------------------------- loading

TEST_F(MenuStampaProva, CopiaDocumentoAlleVentitreECinquantanoveDiUnaSolaLettura)
{
    scrivi("fd3", "report di prova\r\n\xC9\xCD\xBB\r\n");
    int letture = 0;
    // Read once at 23:59:59.999; a second reading would already be in 2027.
    MenuStampa menu(nullptr, [&letture] {
        return ++letture == 1 ? alle(2026, 12, 31, 23, 59, 59, 999) : alle(2027, 1, 1, 0, 0);
    });
    EXPECT_EQ(letture, 1);
    EXPECT_EQ(menu.fileDoc(), QStringLiteral("doc/fd3202612312359.doc"));
    EXPECT_EQ(leggi(menu.fileDoc()), leggi("fd3"));

    menu.Tst_Click(0);
    ASSERT_EQ(desktop.fileAperti.size(), 1);
    EXPECT_EQ(desktop.fileAperti[0], menu.fileDoc());
    EXPECT_EQ(leggi(desktop.fileAperti[0]), QByteArray("report di prova\r\n\xC9\xCD\xBB\r\n"));
}

TEST_F(MenuStampaProva, EsempioDelleNoveECinque)
{
    scrivi("fd3", "x");
    auto menu = nuovoMenu(alle(2026, 12, 7, 9, 5));
    EXPECT_EQ(menu->fileDoc(), QStringLiteral("doc/fd3202612070905.doc"));
    EXPECT_TRUE(QFile::exists(menu->fileDoc()));
}

TEST_F(MenuStampaProva, PcLocalNonImpostato)
{
    qunsetenv("PCLocal");
    scrivi("fd", "senza postazione");
    scrivi("fd3", "di un'altra postazione");
    auto menu = nuovoMenu(alle(2026, 3, 1, 14, 30));
    EXPECT_EQ(menu->fileDoc(), QStringLiteral("doc/fd202603011430.doc"));
    EXPECT_EQ(leggi(menu->fileDoc()), QByteArray("senza postazione"));
}

TEST_F(MenuStampaProva, SenzaReportNessunaCopiaMaIlMenuSiApre)
{
    auto menu = nuovoMenu();
    EXPECT_TRUE(QDir("doc").exists());
    EXPECT_FALSE(QFile::exists(menu->fileDoc()));
    EXPECT_EQ(menu->fileDoc(), QStringLiteral("doc/fd3202612070905.doc"));
    // Button 0 still hands the name over; the desktop's answer is ignored.
    desktop.esitoApertura = false;
    menu->Tst_Click(0);
    EXPECT_EQ(desktop.fileAperti, QStringList{menu->fileDoc()});
}

TEST_F(MenuStampaProva, CartellaDocEsistenteECopiaNelloStessoMinutoSostituita)
{
    ASSERT_TRUE(QDir().mkdir("doc"));
    scrivi("fd3", "primo report");
    { auto primo = nuovoMenu(alle(2026, 5, 5, 10, 0, 5)); }
    scrivi("fd3", "secondo report");
    auto secondo = nuovoMenu(alle(2026, 5, 5, 10, 0, 50));
    EXPECT_EQ(leggi(secondo->fileDoc()), QByteArray("secondo report"));
    EXPECT_EQ(QDir("doc").entryList(QDir::Files).size(), 1);
}

TEST_F(MenuStampaProva, StampantiDiSistemaNellOrdineDellaPiattaforma)
{
    auto menu = nuovoMenu();
    EXPECT_EQ(menu->stampantiSistema(), QStringList({QStringLiteral("Laser Ufficio"), QStringLiteral("Ricevute")}));
    EXPECT_EQ(menu->Combo2()->currentIndex(), -1);
    EXPECT_TRUE(menu->stampanteSistema().isEmpty());
    menu->Combo2()->setCurrentIndex(1);
    EXPECT_EQ(menu->stampanteSistema(), QStringLiteral("Ricevute"));
}

TEST_F(MenuStampaProva, NessunaStampanteDiSistema)
{
    desktop.elencoStampanti.clear();
    auto menu = nuovoMenu();
    EXPECT_EQ(menu->stampantiSistema(), QStringList{QStringLiteral("<nessuna stampante>")});
    EXPECT_EQ(menu->Combo2()->currentIndex(), -1);
}

TEST_F(MenuStampaProva, AlbergoCorrenteZeroDiventaUno)
{
    pc::TavoRoutine::HotelCorrente = 0;
    { auto menu = nuovoMenu(); }
    EXPECT_EQ(pc::TavoRoutine::HotelCorrente, 1);
    pc::TavoRoutine::HotelCorrente = 4;
    { auto menu = nuovoMenu(); }
    EXPECT_EQ(pc::TavoRoutine::HotelCorrente, 4);
}

TEST_F(MenuStampaProva, OpzioniSpenteAOgniCaricamento)
{
    {
        auto menu = nuovoMenu();
        menu->show();
        menu->Chk()->setChecked(true);
        menu->Chk3()->setChecked(true);
        EXPECT_TRUE(menu->compressa());
        EXPECT_TRUE(menu->fronteRetro());
    }
    auto menu = nuovoMenu();
    menu->show();
    EXPECT_FALSE(menu->compressa());
    EXPECT_FALSE(menu->orizzontale());
    EXPECT_FALSE(menu->fronteRetro());
}

// ---------------------------------------------------------------- activation

TEST_F(MenuStampaProva, DestinazioniDellAlbergoUnoInOrdineDiTabellaLaPrimaScelta)
{
    auto menu = nuovoMenu();
    menu->show();
    EXPECT_EQ(menu->destinazioni(), QStringList({QStringLiteral("LASER"), QStringLiteral("PDF UFFICIO"),
                                                 QStringLiteral("PDF RECEPTION")}));
    EXPECT_EQ(menu->destinazione(), QStringLiteral("LASER"));
    EXPECT_EQ(menu->codiceAssistenza(), QStringLiteral("KU"));
    EXPECT_TRUE(menu->isVisible());
    ASSERT_FALSE(desktop.finestreInPrimoPiano.empty());
    EXPECT_EQ(desktop.finestreInPrimoPiano.back().data(), menu.get());
}

TEST_F(MenuStampaProva, CodiceAssistenzaSenzaRecordOVuoto)
{
    anagrafica({{I(2), T("K")}});
    {
        auto menu = nuovoMenu();
        menu->show();
        EXPECT_TRUE(menu->codiceAssistenza().isEmpty());
        EXPECT_TRUE(menu->isVisible());
    }
    anagrafica({{I(1), N()}});
    auto menu = nuovoMenu();
    menu->show();
    EXPECT_TRUE(menu->codiceAssistenza().isEmpty());
    EXPECT_EQ(menu->destinazioni().size(), 3);
}

TEST_F(MenuStampaProva, CodiceAssistenzaMantenutoSeIlRecordSparisce)
{
    auto menu = nuovoMenu();
    menu->show();
    EXPECT_EQ(menu->codiceAssistenza(), QStringLiteral("KU"));
    anagrafica({{I(2), T("X")}});
    menu->impostaAnteprima([](MenuStampa &) {});
    menu->Tst_Click(4);
    EXPECT_EQ(menu->codiceAssistenza(), QStringLiteral("KU"));
}

TEST_F(MenuStampaProva, DopoLAnteprimaTornaScelteLaPrimaDestinazione)
{
    auto menu = nuovoMenu();
    menu->show();
    menu->Combo1()->setCurrentIndex(1);
    EXPECT_EQ(menu->destinazione(), QStringLiteral("PDF UFFICIO"));
    // While the preview is open the destinations change: the list is read again.
    menu->impostaAnteprima([this](MenuStampa &) {
        ++anteprime;
        stampanti({{I(1), T("NUOVA")}, {I(1), T("LASER")}, {I(1), T("PDF UFFICIO")}});
    });
    menu->Tst_Click(4);
    EXPECT_EQ(anteprime, 1);
    EXPECT_EQ(menu->destinazioni(),
              QStringList({QStringLiteral("NUOVA"), QStringLiteral("LASER"), QStringLiteral("PDF UFFICIO")}));
    EXPECT_EQ(menu->Combo1()->currentIndex(), 0);
    EXPECT_EQ(menu->destinazione(), QStringLiteral("NUOVA"));
    EXPECT_TRUE(menu->isVisible());
}

TEST_F(MenuStampaProva, SenzaDestinazioniPerLAlbergoUnoSiChiudeSubito)
{
    stampanti({{I(2), T("PDF HOTEL 2")}, {I(3), T("LASER 3")}});
    auto menu = nuovoMenu();
    EXPECT_EQ(menu->exec(), QDialog::Rejected);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_TRUE(stampe.isEmpty());
    EXPECT_EQ(anteprime, 0);
    EXPECT_TRUE(menu->destinazioni().isEmpty());
}

TEST_F(MenuStampaProva, ArchivioStampantiMancanteMessaggioEChiusura)
{
    ASSERT_TRUE(QFile::remove("Stampanti.mdb"));
    auto menu = nuovoMenu();
    QString testo, titolo;
    QMessageBox::Icon icona = QMessageBox::NoIcon;
    pc::prova::quandoAppare<QMessageBox>([&](QMessageBox *box) {
        testo = box->text();
        titolo = box->windowTitle();
        icona = box->icon();
        box->accept();
    });
    EXPECT_EQ(menu->exec(), QDialog::Rejected);
    EXPECT_TRUE(testo.contains(QStringLiteral("Stampanti.mdb"))) << testo.toStdString();
    EXPECT_EQ(icona, QMessageBox::Warning);
    EXPECT_FALSE(titolo.isEmpty());
    EXPECT_TRUE(stampe.isEmpty());
}

TEST_F(MenuStampaProva, TabellaStampantiMancanteMessaggioEChiusura)
{
    pc::demo::scriviArchivio("Stampanti.mdb", {{"SetStampa", pc::demo::colonneSuite("SetStampa"), {}}});
    auto menu = nuovoMenu();
    QString testo;
    pc::prova::quandoAppare<QMessageBox>([&](QMessageBox *box) {
        testo = box->text();
        box->accept();
    });
    EXPECT_EQ(menu->exec(), QDialog::Rejected);
    EXPECT_TRUE(testo.contains(QStringLiteral("Stampanti"))) << testo.toStdString();
}

// ---------------------------------------------------------------- buttons

TEST_F(MenuStampaProva, PdfSceglieLUltimaDestinazioneConPdfEStampa)
{
    auto menu = nuovoMenu();
    menu->show();
    menu->Tst_Click(2);
    EXPECT_EQ(stampe, QStringList{QStringLiteral("PDF RECEPTION")});
    EXPECT_EQ(menu->destinazione(), QStringLiteral("PDF RECEPTION"));
}

TEST_F(MenuStampaProva, PdfInMinuscoloNonBastaMessaggio)
{
    stampanti({{I(1), T("pdf ufficio")}, {I(2), T("PDF HOTEL 2")}});
    auto menu = nuovoMenu();
    menu->show();
    QString testo, titolo;
    QMessageBox::Icon icona = QMessageBox::NoIcon;
    QMessageBox::StandardButtons pulsanti;
    pc::prova::quandoAppare<QMessageBox>([&](QMessageBox *box) {
        testo = box->text();
        titolo = box->windowTitle();
        icona = box->icon();
        pulsanti = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(menu->Tst(2), Qt::LeftButton);
    EXPECT_EQ(testo, QStringLiteral("Nessuna stampante PDF impostata!"));
    EXPECT_EQ(titolo, QStringLiteral("Stampa"));
    EXPECT_EQ(icona, QMessageBox::Warning);
    EXPECT_EQ(pulsanti, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(stampe.isEmpty());
    EXPECT_EQ(menu->destinazione(), QStringLiteral("pdf ufficio"));
    EXPECT_TRUE(menu->isVisible());
}

TEST_F(MenuStampaProva, StampaConLaDestinazioneScelta)
{
    auto menu = nuovoMenu();
    menu->show();
    menu->Combo1()->setCurrentIndex(1);
    QTest::mouseClick(menu->Tst(3), Qt::LeftButton);
    EXPECT_EQ(stampe, QStringList{QStringLiteral("PDF UFFICIO")});
}

TEST_F(MenuStampaProva, EsciChiudeEIndiciFuoriIntervalloNonFannoNulla)
{
    auto menu = nuovoMenu();
    bool apertoDopoIndiciSbagliati = false;
    QTimer::singleShot(0, menu.get(), [&] {
        menu->Tst_Click(6);
        menu->Tst_Click(-1);
        apertoDopoIndiciSbagliati = menu->isVisible();
        QTest::mouseClick(menu->Tst(5), Qt::LeftButton);
    });
    EXPECT_EQ(menu->exec(), QDialog::Rejected);
    EXPECT_TRUE(apertoDopoIndiciSbagliati);
    EXPECT_TRUE(stampe.isEmpty());
    EXPECT_EQ(anteprime, 0);
    EXPECT_TRUE(desktop.fileAperti.isEmpty());
}

// ---------------------------------------------------------------- window

TEST_F(MenuStampaProva, FinestraFissaConLeMisureDiProgetto)
{
    auto menu = nuovoMenu();
    menu->show();
    EXPECT_EQ(menu->windowTitle(), QStringLiteral("Stampe non modificabili"));
    EXPECT_TRUE(menu->isModal());
    auto *frame = menu->findChild<QGroupBox *>(QStringLiteral("SSFrame1"));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), QStringLiteral("Selezione "));
    EXPECT_TRUE(frame->font().bold());
    EXPECT_EQ(menu->findChild<QLabel *>(QStringLiteral("Label1_1"))->text(), QStringLiteral("Virtuale "));
    EXPECT_EQ(menu->findChild<QLabel *>(QStringLiteral("Label1_0"))->text(), QStringLiteral("Stampante "));
    EXPECT_EQ(menu->Chk()->text(), QStringLiteral("Stampa Compressa"));
    EXPECT_EQ(menu->Chk2()->text(), QStringLiteral("Stampa orizzontale"));
    EXPECT_EQ(menu->Chk3()->text(), QStringLiteral("Stampa fronte / retro"));
    EXPECT_FALSE(menu->Combo1()->isEditable());
    EXPECT_FALSE(menu->Combo2()->isEditable());
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(menu->Tst(i)->text().isEmpty()) << i;
        EXPECT_FALSE(menu->Tst(i)->icon().isNull()) << i;
    }
    EXPECT_EQ(menu->minimumSize(), menu->maximumSize());   // cannot be resized
    // Every caption fits its place, whatever face stands in for the designed one.
    for (QWidget *w : std::initializer_list<QWidget *>{menu->Chk(), menu->Chk2(), menu->Chk3()})
        EXPECT_LE(w->sizeHint().width(), w->width()) << w->objectName().toStdString();
    if (menu->logicalDpiX() != 96 || menu->logicalDpiY() != 96) GTEST_SKIP() << "pixel checks are for 96 dpi";
    EXPECT_EQ(menu->size(), QSize(426, 189));
    EXPECT_EQ(frame->geometry(), QRect(8, 0, 413, 182));
    EXPECT_EQ(menu->Combo1()->geometry(), QRect(88, 24, 313, 22));
    EXPECT_EQ(menu->Combo2()->geometry(), QRect(88, 80, 313, 22));
    EXPECT_EQ(menu->Chk2()->geometry(), QRect(136, 56, 132, 18));
    const int sinistre[6] = {144, 208, 272, 8, 72, 344};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(menu->Tst(i)->geometry(), QRect(sinistre[i], 112, 57, 57)) << i;
    // Centred on the screen.
    const QRect schermo = menu->screen()->geometry();
    EXPECT_EQ(menu->pos(), QPoint((schermo.width() - 426) / 2, (schermo.height() - 189) / 2));
}

TEST_F(MenuStampaProva, OrdineDiTabulazione)
{
    auto menu = nuovoMenu();
    menu->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(menu.get()));
    std::vector<QWidget *> attesi = {menu->Combo1(), menu->Chk(), menu->Chk2(), menu->Chk3()};
    for (int i = 0; i < 6; ++i) attesi.push_back(menu->Tst(i));
    attesi.push_back(menu->Combo2());
    EXPECT_EQ(QApplication::focusWidget(), attesi[0]);
    for (std::size_t i = 1; i < attesi.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), attesi[i]) << "posto " << i;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), attesi[0]);   // back to the first
}

TEST_F(MenuStampaProva, Immagine)
{
    auto menu = nuovoMenu();
    menu->show();
    const QImage img = menu->grab().toImage();
    ASSERT_FALSE(img.isNull());
    if (!qEnvironmentVariableIsEmpty("PC_CARTELLA_IMMAGINI"))
        img.save(qEnvironmentVariable("PC_CARTELLA_IMMAGINI") + QStringLiteral("/menustampa.png"));
    // The PDF picture carries its red band; the printer picture does not.
    const QImage pdf = menu->Tst(2)->icon().pixmap(48, 48).toImage();
    const QImage stampante = menu->Tst(3)->icon().pixmap(48, 48).toImage();
    ASSERT_EQ(pdf.size(), QSize(48, 48));
    EXPECT_EQ(pdf.pixelColor(7, 27), QColor(200, 30, 30));
    EXPECT_NE(stampante.pixelColor(7, 27), QColor(200, 30, 30));
}

// ---------------------------------------------------------------- the shared test hotel

TEST_F(MenuStampaProva, AlbergoDiProvaCondivisoSqliteEJet)
{
    const QString base = QStringLiteral(PC_DATI_PROVA "/hotel-jet");
    for (const char *tipo : {"sqlite", "jet"}) {
        for (const char *file : {"Stampanti.mdb", "AnagraficaHotels.mdb"}) {
            QFile::remove(QLatin1String(file));
            ASSERT_TRUE(QFile::copy(base + "/" + tipo + "/" + file, QLatin1String(file))) << tipo << file;
        }
        QString messaggio;
        pc::prova::quandoAppare<QMessageBox>([&](QMessageBox *box) {
            messaggio = box->text();
            box->accept();
        });
        auto menu = nuovoMenu();
        menu->show();
        // Hotel 1's three destinations in table order (the third is an empty
        // text), hotel 2's left out; the code of hotel 1.
        EXPECT_EQ(menu->destinazioni(), QStringList({QStringLiteral("LPT1"), QStringLiteral("FILE"), QString()})) << tipo;
        EXPECT_EQ(menu->destinazione(), QStringLiteral("LPT1")) << tipo;
        EXPECT_EQ(menu->codiceAssistenza(), QStringLiteral("AS-0001")) << tipo;
        EXPECT_TRUE(messaggio.isEmpty()) << tipo << ": " << messaggio.toStdString();
        menu->hide();
    }
}

} // namespace pc::prova
