#pragma once

#include "Centrale.h"

#include <memory>
#include <string>
#include <vector>

// The chain's central archive seen from above the statement: the import
// with the figures computed by the statement's own engine, and the readings a
// request (a command, a page of the office) is given.
namespace pc::catena {

// The figures the archive keeps for one property, computed from fonte for
// the days [primo, ultimo] (serial): for room numbers, room types and macro
// categories, the rooms sold and the room revenue as the statement gives
// them, the part of the rooms sold that comes from bookings, and the rooms of
// each column and of the room list as the analysis counts them.
std::vector<dati::FigureSalvate> calcolaFigure(std::shared_ptr<dati::Fonte> fonte, long primo, long ultimo);

// Imports the property of the folder cartella (history files in storico)
// under the name struttura, with its figures, in one transaction.
dati::centrale::EsitoImportazione importa(const std::string &url, const std::string &struttura, const std::string &cartella,
                                          const std::string &storico);

// A reading of one property of the archive (struttura empty: the chain
// alone, for the statement and the analysis by property), to be set as the
// request's data (RichiestaReport::dati, RichiestaAnalisi::dati): one
// connection and one read-only snapshot for as long as it lives, used by one
// request at a time; each request of a server takes its own.
inline std::shared_ptr<dati::Fonte> lettura(const std::string &url, const std::string &struttura = {})
{
    return dati::centrale::apri(url, struttura);
}

} // namespace pc::catena
