#include "ErroreDati.h"
#include "Valore.h"
#include "Valuta.h"

#include <gtest/gtest.h>

namespace pc::prova {

using pc::dati::Valore;
using pc::dati::Valuta;

namespace {

std::int64_t grezzo(const char *t)
{
    auto v = Valuta::daTesto(t);
    EXPECT_TRUE(v.has_value()) << t;
    return v ? v->grezzo() : 0;
}

} // namespace

TEST(Valuta, LetturaDaTesto)
{
    EXPECT_EQ(grezzo("8.5300"), 85300);
    EXPECT_EQ(grezzo("1.0005"), 10005);
    EXPECT_EQ(grezzo("1234567.891"), 12345678910);
    EXPECT_EQ(grezzo("-9.99"), -99900);
    EXPECT_EQ(grezzo("+3"), 30000);
    EXPECT_EQ(grezzo("1e3"), 10000000);
    EXPECT_EQ(grezzo(" 0.3 "), 3000);
    EXPECT_EQ(grezzo(".5"), 5000);
    EXPECT_FALSE(Valuta::daTesto("").has_value());
    EXPECT_FALSE(Valuta::daTesto("abc").has_value());
    EXPECT_FALSE(Valuta::daTesto("1,5").has_value());
    EXPECT_FALSE(Valuta::daTesto("12a").has_value());
    EXPECT_FALSE(Valuta::daTesto(".").has_value());
}

TEST(Valuta, ArrotondamentoMetaLontanoDaZero)
{
    EXPECT_EQ(grezzo("0.00005"), 1);
    EXPECT_EQ(grezzo("-0.00005"), -1);
    EXPECT_EQ(grezzo("0.000049"), 0);
    EXPECT_EQ(grezzo("2.99995"), 30000);
    EXPECT_EQ(Valuta::daGrezzo(5).formatta(3), "0.001");
    EXPECT_EQ(Valuta::daGrezzo(-5).formatta(3), "-0.001");
    EXPECT_EQ(Valuta::daGrezzo(4).formatta(3), "0.000");
    EXPECT_EQ(Valuta::daGrezzo(-4).formatta(3), "0.000");   // no "-0.000"
    EXPECT_EQ(Valuta::daGrezzo(12345).formatta(2, ','), "1,23");
    EXPECT_EQ(Valuta::daGrezzo(12350).formatta(2, ','), "1,24");
    EXPECT_EQ(Valuta::daGrezzo(-12350).formatta(2), "-1.24");
    EXPECT_EQ(Valuta::daGrezzo(12345678910).formatta(2), "1234567.89");
    EXPECT_EQ(Valuta::daGrezzo(10005).formatta(4), "1.0005");
    EXPECT_EQ(Valuta::daGrezzo(-99900).formatta(0), "-10");
}

TEST(Valuta, DaDoubleTieneLaFormaDecimaleBreve)
{
    EXPECT_EQ(Valuta::daDouble(1.0005)->grezzo(), 10005);
    EXPECT_EQ(Valuta::daDouble(0.1 + 0.2)->grezzo(), 3000);
    EXPECT_EQ(Valuta::daDouble(1234567.891)->grezzo(), 12345678910);
    EXPECT_EQ(Valuta::daDouble(-15.0)->grezzo(), -150000);
    EXPECT_FALSE(Valuta::daDouble(1e300).has_value());
}

TEST(Valuta, Traboccamento)
{
    EXPECT_FALSE(Valuta::daTesto("922337203685478").has_value());
    EXPECT_EQ(grezzo("922337203685477.5807"), INT64_MAX);
    EXPECT_EQ(grezzo("-922337203685477.5808"), INT64_MIN);
    EXPECT_EQ(Valuta::daGrezzo(INT64_MIN).formatta(4), "-922337203685477.5808");
    EXPECT_THROW(Valuta::daIntero(INT64_MAX / 1000), pc::dati::ErroreDati);
    Valuta v = Valuta::daGrezzo(INT64_MAX);
    EXPECT_THROW(v += Valuta::daGrezzo(1), pc::dati::ErroreDati);
    EXPECT_EQ((Valuta::daIntero(2) + Valuta::daGrezzo(-5)).grezzo(), 19995);
}

TEST(Valore, TestoEValuta)
{
    EXPECT_EQ(Valore::intero(-12).inTesto(), "-12");
    EXPECT_EQ(Valore::valuta(Valuta::daGrezzo(85300)).inTesto(), "8.53");
    EXPECT_EQ(Valore::valuta(Valuta::daGrezzo(20000)).inTesto(), "2");
    EXPECT_EQ(Valore::reale(0.5).inTesto(), "0.5");
    EXPECT_EQ(Valore().inTesto(), "");
    EXPECT_EQ(Valore::intero(3).inValuta()->grezzo(), 30000);
    EXPECT_EQ(Valore::reale(1.0005).inValuta()->grezzo(), 10005);
    EXPECT_EQ(Valore::testo("-9.99").inValuta()->grezzo(), -99900);
    EXPECT_FALSE(Valore::testo("dieci").inValuta().has_value());
    EXPECT_FALSE(Valore().inValuta().has_value());
    EXPECT_FALSE(Valore::intero(INT64_MAX).inValuta().has_value());
}

} // namespace pc::prova
