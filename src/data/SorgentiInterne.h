#pragma once

#include "Sorgente.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pc::dati {

// Backends, chosen by apriSorgente() from the file's content.
std::unique_ptr<Sorgente> apriSorgenteSqlite(const std::string &percorso);   // SorgenteSqlite.cpp
std::unique_ptr<Sorgente> apriSorgenteJet(const std::string &percorso);      // SorgenteJet.cpp

// How long an SQLite read waits for a lock held by a writer before it fails
// (5 seconds unless changed; the tests shorten it).
void impostaAttesaBloccoSqlite(int millisecondi);

// Whether Selects are translated into the backend's own SQL when it can run
// them with identical results (on by default; off: always evaluated in
// memory). The counter tells how many were run translated.
void impostaTraduzioneSql(bool attiva);
bool traduzioneSql();
std::size_t interrogazioniTradotte();

// A field the statement adds as an amount or a quantity (Importo,
// ImportoTotale, QuantitàCamere). A binary value there (an SQLite blob, a Jet
// binary or OLE field) is kept as the text "0x" + hexadecimal digits, which
// no reading takes for a number.
bool campoCifra(std::string_view nome);
std::string binarioInCampoCifra(const unsigned char *p, std::size_t n);

// A date field of the hotel tables the statement walks by date (DataArrivo,
// DataPartenza, DataPartenzaReale, DataAddebito, DataInizio, DataFine of
// Scheda_Cliente, Camere_Prenotazione, Conto_Cliente, Arrangiamento),
// compared by the criteria as a text yyyymmdd.
bool campoData(std::string_view tabella, std::string_view campo);
// A value such a field may hold: null, an empty or blank text (no date), or
// eight digits that are a real day ("20240301"). Anything else would make
// its record fall out of, or into, a period in silence.
bool dataValida(const Valore &v);
// Throws ErroreDati naming the file, table, field, value and room of the
// first record of `t` whose date field does not hold a date.
void verificaDate(const Tabella &t, const std::string &archivio, const std::string &tabella);
// The same check one record at a time, for records read one by one.
class VerificaDate {
public:
    VerificaDate(const std::vector<std::string> &colonne, std::string archivio, std::string tabella);
    bool serve() const { return !m_date.empty(); }   // whether the table has date fields
    void verifica(const Valore *riga) const;          // throws as verificaDate
private:
    std::vector<std::string> m_colonne;
    std::string m_archivio, m_tabella;
    std::vector<std::size_t> m_date;
    int m_camera = -1;
};

} // namespace pc::dati
