#pragma once

#include "Valore.h"
#include "Valuta.h"

#include <algorithm>
#include <cstdint>
#include <cstddef>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pc::dati {

namespace dialetto { struct Query; }

// One row of a table: a view of its cells, valid while the table lives
// and no row is added to it.
class RigaTabella {
public:
    RigaTabella(const Valore *celle, std::size_t n) : m_celle(celle), m_n(n) {}
    const Valore &operator[](std::size_t c) const { return m_celle[c]; }
    const Valore &at(std::size_t c) const
    {
        if (c >= m_n) throw std::out_of_range("colonna oltre la fine della riga");
        return m_celle[c];
    }
    std::size_t size() const { return m_n; }
    const Valore *data() const { return m_celle; }
    const Valore *begin() const { return m_celle; }
    const Valore *end() const { return m_celle + m_n; }

    friend bool operator==(const RigaTabella &a, const std::vector<Valore> &b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    const Valore *m_celle;
    std::size_t m_n;
};

// Memory for large blocks of cells: blocks of 2 MB and more are taken in
// whole huge pages where the system offers them (one page fault instead of
// 512 when a block is first written); smaller ones from the ordinary heap.
void *allocaCelle(std::size_t byte);
void liberaCelle(void *p, std::size_t byte) noexcept;

template <typename T>
struct AllocatoreCelle {
    using value_type = T;
    AllocatoreCelle() = default;
    template <typename U>
    AllocatoreCelle(const AllocatoreCelle<U> &) noexcept {}
    T *allocate(std::size_t n) { return static_cast<T *>(allocaCelle(n * sizeof(T))); }
    void deallocate(T *p, std::size_t n) noexcept { liberaCelle(p, n * sizeof(T)); }
    friend bool operator==(const AllocatoreCelle &, const AllocatoreCelle &) { return true; }
};

// The rows of a table in blocks of cells, row after row: a table of a
// million rows is a few dozen allocations, not a million, a scan reads memory
// in order, and growing never moves more than the first block.
class RigheTabella {
public:
    RigheTabella() = default;
    explicit RigheTabella(std::size_t colonne) { impostaColonne(colonne); }

    std::size_t colonne() const { return m_colonne; }
    // Only while the table has no rows.
    void impostaColonne(std::size_t n)
    {
        if (m_righe != 0) throw std::logic_error("numero di colonne cambiato in una tabella con righe");
        m_colonne = n;
        m_bitBlocco = bitBlocco(n);
    }

    std::size_t size() const { return m_righe; }
    std::size_t righeBlocco() const { return std::size_t{1} << m_bitBlocco; }
    bool empty() const { return m_righe == 0; }
    RigaTabella operator[](std::size_t i) const
    {
        return {m_blocchi[i >> m_bitBlocco].data() + (i & (righeBlocco() - 1)) * m_colonne, m_colonne};
    }
    RigaTabella at(std::size_t i) const
    {
        if (i >= m_righe) throw std::out_of_range("riga oltre la fine della tabella");
        return (*this)[i];
    }
    RigaTabella front() const { return (*this)[0]; }
    RigaTabella back() const { return (*this)[m_righe - 1]; }

