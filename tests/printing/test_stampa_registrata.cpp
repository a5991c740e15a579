// The system-printer path, checked on the operations it asks of the printer.

#include "StampanteRegistrata.h"

#include "ErroreDati.h"
#include "StampaReport.h"

#include <gtest/gtest.h>

#include <algorithm>

using pc::dati::ErroreDati;
using pc::stampa::ImpostazioniStampa;
using pc::stampa::SceltaStampa;
using pc::stampa::StampaLaser;
using pc::stampa::eseguiStampa;
using pc::stampa::leggiGruppi;

namespace pc::prova {

using namespace pc;
using pc::prova::StampanteRegistrata;

namespace {

// The print type of the usual laser set-up: C1 8, C6 1, C7 10; G6 3, G7 66, G8 72.
ImpostazioniStampa laser(int lunghezzaPagina = 60)
{
    ImpostazioniStampa imp;
    imp.font = "Courier New";
    imp.lunghezzaPagina = lunghezzaPagina;
    imp.destinazione = "LASER";
    imp.tipoStampa = 1;
    imp.tipoTrovato = true;
    imp.C = leggiGruppi("008000000000000001010");
    imp.G = {0, 0, 0, 0, 0, 3, 66, 72, 0, 0, 0, 0};
    imp.margineAlto = 3;
    imp.lunghezzaRiempimento = 72;
    imp.dispositivo = "Ufficio";
    return imp;
}

std::vector<std::string> righeNumerate(int n)
{
    std::vector<std::string> r;
    for (int i = 1; i <= n; ++i) r.push_back("riga " + std::to_string(i));
    return r;
}

StampanteRegistrata stampa(const ImpostazioniStampa &imp, const SceltaStampa &scelta, const std::vector<std::string> &righe,
                           const std::string &codice = "")
{
    StampanteRegistrata st;
    eseguiStampa(imp, scelta, codice, righe, &st);
    return st;
}

} // namespace

// --- Pages, heading, margin and sizes ---

TEST(StampaSuStampante, CompressaDimensioneOttoTreRigheDiMargineECinquantasetteRighePerPagina)
{
    SceltaStampa scelta;
    scelta.destinazione = "LASER";
    scelta.compressa = true;
    const auto st = stampa(laser(), scelta, righeNumerate(100));

    ASSERT_EQ(st.pagine.size(), 2u);
    for (const auto &pagina : st.pagine) {
        // Heading line: one blank in Times New Roman at size C1.
        ASSERT_GE(pagina.righe.size(), 4u);
        ASSERT_EQ(pagina.righe[0].size(), 1u);
        EXPECT_EQ(pagina.righe[0][0].testo, " ");
        EXPECT_EQ(pagina.righe[0][0].font, "Times New Roman");
        EXPECT_DOUBLE_EQ(pagina.righe[0][0].dimensione, 8.0);
        for (int i = 1; i <= 3; ++i) {
            EXPECT_EQ(StampanteRegistrata::testo(pagina.righe[i]), " ");
            EXPECT_EQ(pagina.righe[i][0].font, "Courier New");
        }
    }
    EXPECT_EQ(st.pagine[0].righe.size(), 1u + 3u + 57u);
    EXPECT_EQ(st.pagine[1].righe.size(), 1u + 3u + 43u);
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[0].righe[4]), "riga 1");
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[0].righe.back()), "riga 57");
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[1].righe[4]), "riga 58");
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[1].righe.back()), "riga 100");
    for (const auto &pagina : st.pagine)
        for (std::size_t i = 4; i < pagina.righe.size(); ++i) {
            EXPECT_EQ(pagina.righe[i][0].font, "Courier New");
            EXPECT_DOUBLE_EQ(pagina.righe[i][0].dimensione, 8.0);
            EXPECT_FALSE(pagina.righe[i][0].grassetto);
        }
    EXPECT_TRUE(st.finito);
    EXPECT_EQ(st.operazioni.back(), "fine documento");
}

