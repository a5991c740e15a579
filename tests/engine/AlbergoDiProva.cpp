#include "AlbergoDiProva.h"

#include "TestoReport.h"


namespace pc::prova {

using demo::colonneSuite;
using demo::scriviArchivio;

void AlbergoDiProva::scrivi(const QString &dir) const
{
    QDir(dir).mkpath("storico");
    const std::string d = dir.toStdString() + "/";
    scriviArchivio(d + "NumeriCamere.mdb", {{"NumeriCamere", colonneSuite("NumeriCamere"), numeriCamere}});
    scriviArchivio(d + "TipiCamere.mdb", {{"TipiCamere", colonneSuite("TipiCamere"), tipiCamere}});
    scriviArchivio(d + "TipiCamere_Macro.mdb", {{"TipiCamere_MacroN", colonneSuite("TipiCamere_MacroN"), macroN},
                                                {"TipiCamere_Macro", colonneSuite("TipiCamere_Macro"), macro}});
    scriviArchivio(d + "Scheda_Cliente.mdb", {{"Scheda_Cliente", colonneSuite("Scheda_Cliente"), schede}});
    scriviArchivio(d + "storico/SchedaStoricoClienti.mdb", {{"Scheda_Cliente", colonneSuite("SchedaStorico"), schedeStorico}});
    scriviArchivio(d + "Camere_Prenotazione.mdb", {{"Camere_Prenotazione", colonneSuite("Camere_Prenotazione"), prenotazioni}});
    scriviArchivio(d + "Conto_Cliente.mdb", {{"Conto_Cliente", colonneSuite("Conto_Cliente"), conti}});
    scriviArchivio(d + "storico/ContoStoricoClienti.mdb", {{"Conto_Cliente", colonneSuite("Conto_Cliente"), contiStorico}});
    scriviArchivio(d + "Arrangiamento.mdb", {{"Arrangiamento", colonneSuite("Arrangiamento"), arrangiamenti}});
    scriviArchivio(d + "VociFattura.mdb", {{"VociFattura", colonneSuite("VociFattura"), vociFattura}});
}

std::string leggibile(const std::string &bytes) { return reportPerTerminale(bytes); }

} // namespace pc::prova
