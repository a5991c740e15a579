#include "Dialetto.h"
#include "ErroreDati.h"

#include <gtest/gtest.h>

namespace pc::prova {

using namespace pc::dati::dialetto;
using pc::dati::Valore;

namespace {

const std::string Vendite = "Select * From Scheda_Cliente Where NumeroHotel = 1 and DataArrivo <= '20120331' and "
                            "DataPartenza > '20120301' Order by DataArrivo,NumeroCamera;";
const std::string Produzione = "Select * From Conto_Cliente Where NumeroHotel = 1 and DataAddebito <= '20120331' and "
                               "DataAddebito >= '20120301' and VoceAddebito In (Select Codice From VociFattura In "
                               "'VociFattura.mdb' Where NumeroHotel = 1 and Reparto = 'ARR');";

std::string errore(std::string_view testo, bool criterio)
{
    try {
        if (criterio)
            analizzaCriterio(testo);
        else
            analizzaQuery(testo);
    } catch (const pc::dati::ErroreDati &e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Dialetto, SelectConOrdineECondizioni)
{
    auto q = analizzaQuery(Vendite);
    EXPECT_EQ(q->tabella, "Scheda_Cliente");
    EXPECT_EQ(q->campo, "*");
    ASSERT_EQ(q->ordine.size(), 2u);
    EXPECT_EQ(q->ordine[0].campo, "DataArrivo");
    EXPECT_EQ(q->ordine[1].campo, "NumeroCamera");
    ASSERT_TRUE(q->where);
    // And is left-associative: ((a and b) and c).
    EXPECT_EQ(q->where->tipo, Nodo::Tipo::And);
    EXPECT_EQ(q->where->figli[1]->tipo, Nodo::Tipo::Confronto);
    EXPECT_EQ(q->where->figli[1]->op, Operatore::Maggiore);
    EXPECT_EQ(q->where->figli[1]->figli[1]->valore, Valore::testo("20120301"));
}

TEST(Dialetto, SottoSelectInUnAltroArchivio)
{
    auto q = analizzaQuery(Produzione);
    EXPECT_TRUE(q->ordine.empty());
    const Nodo *in = q->where->figli[1].get();
    ASSERT_EQ(in->tipo, Nodo::Tipo::InSelect);
    EXPECT_EQ(in->figli[0]->nome, "VoceAddebito");
    ASSERT_TRUE(in->sottoQuery);
    EXPECT_EQ(in->sottoQuery->campo, "Codice");
    EXPECT_EQ(in->sottoQuery->tabella, "VociFattura");
    EXPECT_TRUE(in->sottoQuery->haFile);
    EXPECT_EQ(in->sottoQuery->file, "VociFattura.mdb");
    // Without In 'file': the same database.
    auto s = analizzaQuery("select * from A where x in (select y from B)");
    EXPECT_FALSE(s->where->sottoQuery->haFile);
}

TEST(Dialetto, LeftNomiAccentatiETraParentesi)
{
    auto q = analizzaQuery("Select * From Arrangiamento Where NumeroHotel = 1 and Left(NumeroCamera,1)='*' and "
                           "DataInizio <= '20120331' and [Data Fine] > '20120301'");
    const Nodo *left = q->where->figli[0]->figli[0]->figli[1]->figli[0].get();
    ASSERT_EQ(left->tipo, Nodo::Tipo::Left);
    EXPECT_EQ(left->n, 1);
    EXPECT_EQ(left->figli[0]->nome, "NumeroCamera");
    EXPECT_EQ(q->where->figli[1]->figli[0]->nome, "Data Fine");
    auto c = analizzaCriterio("Quantit\xC3\xA0" "Camere > 0");
    EXPECT_EQ(c->figli[0]->nome, "Quantit\xC3\xA0" "Camere");
}

TEST(Dialetto, ParoleChiaveInQualsiasiMaiuscolo)
{
    auto q = analizzaQuery("sElEcT * fRoM TipiCamere wHeRe NumeroHotel = 1 AND Tipologia = 'C' oRdEr By Sigla DESC");
    EXPECT_EQ(q->tabella, "TipiCamere");
    ASSERT_EQ(q->ordine.size(), 1u);
    EXPECT_TRUE(q->ordine[0].discendente);
    auto n = analizzaCriterio("not a = 1 OR b is not null");
    EXPECT_EQ(n->tipo, Nodo::Tipo::Or);
    EXPECT_EQ(n->figli[0]->tipo, Nodo::Tipo::Not);
    EXPECT_EQ(n->figli[1]->tipo, Nodo::Tipo::Not);
    EXPECT_EQ(n->figli[1]->figli[0]->tipo, Nodo::Tipo::ENullo);
}

TEST(Dialetto, TestiENumeri)
{
    EXPECT_EQ(analizzaCriterio("Destinazione = 'L''ufficio'")->figli[1]->valore, Valore::testo("L'ufficio"));
    EXPECT_EQ(analizzaCriterio("Destinazione = \"PDF \"\"A\"\"\"")->figli[1]->valore, Valore::testo("PDF \"A\""));
    EXPECT_EQ(analizzaCriterio("a = ''")->figli[1]->valore, Valore::testo(""));
    EXPECT_EQ(analizzaCriterio("Importo > -9.99")->figli[1]->valore, Valore::valuta(pc::dati::Valuta::daGrezzo(-99900)));
    EXPECT_EQ(analizzaCriterio("TipoStampa = 2")->figli[1]->valore, Valore::intero(2));
    EXPECT_EQ(analizzaCriterio("a = -3")->figli[1]->valore, Valore::intero(-3));
    EXPECT_EQ(analizzaCriterio("a = 1.00005")->figli[1]->valore.tipo(), Valore::Tipo::Reale);
    auto l = analizzaCriterio("a In ('x', 2, -1.5)");
    ASSERT_EQ(l->tipo, Nodo::Tipo::InLista);
    EXPECT_EQ(l->figli.size(), 4u);
}

TEST(Dialetto, NomeDiTabellaNudo)
{
    EXPECT_EQ(analizzaQuery("NumeriCamere")->tabella, "NumeriCamere");
    EXPECT_EQ(analizzaQuery(" TipiCamere_Macro ; ")->tabella, "TipiCamere_Macro");
    EXPECT_EQ(analizzaQuery("[Tipi Camere]")->tabella, "Tipi Camere");
    EXPECT_FALSE(analizzaQuery("NumeriCamere")->where);
}

TEST(Dialetto, TestiMalformatiNominanoTestoEPosizione)
{
    const std::string e = errore("NumeroHotel = ", true);
    EXPECT_NE(e.find("\"NumeroHotel = \""), std::string::npos) << e;
    EXPECT_NE(e.find("posizione 15"), std::string::npos) << e;
    EXPECT_NE(errore("NumeroHotel 1", true).find("operatore"), std::string::npos);
    EXPECT_NE(errore("a = 'aperto", true).find("apice"), std::string::npos);
    EXPECT_NE(errore("(a = 1", true), "");
    EXPECT_NE(errore("a = 1 b = 2", true), "");
    EXPECT_NE(errore("a == 1", true), "");
    EXPECT_NE(errore("", true), "");
    EXPECT_NE(errore("Left(a) = 'x'", true), "");
    EXPECT_NE(errore("Select * From", false), "");
    EXPECT_NE(errore("Select * From T Where", false), "");
    EXPECT_NE(errore("Select * From T Order Sigla", false), "");
    EXPECT_NE(errore("Select * From T Where a In (Select * From U)", false), "");
    EXPECT_NE(errore("Tabella; drop", false), "");
}

TEST(Dialetto, ApostrofiRaddoppiatiNelleCostanti)
{
    EXPECT_EQ(quotaCriterio("101"), "'101'");
    EXPECT_EQ(quotaCriterio("L'ORTO"), "'L''ORTO'");
    EXPECT_EQ(quotaCriterio("'"), "''''");
    EXPECT_EQ(quotaCriterio(""), "''");
    // What is quoted reads back as the same value.
    EXPECT_EQ(analizzaCriterio("a = " + quotaCriterio("d'Annunzio ''x"))->figli[1]->valore, Valore::testo("d'Annunzio ''x"));
}

TEST(Dialetto, AnnidamentoOltreIlLimiteRifiutatoConUnErroreChiaro)
{
    auto ripeti = [](std::string_view s, int volte) {
        std::string r;
        for (int i = 0; i < volte; ++i) r += s;
        return r;
    };
    struct Caso {
        const char *nome;
        std::string testo;
        bool criterio;
    };
    const Caso oltre[] = {
        {"10000 Not", ripeti("Not ", 10000) + "a = 1", true},
        {"2000 Or", "a = 1" + ripeti(" Or a = 1", 1999), true},
        {"5000 And", "a = 1" + ripeti(" And a = 1", 4999), true},
        {"Not e Or", ripeti("Not a = 1 Or ", 1200) + "a = 1", true},
        {"100000 parentesi", ripeti("(", 100000) + "a = 1" + ripeti(")", 100000), true},
        {"Left annidati", ripeti("Left(", 5000) + "a" + ripeti(", 1)", 5000) + " = 'x'", true},
        {"selezioni interne", "Select * From T Where " + ripeti("a In (Select a From T Where ", 2000) + "a = 1" + ripeti(")", 2000),
         false},
    };
    for (const auto &c : oltre) {
        const std::string e = errore(c.testo, c.criterio);
        EXPECT_NE(e.find("troppo complesso: oltre 1000 livelli"), std::string::npos) << c.nome << ": " << e.substr(0, 200);
        EXPECT_LT(e.size(), 400u) << c.nome << ": the message quotes only the start of the text";
    }
    // Within the limit: parsed, the tree as deep as the chain.
    EXPECT_EQ(analizzaCriterio("a = 1" + ripeti(" And a = 1", 900))->altezza, 902);
    EXPECT_EQ(analizzaCriterio(ripeti("Not ", 900) + "a = 1")->altezza, 902);
    EXPECT_EQ(analizzaCriterio(ripeti("(", 900) + "a = 1" + ripeti(")", 900))->altezza, 2);
    EXPECT_EQ(analizzaQuery("Select * From T Where a In (Select a From T Where b = 1 Or b = 2)")->where->altezza, 4);
}

} // namespace pc::prova