TEST(StampaSuStampante, NormaleDimensioneDieciMaIntestazioneSempreC1)
{
    SceltaStampa scelta;
    scelta.destinazione = "LASER";
    const auto st = stampa(laser(), scelta, righeNumerate(10));
    ASSERT_EQ(st.pagine.size(), 1u);
    EXPECT_DOUBLE_EQ(st.pagine[0].righe[0][0].dimensione, 8.0);
    for (std::size_t i = 4; i < st.pagine[0].righe.size(); ++i) EXPECT_DOUBLE_EQ(st.pagine[0].righe[i][0].dimensione, 10.0);
}

TEST(StampaSuStampante, PaginaRiempitaEsattamenteNonLasciaUnFoglioBianco)
{
    SceltaStampa scelta;
    const auto st = stampa(laser(), scelta, righeNumerate(57));
    ASSERT_EQ(st.pagine.size(), 1u);
    EXPECT_EQ(std::count(st.operazioni.begin(), st.operazioni.end(), "nuova pagina"), 0);
}

TEST(StampaSuStampante, RigaDiSaltoPaginaDaUnSoloSalto)
{
    SceltaStampa scelta;
    const auto st = stampa(laser(), scelta, {"prima", "\f", "seconda"});
    ASSERT_EQ(st.pagine.size(), 2u);
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[0].righe.back()), "prima");
    // The new page has its heading and margin, then the next line.
    ASSERT_EQ(st.pagine[1].righe.size(), 5u);
    EXPECT_EQ(st.pagine[1].righe[0][0].font, "Times New Roman");
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[1].righe[4]), "seconda");
}

TEST(StampaSuStampante, OrientamentoFronteRetroEStampanteScelta)
{
    SceltaStampa scelta;
    scelta.orizzontale = true;
    scelta.fronteRetro = true;
    const auto st = stampa(laser(), scelta, righeNumerate(70));
    EXPECT_EQ(st.operazioni[0], "stampante Ufficio");
    EXPECT_EQ(st.operazioni[1], "fronte-retro");
    EXPECT_EQ(st.operazioni[2], "orientamento 2");
    // Orientation set again right after every new page, back to portrait after the end.
    auto nuova = std::find(st.operazioni.begin(), st.operazioni.end(), "nuova pagina");
    ASSERT_NE(nuova, st.operazioni.end());
    EXPECT_EQ(*(nuova + 1), "orientamento 2");
    EXPECT_EQ(st.operazioni[st.operazioni.size() - 2], "fine documento");
    EXPECT_EQ(st.operazioni.back(), "orientamento 1");

    SceltaStampa verticale;
    const auto v = stampa(laser(), verticale, righeNumerate(3));
    EXPECT_EQ(std::count(v.operazioni.begin(), v.operazioni.end(), "fronte-retro"), 0);
    EXPECT_EQ(v.operazioni[1], "orientamento 1");
}

// --- Line cleaning ---

TEST(StampaSuStampante, RigheConvertiteSalvoCodiceK)
{
    const std::string riga = "\xC3\xC4\xC5\xB4 \xC0 \xD9";   // left tee, line, cross, right tee, corners
    SceltaStampa scelta;
    auto st = stampa(laser(), scelta, {riga}, "ABU");
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[0].righe[4]), "|--' \xE0 \xF9");
    st = stampa(laser(), scelta, {riga}, "AKU");
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[0].righe[4]), riga);
    // Small k is not the option.
    st = stampa(laser(), scelta, {riga}, "k");
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[0].righe[4]), "|--' \xE0 \xF9");
}

// --- Bold markers ---

