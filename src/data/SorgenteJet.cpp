// Reading the suite's Jet 3 / Jet 4 (.mdb) files through libmdb (mdbtools).
//
// libmdb finds the tables, their columns and their data pages, locates each
// row on its page, splits the variable-length part of a row into fields and
// decodes texts (Jet 3 code page, Jet 4 compressed Unicode) to UTF-8. The
// values themselves are taken from the row bytes here, because libmdb's
// bound-value reading loses what the report depends on:
//  - Currency goes through a text conversion (slow, and only 4 decimals of
//    text); here the 8-byte integer x 10000 becomes a Valuta unchanged.
//  - NULL and the empty text both come back with length 0; its per-row null
//    flag is read beyond the row's own null mask for rows written before a
//    column was added. Here a column whose number is not covered by the row's
//    column count is NULL, and the others follow the row's null mask.
//  - Memo fields are cut at the bind size; here they are read whole.
// Every offset taken from the file is checked against the row and the page
// before it is used, so a damaged file ends in ErroreDati, not in a crash.
// The file is opened read-only (MDB_NOFLAGS) and never written. Every libmdb
// call is made inside a SessioneMdb: the constructor, leggiTabella and the
// destructor each hold one for their whole length.

#include "Calendario.h"
#include "ErroreDati.h"
#include "SessioneMdb.h"
#include "SorgentiInterne.h"
#include "Testo.h"

#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <unistd.h>

namespace pc::dati {

namespace {

std::uint16_t u16(const unsigned char *p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t u32(const unsigned char *p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16)
        | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t u64(const unsigned char *p) { return static_cast<std::uint64_t>(u32(p)) | (static_cast<std::uint64_t>(u32(p + 4)) << 32); }
double f64(const unsigned char *p)
{
    const std::uint64_t bit = u64(p);
    double d;
    std::memcpy(&d, &bit, sizeof d);
    return d;
}
float f32(const unsigned char *p)
{
    const std::uint32_t bit = u32(p);
    float f;
    std::memcpy(&f, &bit, sizeof f);
    return f;
}

std::string esadecimale(const unsigned char *p, std::size_t n)
{
    static const char cifre[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        s += cifre[p[i] >> 4];
        s += cifre[p[i] & 0x0f];
    }
    return s;
}

// Jet DateTime: days since 30/12/1899 as a double; the fraction is the time
// of day, taken as positive also for dates before 1899. Gives
// "yyyy-mm-dd hh:mm:ss", or nothing for a value outside years 100..9999.
std::optional<std::string> testoDataOra(double giorni)
{
    if (!std::isfinite(giorni) || giorni < -657434.0 || giorni > 2958466.0) return std::nullopt;
    double intera = std::trunc(giorni);
    long long secondi = std::llround(std::fabs(giorni - intera) * 86400.0);
    long long g = static_cast<long long>(intera);
    if (secondi >= 86400) {
        secondi -= 86400;
        g += giorni < 0 ? -1 : 1;
    }
    // Day 25569 is 1970-01-01.
    const auto d = calendario::civile(static_cast<long>(g - 25569));
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04ld-%02d-%02d %02lld:%02lld:%02lld", d.anno, d.mese, d.giorno, secondi / 3600, (secondi / 60) % 60,
                  secondi % 60);
    return std::string(buf);
}

struct LiberaG {
    void operator()(void *p) const { g_free(p); }
};
using VoceCatalogo = std::unique_ptr<MdbCatalogEntry, LiberaG>;

struct TabellaMdb {
    MdbTableDef *def = nullptr;
    ~TabellaMdb()
    {
        if (def) mdb_free_tabledef(def);
    }
};

class SorgenteJet final : public Sorgente {
public:
    explicit SorgenteJet(std::string percorso) : m_percorso(std::move(percorso))
    {
        SessioneMdb sessione;
        m_mdb = mdb_open(m_percorso.c_str(), MDB_NOFLAGS);
        if (!m_mdb) throw ErroreDati("Impossibile aprire l'archivio Jet \"" + m_percorso + "\": file danneggiato o non leggibile.");
        // A Jet file is made of whole pages: anything else was cut short
        // (a copy or a transfer that did not finish).
        std::error_code ec;
        const auto dimensione = std::filesystem::file_size(m_percorso, ec);
        if (ec || m_mdb->fmt->pg_size <= 0 || dimensione % static_cast<std::uintmax_t>(m_mdb->fmt->pg_size) != 0) {
            mdb_close(m_mdb);
            m_mdb = nullptr;
            throw ErroreDati("L'archivio Jet \"" + m_percorso + "\" \xC3\xA8 troncato (non \xC3\xA8 fatto di pagine intere).");
        }
        try {
            leggiCatalogo();
        } catch (const ErroreDati &e) {
            mdb_close(m_mdb);
            m_mdb = nullptr;
            throw ErroreDati("Impossibile leggere l'elenco delle tabelle dell'archivio Jet \"" + m_percorso + "\": " + e.what());
        }
    }

