#include "AiutiAnteprima.h"
#include "EMail.h"
#include "ErroreDati.h"

#include <gtest/gtest.h>

using namespace pc;
using namespace pc::prova;

namespace {

TEST(FileEMail, NomeDallaPostazione)
{
    {
        CartellaDiLavoro cartella("3");
        EXPECT_EQ(nomeFileEMail(), "e-mail3.txt");
    }
    {
        CartellaDiLavoro cartella(nullptr);
        EXPECT_EQ(nomeFileEMail(), "e-mail.txt");
    }
}

TEST(FileEMail, OggettoPaginaEUnaRigaVuota)
{
    CartellaDiLavoro cartella;
    scriviFileEMail(QStringLiteral("AB\nCD\n"));
    EXPECT_EQ(leggiByte("e-mail3.txt"), "OGGETTO\r\nAB\r\nCD\r\n\r\n");
}

TEST(FileEMail, AreaDiTestoVuota)
{
    CartellaDiLavoro cartella;
    scriviFileEMail(QString());
    EXPECT_EQ(leggiByte("e-mail3.txt"), "OGGETTO\r\n\r\n");
}

TEST(FileEMail, DueInviiDiSeguitoLascianoSoloIlSecondo)
{
    CartellaDiLavoro cartella;
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
    CartellaDiLavoro cartella;
    ASSERT_TRUE(QDir().mkdir("e-mail3.txt"));
    EXPECT_THROW(scriviFileEMail(QStringLiteral("x")), ErroreDati);
}

} // namespace
