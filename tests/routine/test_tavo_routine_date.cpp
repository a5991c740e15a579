// Text and date routines of the date boxes.
#include "TavoRoutineDate.h"

#include "Calendario.h"
#include "DateReport.h"

#include <gtest/gtest.h>

#include <ostream>

namespace pc::prova {

// Readable QStrings in failure messages.
inline void PrintTo(const QString &testo, std::ostream *os) { *os << '"' << testo.toStdString() << '"'; }

using namespace pc::TavoRoutine;

namespace {

const QLocale italiano(QLocale::Italian, QLocale::Italy);
const QLocale inglese(QLocale::English, QLocale::UnitedStates);

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

// Today fixed for the length of a test.
struct Oggi {
    explicit Oggi(int anno, int mese, int giorno) { pc::dati::calendario::impostaOggi(pc::dati::calendario::seriale(anno, mese, giorno)); }
    ~Oggi() { pc::dati::calendario::ripristinaOggi(); }
};

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
    // yy is 20yy when that is at most twenty years after the current year, else 19yy.
    struct Caso {
        int annoCorrente;
        const char *scritto, *completo;
    };
    for (const Caso c : {Caso{2026, "010312", "01/03/2012"}, Caso{2026, "010399", "01/03/1999"}, Caso{2026, "010319", "01/03/2019"},
                         Caso{2026, "010320", "01/03/2020"}, Caso{2026, "010300", "01/03/2000"}, Caso{2026, "010326", "01/03/2026"},
                         Caso{2026, "010346", "01/03/2046"}, Caso{2026, "010347", "01/03/1947"}, Caso{2081, "010399", "01/03/2099"},
                         Caso{1995, "010315", "01/03/2015"}, Caso{1995, "010316", "01/03/1916"}}) {
        Oggi oggi(c.annoCorrente, 12, 31);
        EXPECT_EQ(CompletaData(q(c.scritto)), q(c.completo)) << c.annoCorrente << " " << c.scritto;
        // The batch commands read the same two digits the same way.
        const std::string corto = std::string(c.scritto).substr(0, 2) + "/" + std::string(c.scritto).substr(2, 2) + "/"
                                  + std::string(c.scritto).substr(4, 2);
        EXPECT_EQ(pc::Giorno::leggi(corto)->ggmmaaaa(), c.completo) << c.annoCorrente << " " << corto;
    }
}

TEST(CompletaData, SeiCaratteriQualsiasiSonoLettiComeGgMmAa)
{
    Oggi oggi(2026, 12, 8);
    // The year piece is read by its leading number: "ab" is 0, "5x" is 5.
    EXPECT_EQ(CompletaData(q("0103ab")), q("01/03/20ab"));
    EXPECT_EQ(CompletaData(q("01035x")), q("01/03/205x"));
    EXPECT_EQ(CompletaData(q("abcd55")), q("ab/cd/1955"));
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
    EXPECT_EQ(DataValida(q("29/02/2000")), 1);   // divisible by 400
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
    EXPECT_EQ(DataValida(q("29/02/1900")), 0);   // a century not divisible by 400
}

TEST(DataValida, LunghezzaDiversaDaDieciSenzaGliSpaziIntorno)
{
    EXPECT_EQ(DataValida(q("")), 0);
    EXPECT_EQ(DataValida(q(" ")), 0);
    EXPECT_EQ(DataValida(q("1/3/2012")), 0);
    EXPECT_EQ(DataValida(q("01/03/20120")), 0);
    EXPECT_EQ(DataValida(q("  01/03/2012  ")), 1);
}

TEST(DataValida, LaStessaLetturaDelReport)
{
    // Accepted exactly when the report reads the text as a date from 1900 on.
    struct Caso {
        const char *testo;
        short valida;
    };
    for (const Caso c : {Caso{"01-03-2012", 1}, Caso{"01.03.2012", 1}, Caso{"01 03 2012", 1}, Caso{"01x03y2012", 0},
                         Caso{"1 /3 /2012", 0}, Caso{" 9 /12/2012", 0}, Caso{"9 /12/2012", 0}, Caso{"a1/03/2012", 0},
                         Caso{"01/03/2o12", 0}, Caso{"-1/03/2012", 0}, Caso{"01/03/ 2012", 0}, Caso{"1/3/12345", 0}}) {
        EXPECT_EQ(DataValida(q(c.testo)), c.valida) << c.testo;
        const auto g = pc::Giorno::leggi(c.testo);
        EXPECT_EQ(g.has_value() && g->anno() >= 1900, c.valida == 1) << c.testo;
    }
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

TEST(AnnoBisestile, RegolaGregorianaCompleta)
{
    for (short anno : {2012, 2000, 1600, 2400, 0, 2024})
        EXPECT_EQ(AnnoBisestile(anno), 1) << anno;
    for (short anno : {1900, 2100, 1800, 2011, 2013, -1})
        EXPECT_EQ(AnnoBisestile(anno), 0) << anno;
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

} // namespace pc::prova