    ~SorgenteJet() override
    {
        if (m_mdb) {
            SessioneMdb sessione;
            mdb_close(m_mdb);
        }
    }

    const std::string &percorso() const override { return m_percorso; }

    std::vector<std::string> tabelle() override { return m_nomi; }

    Tabella leggiTabella(const std::string &nome) override
    {
        std::size_t trovata = m_voci.size();
        for (std::size_t i = 0; i < m_nomi.size(); ++i)
            if (testo::ugualeNoCase(m_nomi[i], nome)) {
                trovata = i;
                break;
            }
        if (trovata == m_voci.size())
            throw ErroreDati("Tabella \"" + nome + "\" non trovata nell'archivio \"" + m_percorso + "\".");

        SessioneMdb sessione;
        return leggi(m_voci[trovata].get(), m_nomi[trovata]);
    }

private:
    [[noreturn]] void danneggiata(const std::string &tabella, const std::string &cosa) const
    {
        throw ErroreDati("Tabella \"" + tabella + "\" dell'archivio \"" + m_percorso + "\" non leggibile: " + cosa + ".");
    }

    // The list of objects, from the system table MSysObjects (always on
    // page 2). libmdb's own catalog reading also parses every object's
    // property blob, and on a damaged blob it can loop without end: here
    // only the four fields needed are decoded, with the checked row reader.
    void leggiCatalogo()
    {
        MdbCatalogEntry sistema{};
        sistema.mdb = m_mdb;
        std::snprintf(sistema.object_name, sizeof sistema.object_name, "%s", "MSysObjects");
        sistema.object_type = MDB_TABLE;
        sistema.table_pg = 2;
        const Tabella oggetti = leggi(&sistema, "MSysObjects", {"Id", "Name", "Type", "Flags"});
        const auto indice = [&](const char *nome) {
            for (std::size_t i = 0; i < oggetti.colonne.size(); ++i)
                if (oggetti.colonne[i] == nome) return i;
            throw ErroreDati(std::string("campo ") + nome + " assente nella tabella di sistema");
        };
        const std::size_t id = indice("Id"), nome = indice("Name"), tipo = indice("Type"), flags = indice("Flags");
        for (const auto &r : oggetti.righe) {
            if (r[id].tipo() != Valore::Tipo::Intero || r[tipo].tipo() != Valore::Tipo::Intero || !r[nome].eTesto()) continue;
            const std::int64_t f = r[flags].tipo() == Valore::Tipo::Intero ? r[flags].comeIntero() : 0;
            // Type 1 is a local table; flags 0x80000000 and 0x2 mark system tables.
            if ((r[tipo].comeIntero() & 0x7f) != MDB_TABLE || (static_cast<std::uint32_t>(f) & 0x80000002u) != 0) continue;
            const std::string &n = r[nome].comeTesto();
            if (n.empty() || n.size() > MDB_MAX_OBJ_NAME) continue;
            VoceCatalogo voce(static_cast<MdbCatalogEntry *>(g_malloc0(sizeof(MdbCatalogEntry))));
            voce->mdb = m_mdb;
            std::snprintf(voce->object_name, sizeof voce->object_name, "%s", n.c_str());
            voce->object_type = MDB_TABLE;
            voce->table_pg = static_cast<unsigned long>(r[id].comeIntero() & 0x00ffffff);
            voce->flags = static_cast<int>(f);
            m_voci.push_back(std::move(voce));
            m_nomi.push_back(n);
        }
    }