TEST(StampaLaser, GrassettoTraDueMarcatoriPiccoloDiQuattroDecimi)
{
    StampanteRegistrata st;
    st.impostaFont("Courier New");
    st.impostaDimensione(10);
    StampaLaser("Totale \xE7" "CAMERE\xE7 12", st);
    ASSERT_EQ(st.pagine.size(), 1u);
    ASSERT_EQ(st.pagine[0].righe.size(), 1u);
    const auto &r = st.pagine[0].righe[0];
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].testo, "Totale ");
    EXPECT_FALSE(r[0].grassetto);
    EXPECT_DOUBLE_EQ(r[0].dimensione, 10.0);
    EXPECT_EQ(r[1].testo, "CAMERE");
    EXPECT_TRUE(r[1].grassetto);
    EXPECT_DOUBLE_EQ(r[1].dimensione, 9.6);
    EXPECT_EQ(r[2].testo, " 12");
    EXPECT_FALSE(r[2].grassetto);
    EXPECT_DOUBLE_EQ(r[2].dimensione, 10.0);
    EXPECT_DOUBLE_EQ(st.dimensione(), 10.0);
}

TEST(StampaLaser, MarcatoreSingoloLasciaIlGrassettoAlleRigheSeguenti)
{
    StampanteRegistrata st;
    st.impostaDimensione(8);
    StampaLaser("abc \xE7" "def", st);
    StampaLaser("ghi", st);
    const auto &righe = st.pagine[0].righe;
    ASSERT_EQ(righe.size(), 2u);
    ASSERT_EQ(righe[0].size(), 2u);
    EXPECT_EQ(righe[0][1].testo, "def");
    EXPECT_TRUE(righe[0][1].grassetto);
    EXPECT_DOUBLE_EQ(righe[0][1].dimensione, 7.6);
    ASSERT_EQ(righe[1].size(), 1u);
    EXPECT_TRUE(righe[1][0].grassetto);
    EXPECT_DOUBLE_EQ(righe[1][0].dimensione, 7.6);
    // A new marker on the next line starts from "off" again: smaller still.
    StampaLaser("\xE7x", st);
    EXPECT_DOUBLE_EQ(st.pagine[0].righe[2][1].dimensione, 7.2);
}

TEST(StampaLaser, TroppiMarcatoriSpaiatiSonoUnErroreDelReportNonDelleImpostazioni)
{
    StampanteRegistrata st;
    st.impostaDimensione(1);
    StampaLaser("\xE7" "a", st);   // 0.6 points
    StampaLaser("\xE7" "b", st);   // 0.2 points
    try {
        StampaLaser("\xE7" "c", st);
        FAIL() << "nessun errore";
    } catch (const ErroreDati &e) {
        const std::string m = e.what();
        EXPECT_NE(m.find("grassetto"), std::string::npos) << m;
        EXPECT_EQ(m.find("SetStampa"), std::string::npos) << m;
    }
}

TEST(StampaLaser, RigaVuotaStampaUnaRigaVuota)
{
    StampanteRegistrata st;
    StampaLaser("", st);
    ASSERT_EQ(st.operazioni.size(), 1u);
    EXPECT_EQ(st.operazioni[0], "scrivi \"\" a capo");
}

TEST(StampaSuStampante, GrassettoDispariProsegueSulleRigheSeguentiFinoAlSaltoPagina)
{
    // Within a page the size stays lowered; the page break sets it again.
    SceltaStampa scelta;
    auto righe = righeNumerate(58);
    righe[55] = "\xE7" "grassetto";
    const auto st = stampa(laser(), scelta, righe);
    ASSERT_EQ(st.pagine.size(), 2u);
    const auto &ultima = st.pagine[0].righe.back();   // riga 57
    EXPECT_TRUE(ultima[0].grassetto);
    EXPECT_DOUBLE_EQ(ultima[0].dimensione, 9.6);
    const auto &dopo = st.pagine[1].righe[4];         // riga 58, size set again to C7
    EXPECT_DOUBLE_EQ(dopo[0].dimensione, 10.0);
    EXPECT_TRUE(dopo[0].grassetto);                  // bold is not reset by the print
}

} // namespace pc::prova
