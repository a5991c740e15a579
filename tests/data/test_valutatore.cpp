#include "Dialetto.h"
#include "ErroreDati.h"
#include "Testo.h"
#include "Valutatore.h"

#include <gtest/gtest.h>

namespace pc::prova {

using namespace pc::dati;
using pc::dati::Valore;
using pc::dati::Valuta;

namespace {

Valore T(const char *s) { return Valore::testo(s); }
Valore I(long long v) { return Valore::intero(v); }
Valore V(long long grezzo) { return Valore::valuta(Valuta::daGrezzo(grezzo)); }
Valore R(double d) { return Valore::reale(d); }

const std::vector<std::string> Colonne = {"Nome", "Numero", "Importo", "Data"};

Logico valuta(const char *criterio, const std::vector<Valore> &riga)
{
    auto albero = dialetto::analizzaCriterio(criterio);
    Filtro f(*albero, Colonne, "Prova", "Prova.mdb", [](const dialetto::Query &) {
        return std::vector<Valore>{T("ARR"), T("Caff\xC3\xA8"), Valore()};
    });
    return f.valuta(riga);
}

} // namespace

TEST(Confronto, TestiSenzaMaiuscoleENumeriEsatti)
{
    EXPECT_EQ(confrontaValori(T("C"), T("c")), 0);
    EXPECT_EQ(confrontaValori(T("CAFF\xC3\x88"), T("caff\xC3\xA8")), 0);
    EXPECT_LT(*confrontaValori(T("20120229"), T("20120301")), 0);
    EXPECT_EQ(confrontaValori(I(2), V(20000)), 0);
    EXPECT_LT(*confrontaValori(I(2), V(20001)), 0);
    EXPECT_EQ(confrontaValori(R(1.0005), V(10005)), 0);
    EXPECT_GT(*confrontaValori(R(0.1 + 0.2), V(3000)), 0);   // the double is above 0.3
    EXPECT_EQ(confrontaValori(R(0.3), V(3000)), 0);
    EXPECT_LT(*confrontaValori(R(1.00049), V(10005)), 0);
    EXPECT_GT(*confrontaValori(R(1e300), I(1)), 0);
    EXPECT_GT(*confrontaValori(I(INT64_MAX), V(INT64_MAX)), 0);   // no overflow
}

TEST(Confronto, NulliETestiNonNumerici)
{
    EXPECT_FALSE(confrontaValori(Valore(), Valore()).has_value());
    EXPECT_FALSE(confrontaValori(Valore(), T("")).has_value());
    EXPECT_FALSE(confrontaValori(I(1), T("uno")).has_value());
    EXPECT_EQ(confrontaValori(T("2"), I(2)), 0);
    EXPECT_EQ(confrontaValori(T(" 2.50 "), V(25000)), 0);
    EXPECT_GT(*confrontaValori(T("10"), I(9)), 0);   // numerically, not as texts
}

TEST(Filtro, LogicaATreValori)
{
    const std::vector<Valore> riga = {T("Rossi"), Valore(), V(-99900), T("20120301")};
    EXPECT_EQ(valuta("Numero = 1", riga), Logico::Ignoto);
    EXPECT_EQ(valuta("Not Numero = 1", riga), Logico::Ignoto);
    EXPECT_EQ(valuta("Numero <> 1", riga), Logico::Ignoto);
    EXPECT_EQ(valuta("Numero = 1 Or Nome = 'ROSSI'", riga), Logico::Vero);
    EXPECT_EQ(valuta("Numero = 1 And Nome = 'Bianchi'", riga), Logico::Falso);
    EXPECT_EQ(valuta("Numero = 1 And Nome = 'Rossi'", riga), Logico::Ignoto);
    EXPECT_EQ(valuta("Numero Is Null And Importo < -9.98", riga), Logico::Vero);
    EXPECT_EQ(valuta("Not (Importo >= 0 Or Data > '20120301')", riga), Logico::Vero);
    EXPECT_EQ(valuta("Nome = 1", riga), Logico::Ignoto);
}

TEST(Filtro, LeftESottoSelect)
{
    EXPECT_EQ(valuta("Left(Nome,1)='*'", {T("*12a"), I(1), I(0), T("")}), Logico::Vero);
    EXPECT_EQ(valuta("Left(Nome,1)='*'", {T("12a"), I(1), I(0), T("")}), Logico::Falso);
    EXPECT_EQ(valuta("Left(Nome,1)='*'", {Valore(), I(1), I(0), T("")}), Logico::Ignoto);
    EXPECT_EQ(valuta("Left(Nome,2)='\xC3\xA0" "b'", {T("\xC3\xA0" "bc"), I(1), I(0), T("")}), Logico::Vero);
    EXPECT_EQ(valuta("Left(Numero,2)='12'", {T(""), I(1234), I(0), T("")}), Logico::Vero);
    EXPECT_EQ(valuta("Nome In (Select Codice From VociFattura)", {T("arr"), I(1), I(0), T("")}), Logico::Vero);
    EXPECT_EQ(valuta("Nome In (Select Codice From VociFattura)", {T("CAFF\xC3\x88"), I(1), I(0), T("")}), Logico::Vero);
    // Not found and one null in the list: unknown, so neither In nor Not In selects.
    EXPECT_EQ(valuta("Nome In (Select Codice From VociFattura)", {T("BAR"), I(1), I(0), T("")}), Logico::Ignoto);
    EXPECT_EQ(valuta("Nome Not In (Select Codice From VociFattura)", {T("BAR"), I(1), I(0), T("")}), Logico::Ignoto);
    EXPECT_EQ(valuta("Numero In (1, 2)", {T(""), I(2), I(0), T("")}), Logico::Vero);
    EXPECT_EQ(valuta("Numero In (1, 3)", {T(""), I(2), I(0), T("")}), Logico::Falso);
}

TEST(Filtro, CampoMancanteNominaCampoTabellaEArchivio)
{
    try {
        valuta("Tipologia = 'C'", {T(""), I(1), I(0), T("")});
        FAIL() << "nessun errore";
    } catch (const pc::dati::ErroreDati &e) {
        EXPECT_STREQ(e.what(), "Campo \"Tipologia\" non trovato nella tabella \"Prova\" dell'archivio \"Prova.mdb\".");
    }
    // Field names ignore case.
    EXPECT_EQ(valuta("NOME = 'x'", {T("X"), I(1), I(0), T("")}), Logico::Vero);
}

TEST(Ordine, StabileNulliPrimaTestiSenzaMaiuscole)
{
    RigheTabella righe(2);
    for (auto r : std::vector<std::vector<Valore>>{
             {T("b"), I(1)}, {T("A"), I(2)}, {Valore(), I(3)}, {T("a"), I(4)}, {I(5), I(5)}, {T("B"), I(6)}, {T("\xC3\xA0"), I(7)}})
        righe.push_back(std::move(r));
    std::vector<std::uint32_t> pos = {0, 1, 2, 3, 4, 5, 6};
    ordina(pos, righe, {{0, false}});
    // Null, then numbers, then texts; equal keys keep the table's order.
    EXPECT_EQ(pos, (std::vector<std::uint32_t>{2, 4, 1, 3, 0, 5, 6}));
    ordina(pos, righe, {{0, true}});
    EXPECT_EQ(pos, (std::vector<std::uint32_t>{6, 0, 5, 1, 3, 4, 2}));
}

TEST(Testi, SinistraContaICaratteri)
{
    EXPECT_EQ(sinistra("\xC3\xA0" "bc", 1), "\xC3\xA0");
    EXPECT_EQ(sinistra("abc", 5), "abc");
    EXPECT_EQ(sinistra("abc", 0), "");
    EXPECT_EQ(pc::dati::testo::chiaveNoCase("CAFF\xC3\x88"), pc::dati::testo::chiaveNoCase("caff\xC3\xA8"));
    EXPECT_EQ(pc::dati::testo::chiaveNoCase("AbC"), "abc");
}

} // namespace pc::prova