    // The whole table; with a list of fields, only those are decoded and
    // the others stay NULL.
    Tabella leggi(MdbCatalogEntry *voce, const std::string &nome, const std::vector<std::string> &soloCampi = {})
    {
        TabellaMdb t;
        t.def = mdb_read_table(voce);
        if (!t.def) danneggiata(nome, "definizione della tabella danneggiata");
        if (!mdb_read_columns(t.def) || !t.def->columns || t.def->columns->len != t.def->num_cols)
            danneggiata(nome, "elenco dei campi danneggiato");

        Tabella out;
        out.nome = nome;
        const unsigned int nColonne = t.def->num_cols;
        std::vector<MdbColumn *> colonne(nColonne);
        std::vector<bool> utili(nColonne, false);
        for (unsigned int c = 0; c < nColonne; ++c) {
            colonne[c] = static_cast<MdbColumn *>(g_ptr_array_index(t.def->columns, c));
            out.colonne.emplace_back(colonne[c]->name);
            if (soloCampi.empty() || std::find(soloCampi.begin(), soloCampi.end(), out.colonne.back()) != soloCampi.end())
                utili[c] = true;
            if (utili[c]) controllaTipo(nome, colonne[c]);
        }
        out.righe.impostaColonne(nColonne);
        // Room for the declared rows at once, but only as many as the file
        // can hold (every row carries at least its null mask): a damaged
        // count must not ask for gigabytes.
        {
            std::error_code ec;
            const auto byte = std::filesystem::file_size(m_percorso, ec);
            const std::uintmax_t minimoRiga = 2 + (nColonne + 7) / 8;
            if (!ec && t.def->num_rows <= byte / minimoRiga) out.righe.reserve(t.def->num_rows);
        }

        const bool jet4 = m_mdb->f->jet_version != MDB_VER_JET3;
        const int dimPagina = static_cast<int>(m_mdb->fmt->pg_size);
        const int offConteggio = m_mdb->fmt->row_count_offset;
        std::vector<MdbField> campi(nColonne);

        // libmdb walks the data pages through the table's usage map; a
        // zero-length map row leaves it without one, and its page walk would
        // then read through a null pointer. An inline map (type 0) needs its
        // first page number; a map of type 1 lists map pages.
        if (!t.def->usage_map || t.def->map_sz < 1 || (t.def->usage_map[0] == 0 && t.def->map_sz < 5) || t.def->usage_map[0] > 1)
            danneggiata(nome, "mappa delle pagine della tabella danneggiata");
        mdb_rewind_table(t.def);
        // The data pages in libmdb's order (the table's usage map), rows in
        // page order: the order in which libmdb's own row reading returns them.
        while (mdb_read_next_dpg(t.def)) {
            const unsigned char *pagina = m_mdb->pg_buf;
            const int righePagina = u16(pagina + offConteggio);
            for (int r = 0; r < righePagina; ++r) {
                int inizio = 0;
                std::size_t lunghezza = 0;
                if (mdb_find_row(m_mdb, r, &inizio, &lunghezza) != 0 || lunghezza == 0) continue;
                // 0x4000: a deleted row or the pointer left behind by a row
                // moved to another page; libmdb skips both.
                if (inizio & 0x4000) continue;
                inizio &= 0x1fff;
                if (inizio + static_cast<long long>(lunghezza) > dimPagina) danneggiata(nome, "riga fuori dalla pagina");
                leggiRiga(nome, t.def, colonne, utili, campi, jet4, inizio, lunghezza, out.righe.aggiungiRiga());
            }
        }
        // The table definition keeps the number of rows; fewer rows found
        // means data pages are missing or unreadable: never a partial table.
        if (out.righe.size() != t.def->num_rows)
            danneggiata(nome, "la tabella dichiara " + std::to_string(t.def->num_rows) + " righe ma ne sono state trovate "
                                  + std::to_string(out.righe.size()) + " (file troncato o danneggiato)");
        return out;
    }

