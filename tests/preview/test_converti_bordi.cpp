#include "ConvertiBordi.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using pc::anteprima::ConvertiBordi;

namespace pc::prova {

namespace {

std::string converti(std::string s) { return pc::anteprima::ConvertiBordi(s); }

std::string carattere(int codice) { return std::string(1, static_cast<char>(codice)); }

// The upper-case accented vowels and their lower-case forms (Windows-1252).
const std::map<int, int> vocali = {{192, 224}, {200, 232}, {201, 233}, {204, 236}, {217, 249}, {210, 242}};
const std::set<int> trattini = {187, 188, 191, 193, 194, 196, 197, 202, 203, 206, 218};
const std::set<int> sbarre = {179, 180, 183, 186, 195};

TEST(ConvertiBordi, VocaliMaiuscoleAccentateDiventanoMinuscole)
{
    for (const auto &[maiuscola, minuscola] : vocali)
        EXPECT_EQ(converti(carattere(maiuscola)), carattere(minuscola)) << "codice " << maiuscola;
}

TEST(ConvertiBordi, LineeOrizzontaliAngoliEGiuntiDiventanoTrattini)
{
    for (int c : trattini) EXPECT_EQ(converti(carattere(c)), "-") << "codice " << c;
}

TEST(ConvertiBordi, LineeVerticaliEGiuntiLateraliDiventanoSbarre)
{
    for (int c : sbarre) EXPECT_EQ(converti(carattere(c)), "|") << "codice " << c;
}

TEST(ConvertiBordi, GliAngoliInBassoSonoVocaliPercheLeVocaliVengonoPrima)
{
    // 192 and 217 are the lower corners of the table, but the accent rules win.
    EXPECT_EQ(converti("\xC0\xC4\xD9"), "\xE0-\xF9");
}

TEST(ConvertiBordi, OgniAltroCodiceRestaComE)
{
    for (int c = 0; c < 256; ++c) {
        if (vocali.count(c) || trattini.count(c) || sbarre.count(c)) continue;
        EXPECT_EQ(converti(carattere(c)), carattere(c)) << "codice " << c;
    }
    // Named cases: small accented vowels, the bold marker, double horizontal.
    EXPECT_EQ(converti("\xF2\xE0\xE7\xCD"), "\xF2\xE0\xE7\xCD");
}

TEST(ConvertiBordi, RigaVuotaELunghezzaInvariata)
{
    EXPECT_EQ(converti(""), "");
    std::string riga = "\xB3" "01/03/2012\xB3   1234,50\xB3\x00\xC5" "fine";
    riga += std::string(80, '\xC4');
    const std::string convertita = converti(riga);
    EXPECT_EQ(convertita.size(), riga.size());
    EXPECT_EQ(convertita.substr(0, 12), "|01/03/2012|");
}

TEST(ConvertiBordi, RiscriveLaRigaERestituisceLaStessa)
{
    std::string riga = "\xDA\xC4\xBF";
    std::string &risultato = pc::anteprima::ConvertiBordi(riga);
    EXPECT_EQ(&risultato, &riga);
    EXPECT_EQ(riga, "---");
}

} // namespace

} // namespace pc::prova
