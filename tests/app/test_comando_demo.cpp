#include "ComandiBatch.h"
#include "GeneratoreAlbergo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using pc::batch::comandoDemo;

namespace {

QByteArray contenuto(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void scrivi(const QString &file, const QByteArray &dati)
{
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(dati);
}

int demo(const std::vector<std::string> &argomenti, std::string *uscita = nullptr, std::string *errori = nullptr)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int codice = comandoDemo(argomenti);
    const std::string o = testing::internal::GetCapturedStdout();
    const std::string e = testing::internal::GetCapturedStderr();
    if (uscita) *uscita = o;
    if (errori) *errori = e;
    return codice;
}

} // namespace

TEST(ComandoDemo, CreaGliArchiviEDiceComeUsarli)
{
    QTemporaryDir radice;
    const QString cartella = radice.filePath("nuova/albergo");   // missing folders are created
    std::string uscita;
    ASSERT_EQ(demo({cartella.toStdString()}, &uscita), 0);
    for (const auto &f : pc::strumenti::fileAlbergo())
        EXPECT_TRUE(contenuto(cartella + "/" + QString::fromStdString(f)).startsWith("SQLite format 3")) << f;
    EXPECT_NE(uscita.find("DIRKV=" + cartella.toStdString() + "/storico"), std::string::npos) << uscita;
    EXPECT_NE(uscita.find(" stampa --dal "), std::string::npos) << uscita;
    EXPECT_NE(uscita.find("cd " + cartella.toStdString()), std::string::npos) << uscita;
}

TEST(ComandoDemo, DueVolteGliStessiByte)
{
    QTemporaryDir a, b;
    ASSERT_EQ(demo({a.path().toStdString()}), 0);
    ASSERT_EQ(demo({b.path().toStdString()}), 0);
    for (const auto &f : pc::strumenti::fileAlbergo()) {
        const QString nome = QString::fromStdString(f);
        const QByteArray x = contenuto(a.filePath(nome));
        EXPECT_FALSE(x.isEmpty()) << f;
        EXPECT_EQ(x, contenuto(b.filePath(nome))) << f;
    }
}

TEST(ComandoDemo, RifiutaUnaCartellaConArchiviDiAlbergo)
{
    for (const char *presente : {"NumeriCamere.mdb", "storico/ContoStoricoClienti.mdb"}) {
        QTemporaryDir d;
        const QString file = d.filePath(presente);
        scrivi(file, "archivio dell'albergo vero");
        std::string errori;
        EXPECT_EQ(demo({d.path().toStdString()}, nullptr, &errori), 1) << presente;
        EXPECT_NE(errori.find(presente), std::string::npos) << errori;
        EXPECT_NE(errori.find("--sovrascrivi"), std::string::npos) << errori;
        EXPECT_EQ(contenuto(file), "archivio dell'albergo vero") << "the existing file was touched";
        EXPECT_FALSE(QFile::exists(d.filePath("Scheda_Cliente.mdb"))) << "something was written after the refusal";
    }
}

TEST(ComandoDemo, SovrascriveSoloSeRichiesto)
{
    QTemporaryDir d;
    scrivi(d.filePath("NumeriCamere.mdb"), "vecchio");
    scrivi(d.filePath("fd1"), "report precedente");   // not a hotel file: left alone
    ASSERT_EQ(demo({d.path().toStdString(), "--sovrascrivi"}), 0);
    EXPECT_TRUE(contenuto(d.filePath("NumeriCamere.mdb")).startsWith("SQLite format 3"));
    EXPECT_EQ(contenuto(d.filePath("fd1")), "report precedente");
}

TEST(ComandoDemo, ArgomentiSbagliati)
{
    QTemporaryDir d;
    EXPECT_EQ(demo({}), 2);
    EXPECT_EQ(demo({d.filePath("a").toStdString(), d.filePath("b").toStdString()}), 2);
    EXPECT_EQ(demo({d.path().toStdString(), "--forza"}), 2);
    scrivi(d.filePath("un-file"), "x");
    std::string errori;
    EXPECT_EQ(demo({d.filePath("un-file").toStdString()}, nullptr, &errori), 1);
    EXPECT_NE(errori.find("non \xC3\xA8 una cartella"), std::string::npos) << errori;
    EXPECT_FALSE(QFile::exists(d.filePath("a/NumeriCamere.mdb")));
}
