#include "AiutiAnteprima.h"
#include "EMail.h"
#include "ErroreDati.h"

#include <gtest/gtest.h>

using pc::anteprima::contenutoFileEMail;
using pc::anteprima::nomeFileEMail;
using pc::anteprima::scriviFileEMail;
using pc::dati::ErroreDati;

using namespace pc;
using namespace pc::prova;

namespace {

TEST(FileEMail, NomeDallaPostazione)
{
    {
        CartellaProva cartella({.pcLocal = "3"});
        EXPECT_EQ(nomeFileEMail(), "e-mail3.txt");
    }
    {
        CartellaProva cartella(CartellaProva::Lavoro{});
        EXPECT_EQ(nomeFileEMail(), "e-mail.txt");
    }
}

TEST(FileEMail, OggettoPaginaEUnaRigaVuota)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviFileEMail(QStringLiteral("AB\nCD\n"));
    EXPECT_EQ(leggiByte("e-mail3.txt"), "OGGETTO\r\nAB\r\nCD\r\n\r\n");
}

TEST(FileEMail, AreaDiTestoVuota)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviFileEMail(QString());
    EXPECT_EQ(leggiByte("e-mail3.txt"), "OGGETTO\r\n\r\n");
}

TEST(FileEMail, DueInviiDiSeguitoLascianoSoloIlSecondo)
{
    CartellaProva cartella({.pcLocal = "3"});
    scriviFileEMail(QStringLiteral("prima pagina, molto pi\u00F9 lunga della seconda\n"));
    scriviFileEMail(QStringLiteral("seconda\n"));
    EXPECT_EQ(leggiByte("e-mail3.txt"), "OGGETTO\r\nseconda\r\n\r\n");
}

TEST(FileEMail, Windows1252EFineRigaCrLf)
{
    // Accents in Windows-1252, a character it lacks as '?', any line end as CR LF.
    EXPECT_EQ(contenutoFileEMail(QStringLiteral("caff\u00E8 \u20AC\r\n\u2192\rx\u2029y")),
              "OGGETTO\r\ncaff\xE8 \x80\r\n?\r\nx\r\ny\r\n");
}

TEST(FileEMail, FileNonScrivibileEUnErrore)
{
    CartellaProva cartella({.pcLocal = "3"});
    ASSERT_TRUE(QDir().mkdir("e-mail3.txt"));
    EXPECT_THROW(scriviFileEMail(QStringLiteral("x")), ErroreDati);
}

} // namespace
