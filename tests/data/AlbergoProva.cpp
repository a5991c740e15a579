#include "AlbergoProva.h"

#include <cstdlib>
#include <stdexcept>

namespace pc::prova {

using namespace pc::demo;
namespace fs = std::filesystem;

pc::demo::TabellaDaScrivere AlbergoProva::tabella(const std::string &nome, std::vector<std::vector<pc::dati::Valore>> righe,
                                                  const std::string &schema)
{
    return {nome, colonneSuite(schema.empty() ? nome : schema), std::move(righe)};
}

AlbergoProva::AlbergoProva() : m_prima(fs::current_path())
{
    std::string modello = (fs::temp_directory_path() / "pc-dati-XXXXXX").string();
    if (!mkdtemp(modello.data())) throw std::runtime_error("mkdtemp");
    m_cartella = modello;
    fs::create_directory(m_cartella / "storico");

    scriviArchivio(file("NumeriCamere.mdb"), {tabella("NumeriCamere", {
        {I(1), T("201"), T("DOP")}, {I(1), T("101"), T("SIN")}, {I(2), T("101"), T("XXX")}, {I(1), T("12a"), T("dop")},
        {I(1), T("102"), T("TRI")}, {I(1), T("l'a"), T("SIN")}, {I(1), T("103"), T("SUITE")}, {I(1), T("12B"), T("SIN")},
    })});
    scriviArchivio(file("TipiCamere.mdb"), {tabella("TipiCamere", {
        {I(1), T("SIN"), T("C")}, {I(1), T("DOP"), T("c")}, {I(1), T("TRI"), T("X")}, {I(2), T("XXX"), T("C")}, {I(1), T("SUITE"), N()},
    })});
    scriviArchivio(file("TipiCamere_Macro.mdb"), {
        tabella("TipiCamere_MacroN", {{I(1), T("SUP")}, {I(1), T("std")}, {I(2), T("ZZZ")}, {I(1), T("Eco")}}),
        tabella("TipiCamere_Macro", {{T("SIN"), T("STD")}, {T("DOP"), T("STD")}, {T("TRI"), T("SUP")}, {T("DOP"), T("SUP")}}),
    });
    scriviArchivio(file("Scheda_Cliente.mdb"), {tabella("Scheda_Cliente", {
        {I(1), T("20120301"), T("20120303"), T("102")}, {I(1), T("20120228"), T("20120301"), T("101")},
        {I(1), T("20120301"), T("20120302"), T("101")}, {I(1), T("20120305"), N(), T("201")},
        {I(2), T("20120301"), T("20120305"), T("101")}, {I(1), T("20120310"), T("20120312"), T("12a")},
    })});
    scriviArchivio(file("storico/SchedaStoricoClienti.mdb"), {tabella("Scheda_Cliente", {
        {I(1), T("20120220"), T("20120302"), T("201")}, {I(1), T("20120220"), T("20120225"), T("101")},
        {I(1), T("20120220"), T("20120302"), T("12B")},
    }, "SchedaStorico")});
    scriviArchivio(file("Camere_Prenotazione.mdb"), {tabella("Camere_Prenotazione", {
        {I(1), T("20120301"), T("20120303"), T("101"), T("SIN"), I(1)}, {I(1), T("20120301"), T("20120302"), N(), T("DOP"), I(3)},
        {I(1), T("20120301"), T("20120302"), N(), T("DOP"), I(0)}, {I(1), T("20120301"), T("20120302"), N(), T("DOP"), N()},
    })});
    scriviArchivio(file("Conto_Cliente.mdb"), {tabella("Conto_Cliente", {
        {I(1), T("20120301"), T("PERN"), T("101"), R(65)}, {I(1), T("20120301"), T("BAR"), T("101"), R(5)},
        {I(1), T("20120302"), T("pern"), T("12a"), R(-15)}, {I(1), T("20120229"), T("PERN"), T("101"), R(65)},
        {I(2), T("20120301"), T("PERN"), T("101"), R(99)}, {I(1), T("20120315"), T("CAFF\xC3\x88"), T("102"), R(1.0005)},
        {I(1), T("20120316"), T("MP"), T("102"), R(1234567.891)},
    })});
    scriviArchivio(file("storico/ContoStoricoClienti.mdb"), {tabella("Conto_Cliente", {
        {I(1), T("20120302"), T("BAR"), T("101"), R(3)}, {I(1), T("20120302"), T("PERN"), T("102"), R(65)},
    })});
    scriviArchivio(file("VociFattura.mdb"), {tabella("VociFattura", {
        {I(1), T("PERN"), T("ARR")}, {I(1), T("BAR"), T("BAR")}, {I(1), T("caff\xC3\xA8"), T("arr")}, {I(2), T("BAR"), T("ARR")},
        {I(1), T("MP"), T("ARR")},
    })});
    // A decoy beside the history databases: In 'VociFattura.mdb' must not reach it.
    scriviArchivio(file("storico/VociFattura.mdb"), {tabella("VociFattura", {{I(1), T("BAR"), T("ARR")}})});
    scriviArchivio(file("Arrangiamento.mdb"), {tabella("Arrangiamento", {
        {I(1), T("*103"), T("20120301"), T("20120304"), T("PERN"), R(2400)}, {I(1), T("103"), T("20120301"), T("20120304"), T("PERN"), R(10)},
        {I(1), T("*"), T("20120201"), T("20120430"), T("MP"), R(0)}, {I(1), T("*102"), T("20120415"), T("20120415"), T("MP"), R(32.5)},
        {I(2), T("*101"), T("20120301"), T("20120331"), T("PERN"), R(999.99)}, {I(1), N(), T("20120301"), T("20120305"), T("PERN"), R(1)},
    })});
    scriviArchivio(file("AnagraficaHotels.mdb"), {tabella("AnagraficaHotels", {{I(2), T("X")}, {I(1), T("AS-K")}, {I(3), N()}})});
    // TipoStampa of SetStampa stored as text: "TipoStampa = 2" compares it as a number.
    scriviArchivio(file("Stampanti.mdb"), {
        tabella("Stampanti", {{I(1), T("LASER"), I(1), T("LPT1")}, {I(2), T("PDF X"), I(2), T("x")},
                              {I(1), T("PDF UFFICIO"), I(2), T("C:\\out.pdf")}, {I(1), T("L'ufficio"), I(1), T("LPT2")},
                              {I(1), T("pdf reception"), I(3), T("y")}}),
        {"SetStampa", {{"TipoStampa", "TEXT"}, {"Compresso", "TEXT"}, {"Grassetto", "TEXT"}},
         {{T("1"), T("27,15"), T("a")}, {T("2.0"), T("27,69"), T("b")}, {T("tre"), T(""), N()}}},
    });
    scriviArchivio(file("Contatori.mdb"), {tabella("Contatori", {{I(2), I(50), I(60)}, {I(1), I(66), N()}})});
    fs::current_path(m_cartella);
}

AlbergoProva::~AlbergoProva()
{
    std::error_code ec;
    fs::current_path(m_prima, ec);
    fs::remove_all(m_cartella, ec);
}

} // namespace pc::prova
