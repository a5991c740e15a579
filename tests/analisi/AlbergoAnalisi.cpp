#include "AlbergoAnalisi.h"

namespace pc::prova {

AlbergoDiProva albergoAnalisi()
{
    AlbergoDiProva a;
    a.numeriCamere = {{I(1), T("101"), T("SIN")}, {I(1), T("102"), T("DOP")}, {I(1), T("103"), T("DOP")},
                      {I(1), T("901"), T("SRV")}, {I(2), T("301"), T("TRI")}};
    a.tipiCamere = {{I(1), T("SIN"), T("C")}, {I(1), T("DOP"), T("C")}, {I(1), T("TRI"), T("C")}, {I(1), T("SRV"), T("S")},
                    {I(2), T("TRI"), T("C")}};
    a.macroN = {{I(1), T("STD")}, {I(1), T("SUP")}};
    a.macro = {{T("SIN"), T("STD")}, {T("DOP"), T("STD")}, {T("TRI"), T("SUP")}, {T("DOP"), T("SUP")}};
    a.vociFattura = {{I(1), T("PERN"), T("ARR")}, {I(1), T("BAR"), T("BEV")}};
    a.schede = {{I(1), T("20240228"), T("20240301"), T("101")}, {I(1), T("20240229"), T("20240301"), T("102")},
                {I(1), T("20240304"), T("20240305"), T("101")}};
    a.conti = {{I(1), T("20240228"), T("PERN"), T("101"), R(100)}, {I(1), T("20240229"), T("PERN"), T("101"), R(100)},
               {I(1), T("20240229"), T("PERN"), T("102"), R(150)}, {I(1), T("20240229"), T("BAR"), T("102"), R(30)},
               {I(1), T("20240304"), T("PERN"), T("101"), R(100)}};
    // The booking-only week: both DOP rooms booked, not yet arrived, 120.00 a night each.
    a.prenotazioni = {{I(1), T("20240304"), T("20240311"), T(""), T("DOP"), R(2)}};
    a.arrangiamenti = {{I(1), T("*102"), T("20240304"), T("20240311"), T("PERN"), R(120)},
                       {I(1), T("*103"), T("20240304"), T("20240311"), T("PERN"), R(120)}};
    a.schedeStorico = {{I(1), T("20230228"), T("20230301"), T("103")}, {I(1), T("20230301"), T("20230302"), T("101")},
                       {I(1), T("20230304"), T("20230305"), T("103")}, {I(1), T("20230306"), T("20230308"), T("103")}};
    a.contiStorico = {{I(1), T("20230228"), T("PERN"), T("103"), R(90)}, {I(1), T("20230301"), T("PERN"), T("101"), R(80)},
                      {I(1), T("20230304"), T("PERN"), T("103"), R(70)}, {I(1), T("20230306"), T("PERN"), T("103"), R(95)},
                      {I(1), T("20230307"), T("PERN"), T("103"), R(95)}};
    return a;
}

const char *budgetAnalisi()
{
    return "Mese;Colonna;Vendute;Ricavo\r\n02/2024;DOP;10;1.000,00\r\n02/2024;SIN;5;500\r\n\r\n"
           "03/2024;Totale albergo;30;3000,50\r\n03/2024;DOP;20;2500\r\n";
}

} // namespace pc::prova
