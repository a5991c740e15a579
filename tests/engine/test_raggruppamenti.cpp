// The groupings' names and titles, and the history folder, each read in one place.

#include "CartellaProva.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "Raggruppamenti.h"

#include <gtest/gtest.h>

using pc::dati::ErroreDati;

namespace pc::prova {

TEST(Raggruppamenti, NomiETitoli)
{
    const struct {
        const char *nome;
        std::optional<Raggruppamento> atteso;
    } casi[] = {
        {"camere", Raggruppamento::NumeriCamere}, {"tipi", Raggruppamento::TipiCamere},
        {"macro", Raggruppamento::MacroCategorie}, {"Camere", std::nullopt}, {"tipi ", std::nullopt},
        {"", std::nullopt}, {"strutture", std::nullopt},   // the chain's grouping needs the central archive
    };
    for (const auto &c : casi) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(raggruppamentoDaNome(c.nome), c.atteso);
        if (c.atteso) EXPECT_STREQ(nomeRaggruppamento(*c.atteso), c.nome);
    }
    EXPECT_STREQ(titoloRaggruppamento(Raggruppamento::NumeriCamere), "Numeri camere");
    EXPECT_STREQ(titoloRaggruppamento(Raggruppamento::TipiCamere), "Tipi camere");
    EXPECT_STREQ(titoloRaggruppamento(Raggruppamento::MacroCategorie), "Macro categorie");
    EXPECT_STREQ(titoloRaggruppamento(Raggruppamento::Strutture), "Strutture");
}

TEST(Raggruppamenti, CartellaStorico)
{
    CartellaProva c(CartellaProva::Lavoro{});   // restores DIRKV afterwards
    const struct {
        const char *dirkv;   // nullptr: unset
        const char *attesa;  // nullptr: an error naming DIRKV
    } casi[] = {
        {nullptr, nullptr}, {"", nullptr}, {"/srv/storico", "/srv/storico"}, {"/srv/storico//", "/srv/storico"},
        {"C:\\Storico\\", "C:\\Storico"}, {"/", "/"},
    };
    for (const auto &k : casi) {
        SCOPED_TRACE(k.dirkv ? k.dirkv : "(non impostata)");
        if (k.dirkv) qputenv("DIRKV", k.dirkv);
        else qunsetenv("DIRKV");
        if (k.attesa) {
            EXPECT_EQ(cartellaStorico(), k.attesa);
            continue;
        }
        try {
            cartellaStorico();
            ADD_FAILURE() << "attesa ErroreDati";
        } catch (const ErroreDati &e) {
            EXPECT_NE(std::string(e.what()).find("DIRKV"), std::string::npos) << e.what();
        }
    }
}

} // namespace pc::prova
