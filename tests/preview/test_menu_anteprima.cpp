// The print menu's preview and spreadsheet buttons with their real actions.
#include "AiutiAnteprima.h"
#include "Anteprima.h"
#include "ChiudiModale.h"
#include "DesktopRegistratore.h"
#include "MenuStampa.h"
#include "ScrittoreSqlite.h"
#include "TavoRoutine.h"

#include <QPushButton>

#include <gtest/gtest.h>

using pc::anteprima::Anteprima;
using pc::stampa::MenuStampa;

using namespace pc;
using namespace pc::prova;
using pc::demo::I;
using pc::demo::T;

namespace {

// Hotel 1 with one print destination, so that the menu stays open.
void scriviArchiviMenu()
{
    demo::scriviArchivio("AnagraficaHotels.mdb",
                         {{"AnagraficaHotels", demo::colonneSuite("AnagraficaHotels"), {{I(1), T("")}}}});
    demo::scriviArchivio("Stampanti.mdb", {{"Stampanti", demo::colonneSuite("Stampanti"),
                                                 {{I(1), T("LASER"), I(1), T("lpt1")}}},
                                                {"SetStampa", demo::colonneSuite("SetStampa"), {}}});
}

TEST(MenuStampaAnteprima, IlPulsanteAnteprimaMostraIlReportEPoiTornaAlMenu)
{
    CartellaProva cartella({.pcLocal = "3"});
    DesktopRegistratore desktop;
    TavoRoutine::HotelCorrente = 1;
    scriviArchiviMenu();
    scriviByte("fd3", conCrLf(reportDueGiorni()));
    MenuStampa menu;
    menu.show();
    ASSERT_TRUE(menu.isVisible());

    QString mostrato;
    prova::quandoAppare<Anteprima>([&](Anteprima *a) {
        mostrato = a->testoMostrato();
        a->tasto(0)->click();
    });
    menu.Tst_Click(4);
    EXPECT_TRUE(mostrato.startsWith("STAMPA VENDITE PER NUMERO CAMERA DAL 01/03/2012 AL 02/03/2012\n-----"))
        << mostrato.toStdString();
    EXPECT_TRUE(menu.isVisible());
}

TEST(MenuStampaAnteprima, IlPulsanteFoglioElettronicoConverteEApreIlCsv)
{
    CartellaProva cartella({.pcLocal = "3"});
    DesktopRegistratore desktop;
    TavoRoutine::HotelCorrente = 1;
    scriviArchiviMenu();
    scriviByte("fd3", conCrLf(reportDueGiorni()));
    MenuStampa menu;
    menu.show();
    menu.Tst_Click(1);
    EXPECT_EQ(leggiByte("fd3.csv").substr(0, 99),
              "STAMPA VENDITE PER NUMERO CAMERA DAL 01/03/2012 AL 02/03/2012\r\n,          ,          ,          ,\r\n");
    ASSERT_EQ(desktop.fileAperti.size(), 1);
    EXPECT_EQ(desktop.fileAperti.back(), cartella.percorso("fd3.csv"));
}

} // namespace
