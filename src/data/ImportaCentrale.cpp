#include "Centrale.h"

#include "ConnessioneCentrale.h"
#include "Calendario.h"
#include "Database.h"
#include "ErroreDati.h"
#include "Testo.h"

#include <QCryptographicHash>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <future>
#include <optional>

namespace pc::dati::centrale {

namespace {

// A text the server keeps as it is: valid UTF-8 without NUL.
bool testoSicuro(const std::string &s)
{
    const auto *p = reinterpret_cast<const unsigned char *>(s.data());
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c == 0) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t l;
        std::uint32_t cp;
        if ((c & 0xE0) == 0xC0) l = 2, cp = c & 0x1F;
        else if ((c & 0xF0) == 0xE0) l = 3, cp = c & 0x0F;
        else if ((c & 0xF8) == 0xF0) l = 4, cp = c & 0x07;
        else return false;
        if (i + l > n) return false;
        for (std::size_t k = 1; k < l; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((l == 2 && cp < 0x80) || (l == 3 && cp < 0x800) || (l == 4 && cp < 0x10000) || cp > 0x10FFFF
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += l;
    }
    return true;
}

// How a column is kept: I whole numbers (bigint), R reals (double precision),
// V currency (bigint, the raw fixed-point value), T texts (text), N only
// nulls (text), X cells of mixed kinds or texts the server cannot hold
// (bytea, each cell tagged with its kind). Every cell comes back as it was.
char tipoColonna(const Tabella &t, std::size_t c)
{
    char k = 'N';
    for (std::size_t i = 0; i < t.righe.size(); ++i) {
        const Valore &v = t.righe[i][c];
        char t;
        switch (v.tipo()) {
        case Valore::Tipo::Nullo: continue;
        case Valore::Tipo::Intero: t = 'I'; break;
        case Valore::Tipo::Reale: t = 'R'; break;
        case Valore::Tipo::Valuta: t = 'V'; break;
        default:
            if (!testoSicuro(v.comeTesto())) return 'X';
            t = 'T';
        }
        if (k == 'N') k = t;
        else if (k != t) return 'X';
    }
    return k;
}

const char *tipoSql(char k)
{
    switch (k) {
    case 'I':
    case 'V': return "bigint";
    case 'R': return "double precision";
    case 'X': return "bytea";
    default: return "text";
    }
}

void numero(std::string &b, std::int64_t v)
{
    char t[24];
    auto r = std::to_chars(t, t + sizeof t, v);
    b.append(t, r.ptr);
}

void reale(std::string &b, double d)
{
    if (std::isnan(d)) {
        b += "NaN";
        return;
    }
    if (std::isinf(d)) {
        b += d < 0 ? "-Infinity" : "Infinity";
        return;
    }
    char t[40];
    auto r = std::to_chars(t, t + sizeof t, d);
    b.append(t, r.ptr);
}

// A text in COPY's text format.
void testoCopia(std::string &b, const std::string &s)
{
    for (char c : s) {
        switch (c) {
        case '\\': b += "\\\\"; break;
        case '\t': b += "\\t"; break;
        case '\n': b += "\\n"; break;
        case '\r': b += "\\r"; break;
        default: b += c;
        }
    }
}

void cellaMista(std::string &b, const Valore &v)
{
    std::string grezzo;
    switch (v.tipo()) {
    case Valore::Tipo::Intero: grezzo = "I", numero(grezzo, v.comeIntero()); break;
    case Valore::Tipo::Valuta: grezzo = "V", numero(grezzo, v.comeValuta().grezzo()); break;
    case Valore::Tipo::Reale: grezzo = "R", reale(grezzo, v.comeReale()); break;
    default: grezzo = "T" + v.comeTesto();
    }
    static const char esa[] = "0123456789abcdef";
    b += "\\\\x";
    for (unsigned char c : grezzo) {
        b += esa[c >> 4];
        b += esa[c & 15];
    }
}

class Copia {
public:
    Copia(Connessione &c, const std::string &sql, const std::string &cosa) : m_c(c), m_cosa(cosa) { m_c.esegui(sql, {}, cosa); }
    std::string &buffer() { return m_b; }
    void forse()
    {
        if (m_b.size() >= (1u << 20)) invia();
    }
    void fine()
    {
        invia();
        if (PQputCopyEnd(m_c.get(), nullptr) != 1) m_c.errore(nullptr, m_cosa);
        Risultato r(PQgetResult(m_c.get()));
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) m_c.errore(r.get(), m_cosa);
        while (PGresult *altro = PQgetResult(m_c.get())) PQclear(altro);
    }

private:
    void invia()
    {
        if (!m_b.empty() && PQputCopyData(m_c.get(), m_b.data(), static_cast<int>(m_b.size())) != 1) m_c.errore(nullptr, m_cosa);
        m_b.clear();
    }
    Connessione &m_c;
    std::string m_cosa;
    std::string m_b;
};

std::string impronta(const std::string &nome)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(nome), QCryptographicHash::Sha1).toHex().left(16).toStdString();
}