    void controllaTipo(const std::string &tabella, MdbColumn *col) const
    {
        switch (col->col_type) {
        case MDB_BOOL: case MDB_BYTE: case MDB_INT: case MDB_LONGINT: case MDB_MONEY: case MDB_FLOAT: case MDB_DOUBLE:
        case MDB_DATETIME: case MDB_BINARY: case MDB_TEXT: case MDB_OLE: case MDB_MEMO: case MDB_REPID: case MDB_NUMERIC:
        case MDB_COMPLEX:
            return;
        default: {
            char codice[8];
            std::snprintf(codice, sizeof codice, "0x%02X", static_cast<unsigned>(col->col_type) & 0xff);
            danneggiata(tabella, "il campo \"" + std::string(col->name) + "\" ha un tipo sconosciuto (" + codice + ")");
        }
        }
    }

    // Bytes a fixed-length value of this type needs.
    static int dimensioneFissa(int tipo)
    {
        switch (tipo) {
        case MDB_BYTE: return 1;
        case MDB_INT: return 2;
        case MDB_LONGINT: case MDB_FLOAT: case MDB_COMPLEX: return 4;
        case MDB_MONEY: case MDB_DOUBLE: case MDB_DATETIME: return 8;
        case MDB_REPID: return 16;
        case MDB_NUMERIC: return 17;
        default: return 0;
        }
    }

    // The row's values into its cells (null on entry), one per column.
    void leggiRiga(const std::string &tabella, MdbTableDef *def, const std::vector<MdbColumn *> &colonne,
                   const std::vector<bool> &utili, std::vector<MdbField> &campi, bool jet4, int inizio, std::size_t lunghezza,
                   Valore *valori)
    {
        const unsigned char *pg = m_mdb->pg_buf;
        const unsigned char *riga = pg + inizio;
        const int n = static_cast<int>(lunghezza);
        const int dimConteggio = jet4 ? 2 : 1;
        if (n < dimConteggio + 1) danneggiata(tabella, "riga troppo corta");
        const unsigned int colonneRiga = jet4 ? u16(riga) : riga[0];
        const int dimMaschera = static_cast<int>((colonneRiga + 7) / 8);
        if (dimConteggio + dimMaschera + dimConteggio > n) danneggiata(tabella, "maschera dei valori nulli fuori dalla riga");
        const unsigned char *maschera = riga + n - dimMaschera;

        // The variable-length part: libmdb's row splitting reads the offset
        // table at the row's end; check first that the table lies inside the row.
        unsigned int variabiliRiga = 0;
        if (def->num_var_cols > 0) {
            if (jet4) {
                variabiliRiga = u16(riga + n - dimMaschera - 2);
                const long long basso = static_cast<long long>(n) - dimMaschera - 4 - 2LL * variabiliRiga;
                if (basso < dimConteggio) danneggiata(tabella, "tabella dei campi variabili fuori dalla riga");
            } else {
                variabiliRiga = riga[n - dimMaschera - 1];
                const long long salti = (n - 1) / 256;
                const long long basso = static_cast<long long>(n) - dimMaschera - 2 - salti - variabiliRiga;
                if (basso < dimConteggio) danneggiata(tabella, "tabella dei campi variabili fuori dalla riga");
            }
            if (variabiliRiga > colonneRiga) danneggiata(tabella, "numero di campi variabili incoerente");
            if (mdb_crack_row(def, inizio, lunghezza, campi.data()) < 0) danneggiata(tabella, "riga danneggiata");
        }

        for (std::size_t c = 0; c < colonne.size(); ++c) {
            MdbColumn *col = colonne[c];
            if (!utili[c]) {
                continue;
            }
            const unsigned int bit = static_cast<unsigned int>(col->col_num);
            // A column added after the row was written is not in the row: NULL.
            const bool inRiga = bit < colonneRiga;
            const bool bitAcceso = inRiga && (maschera[bit / 8] & (1u << (bit % 8)));
            if (col->col_type == MDB_BOOL) {
                // Yes/No lives in the null mask itself: a set bit is "yes".
                valori[c] = Valore::intero(bitAcceso ? 1 : 0);
                continue;
            }
            if (!bitAcceso) {
                continue;
            }
            int da = 0, dim = 0;
            if (col->is_fixed) {
                da = dimConteggio + col->fixed_offset;
                dim = dimensioneFissa(col->col_type);
                if (dim == 0) dim = col->col_size;
            } else {
                if (col->var_col_num >= variabiliRiga) {
                    continue;
                }
                const MdbField &f = campi[c];
                da = f.start - inizio;
                dim = f.siz;
            }
            if (da < dimConteggio || dim < 0 || static_cast<long long>(da) + dim > n)
                danneggiata(tabella, "valore del campo \"" + std::string(col->name) + "\" fuori dalla riga");
            valori[c] = valore(tabella, col, riga + da, dim);
        }
    }

