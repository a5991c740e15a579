#include "DestinazioniStampa.h"

#include "Database.h"

namespace pc::stampa {

std::optional<std::string> leggiCodiceAssistenza()
{
    auto db = dati::Database::open("AnagraficaHotels.mdb");
    auto rs = db->openRecordset("AnagraficaHotels");
    std::optional<std::string> codice;
    // A code that holds no value means no options: read as the empty text.
    if (rs->findFirst("Numero = 1")) codice = rs->field("CodiceAssistenza").inTesto();
    db->close();
    return codice;
}

std::vector<std::string> leggiDestinazioni()
{
    auto db = dati::Database::open("Stampanti.mdb");
    auto rs = db->openRecordset("Stampanti");
    std::vector<std::string> destinazioni;
    for (bool trovato = rs->findFirst("NumeroHotel = 1"); trovato; trovato = rs->findNext("NumeroHotel = 1"))
        destinazioni.push_back(rs->field("Destinazione").inTesto());
    db->close();
    return destinazioni;
}

} // namespace pc::stampa