    // Room for this many rows in all (only the first block is sized by it).
    void reserve(std::size_t righe)
    {
        if (m_righe == 0 && righe > 0) {
            if (m_blocchi.empty()) m_blocchi.emplace_back();
            m_blocchi.back().reserve((righe < righeBlocco() ? righe : righeBlocco()) * m_colonne);
        }
    }
    // Appends a row of null cells; returns its first cell, to be filled in
    // before the next row is added.
    Valore *aggiungiRiga()
    {
        if (m_blocchi.empty() || (m_righe > 0 && (m_righe & (righeBlocco() - 1)) == 0)) {
            m_blocchi.emplace_back();
            // From the second block on the table is big: whole blocks at once.
            if (m_righe > 0) m_blocchi.back().reserve(righeBlocco() * m_colonne);
        }
        auto &blocco = m_blocchi.back();
        blocco.resize(blocco.size() + m_colonne);
        ++m_righe;
        return blocco.data() + (blocco.size() - m_colonne);
    }
    // A whole row; missing cells stay null, cells beyond the columns are an error.
    void push_back(std::vector<Valore> riga)
    {
        if (riga.size() > m_colonne) throw std::logic_error("riga con pi\xC3\xB9 celle delle colonne della tabella");
        Valore *celle = aggiungiRiga();
        for (std::size_t c = 0; c < riga.size(); ++c) celle[c] = std::move(riga[c]);
    }

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = RigaTabella;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = RigaTabella;
        const_iterator() = default;
        const_iterator(const RigheTabella *t, std::size_t i) : m_t(t), m_i(i) {}
        RigaTabella operator*() const { return (*m_t)[m_i]; }
        const_iterator &operator++()
        {
            ++m_i;
            return *this;
        }
        const_iterator operator++(int)
        {
            auto x = *this;
            ++m_i;
            return x;
        }
        bool operator==(const const_iterator &o) const { return m_i == o.m_i; }

    private:
        const RigheTabella *m_t = nullptr;
        std::size_t m_i = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_righe}; }

private:
    // Rows per block: a power of two, so that finding a row is a shift and a
    // mask. Chosen so that a block spans at least 2 MB and wastes little of
    // its last huge page.
    static unsigned bitBlocco(std::size_t colonne)
    {
        constexpr std::size_t Pagina = std::size_t{2} << 20;
        if (colonne == 0) return 10;
        for (unsigned b = 10; b <= 17; ++b) {
            const std::size_t byte = (std::size_t{1} << b) * colonne * sizeof(Valore);
            if (byte < Pagina) continue;
            const std::size_t spreco = (Pagina - byte % Pagina) % Pagina;
            if (spreco * 8 <= byte) return b;
        }
        return 17;
    }
    // Row i is in block i >> m_bitBlocco at cell (i % righeBlocco()) * m_colonne.
    std::vector<std::vector<Valore, AllocatoreCelle<Valore>>> m_blocchi;
    std::size_t m_colonne = 0;
    std::size_t m_righe = 0;
    unsigned m_bitBlocco = 10;
};

// The rows of one table, in the table's own order.
struct Tabella {
    std::string nome;
    std::vector<std::string> colonne;   // names as stored (UTF-8)
    RigheTabella righe;                 // righe[i][c] is column c of row i; righe.colonne() == colonne.size()
};

// One database file of a given engine (SQLite, Jet). Read-only: a Sorgente
// never writes to its file. Queries are evaluated above it (see Database), so
// a backend only lists and reads tables.
class Sorgente {
public:
    virtual ~Sorgente() = default;
    virtual const std::string &percorso() const = 0;
    // Table names as stored.
    virtual std::vector<std::string> tabelle() = 0;
    // The whole table; the name is matched without regard to case. Throws
    // ErroreDati naming the file and the table when it is missing or unreadable.
    virtual Tabella leggiTabella(const std::string &nome) = 0;

    // Optional fast path: evaluates a Select's Where inside the backend with
    // exactly the records of the in-memory evaluation, and returns them with
    // every column in the table's own order (the caller orders them and picks
    // the field, as for a table it reads whole). Returns nothing when the
    // condition cannot be translated faithfully; the caller then reads the
    // table and evaluates it itself. sottoselezione gives the values of an
    // "In (Select ...)" sub-select.
    using Sottoselezione = std::function<std::vector<Valore>(const dialetto::Query &)>;
    virtual std::optional<Tabella> interroga(const dialetto::Query &, const Sottoselezione &) { return std::nullopt; }

    // A source that already holds a table in memory hands it out without a
    // copy (nothing: read it with leggiTabella).
    virtual std::shared_ptr<const Tabella> tenuta(const std::string &nome) { (void)nome; return nullptr; }

