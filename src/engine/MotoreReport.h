#pragma once

#include "Database.h"
#include "Richiesta.h"
#include "SommaEsatta.h"
#include "Valuta.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc {

// The shared state of one report run and the day-by-day accumulation.
//
// This is the straightforward accumulation: every day it searches the three
// record sets with find first / find next in query order, exactly as the
// suite's own report walks its databases. AccumulatoreRapido gives the same
// figures without the days x records cost; this one stays as its reference.
class MotoreReport {
public:
    // Row keys in column order (CodiciRiga(r) is CodiciRiga[r - 1]).
    std::vector<std::string> CodiciRiga;
    // ValoriRiga[r - 1][0]: day figure of row r; [1]: its running total,
    // both exact (only a figure itself can be out of an amount's range).
    std::vector<std::array<SommaEsatta, 2>> ValoriRiga;

    std::unique_ptr<dati::Recordset> RsCorrente, RsStorico, RsTerzaFonte;
    // Where the hotel's files are read (null: dati::fontePredefinita()).
    std::shared_ptr<dati::Fonte> Dati;

    // Adds quantita to both figures of the first row whose key equals valore
    // exactly (case and blanks count); nothing when no key is equal.
    void SommaRiga(std::string_view valore, dati::Valuta quantita);

    // One day of a "Vendite" report: rooms sold per row. G is the day as yyyymmdd.
    void AccumulaCamere(const std::string &G, Raggruppamento raggruppamento);
    // One day of a "Produzione" report: room revenue per row.
    void AccumulaImporti(const std::string &G, Raggruppamento raggruppamento);

private:
    void contaSchede(dati::Recordset &rs, const std::string &criterio, Raggruppamento r,
                     dati::Recordset &numeri, dati::Recordset &macro);
    void sommaAddebiti(dati::Recordset &rs, const std::string &criterio, Raggruppamento r,
                       dati::Recordset &numeri, dati::Recordset &macro);
};

// An amount (Importo, ImportoTotale) or a quantity (QuantitàCamere) of a
// record of rs, read with Valore::leggiCifra: nothing when null. Throws
// ErroreDati naming the file, the table, the field, the value and the
// record's date and room when the value is present but not readable: such a
// record is never left out in silence.
std::optional<dati::Valuta> cifraDelRecord(const dati::Recordset &rs, std::string_view campo, const dati::Valore &valore,
                                           const dati::Valore &data, const dati::Valore &camera);
// The same, the record set named by its description (Recordset::descrizione).
std::optional<dati::Valuta> cifraDelRecord(const std::string &descrizione, std::string_view campo, const dati::Valore &valore,
                                           const dati::Valore &data, const dati::Valore &camera);
// Whether a booking's quantity, read as q, is above zero as the criterion
// "QuantitàCamere > 0" compares it (a REAL by its exact value).
bool quantitaPositiva(const dati::Valore &valore, dati::Valuta q);

// Opens a lookup table ("NumeriCamere.mdb" / "NumeriCamere") of the hotel
// read through fonte (null: dati::fontePredefinita()); the data store keeps
// unchanged tables in memory, so the daily reopening costs next to nothing.
std::unique_ptr<dati::Recordset> apriTabella(const std::string &file, const std::string &tabella,
                                             const std::shared_ptr<dati::Fonte> &fonte = {});

// The macro category of a room type: the Sigla of the first record of
// TipiCamere_Macro (macro) whose TipoCamera matches tipo; nothing when there
// is none or its Sigla is null.
std::optional<std::string> macroDelTipo(dati::Recordset &macro, std::string_view tipo);

} // namespace pc