// Every table the statement reads is there, before anything is copied; else
// the import is refused naming each missing file (absent, unreadable, a FIFO
// or a folder in its place: never opened) or table.
void verificaCompletezza(const std::string &cartella, const std::string &storico)
{
    std::string mancanze;
    bool storicoMancante = false;
    for (const auto &f : fileArchiviati()) {
        if (!f.prospetto) continue;
        const std::string percorso = (f.storico ? storico : cartella) + "/" + f.file;
        try {
            auto db = Database::open(percorso, dati::cartella());
            const auto presenti = db->tabelle();
            for (const char *voluta : f.tabelle)
                if (std::none_of(presenti.begin(), presenti.end(), [&](const std::string &t) { return testo::ugualeNoCase(t, voluta); }))
                    mancanze += std::string(" Tabella \"") + voluta + "\" assente nell'archivio \"" + percorso + "\".";
        } catch (const ErroreDati &e) {
            mancanze += std::string(" ") + e.what();
            storicoMancante = storicoMancante || f.storico;
        }
    }
    if (mancanze.empty()) return;
    std::error_code ec;
    if (storicoMancante && !std::filesystem::exists(storico, ec) && !ec)
        mancanze += " La cartella DIRKV \"" + storico + "\" non esiste.";
    else if (storicoMancante && std::filesystem::is_empty(storico, ec) && !ec)
        mancanze += " La cartella DIRKV \"" + storico + "\" \xC3\xA8 vuota: forse il disco non \xC3\xA8 montato.";
    throw ErroreDati("Importazione rifiutata: mancano dati che il prospetto legge, e la copia precedente della struttura resta "
                     "com'era." + mancanze);
}

// The tables the import copies, read once: the copy and the figures'
// computation (in a thread of its own meanwhile) read them from memory. The
// files are found by name as the archive finds them, so the figures are
// computed from exactly what is copied.
class FonteImportazione final : public Fonte {
public:
    struct Letta {
        const FileArchiviato *file;
        std::string nome;   // as named in the file
        std::shared_ptr<const Tabella> tabella;
    };

    FonteImportazione(std::string cartella, std::string storico) : m_cartella(std::move(cartella)), m_storico(std::move(storico)) {}

    // Reads every table of the files the import copies; false when none of the files is there.
    bool leggi()
    {
        bool qualcuno = false;
        for (const auto &f : fileArchiviati()) {
            auto risolto = Database::trova(percorsoDi(f));
            if (!risolto && f.prospetto)
                throw ErroreDati("Importazione interrotta: l'archivio \"" + percorsoDi(f) + "\" non si trova pi\xC3\xB9.");
            if (!risolto) continue;
            qualcuno = true;
            auto s = dati::cartella()->apri(*risolto);
            const auto presenti = s->tabelle();
            for (const char *voluta : f.tabelle) {
                std::string nome;
                for (const auto &t : presenti)
                    if (testo::ugualeNoCase(t, voluta)) nome = t;
                if (nome.empty() && f.prospetto)
                    throw ErroreDati(std::string("Importazione interrotta: tabella \"") + voluta + "\" assente nell'archivio \""
                                     + percorsoDi(f) + "\".");
                if (!nome.empty()) m_lette.push_back({&f, nome, std::make_shared<const Tabella>(s->leggiTabella(nome))});
            }
        }
        return qualcuno;
    }
    const std::vector<Letta> &lette() const { return m_lette; }

