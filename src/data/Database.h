#pragma once

#include "Sorgente.h"
#include "Valore.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::dati {

class Filtro;
class Recordset;

// An open hotel database (one file), read-only. Mirrors the operations the
// report and the print menu need: open by path, open a dynaset record set from
// a table name or a Select in the suite's SQL dialect, close.
class Database {
public:
    // Throws ErroreDati naming the file when it is missing or not a database.
    // When the exact name is absent, a file of the same folder whose name
    // differs only in case is taken (folders copied from Windows), and a
    // Windows path with backslashes is tried with slashes.
    // Read through fontePredefinita(); the second form through the Fonte
    // given (a folder, a property of the central archive), which the files
    // named by In '...' then come from too.
    static std::unique_ptr<Database> open(const std::string &percorso);
    static std::unique_ptr<Database> open(const std::string &percorso, std::shared_ptr<Fonte> fonte);
    // The file open() would read in the folder, when there is one.
    static std::optional<std::string> trova(const std::string &percorso);
    ~Database();

    // The names of the file's tables, as stored.
    std::vector<std::string> tabelle();

    const std::string &percorso() const;

    // A table name, or "Select * From T [In 'file'] [Where ...] [Order by a, b];"
    // with =, <>, <, <=, >, >=, And, Or, Not, parentheses, quoted texts,
    // numbers, Left(field, n) and "field In (Select f From T In 'file.mdb' Where ...)".
    // Files named by In are taken from the process's working directory, as
    // the suite's engine does (the history databases elsewhere name
    // 'VociFattura.mdb' of the working directory). Text comparisons and
    // ordering ignore case. Throws ErroreDati naming the table, field or the
    // malformed text.
    std::unique_ptr<Recordset> openRecordset(std::string_view sqlOTabella);

    // The records openRecordset would select, handed one at a time to riga
    // (the record's cells in column order, valid during the call) in the
    // table's own order, never held together: for a caller that keeps only
    // what it needs and orders that itself (the Order by's fields are checked
    // but not applied; with a single field, every field is handed). Before
    // the first record, schema gets a record set with the selection's
    // columns and no records, whose columnIndex and descrizione are those of
    // the record set openRecordset would give. Throws as openRecordset does.
    void scorri(std::string_view sqlOTabella, const std::function<void(const Recordset &schema)> &schema,
                const Sorgente::VisitaRiga &riga);

    void close();

private:
    friend class Recordset;
    explicit Database(std::unique_ptr<Sorgente> sorgente);
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The selected records, materialised in query order, with a current record.
class Recordset {
public:
    ~Recordset();

    // Find first / find next with a criterion written as a Where clause
    // ("NumeroHotel = 1", "DataArrivo <= '20120301' and DataPartenza > '20120301'").
    // Return true when a record was found; on no match the current record
    // stays where it was. Throws ErroreDati on a malformed criterion or an
    // unknown field.
    bool findFirst(std::string_view criterio);
    bool findNext(std::string_view criterio);
    bool noMatch() const { return m_noMatch; }

    // Field of the current record by name (case-insensitive). Throws
    // ErroreDati when the field does not exist or there is no current record.
    const Valore &field(std::string_view nome) const;

    // Direct access for readers that walk all rows (fast paths).
    const std::vector<std::string> &colonne() const { return m_tabella->colonne; }
    std::size_t size() const { return m_tutte ? m_tabella->righe.size() : m_posizioni.size(); }
    int columnIndex(std::string_view nome) const;        // throws when missing
    const Valore &value(std::size_t riga, int colonna) const
    {
        return m_tabella->righe[m_tutte ? riga : m_posizioni[riga]][static_cast<std::size_t>(colonna)];
    }
    const std::string &descrizione() const { return m_descrizione; }

private:
    friend class Database;
    Recordset() = default;
    // The record set of no records of a table, for its columns and messages.
    static std::unique_ptr<Recordset> schema(const std::string &tabella, const std::vector<std::string> &colonne,
                                             const std::string &archivio);
    struct CacheCriterio;
    bool cerca(std::string_view criterio, std::size_t da);
    std::shared_ptr<const Filtro> filtroPer(std::string_view criterio);
    const std::vector<std::uint32_t> *candidatiPer(const Filtro &filtro);

    std::string m_descrizione;   // "table Scheda_Cliente of Scheda_Cliente.mdb", for messages
    std::string m_tabellaNome, m_archivio;           // for messages and same-file sub-selects
    std::shared_ptr<Fonte> m_fonte;                   // where sub-selects read
    std::shared_ptr<const Tabella> m_tabella;         // may be shared with the table cache
    std::vector<std::uint32_t> m_posizioni;           // selected rows of m_tabella in order
    bool m_tutte = false;                             // every row of m_tabella, in its order
    std::ptrdiff_t m_corrente = -1;
    bool m_noMatch = true;
    std::shared_ptr<CacheCriterio> m_cache;
};

} // namespace pc::dati