    // The same records as interroga, in the same order, handed one at a time
    // to riga (its cells in column order, valid during the call) instead of
    // being kept; schema gets the table's name and columns first.
    // Returns false, having handed nothing, where interroga returns nothing.
    // A backend that reads row by row overrides it so that the records are
    // never held together.
    using Schema = std::function<void(const std::string &tabella, const std::vector<std::string> &colonne)>;
    using VisitaRiga = std::function<void(const Valore *riga)>;
    virtual bool scorri(const dialetto::Query &q, const Sottoselezione &sotto, const Schema &schema,
                        const VisitaRiga &riga)
    {
        auto t = interroga(q, sotto);
        if (!t) return false;
        schema(t->nome, t->colonne);
        for (const RigaTabella r : t->righe) riga(r.data());
        return true;
    }
};

// The day figures a source keeps beside its tables (the central archive
// stores them at import; a folder keeps none), in the statement's units:
// rooms sold, room revenue and, apart, the rooms of bookings (part of the
// rooms sold), day-major, one figure per column.
enum class Gruppo : char { Camere = 'C', Tipi = 'T', Macro = 'M', Strutture = 'S' };
struct FigureSalvate {
    std::vector<std::string> chiavi;          // columns, as the statement's (Strutture: the properties)
    std::vector<std::int64_t> disponibili;    // rooms of each column
    std::int64_t camere = 0;                  // rooms of the property's room list (Strutture: of the chain)
    long primo = 0, giorni = 0;               // serial days (calendario::seriale)
    std::vector<Valuta> vendute, ricavo, prenotate;   // giorni x chiavi.size()
};

// Where a hotel's database files come from: the files of a folder, or the
// copy of a property in the chain's central archive. A statement, an
// analysis or a print reads through the one it is given; one Fonte serves one
// request at a time (a reading of the central archive is one snapshot from
// its first table to the Fonte's end or rinnova()), and separate Fonti can
// be read from separate threads at once.
class Fonte {
public:
    virtual ~Fonte() = default;
    // A database file as the statement names it ("NumeriCamere.mdb",
    // DIRKV + "/SchedaStoricoClienti.mdb"). Throws ErroreDati naming it.
    virtual std::unique_ptr<Sorgente> apri(const std::string &percorso) = 0;
    // Key of that file's tables in the process's table cache; empty: the
    // file on disk identifies them.
    virtual std::string identita(const std::string &percorso) { (void)percorso; return {}; }
    // Files are found by name alone (the history files need no DIRKV).
    virtual bool perNome() const { return false; }
    // Figures kept by the source for [dal, al] (serial days); throws
    // ErroreDati when it keeps none.
    virtual bool haFigure() const { return false; }
    virtual FigureSalvate figure(Gruppo gruppo, long dal, long al);
    // Ends the current reading: the next one sees what was imported meanwhile.
    virtual void rinnova() {}
    // Keeps one reading for as long as the object returned lives (a source
    // whose readings end with their last open file keeps them open).
    virtual std::shared_ptr<void> tieni() { return nullptr; }
    // "la cartella \"...\"", "la struttura \"X\" dell'archivio centrale (...)", for messages.
    virtual std::string descrizione() const = 0;
};

// The files of the working directory (the history files under DIRKV).
std::shared_ptr<Fonte> cartella();
// What Database::open without a Fonte reads: the working directory, unless
// the program was started on the central archive (set once at start).
std::shared_ptr<Fonte> fontePredefinita();
void impostaFontePredefinita(std::shared_ptr<Fonte> fonte);

// Opens a database file, recognising its engine by content (not by name).
// Throws ErroreDati naming the file when it is missing, unreadable or of an
// unknown kind.
std::unique_ptr<Sorgente> apriSorgente(const std::string &percorso);

// The engine of a database file from its first bytes (32 are enough), and
// that of the file `percorso` (Nessuno when it cannot be read). The same
// recognition opens the files and keeps them from being written.
enum class TipoArchivio { Nessuno, Sqlite, Jet };
TipoArchivio tipoArchivio(const char *testa, std::size_t letti);
TipoArchivio riconosciArchivio(const std::string &percorso);

} // namespace pc::dati