    std::unique_ptr<Sorgente> apri(const std::string &percorso) override
    {
        std::string nome = percorso;
        for (char &ch : nome)
            if (ch == '\\') ch = '/';
        nome = std::filesystem::path(nome).filename().string();
        const FileArchiviato *file = nullptr;
        for (const auto &f : fileArchiviati())
            if (testo::ugualeNoCase(f.file, nome)) file = &f;
        if (!file) return dati::cartella()->apri(m_cartella + "/" + nome);
        return std::make_unique<SorgenteLetta>(*this, *file);
    }
    std::string identita(const std::string &percorso) override { return "importazione:" + percorso; }
    bool perNome() const override { return true; }
    std::string descrizione() const override { return "la cartella \"" + m_cartella + "\""; }

private:
    std::string percorsoDi(const FileArchiviato &f) const { return (f.storico ? m_storico : m_cartella) + "/" + f.file; }

    class SorgenteLetta final : public Sorgente {
    public:
        SorgenteLetta(FonteImportazione &fonte, const FileArchiviato &file) : m_fonte(fonte), m_file(file), m_percorso(fonte.percorsoDi(file))
        {
            bool presente = false;
            for (const auto &l : m_fonte.m_lette) presente = presente || l.file == &m_file;
            if (!presente) throw ErroreDati("Archivio \"" + m_percorso + "\" non trovato.");
        }
        const std::string &percorso() const override { return m_percorso; }
        std::vector<std::string> tabelle() override
        {
            std::vector<std::string> r;
            for (const auto &l : m_fonte.m_lette)
                if (l.file == &m_file) r.push_back(l.nome);
            return r;
        }
        Tabella leggiTabella(const std::string &nome) override { return *tenuta(nome); }
        std::shared_ptr<const Tabella> tenuta(const std::string &nome) override
        {
            for (const auto &l : m_fonte.m_lette)
                if (l.file == &m_file && testo::ugualeNoCase(l.nome, nome)) return l.tabella;
            throw ErroreDati("Tabella \"" + nome + "\" non trovata nell'archivio \"" + m_percorso + "\".");
        }

    private:
        FonteImportazione &m_fonte;
        const FileArchiviato &m_file;
        std::string m_percorso;
    };

    std::string m_cartella, m_storico;
    std::vector<Letta> m_lette;
};

// The tables whose dates bound the days a record counts on.
bool tabellaConDate(const std::string &tabella)
{
    for (const char *t : {"Scheda_Cliente", "Camere_Prenotazione", "Conto_Cliente", "Arrangiamento"})
        if (testo::ugualeNoCase(tabella, t)) return true;
    return false;
}

// A text yyyymmdd of a calendar date, as a serial day.
std::optional<long> giornoDi(const std::string &t)
{
    if (t.size() != 8 || t.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const int a = std::stoi(t.substr(0, 4)), m = std::stoi(t.substr(4, 2)), g = std::stoi(t.substr(6, 2));
    if (m < 1 || m > 12 || g < 1 || g > calendario::giorniNelMese(a, m)) return std::nullopt;
    return calendario::seriale(a, m, g);
}

// A vector of amounts as a bigint[] in COPY's text format; all zeros (a day
// without bookings, a day to come) as the empty array.
void vettore(std::string &b, const Valuta *v, std::size_t n)
{
    if (std::all_of(v, v + n, [](Valuta x) { return x.zero(); })) {
        b += "{}";
        return;
    }
    b += '{';
    for (std::size_t k = 0; k < n; ++k) {
        if (k) b += ',';
        numero(b, v[k].grezzo());
    }
    b += '}';
}

} // namespace