    Valore valore(const std::string &tabella, MdbColumn *col, const unsigned char *p, int dim)
    {
        auto corto = [&](int serve) {
            if (dim < serve) danneggiata(tabella, "valore del campo \"" + std::string(col->name) + "\" troncato");
        };
        switch (col->col_type) {
        case MDB_BYTE:
            corto(1);
            return Valore::intero(p[0]);
        case MDB_INT:
            corto(2);
            return Valore::intero(static_cast<std::int16_t>(u16(p)));
        case MDB_LONGINT:
        case MDB_COMPLEX:
            corto(4);
            return Valore::intero(static_cast<std::int32_t>(u32(p)));
        case MDB_MONEY:
            corto(8);
            return Valore::valuta(Valuta::daGrezzo(static_cast<std::int64_t>(u64(p))));
        case MDB_FLOAT:
            corto(4);
            return Valore::reale(static_cast<double>(f32(p)));
        case MDB_DOUBLE:
            corto(8);
            return Valore::reale(f64(p));
        case MDB_DATETIME: {
            corto(8);
            auto t = testoDataOra(f64(p));
            if (!t) danneggiata(tabella, "data non valida nel campo \"" + std::string(col->name) + "\"");
            return Valore::testo(*t);
        }
        case MDB_REPID: {
            corto(16);
            return Valore::testo(esadecimaleGuid(p));
        }
        case MDB_NUMERIC:
            corto(17);
            return numerico(col, p);
        case MDB_BINARY:
            if (campoCifra(col->name)) return Valore::testo(binarioInCampoCifra(p, static_cast<std::size_t>(dim)));
            return Valore::testo(esadecimale(p, static_cast<std::size_t>(dim)));
        case MDB_TEXT:
            return Valore::testo(decodifica(p, dim));
        case MDB_MEMO: {
            const std::vector<unsigned char> dati = datiLunghi(tabella, col, p, dim);
            return Valore::testo(decodifica(dati.data(), static_cast<int>(dati.size())));
        }
        case MDB_OLE: {
            const std::vector<unsigned char> dati = datiLunghi(tabella, col, p, dim);
            if (campoCifra(col->name)) return Valore::testo(binarioInCampoCifra(dati.data(), dati.size()));
            return Valore::testo(esadecimale(dati.data(), dati.size()));
        }
        default:
            danneggiata(tabella, "il campo \"" + std::string(col->name) + "\" ha un tipo non gestito");
        }
    }

    static std::string esadecimaleGuid(const unsigned char *p)
    {
        char buf[48];
        std::snprintf(buf, sizeof buf, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", p[3], p[2], p[1], p[0], p[5],
                      p[4], p[7], p[6], p[8], p[9], p[10], p[11], p[12], p[13], p[14], p[15]);
        return buf;
    }

