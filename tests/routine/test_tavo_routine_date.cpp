// Text and date routines of the date boxes.
#include "TavoRoutineDate.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable QStrings in failure messages.
inline void PrintTo(const QString &testo, std::ostream *os) { *os << '"' << testo.toStdString() << '"'; }

using namespace pc::TavoRoutine;

namespace {

const QLocale italiano(QLocale::Italian, QLocale::Italy);
const QLocale inglese(QLocale::English, QLocale::UnitedStates);

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

// ---------------------------------------------------------------- PulisciTesto

TEST(PulisciTesto, Modo0ApostrofoDiventaAccentoAcutoELettereMaiuscole)
{
    EXPECT_EQ(PulisciTesto(q("l'albergo d'Italia"), 0), q("L\u00b4ALBERGO D\u00b4ITALIA"));
    EXPECT_EQ(PulisciTesto(q("citt\u00e0"), 0), q("CITT\u00c0"));
    // Everything else stays, digits and separators included.
    EXPECT_EQ(PulisciTesto(q("01/03-2012 x"), 0), q("01/03-2012 X"));
    // The accent is the Windows-1252 byte 180.
    EXPECT_EQ(PulisciTesto(q("'"), 0).toLatin1(), QByteArray("\xB4"));
}

TEST(PulisciTesto, TestoVuotoDaUnoSpazioInModo0EZeroNeiModiNumerici)
{
    EXPECT_EQ(PulisciTesto(QString(), 0), q(" "));
    EXPECT_EQ(PulisciTesto(QString(), 1), q("0"));
    EXPECT_EQ(PulisciTesto(QString(), 2), q("0"));
    EXPECT_EQ(PulisciTesto(q("abc"), 1), q("0"));
    EXPECT_EQ(PulisciTesto(q("abc"), 2), q("0"));
}

TEST(PulisciTesto, Modo1TieneSoloCifreVirgolaEMeno)
{
    EXPECT_EQ(PulisciTesto(q("1a,2-3"), 1), q("1,2-3"));
    EXPECT_EQ(PulisciTesto(q("\u20ac 1.234,50 '"), 1), q("1234,50"));
    EXPECT_EQ(PulisciTesto(q("+7 x 9/"), 1), q("79"));
}

TEST(PulisciTesto, Modo2RaggruppaLeMigliaiaColSeparatoreDellaLocalita)
{
    EXPECT_EQ(PulisciTesto(q("1234567"), 2, italiano), q("1.234.567"));
    EXPECT_EQ(PulisciTesto(q("1234567"), 2, inglese), q("1,234,567"));
    EXPECT_EQ(PulisciTesto(q("999"), 2, italiano), q("999"));
    EXPECT_EQ(PulisciTesto(q("1000"), 2, italiano), q("1.000"));
    EXPECT_EQ(PulisciTesto(q("0001000"), 2, italiano), q("1.000"));
    EXPECT_EQ(PulisciTesto(q("-1234"), 2, italiano), q("-1.234"));
    // Longer than any 64-bit number: still exact.
    EXPECT_EQ(PulisciTesto(q("123456789012345678901"), 2, italiano), q("123.456.789.012.345.678.901"));
    // The default is the system locale.
    const QString sep = QLocale::system().groupSeparator();
    EXPECT_EQ(PulisciTesto(q("12345"), 2), q("12") + sep + q("345"));
}

TEST(PulisciTesto, Modo2ArrotondaAlNumeroInteroConLaVirgolaDecimale)
{
    EXPECT_EQ(PulisciTesto(q("1234,49"), 2, italiano), q("1.234"));
    EXPECT_EQ(PulisciTesto(q("1234,5"), 2, italiano), q("1.235"));
    EXPECT_EQ(PulisciTesto(q("999,5"), 2, italiano), q("1.000"));
    EXPECT_EQ(PulisciTesto(q("-2,5"), 2, italiano), q("-3"));
    EXPECT_EQ(PulisciTesto(q("-0,4"), 2, italiano), q("0"));
    EXPECT_EQ(PulisciTesto(q(",7"), 2, italiano), q("1"));
    // Where the comma groups thousands, it is no decimal point.
    EXPECT_EQ(PulisciTesto(q("1,234,5"), 2, inglese), q("12,345"));
}

TEST(PulisciTesto, Modo2LasciaComeRipulitoCioCheNonENumero)
{
    EXPECT_EQ(PulisciTesto(q("1-2"), 2, italiano), q("1-2"));
    EXPECT_EQ(PulisciTesto(q("1,2,3"), 2, italiano), q("1,2,3"));
    EXPECT_EQ(PulisciTesto(q("--"), 2, italiano), q("--"));
}

// ---------------------------------------------------------------- CompletaData

TEST(CompletaData, SeiCifreConLaRegolaDelSecolo)
{
    EXPECT_EQ(CompletaData(q("010312")), q("01/03/2012"));
    EXPECT_EQ(CompletaData(q("010399")), q("01/03/1999"));
    EXPECT_EQ(CompletaData(q("010319")), q("01/03/2019"));
    EXPECT_EQ(CompletaData(q("010320")), q("01/03/1920"));
    EXPECT_EQ(CompletaData(q("010300")), q("01/03/2000"));
}

TEST(CompletaData, SeiCaratteriQualsiasiSonoLettiComeGgMmAa)
{
    // The year piece is read by its leading number: "ab" is 0, "5x" is 5.
    EXPECT_EQ(CompletaData(q("0103ab")), q("01/03/20ab"));
    EXPECT_EQ(CompletaData(q("01035x")), q("01/03/205x"));
    EXPECT_EQ(CompletaData(q("abcd25")), q("ab/cd/1925"));
}

TEST(CompletaData, OttoCaratteriSonoSempreGgMmAaaa)
{
    EXPECT_EQ(CompletaData(q("01032012")), q("01/03/2012"));
    EXPECT_EQ(CompletaData(q("1/3/2012")), q("1//3//2012"));
}

TEST(CompletaData, AltreLunghezzeRestanoInvariate)
{
    for (const char *t : {"", " ", "1", "01032", "0103201", "010320121", "01/03/2012", "1/3/2"})
        EXPECT_EQ(CompletaData(q(t)), q(t)) << t;
}

// ----------------------------------------------------------------- DataValida

TEST(DataValida, DateCorretteEBisestili)
{
    EXPECT_EQ(DataValida(q("01/03/2012")), 1);
    EXPECT_EQ(DataValida(q("29/02/2012")), 1);
    EXPECT_EQ(DataValida(q("29/02/1900")), 1);   // no century rule
    EXPECT_EQ(DataValida(q("31/12/1900")), 1);
    EXPECT_EQ(DataValida(q("31/01/2026")), 1);
    EXPECT_EQ(DataValida(q("30/04/2012")), 1);
}

TEST(DataValida, DateImpossibili)
{
    EXPECT_EQ(DataValida(q("29/02/2011")), 0);
    EXPECT_EQ(DataValida(q("31/04/2012")), 0);
    EXPECT_EQ(DataValida(q("01/13/2012")), 0);
    EXPECT_EQ(DataValida(q("01/00/2012")), 0);
    EXPECT_EQ(DataValida(q("00/03/2012")), 0);
    EXPECT_EQ(DataValida(q("32/01/2012")), 0);
    EXPECT_EQ(DataValida(q("01/01/1899")), 0);
}

TEST(DataValida, LunghezzaDiversaDaDieciSenzaGliSpaziIntorno)
{
    EXPECT_EQ(DataValida(q("")), 0);
    EXPECT_EQ(DataValida(q(" ")), 0);
    EXPECT_EQ(DataValida(q("1/3/2012")), 0);
    EXPECT_EQ(DataValida(q("01/03/20120")), 0);
    EXPECT_EQ(DataValida(q("  01/03/2012  ")), 1);
}

TEST(DataValida, SeparatoriNonGuardatiEPezziLettiDalNumeroIniziale)
{
    EXPECT_EQ(DataValida(q("01-03-2012")), 1);
    EXPECT_EQ(DataValida(q("01x03y2012")), 1);
    EXPECT_EQ(DataValida(q("1 /3 /2012")), 1);    // "1 " reads 1
    EXPECT_EQ(DataValida(q("a1/03/2012")), 0);    // a day that starts with no number is 0
    EXPECT_EQ(DataValida(q("01/03/2o12")), 0);    // year 2: below 1900
    EXPECT_EQ(DataValida(q("-1/03/2012")), 0);
}

TEST(DataValida, RiscriveFebbraioInGiorniMese)
{
    GiorniMese[2] = 28;
    EXPECT_EQ(DataValida(q("01/01/2024")), 1);
    EXPECT_EQ(GiorniMese[2], 29);
    EXPECT_EQ(DataValida(q("01/01/2023")), 1);
    EXPECT_EQ(GiorniMese[2], 28);
    // A date refused before the year is read leaves February alone.
    GiorniMese[2] = 29;
    EXPECT_EQ(DataValida(q("01/13/2023")), 0);
    EXPECT_EQ(GiorniMese[2], 29);
}

// --------------------------------------------------------------- PeriodoValido

TEST(PeriodoValido, PrimaDataNonDopoLUltima)
{
    EXPECT_EQ(PeriodoValido(q("01/03/2012"), q("10/03/2012")), 1);
    EXPECT_EQ(PeriodoValido(q("10/03/2012"), q("10/03/2012")), 1);
    EXPECT_EQ(PeriodoValido(q("31/12/2011"), q("01/01/2012")), 1);
    EXPECT_EQ(PeriodoValido(q("28/02/2012"), q("01/03/2012")), 1);
}

TEST(PeriodoValido, PrimaDataDopoLUltima)
{
    EXPECT_EQ(PeriodoValido(q("10/03/2012"), q("01/03/2012")), 0);
    EXPECT_EQ(PeriodoValido(q("01/04/2012"), q("31/03/2012")), 0);
    EXPECT_EQ(PeriodoValido(q("01/01/2013"), q("31/12/2012")), 0);
}

TEST(PeriodoValido, TestiTagliatiADieciCaratteriEDataVuotaMaiDopo)
{
    EXPECT_EQ(PeriodoValido(q("01/03/2012xx99"), q("01/03/2012")), 1);
    EXPECT_EQ(PeriodoValido(q("02/03/2012"), q("01/03/20129")), 0);
    EXPECT_EQ(PeriodoValido(QString(), q("01/03/2012")), 1);
    EXPECT_EQ(PeriodoValido(q(" "), q("01/03/2012")), 1);
    EXPECT_EQ(PeriodoValido(q("01/03/2012"), QString()), 0);
}

// -------------------------------------------------------------- AnnoBisestile

TEST(AnnoBisestile, DivisibilePerQuattroSenzaRegolaDeiSecoli)
{
    EXPECT_EQ(AnnoBisestile(2012), 1);
    EXPECT_EQ(AnnoBisestile(2000), 1);
    EXPECT_EQ(AnnoBisestile(1900), 1);
    EXPECT_EQ(AnnoBisestile(2100), 1);
    EXPECT_EQ(AnnoBisestile(0), 1);
    EXPECT_EQ(AnnoBisestile(2011), 0);
    EXPECT_EQ(AnnoBisestile(2013), 0);
    EXPECT_EQ(AnnoBisestile(-1), 0);
}

// ------------------------------------------------------------- ValoreIniziale

TEST(ValoreIniziale, NumeroInizialeConSpaziIgnoratiESegno)
{
    EXPECT_EQ(ValoreIniziale(u"12"), 12);
    EXPECT_EQ(ValoreIniziale(u" 7"), 7);
    EXPECT_EQ(ValoreIniziale(u"1 2"), 12);
    EXPECT_EQ(ValoreIniziale(u"5x"), 5);
    EXPECT_EQ(ValoreIniziale(u"x5"), 0);
    EXPECT_EQ(ValoreIniziale(u""), 0);
    EXPECT_EQ(ValoreIniziale(u"-3"), -3);
    EXPECT_EQ(ValoreIniziale(u"+3"), 3);
    EXPECT_EQ(ValoreIniziale(u"2012"), 2012);
    EXPECT_GT(ValoreIniziale(u"99999999999999999999999999"), 0);   // saturates, no overflow
}