std::string nomeStrutturaNonValido(const std::string &struttura)
{
    if (!testoSicuro(struttura)) return "non \xC3\xA8 un testo UTF-8 valido";
    bool soloSpazi = true;
    for (std::size_t i = 0; i < struttura.size(); ++i) {
        const auto c = static_cast<unsigned char>(struttura[i]);
        const auto dopo = i + 1 < struttura.size() ? static_cast<unsigned char>(struttura[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F || (c == 0xC2 && dopo >= 0x80 && dopo <= 0x9F))
            return "contiene caratteri di controllo (a capo, tabulazione o simili)";
        if (c == 0xC2 && dopo == 0xA0) ++i;   // a no-break space
        else if (c != ' ') soloSpazi = false;
    }
    if (soloSpazi) return "\xC3\xA8 vuoto o fatto di soli spazi";
    return {};
}

EsitoImportazione importa(const Contesto &contesto, const std::string &cartella, const std::string &storico,
                          const CalcoloFigure &calcolo)
{
    if (contesto.struttura.empty()) throw ErroreDati("Indicare il nome della struttura con --struttura NOME.");
    if (const std::string motivo = nomeStrutturaNonValido(contesto.struttura); !motivo.empty())
        throw ErroreDati("Il nome della struttura " + motivo + ".");
    verificaCompletezza(cartella, storico);
    Connessione c(contesto.url);
    EsitoImportazione esito;

    c.esegui("BEGIN");
    c.esegui("SET LOCAL client_min_messages = warning");
    c.esegui("CREATE SCHEMA IF NOT EXISTS pc_archivio");
    c.esegui("CREATE TABLE IF NOT EXISTS pc_archivio.layout (versione integer NOT NULL)");
    c.esegui("CREATE TABLE IF NOT EXISTS pc_archivio.strutture (nome text PRIMARY KEY, schema text NOT NULL UNIQUE, "
             "importata timestamptz NOT NULL, tabelle integer NOT NULL, righe bigint NOT NULL, "
             "camere bigint NOT NULL DEFAULT 0, figure integer)");
    {
        Risultato r = c.esegui("SELECT versione FROM pc_archivio.layout");
        const int versione = PQntuples(r.get()) == 0 ? 0 : std::atoi(PQgetvalue(r.get(), 0, 0));
        if (versione > VersioneLayout) c.erroreLayout(versione);
        if (versione < VersioneLayout) {
            // An older archive is brought up to this layout: its properties
            // stay readable once each is imported again (figure is null
            // until then, and readers refuse them with a message saying so).
            c.esegui("LOCK TABLE pc_archivio.layout IN ACCESS EXCLUSIVE MODE");
            c.esegui("ALTER TABLE pc_archivio.strutture ADD COLUMN IF NOT EXISTS camere bigint NOT NULL DEFAULT 0, "
                     "ADD COLUMN IF NOT EXISTS figure integer");
            c.esegui("CREATE TABLE IF NOT EXISTS pc_archivio.figure_catena (struttura text NOT NULL, giorno integer NOT NULL, "
                     "vendute bigint NOT NULL, ricavo bigint NOT NULL, prenotate bigint NOT NULL, PRIMARY KEY (struttura, giorno))");
            c.esegui("DELETE FROM pc_archivio.layout");
            c.esegui("INSERT INTO pc_archivio.layout (versione) VALUES ($1)", {std::to_string(VersioneLayout)});
        }
    }

    const std::string h = impronta(contesto.struttura);
    const std::string nuovo = c.identificatore("pcn_" + h), definitivo = c.identificatore("pcs_" + h);
    c.esegui("DROP SCHEMA IF EXISTS " + nuovo + " CASCADE");
    c.esegui("CREATE SCHEMA " + nuovo);
    c.esegui("CREATE TABLE " + nuovo + ".pc_tabelle (file text NOT NULL, tabella text NOT NULL, nome text PRIMARY KEY, "
             "tipi text NOT NULL, righe bigint NOT NULL)");
    c.esegui("CREATE TABLE " + nuovo + ".pc_colonne (nome text NOT NULL, posizione integer NOT NULL, colonna text NOT NULL, "
             "PRIMARY KEY (nome, posizione))");
    c.esegui("CREATE TABLE " + nuovo + ".pc_figure_colonne (gruppo text NOT NULL, posizione integer NOT NULL, chiave text NOT NULL, "
             "disponibili bigint NOT NULL, PRIMARY KEY (gruppo, posizione))");
    c.esegui("CREATE TABLE " + nuovo + ".pc_figure (gruppo text NOT NULL, giorno integer NOT NULL, vendute bigint[] NOT NULL, "
             "ricavo bigint[] NOT NULL, prenotate bigint[] NOT NULL, PRIMARY KEY (gruppo, giorno))");
    long primoGiorno = 0, ultimoGiorno = -1;   // the days the records' dates span

    // Every table read once; the figures are computed from them in a thread
    // of its own while the rows go to the server.
    const auto fonte = std::make_shared<FonteImportazione>(cartella, storico);
    if (!fonte->leggi())
        throw ErroreDati("Nessun archivio dell'albergo trovato nella cartella \"" + cartella + "\" n\xC3\xA9 in DIRKV (\"" + storico
                         + "\"): eseguire l'importazione nella cartella dell'albergo.");
    for (const auto &l : fonte->lette()) {
        if (!tabellaConDate(l.nome)) continue;
        const Tabella &t = *l.tabella;
        for (std::size_t k = 0; k < t.colonne.size(); ++k) {
            if (t.colonne[k].size() < 4 || !testo::ugualeNoCase(t.colonne[k].substr(0, 4), "Data")) continue;
            for (std::size_t i = 0; i < t.righe.size(); ++i) {
                const Valore &v = t.righe[i][k];
                if (!v.eTesto()) continue;
                const auto g = giornoDi(v.comeTesto());
                if (!g) continue;
                if (ultimoGiorno < primoGiorno) primoGiorno = ultimoGiorno = *g;
                primoGiorno = std::min(primoGiorno, *g);
                ultimoGiorno = std::max(ultimoGiorno, *g);
            }
        }
    }
    auto calcoloFigure = std::async(std::launch::async, [&] { return calcolo(fonte, primoGiorno, ultimoGiorno); });

    int numeroTabella = 0;
    for (const auto &letta : fonte->lette()) {
        {
            const FileArchiviato &f = *letta.file;
            const std::string &nomeTabella = letta.nome;
            const Tabella &tabella = *letta.tabella;
            const auto &colonne = tabella.colonne;
            const std::string nome = "t" + std::to_string(++numeroTabella);
            const std::string tabellaSql = nuovo + "." + c.identificatore(nome);
            const std::string cosa = "copia della tabella \"" + nomeTabella + "\" di \"" + f.file + "\"";
            std::string tipi, crea = "CREATE TABLE " + tabellaSql + " (r bigint NOT NULL", elenco = "r";
            for (std::size_t k = 0; k < colonne.size(); ++k) {
                tipi += tipoColonna(tabella, k);
                crea += ", c" + std::to_string(k) + " " + tipoSql(tipi.back());
                elenco += ",c" + std::to_string(k);
            }
            c.esegui(crea + ")", {}, cosa);

            Copia copia(c, "COPY " + tabellaSql + " (" + elenco + ") FROM STDIN", cosa);
            std::string &b = copia.buffer();
            for (std::size_t i = 0; i < tabella.righe.size(); ++i) {
                numero(b, static_cast<std::int64_t>(i));
                for (std::size_t k = 0; k < colonne.size(); ++k) {
                    b += '\t';
                    const Valore &v = tabella.righe[i][k];
                    if (v.nullo()) {
                        b += "\\N";
                        continue;
                    }
                    switch (tipi[k]) {
                    case 'I': numero(b, v.comeIntero()); break;
                    case 'V': numero(b, v.comeValuta().grezzo()); break;
                    case 'R': reale(b, v.comeReale()); break;
                    case 'T': testoCopia(b, v.comeTesto()); break;
                    default: cellaMista(b, v);
                    }
                }
                b += '\n';
                copia.forse();
            }
            copia.fine();
            esito.righe += tabella.righe.size();
            ++esito.tabelle;
            c.esegui("INSERT INTO " + nuovo + ".pc_tabelle (file, tabella, nome, tipi, righe) VALUES ($1, $2, $3, $4, $5)",
                     {testo::maiuscolo(f.file), nomeTabella, nome, tipi, std::to_string(tabella.righe.size())}, cosa);
            for (std::size_t k = 0; k < colonne.size(); ++k)
                c.esegui("INSERT INTO " + nuovo + ".pc_colonne (nome, posizione, colonna) VALUES ($1, $2, $3)",
                         {nome, std::to_string(k), colonne[k]}, cosa);

            // The statement's criteria: the hotel and the dates (texts yyyymmdd).
            int hotel = -1;
            for (std::size_t k = 0; k < colonne.size(); ++k)
                if (testo::ugualeNoCase(colonne[k], "NumeroHotel") && tipi[k] == 'I') hotel = static_cast<int>(k);
            for (std::size_t k = 0; k < colonne.size(); ++k) {
                if (tipi[k] != 'T' || colonne[k].size() < 4 || !testo::ugualeNoCase(colonne[k].substr(0, 4), "Data")) continue;
                c.esegui("CREATE INDEX ON " + tabellaSql + " (" + (hotel >= 0 ? "c" + std::to_string(hotel) + ", " : std::string())
                             + "c" + std::to_string(k) + " COLLATE \"C\")",
                         {}, cosa);
            }
        }
    }
    // No ANALYZE: the index builds give the planner the tables' sizes, the
    // server's autovacuum gathers the rest, and the import stays shorter.

    // The figures, computed from the same files, in the same transaction.
    std::vector<FigureSalvate> figure = calcoloFigure.get();
    const Gruppo gruppi[] = {Gruppo::Camere, Gruppo::Tipi, Gruppo::Macro};
    if (figure.size() != 3) throw ErroreDati("Cifre giornaliere incomplete per la struttura \"" + contesto.struttura + "\".");
    const std::string cosaFigure = "cifre giornaliere della struttura \"" + contesto.struttura + "\"";
    {
        Copia copia(c, "COPY " + nuovo + ".pc_figure_colonne (gruppo, posizione, chiave, disponibili) FROM STDIN", cosaFigure);
        std::string &b = copia.buffer();
        for (std::size_t g = 0; g < 3; ++g)
            for (std::size_t k = 0; k < figure[g].chiavi.size(); ++k) {
                b += static_cast<char>(gruppi[g]);
                b += '\t';
                numero(b, static_cast<std::int64_t>(k));
                b += '\t';
                testoCopia(b, figure[g].chiavi[k]);
                b += '\t';
                numero(b, k < figure[g].disponibili.size() ? figure[g].disponibili[k] : 0);
                b += '\n';
            }
        copia.fine();
    }
    {
        Copia copia(c, "COPY " + nuovo + ".pc_figure (gruppo, giorno, vendute, ricavo, prenotate) FROM STDIN", cosaFigure);
        std::string &b = copia.buffer();
        for (std::size_t g = 0; g < 3; ++g) {
            const FigureSalvate &f = figure[g];
            const std::size_t n = f.chiavi.size();
            for (long d = 0; d < f.giorni; ++d) {
                const std::size_t base = static_cast<std::size_t>(d) * n;
                b += static_cast<char>(gruppi[g]);
                b += '\t';
                numero(b, f.primo + d);
                b += '\t';
                vettore(b, f.vendute.data() + base, n);
                b += '\t';
                vettore(b, f.ricavo.data() + base, n);
                b += '\t';
                vettore(b, f.prenotate.data() + base, n);
                b += '\n';
                copia.forse();
            }
        }
        copia.fine();
    }
    esito.giorni = static_cast<std::size_t>(std::max(0L, figure[1].giorni));

    // The swap: readers hold the list shared for their whole reading, so
    // they see the old copy or the new one, never a half.
    c.esegui("LOCK TABLE pc_archivio.strutture IN ACCESS EXCLUSIVE MODE");
    c.esegui("DROP SCHEMA IF EXISTS " + definitivo + " CASCADE");
    c.esegui("ALTER SCHEMA " + nuovo + " RENAME TO " + definitivo);
    c.esegui("INSERT INTO pc_archivio.strutture (nome, schema, importata, tabelle, righe, camere, figure) "
             "VALUES ($1, $2, now(), $3, $4, $5, $6) "
             "ON CONFLICT (nome) DO UPDATE SET schema = EXCLUDED.schema, importata = EXCLUDED.importata, "
             "tabelle = EXCLUDED.tabelle, righe = EXCLUDED.righe, camere = EXCLUDED.camere, figure = EXCLUDED.figure",
             {contesto.struttura, "pcs_" + h, std::to_string(esito.tabelle), std::to_string(esito.righe),
              std::to_string(figure[1].camere), std::to_string(VersioneLayout)});
    // The chain's figures of the property: its figure of a day is the sum of
    // its figures by room type, as its own statement by type gives them.
    c.esegui("DELETE FROM pc_archivio.figure_catena WHERE struttura = $1", {contesto.struttura}, cosaFigure);
    {
        Copia copia(c, "COPY pc_archivio.figure_catena (struttura, giorno, vendute, ricavo, prenotate) FROM STDIN", cosaFigure);
        std::string &b = copia.buffer();
        std::string nome;
        testoCopia(nome, contesto.struttura);
        const FigureSalvate &f = figure[1];
        const std::size_t n = f.chiavi.size();
        for (long d = 0; d < f.giorni; ++d) {
            Valuta v, r, p;
            for (std::size_t k = 0; k < n; ++k) {
                const std::size_t i = static_cast<std::size_t>(d) * n + k;
                v += f.vendute[i];
                r += f.ricavo[i];
                p += f.prenotate[i];
            }
            b += nome;
            b += '\t';
            numero(b, f.primo + d);
            for (const Valuta &x : {v, r, p}) {
                b += '\t';
                numero(b, x.grezzo());
            }
            b += '\n';
            copia.forse();
        }
        copia.fine();
    }
    c.esegui("COMMIT", {}, "conferma dell'importazione");
    return esito;
}

} // namespace pc::dati::centrale
