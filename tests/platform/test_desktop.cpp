// The real desktop layer (where it can be observed headless) and the
// replacement mechanism the windows' tests rely on.
#include "Desktop.h"
#include "DesktopRegistratore.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <gtest/gtest.h>

namespace pc::prova {

namespace {

// Receives the URLs QDesktopServices hands to the "file" scheme.
class RaccoltaUrl : public QObject {
    Q_OBJECT
public:
    QList<QUrl> ricevuti;
public slots:
    void apri(const QUrl &url) { ricevuti << url; }
};

} // namespace

TEST(DesktopPrimoPiano, FinestraGiaMostrataInExecRestaApertaESopra)
{
    QDialog dlg;
    dlg.resize(200, 100);
    bool visibileDopo = false;
    bool flagNativo = false;
    QTimer::singleShot(0, &dlg, [&] {
        pc::piattaforma::desktop().tieniInPrimoPiano(&dlg);
        visibileDopo = dlg.isVisible();
        flagNativo = dlg.windowHandle() && dlg.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
        dlg.done(42);
    });
    // Hiding the dialog would end exec() with 0 before the timer's done(42).
    EXPECT_EQ(dlg.exec(), 42);
    EXPECT_TRUE(visibileDopo);
    EXPECT_TRUE(flagNativo);
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(DesktopPrimoPiano, FinestraNonAncoraMostrataPrendeIlFlag)
{
    QWidget w;
    pc::piattaforma::desktop().tieniInPrimoPiano(&w);
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    w.show();
    ASSERT_NE(w.windowHandle(), nullptr);
    EXPECT_TRUE(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());
}

TEST(DesktopPrimoPiano, UnControlloPortaSopraLaSuaFinestra)
{
    QWidget w;
    auto *figlio = new QWidget(&w);
    pc::piattaforma::desktop().tieniInPrimoPiano(figlio);
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(figlio->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(DesktopApertura, FileEsistenteConsegnatoComeUrlAssoluto)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString percorso = dir.filePath(QStringLiteral("copia.doc"));
    QFile f(percorso);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();

    RaccoltaUrl raccolta;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &raccolta, "apri");
    const QString prima = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const bool esito = pc::piattaforma::desktop().apriConApplicazione(QStringLiteral("copia.doc"));
    QDir::setCurrent(prima);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    EXPECT_TRUE(esito);
    ASSERT_EQ(raccolta.ricevuti.size(), 1);
    EXPECT_EQ(raccolta.ricevuti[0], QUrl::fromLocalFile(percorso));
}

TEST(DesktopApertura, FileMancanteNonConsegnato)
{
    RaccoltaUrl raccolta;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &raccolta, "apri");
    EXPECT_FALSE(pc::piattaforma::desktop().apriConApplicazione(QStringLiteral("/non/esiste/fd3.doc")));
    EXPECT_FALSE(pc::piattaforma::desktop().apriConApplicazione(QString()));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(raccolta.ricevuti.isEmpty());
}

TEST(DesktopAvvio, NomeNudoCercatoNelPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A program that ends at once, under a name found nowhere else.
    ASSERT_TRUE(QFile::link(QStringLiteral("/bin/true"), dir.filePath(QStringLiteral("prova-avvio"))));

    const QByteArray pathPrima = qgetenv("PATH");
    // Not found before its folder is on PATH, found after.
    EXPECT_FALSE(pc::piattaforma::desktop().avviaProgramma(QStringLiteral("prova-avvio")));
    qputenv("PATH", QFile::encodeName(dir.path()) + ":" + pathPrima);
    EXPECT_TRUE(pc::piattaforma::desktop().avviaProgramma(QStringLiteral("prova-avvio"), {QStringLiteral("a")}));
    qputenv("PATH", pathPrima);
    EXPECT_FALSE(pc::piattaforma::desktop().avviaProgramma(QString()));
}

TEST(DesktopSostituzione, IlRegistratoreRiceveLeChiamateEPoiTornaIlReale)
{
    pc::piattaforma::Desktop *reale = &pc::piattaforma::desktop();
    {
        pc::prova::DesktopRegistratore reg({QStringLiteral("Laser 1"), QStringLiteral("PDF")});
        EXPECT_EQ(&pc::piattaforma::desktop(), &reg);
        EXPECT_EQ(pc::piattaforma::desktop().stampanti(), QStringList({QStringLiteral("Laser 1"), QStringLiteral("PDF")}));
        pc::piattaforma::desktop().apriConApplicazione(QStringLiteral("doc/fd1.doc"));
        pc::piattaforma::desktop().avviaProgramma(QStringLiteral("Zaroza.exe"), {QStringLiteral("x")});
        EXPECT_EQ(reg.fileAperti, QStringList{QStringLiteral("doc/fd1.doc")});
        ASSERT_EQ(reg.programmiAvviati.size(), 1u);
        EXPECT_EQ(reg.programmiAvviati[0].programma, QStringLiteral("Zaroza.exe"));
        EXPECT_EQ(reg.programmiAvviati[0].argomenti, QStringList{QStringLiteral("x")});
    }
    EXPECT_EQ(&pc::piattaforma::desktop(), reale);
}

} // namespace pc::prova

#include "test_desktop.moc"