    // Numeric(p, s): a sign byte (0x80 = negative) and a 128-bit magnitude
    // kept as four little-endian 32-bit words, the most significant first.
    // The scale is the smaller of the two figures libmdb keeps for the column
    // (their names are swapped in some libmdb versions; precision >= scale).
    // With at most four decimals it becomes a Valuta, otherwise exact text.
    static Valore numerico(MdbColumn *col, const unsigned char *p)
    {
        unsigned __int128 m = 0;
        for (int w = 0; w < 4; ++w) m = (m << 32) | u32(p + 1 + 4 * w);
        const int scala = std::clamp(std::min(col->col_scale, col->col_prec), 0, 38);
        std::string cifre;
        do {
            cifre.insert(cifre.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
            m /= 10;
        } while (m != 0);
        if (static_cast<int>(cifre.size()) <= scala) cifre.insert(0, static_cast<std::size_t>(scala + 1 - cifre.size()), '0');
        if (scala > 0) cifre.insert(cifre.size() - static_cast<std::size_t>(scala), 1, '.');
        const bool negativo = (p[0] & 0x80) != 0 && cifre.find_first_not_of("0.") != std::string::npos;
        if (negativo) cifre.insert(0, 1, '-');
        if (scala <= 4)
            if (auto v = Valuta::daTesto(cifre)) return Valore::valuta(*v);
        return Valore::testo(cifre);
    }

    // Text bytes as stored (Jet 3 code page, Jet 4 UTF-16 possibly
    // compressed) to UTF-8, through libmdb's decoder.
    std::string decodifica(const unsigned char *p, int dim)
    {
        if (dim <= 0) return {};
        const std::size_t spazio = static_cast<std::size_t>(dim) * 3 + 8;
        if (m_buffer.size() < spazio) m_buffer.resize(spazio);
        m_buffer[0] = '\0';
        mdb_unicode2ascii(m_mdb, reinterpret_cast<const char *>(p), static_cast<std::size_t>(dim), m_buffer.data(), m_buffer.size());
        m_buffer[m_buffer.size() - 1] = '\0';
        return std::string(m_buffer.data());
    }

    // The whole content of a Memo or OLE field: kept in the row itself, on
    // one other page, or on a chain of pages (located with libmdb).
    std::vector<unsigned char> datiLunghi(const std::string &tabella, MdbColumn *col, const unsigned char *p, int dim)
    {
        std::vector<unsigned char> dati;
        if (dim < MDB_MEMO_OVERHEAD) return dati;   // zero-length value
        const std::uint32_t intestazione = u32(p);
        const std::uint32_t totale = intestazione & 0x3fffffff;
        const auto rotto = [&]() { danneggiata(tabella, "dati lunghi del campo \"" + std::string(col->name) + "\" danneggiati"); };
        if (intestazione & 0x80000000u) {
            dati.assign(p + MDB_MEMO_OVERHEAD, p + dim);
            return dati;
        }
        const int flags = static_cast<int>(intestazione >> 24);
        if (flags != 0x40 && flags != 0) rotto();
        // mdb_find_pg_row reads the other pages into alt_pg_buf and leaves
        // the data page in pg_buf untouched.
        std::uint32_t puntatore = u32(p + 4);
        if (totale > 256u * 1024 * 1024) rotto();
        dati.reserve(totale);
        const int dimPagina = static_cast<int>(m_mdb->fmt->pg_size);
        for (int giri = 0; puntatore != 0; ++giri) {
            if (giri > 65536) rotto();
            void *buf = nullptr;
            int inizio = 0;
            std::size_t lung = 0;
            if (mdb_find_pg_row(m_mdb, static_cast<int>(puntatore), &buf, &inizio, &lung) != 0) rotto();
            if (inizio < 0 || inizio + static_cast<long long>(lung) > dimPagina) rotto();
            const unsigned char *b = static_cast<const unsigned char *>(buf) + inizio;
            if (flags == 0x40) {
                dati.assign(b, b + lung);
                break;
            }
            if (lung < 4) rotto();
            dati.insert(dati.end(), b + 4, b + lung);
            if (dati.size() > totale) rotto();
            puntatore = u32(b);
        }
        if (flags == 0 && dati.size() < totale) rotto();
        return dati;
    }

    std::string m_percorso;
    MdbHandle *m_mdb = nullptr;
    std::vector<VoceCatalogo> m_voci;   // user tables, made here (not libmdb's catalog)
    std::vector<std::string> m_nomi;
    std::vector<char> m_buffer;
};

} // namespace

std::unique_ptr<Sorgente> apriSorgenteJet(const std::string &percorso)
{
    return std::make_unique<SorgenteJet>(percorso);
}

} // namespace pc::dati
