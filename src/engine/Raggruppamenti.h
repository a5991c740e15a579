#pragma once

// The statement's groupings as everything above the statement sees them: their
// names on the command line, their titles, and the rooms under each column.

#include "Richiesta.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc {

// "camere", "tipi", "macro" (the groupings of one hotel) and back.
std::optional<Raggruppamento> raggruppamentoDaNome(std::string_view nome);
const char *nomeRaggruppamento(Raggruppamento r);
// "Numeri camere", "Tipi camere", "Macro categorie", "Strutture": titles and window choices.
const char *titoloRaggruppamento(Raggruppamento r);

// The statement's room list: the rooms of hotel 1 whose type is a room type
// (Tipologia 'C'), by number; its query, for the grouping by room number.
const char *queryElencoCamere();

// Rooms of the room list under each column of the grouping (colonne: the
// statement's column keys, as FigureGiornaliere::chiavi() gives them; a key
// that appears twice counts under its first column), and in the whole list
// (`albergo`). Reads the working directory's NumeriCamere.mdb (and
// TipiCamere_Macro.mdb for the macro categories); throws ErroreDati.
// Through fonte when given (else dati::fontePredefinita()).
std::vector<std::int64_t> camerePerColonna(Raggruppamento r, const std::vector<std::string> &colonne,
                                           std::int64_t &albergo, const std::shared_ptr<dati::Fonte> &fonte = {});

} // namespace pc
