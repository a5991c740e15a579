#pragma once

#include <optional>
#include <string>
#include <vector>

// What the print menu reads from the hotel databases of the working
// directory each time it becomes active. Both throw pc::dati::ErroreDati (Italian
// message naming the file, table or field) when the data store fails.
namespace pc::stampa {

// The option code of hotel 1: field CodiceAssistenza of the first record
// "Numero = 1" of table AnagraficaHotels in "AnagraficaHotels.mdb". Nothing
// when there is no such record; an empty code when the field holds no value.
std::optional<std::string> leggiCodiceAssistenza();

// Destinazione of every record "NumeroHotel = 1" of table Stampanti in
// "Stampanti.mdb", in table order.
std::vector<std::string> leggiDestinazioni();

} // namespace pc::stampa
