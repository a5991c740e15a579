#include "Formati.h"

#include "ErroreDati.h"
#include "SessioneMdb.h"

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <cerrno>

using pc::dati::ErroreDati;
using pc::dati::FileProvvisorio;
using pc::dati::Valuta;
using pc::dati::causaSistema;
using pc::dati::controllaDestinazione;

namespace pc::analisi {

namespace {

// The measure sheets: data sheets hold the day figures, ratio sheets
// formulas over them.
enum class Misura { Occupazione, Adr, Revpar, Vendute, Prenotate, Ricavo, Disponibili };

struct Foglio {
    Misura misura;
    bool annoPrima;
    std::string nome;
    lxw_worksheet *ws = nullptr;
};

const char *nomeMisura(Misura m)
{
    switch (m) {
    case Misura::Occupazione: return "Occupazione";
    case Misura::Adr: return "ADR";
    case Misura::Revpar: return "RevPAR";
    case Misura::Vendute: return "Vendute";
    case Misura::Prenotate: return "Prenotate";
    case Misura::Ricavo: return "Ricavo";
    case Misura::Disponibili: break;
    }
    return "Disponibili";
}

std::string lettera(int colonna)
{
    std::string t;
    for (int c = colonna + 1; c > 0; c = (c - 1) / 26) t.insert(t.begin(), static_cast<char>('A' + (c - 1) % 26));
    return t;
}

std::string cella(const std::string &foglio, int riga, int colonna)
{
    return "'" + foglio + "'!$" + lettera(colonna) + "$" + std::to_string(riga + 1);
}

double numero(Valuta v) { return static_cast<double>(v.grezzo()) / Valuta::Scala; }

// a / b as the spreadsheet computes it; nothing where b is zero.
std::optional<double> quoziente(double a, double b)
{
    if (b == 0) return std::nullopt;
    return a / b;
}

std::optional<double> dato(Misura m, bool ap, const Cifre &c)
{
    switch (m) {
    case Misura::Vendute: return numero(ap ? c.venduteAP : c.vendute);
    case Misura::Prenotate: return numero(ap ? c.prenotateAP : c.prenotate);
    case Misura::Ricavo: return numero(ap ? c.ricavoAP : c.ricavo);
    case Misura::Disponibili: return static_cast<double>(ap ? c.disponibiliAP : c.disponibili);
    case Misura::Occupazione: return quoziente(numero(ap ? c.venduteAP : c.vendute), static_cast<double>(ap ? c.disponibiliAP : c.disponibili));
    case Misura::Adr: return quoziente(numero(ap ? c.ricavoAP : c.ricavo), numero(ap ? c.venduteAP : c.vendute));
    case Misura::Revpar: break;
    }
    return quoziente(numero(ap ? c.ricavoAP : c.ricavo), static_cast<double>(ap ? c.disponibiliAP : c.disponibili));
}

bool rapporto(Misura m) { return m == Misura::Occupazione || m == Misura::Adr || m == Misura::Revpar; }

// The sheets whose hotel column is charted carry the days on the books apart.
bool conPrenotate(const Foglio &f) { return !f.annoPrima && (f.misura == Misura::Occupazione || f.misura == Misura::Revpar); }

// libxlsxwriter prints its own English diagnostics on stderr, as libmdb
// does: its calls run inside the same session, which hides them, and its
// error codes become Italian messages here.
using SilenzioLibreria = dati::SessioneMdb;

std::string causaXlsx(lxw_error e, int numero)
{
    switch (e) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return "memoria insufficiente";
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return numero != 0 ? causaSistema(numero)
                           : std::string("errore di scrittura del file compresso (disco pieno o limite di dimensione dei file?)");
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return "il periodo o le colonne superano i limiti di un foglio elettronico (1.048.576 righe, 16.384 colonne)";
    default: return "errore della libreria del foglio elettronico n. " + std::to_string(static_cast<int>(e));
    }
}

} // namespace

std::string fuoriLimitiXlsx(long giorni, std::size_t colonne)
{
    // A sheet per measure: the title row, the days, the totals; the date, the columns, the hotel.
    if (giorni + 2 > RigheMassimeXlsx)
        return "il periodo di " + std::to_string(giorni) + " giorni non sta in un foglio elettronico (al massimo " +
               std::to_string(RigheMassimeXlsx - 2) + " giorni): scegliere un periodo pi\xC3\xB9 breve o il formato csv.";
    if (colonne + 2 > static_cast<std::size_t>(ColonneMassimeXlsx))
        return "le " + std::to_string(colonne) + " colonne non stanno in un foglio elettronico (al massimo " +
               std::to_string(ColonneMassimeXlsx - 2) + "): scegliere un raggruppamento pi\xC3\xB9 ampio o il formato csv.";
    return {};
}


struct ScrittoreXlsx::Stato {
    QString nome;
    std::string percorso;
    std::unique_ptr<FileProvvisorio> temporaneo;
    lxw_workbook *wb = nullptr;
    lxw_worksheet *riepilogo = nullptr, *mesi = nullptr, *grafici = nullptr;
    lxw_format *grassetto = nullptr, *titolo = nullptr, *data = nullptr, *dataPrenotata = nullptr, *euro = nullptr,
               *percento = nullptr, *intero = nullptr, *decimale = nullptr, *sotto = nullptr, *sopra = nullptr,
               *euroSotto = nullptr, *euroSopra = nullptr, *a_capo = nullptr;
    std::vector<Foglio> fogli;
    Intestazione i;
    int riga = 0;           // next day row of the measure sheets
    int rigaMesi = 1;       // next row of "Mesi"
    Giorno ultimoAP{-1};    // the day the last day line was compared with
    // Rows whose comparison day is a new one (each last year's day once in the totals).
    std::vector<std::pair<int, int>> righeAP;   // ranges of rows, both ends
    std::vector<Cifre> sommeAP;                 // their sums, columns then the hotel

    lxw_format *formato(Misura m) const
    {
        switch (m) {
        case Misura::Vendute:
        case Misura::Prenotate:
        case Misura::Disponibili: return intero;
        case Misura::Occupazione: return percento;
        default: return euro;
        }
    }
    void controlla(lxw_error e, int numero = 0) const
    {
        if (e == LXW_NO_ERROR) return;
        if (temporaneo) temporaneo->fallita(causaXlsx(e, numero));
        throw ErroreDati("Impossibile scrivere il foglio elettronico \"" + nome.toStdString() + "\": " + causaXlsx(e, numero) + ".");
    }
    // A4 landscape, one page wide, the header rows on every page.
    void impagina(lxw_worksheet *ws, int righeTitolo) const
    {
        worksheet_set_landscape(ws);
        worksheet_set_paper(ws, 9);
        worksheet_fit_to_pages(ws, 1, 0);
        worksheet_set_margins(ws, 0.4, 0.4, 0.6, 0.6);
        if (righeTitolo > 0) controlla(worksheet_repeat_rows(ws, 0, static_cast<lxw_row_t>(righeTitolo - 1)));
        controlla(worksheet_set_footer(ws, "&CPagina &P di &N"));
    }
    void testo(lxw_worksheet *ws, int r, int c, const std::string &t, lxw_format *f = nullptr) const
    {
        controlla(worksheet_write_string(ws, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), t.c_str(), f));
    }
    void numero(lxw_worksheet *ws, int r, int c, std::optional<double> v, lxw_format *f) const
    {
        if (v) controlla(worksheet_write_number(ws, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), *v, f));
    }
    void formula(lxw_worksheet *ws, int r, int c, const std::string &f, lxw_format *fmt, std::optional<double> v) const
    {
        if (v) controlla(worksheet_write_formula_num(ws, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), f.c_str(), fmt, *v));
        else controlla(worksheet_write_formula_str(ws, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), f.c_str(), fmt, ""));
    }
    // Width for a heading, so that none is clipped.
    static double larghezza(const std::string &t, double minimo = 11)
    {
        std::size_t n = 0;
        for (char c : t) n += (c & 0xC0) != 0x80;
        return std::max(minimo, static_cast<double>(n) * 1.1 + 2);
    }
};

ScrittoreXlsx::ScrittoreXlsx(const QString &nome) : m_stato(std::make_unique<Stato>())
{
    m_stato->nome = nome;
    m_stato->percorso = QFile::encodeName(nome).toStdString();
    controllaDestinazione(m_stato->percorso, "il foglio elettronico");   // before any figure is computed
}

ScrittoreXlsx::~ScrittoreXlsx()
{
    // An unfinished workbook is dropped without being written; the temporary file goes.
    if (m_stato->wb) {
        SilenzioLibreria silenzio;
        lxw_workbook_free(m_stato->wb);
    }
}

void ScrittoreXlsx::inizio(const Intestazione &i)
{
    SilenzioLibreria silenzio;
    m_stato->i = i;
    const std::string limite = fuoriLimitiXlsx(i.giorni, i.colonne.size());
    if (!limite.empty()) throw ErroreDati("Impossibile scrivere il foglio elettronico \"" + m_stato->percorso + "\": " + limite);
    m_stato->temporaneo = std::make_unique<FileProvvisorio>(m_stato->percorso, "il foglio elettronico");
    static std::string cartellaTemporanea;
    cartellaTemporanea = QFile::encodeName(QDir::tempPath()).toStdString();
    lxw_workbook_options opzioni = {};
    opzioni.constant_memory = LXW_TRUE;   // rows go to temporary files as they are written
    opzioni.tmpdir = cartellaTemporanea.data();
    m_stato->wb = workbook_new_opt(m_stato->temporaneo->percorso().c_str(), &opzioni);
    if (!m_stato->wb) m_stato->temporaneo->fallita("memoria insufficiente per il foglio elettronico");

    auto *wb = m_stato->wb;
    auto nuovo = [wb](const char *numero, bool grassetto = false) {
        lxw_format *f = workbook_add_format(wb);
        if (numero) format_set_num_format(f, numero);
        if (grassetto) format_set_bold(f);
        return f;
    };
    m_stato->grassetto = nuovo(nullptr, true);
    m_stato->titolo = nuovo(nullptr, true);
    format_set_font_size(m_stato->titolo, 13);
    m_stato->a_capo = nuovo(nullptr, true);
    format_set_text_wrap(m_stato->a_capo);
    format_set_align(m_stato->a_capo, LXW_ALIGN_VERTICAL_TOP);
    m_stato->data = nuovo("dd/mm/yyyy");
    m_stato->dataPrenotata = nuovo("dd/mm/yyyy");
    format_set_bg_color(m_stato->dataPrenotata, 0xFFF3CD);
    const char *euro = "#,##0.00 [$\xE2\x82\xAC-410]";
    m_stato->euro = nuovo(euro);
    m_stato->percento = nuovo("0.0%");
    m_stato->intero = nuovo("#,##0");
    m_stato->decimale = nuovo("0.0");
    m_stato->sotto = nuovo("#,##0");
    format_set_font_color(m_stato->sotto, 0xBE0000);
    m_stato->sopra = nuovo("#,##0");
    format_set_font_color(m_stato->sopra, 0x007800);
    m_stato->euroSotto = nuovo(euro);
    format_set_font_color(m_stato->euroSotto, 0xBE0000);
    m_stato->euroSopra = nuovo(euro);
    format_set_font_color(m_stato->euroSopra, 0x007800);

    m_stato->riepilogo = workbook_add_worksheet(wb, "Riepilogo");
    m_stato->mesi = workbook_add_worksheet(wb, "Mesi");
    m_stato->grafici = workbook_add_worksheet(wb, "Grafici");
    m_stato->fogli.clear();
    const Misura misure[] = {Misura::Occupazione, Misura::Adr, Misura::Revpar, Misura::Vendute, Misura::Prenotate, Misura::Ricavo};
    for (Misura x : misure) m_stato->fogli.push_back({x, false, nomeMisura(x), nullptr});
    m_stato->fogli.push_back({Misura::Disponibili, false, "Disponibili", nullptr});
    if (i.richiesta.confronto)
        for (Misura x : misure) m_stato->fogli.push_back({x, true, std::string(nomeMisura(x)) + " AP", nullptr});
    const int n = static_cast<int>(i.colonne.size());
    for (auto &f : m_stato->fogli) {
        f.ws = workbook_add_worksheet(wb, f.nome.c_str());
        worksheet_freeze_panes(f.ws, 1, 1);
        m_stato->impagina(f.ws, 1);
        worksheet_set_column(f.ws, 0, 0, 18, nullptr);
        m_stato->testo(f.ws, 0, 0, "Data", m_stato->grassetto);
        for (int c = 0; c <= n; ++c) {
            const std::string nome = c < n ? i.colonne[static_cast<std::size_t>(c)] : "Totale albergo";
            worksheet_set_column(f.ws, static_cast<lxw_col_t>(c + 1), static_cast<lxw_col_t>(c + 1), Stato::larghezza(nome, 12), nullptr);
            m_stato->testo(f.ws, 0, c + 1, nome, m_stato->grassetto);
        }
        // The hotel's days on the books again, apart, for the charts.
        if (conPrenotate(f)) {
            const char *t = "Totale albergo in prenotazione";
            worksheet_set_column(f.ws, static_cast<lxw_col_t>(n + 2), static_cast<lxw_col_t>(n + 2), Stato::larghezza(t), nullptr);
            m_stato->testo(f.ws, 0, n + 2, t, m_stato->grassetto);
        }
    }
    m_stato->riga = 1;
    m_stato->rigaMesi = 1;
    m_stato->ultimoAP = Giorno{-1};
    m_stato->righeAP.clear();
    m_stato->sommeAP.assign(static_cast<std::size_t>(n) + 1, Cifre());

    // "Mesi": the month lines, every column then the hotel.
    lxw_worksheet *s = m_stato->mesi;
    m_stato->impagina(s, 1);
    worksheet_freeze_panes(s, 1, 2);
    std::vector<std::string> titoli = {"Mese", "Colonna", "Disponibili", "Vendute", "di cui prenotate", "Occupazione", "Ricavo", "ADR", "RevPAR"};
    if (i.richiesta.confronto)
        for (const char *t : {"Disponibili AP", "Vendute AP", "Occupazione AP", "Ricavo AP", "ADR AP", "RevPAR AP"}) titoli.emplace_back(t);
    if (i.richiesta.budget)
        for (const char *t : {"Budget vendute", "Budget ricavo", "Scost. vendute", "Scost. ricavo"}) titoli.emplace_back(t);
    std::size_t piuLunga = 8;
    for (const auto &c : i.colonne) piuLunga = std::max(piuLunga, c.size());
    for (std::size_t j = 0; j < titoli.size(); ++j) {
        const double w = j == 1 ? std::max(16.0, static_cast<double>(piuLunga) + 2) : Stato::larghezza(titoli[j]);
        worksheet_set_column(s, static_cast<lxw_col_t>(j), static_cast<lxw_col_t>(j), w, nullptr);
        m_stato->testo(s, 0, static_cast<int>(j), titoli[j], m_stato->grassetto);
    }
}

void ScrittoreXlsx::giorno(Giorno g, const Cifre *colonne, const Cifre &albergo)
{
    SilenzioLibreria silenzio;
    const std::size_t n = m_stato->i.colonne.size();
    const bool confronto = m_stato->i.richiesta.confronto;
    lxw_datetime d = {g.anno(), g.mese(), g.giorno(), 0, 0, 0};
    const int r = m_stato->riga;
    // Each of last year's days once in the comparison totals: a day compared
    // with the same day as the one before (29 February) is left out of them.
    const Giorno gAP = giornoPrecedente(g, m_stato->i.richiesta.modoConfronto);
    const bool nuovoAP = gAP != m_stato->ultimoAP;
    if (confronto && nuovoAP) {
        if (!m_stato->righeAP.empty() && m_stato->righeAP.back().second == r - 1) m_stato->righeAP.back().second = r;
        else m_stato->righeAP.emplace_back(r, r);
        for (std::size_t c = 0; c <= n; ++c) m_stato->sommeAP[c] += c < n ? colonne[c] : albergo;
    }
    m_stato->ultimoAP = gAP;
    lxw_format *formatoData = albergo.inPrenotazione() ? m_stato->dataPrenotata : m_stato->data;
    for (auto &f : m_stato->fogli) {
        m_stato->controlla(worksheet_write_datetime(f.ws, static_cast<lxw_row_t>(r), 0, &d, formatoData));
        lxw_format *formato = m_stato->formato(f.misura);
        for (std::size_t c = 0; c <= n; ++c) {
            const Cifre &x = c < n ? colonne[c] : albergo;
            const int col = static_cast<int>(c) + 1;
            if (!rapporto(f.misura)) {
                m_stato->numero(f.ws, r, col, dato(f.misura, f.annoPrima, x), formato);
                continue;
            }
            // Days before the hotel's first recorded day have no ratio.
            if (f.annoPrima ? x.mancanteAP : x.mancante) continue;
            const std::string ap = f.annoPrima ? " AP" : "";
            const std::string v = cella("Vendute" + ap, r, col), p = cella("Ricavo" + ap, r, col), q = cella("Disponibili", r, col);
            std::string formula;
            if (f.misura == Misura::Occupazione) formula = "=IF(" + q + "=0,\"\"," + v + "/" + q + ")";
            else if (f.misura == Misura::Adr) formula = "=IF(" + v + "=0,\"\"," + p + "/" + v + ")";
            else formula = "=IF(" + q + "=0,\"\"," + p + "/" + q + ")";
            m_stato->formula(f.ws, r, col, formula, formato, dato(f.misura, f.annoPrima, x));
            if (c == n && conPrenotate(f) && albergo.inPrenotazione())
                m_stato->formula(f.ws, r, col + 1, formula, formato, dato(f.misura, false, x));
        }
    }
    ++m_stato->riga;
}

void ScrittoreXlsx::periodo(Periodicita p, const Periodo &periodo, const Cifre *colonne, const Cifre &albergo)
{
    SilenzioLibreria silenzio;
    if (p != Periodicita::Mese) return;
    const std::size_t n = m_stato->i.colonne.size();
    const bool confronto = m_stato->i.richiesta.confronto, budget = static_cast<bool>(m_stato->i.richiesta.budget);
    lxw_worksheet *s = m_stato->mesi;
    const std::string mese = etichetta(p, periodo);
    for (std::size_t c = 0; c <= n; ++c) {
        const Cifre &x = c < n ? colonne[c] : albergo;
        const int r = m_stato->rigaMesi++;
        const std::string R = std::to_string(r + 1);
        lxw_format *g = c < n ? nullptr : m_stato->grassetto;
        m_stato->testo(s, r, 0, mese, g);
        m_stato->testo(s, r, 1, c < n ? m_stato->i.colonne[c] : "Totale albergo", g);
        m_stato->numero(s, r, 2, static_cast<double>(x.disponibili), m_stato->intero);
        m_stato->numero(s, r, 3, numero(x.vendute), m_stato->intero);
        m_stato->numero(s, r, 4, numero(x.prenotate), m_stato->intero);
        m_stato->formula(s, r, 5, "=IF(C" + R + "=0,\"\",D" + R + "/C" + R + ")", m_stato->percento, dato(Misura::Occupazione, false, x));
        m_stato->numero(s, r, 6, numero(x.ricavo), m_stato->euro);
        m_stato->formula(s, r, 7, "=IF(D" + R + "=0,\"\",G" + R + "/D" + R + ")", m_stato->euro, dato(Misura::Adr, false, x));
        m_stato->formula(s, r, 8, "=IF(C" + R + "=0,\"\",G" + R + "/C" + R + ")", m_stato->euro, dato(Misura::Revpar, false, x));
        int col = 9;
        if (confronto) {
            m_stato->numero(s, r, 9, static_cast<double>(x.disponibiliAP), m_stato->intero);
            m_stato->numero(s, r, 10, numero(x.venduteAP), m_stato->intero);
            m_stato->formula(s, r, 11, "=IF(J" + R + "=0,\"\",K" + R + "/J" + R + ")", m_stato->percento, dato(Misura::Occupazione, true, x));
            m_stato->numero(s, r, 12, numero(x.ricavoAP), m_stato->euro);
            m_stato->formula(s, r, 13, "=IF(K" + R + "=0,\"\",M" + R + "/K" + R + ")", m_stato->euro, dato(Misura::Adr, true, x));
            m_stato->formula(s, r, 14, "=IF(J" + R + "=0,\"\",M" + R + "/J" + R + ")", m_stato->euro, dato(Misura::Revpar, true, x));
            col = 15;
        }
        if (budget && x.budget) {
            const double sv = numero(x.vendute) - numero(x.budget->vendute), sr = numero(x.ricavo) - numero(x.budget->ricavo);
            m_stato->numero(s, r, col, numero(x.budget->vendute), m_stato->intero);
            m_stato->numero(s, r, col + 1, numero(x.budget->ricavo), m_stato->euro);
            m_stato->formula(s, r, col + 2, "=D" + R + "-" + lettera(col) + R, sv < 0 ? m_stato->sotto : m_stato->sopra, sv);
            m_stato->formula(s, r, col + 3, "=G" + R + "-" + lettera(col + 1) + R, sr < 0 ? m_stato->euroSotto : m_stato->euroSopra, sr);
        }
    }
}

void ScrittoreXlsx::fine(const Cifre *colonne, const Cifre &albergo)
{
    SilenzioLibreria silenzio;
    const int n = static_cast<int>(m_stato->i.colonne.size());
    const bool confronto = m_stato->i.richiesta.confronto;
    const int primaRiga = 1, ultimaRiga = m_stato->riga - 1;
    auto cifreDi = [&](int c) -> const Cifre & { return c < n ? colonne[c] : albergo; };

    // Last year's days no day line is compared with (29 February of a leap
    // year before a common one): one line of their own, in the comparison totals.
    Cifre altri;
    bool conAltri = false;
    std::vector<Cifre> altriColonne(static_cast<std::size_t>(n) + 1);
    if (confronto)
        for (int c = 0; c <= n; ++c) {
            const Cifre &t = cifreDi(c), &s = m_stato->sommeAP[static_cast<std::size_t>(c)];
            Cifre &a = altriColonne[static_cast<std::size_t>(c)];
            a.venduteAP = Valuta::daGrezzo(t.venduteAP.grezzo() - s.venduteAP.grezzo());
            a.ricavoAP = Valuta::daGrezzo(t.ricavoAP.grezzo() - s.ricavoAP.grezzo());
            a.prenotateAP = Valuta::daGrezzo(t.prenotateAP.grezzo() - s.prenotateAP.grezzo());
            a.disponibiliAP = t.disponibiliAP - s.disponibiliAP;
            if (a.disponibiliAP != 0) conAltri = true;
        }
    const int rigaAltri = ultimaRiga + 1, rigaTotali = conAltri ? rigaAltri + 1 : rigaAltri;
    auto intervalli = [&](int col) {
        std::string t;
        for (const auto &[a, b] : m_stato->righeAP) t += (t.empty() ? "" : ",") + lettera(col) + std::to_string(a + 1) + ":" + lettera(col) + std::to_string(b + 1);
        if (conAltri) t += (t.empty() ? "" : ",") + lettera(col) + std::to_string(rigaAltri + 1);
        return t.empty() ? std::string("0") : t;
    };
    auto somma = [&](int col) {
        return ultimaRiga < primaRiga ? std::string("=0")
                                      : "=SUM(" + lettera(col) + std::to_string(primaRiga + 1) + ":" + lettera(col) + std::to_string(ultimaRiga + 1) + ")";
    };

    for (const auto &f : m_stato->fogli) {
        lxw_format *formato = m_stato->formato(f.misura);
        if (conAltri) {
            m_stato->testo(f.ws, rigaAltri, 0, "Altri giorni AP", m_stato->grassetto);
            if (f.annoPrima && !rapporto(f.misura))
                for (int c = 0; c <= n; ++c) m_stato->numero(f.ws, rigaAltri, c + 1, dato(f.misura, true, altriColonne[static_cast<std::size_t>(c)]), formato);
            if (f.misura == Misura::Disponibili)
                for (int c = 0; c <= n; ++c)
                    m_stato->numero(f.ws, rigaAltri, c + 1, static_cast<double>(altriColonne[static_cast<std::size_t>(c)].disponibiliAP), formato);
        }
        m_stato->testo(f.ws, rigaTotali, 0, "TOTALE", m_stato->grassetto);
        for (int c = 0; c <= n; ++c) {
            const int col = c + 1;
            const Cifre &x = cifreDi(c);
            if (!rapporto(f.misura)) {
                m_stato->formula(f.ws, rigaTotali, col, f.annoPrima ? "=SUM(" + intervalli(col) + ")" : somma(col), formato, dato(f.misura, f.annoPrima, x));
                continue;
            }
            const std::string ap = f.annoPrima ? " AP" : "";
            const std::string v = cella("Vendute" + ap, rigaTotali, col), p = cella("Ricavo" + ap, rigaTotali, col),
                              q = cella("Disponibili", rigaTotali + (f.annoPrima ? 1 : 0), col);
            std::string formula;
            if (f.misura == Misura::Occupazione) formula = "=IF(" + q + "=0,\"\"," + v + "/" + q + ")";
            else if (f.misura == Misura::Adr) formula = "=IF(" + v + "=0,\"\"," + p + "/" + v + ")";
            else formula = "=IF(" + q + "=0,\"\"," + p + "/" + q + ")";
            m_stato->formula(f.ws, rigaTotali, col, formula, formato, dato(f.misura, f.annoPrima, x));
        }
        // The room-nights of the comparison period, each of its days once.
        if (f.misura == Misura::Disponibili && confronto) {
            m_stato->testo(f.ws, rigaTotali + 1, 0, "TOTALE AP", m_stato->grassetto);
            for (int c = 0; c <= n; ++c)
                m_stato->formula(f.ws, rigaTotali + 1, c + 1, "=SUM(" + intervalli(c + 1) + ")", formato, static_cast<double>(cifreDi(c).disponibiliAP));
        }
    }

    // Summary: one line per column, then the hotel, as formulas over the totals of the day sheets.
    lxw_worksheet *s = m_stato->riepilogo;
    m_stato->testo(s, 0, 0, titoloAnalisi(m_stato->i), m_stato->titolo);
    m_stato->testo(s, 1, 0, "Date in giallo: giorni in prenotazione (pi\xC3\xB9 di met\xC3\xA0 delle camere vendute sono prenotazioni non ancora arrivate).");
    std::vector<std::string> titoli = {"Colonna", "Disponibili (camere-notte)", "Vendute", "di cui prenotate", "Occupazione", "Ricavo", "ADR", "RevPAR"};
    if (confronto)
        for (const char *t : {"Vendute AP", "Occupazione AP", "Ricavo AP", "ADR AP", "RevPAR AP", "Diff. occupazione (punti)", "Var. ADR",
                              "Var. RevPAR", "Var. ricavo"})
            titoli.emplace_back(t);
    const int rigaTitoli = 3;
    m_stato->impagina(s, rigaTitoli + 1);
    std::size_t piuLunga = 14;
    for (const auto &c : m_stato->i.colonne) piuLunga = std::max(piuLunga, c.size());
    for (std::size_t j = 0; j < titoli.size(); ++j) {
        const double w = j == 0 ? static_cast<double>(piuLunga) + 2 : Stato::larghezza(titoli[j]);
        worksheet_set_column(s, static_cast<lxw_col_t>(j), static_cast<lxw_col_t>(j), w, nullptr);
        m_stato->testo(s, rigaTitoli, static_cast<int>(j), titoli[j], m_stato->grassetto);
    }
    for (int c = 0; c <= n; ++c) {
        const Cifre &x = cifreDi(c);
        const int r = rigaTitoli + 1 + c, col = c + 1;
        const std::string R = std::to_string(r + 1);
        m_stato->testo(s, r, 0, c < n ? m_stato->i.colonne[static_cast<std::size_t>(c)] : "Totale albergo", c < n ? nullptr : m_stato->grassetto);
        auto da = [&](const char *foglio, int riga = -1) { return "=" + cella(foglio, riga < 0 ? rigaTotali : riga, col); };
        m_stato->formula(s, r, 1, da("Disponibili"), m_stato->intero, static_cast<double>(x.disponibili));
        m_stato->formula(s, r, 2, da("Vendute"), m_stato->intero, numero(x.vendute));
        m_stato->formula(s, r, 3, da("Prenotate"), m_stato->intero, numero(x.prenotate));
        m_stato->formula(s, r, 4, da("Occupazione"), m_stato->percento, dato(Misura::Occupazione, false, x));
        m_stato->formula(s, r, 5, da("Ricavo"), m_stato->euro, numero(x.ricavo));
        m_stato->formula(s, r, 6, da("ADR"), m_stato->euro, dato(Misura::Adr, false, x));
        m_stato->formula(s, r, 7, da("RevPAR"), m_stato->euro, dato(Misura::Revpar, false, x));
        if (confronto) {
            m_stato->formula(s, r, 8, da("Vendute AP"), m_stato->intero, numero(x.venduteAP));
            m_stato->formula(s, r, 9, da("Occupazione AP"), m_stato->percento, dato(Misura::Occupazione, true, x));
            m_stato->formula(s, r, 10, da("Ricavo AP"), m_stato->euro, numero(x.ricavoAP));
            m_stato->formula(s, r, 11, da("ADR AP"), m_stato->euro, dato(Misura::Adr, true, x));
            m_stato->formula(s, r, 12, da("RevPAR AP"), m_stato->euro, dato(Misura::Revpar, true, x));
            const auto occ = dato(Misura::Occupazione, false, x), occAP = dato(Misura::Occupazione, true, x);
            m_stato->formula(s, r, 13, "=IF(OR(E" + R + "=\"\",J" + R + "=\"\"),\"\",(E" + R + "-J" + R + ")*100)", m_stato->decimale,
                             occ && occAP ? std::optional<double>((*occ - *occAP) * 100) : std::nullopt);
            auto var = [&](int c1, int c2, std::optional<double> a, std::optional<double> b) {
                const std::string x1 = lettera(c1) + R, x2 = lettera(c2) + R;
                m_stato->formula(s, r, c2 + 3, "=IF(OR(" + x1 + "=\"\"," + x2 + "=\"\"," + x2 + "=0),\"\"," + x1 + "/" + x2 + "-1)", m_stato->percento,
                                 a && b && *b != 0 ? std::optional<double>(*a / *b - 1) : std::nullopt);
            };
            var(6, 11, dato(Misura::Adr, false, x), dato(Misura::Adr, true, x));
            var(7, 12, dato(Misura::Revpar, false, x), dato(Misura::Revpar, true, x));
            const std::string x1 = "F" + R, x2 = "K" + R;
            const auto ricavi = quoziente(numero(x.ricavo), numero(x.ricavoAP));
            m_stato->formula(s, r, 16, "=IF(" + x2 + "=0,\"\"," + x1 + "/" + x2 + "-1)", m_stato->percento,
                             ricavi ? std::optional<double>(*ricavi - 1) : std::nullopt);
        }
    }

    // Charts of the hotel's occupancy and RevPAR per day, one a page, last year dashed.
    if (ultimaRiga >= primaRiga) {
        lxw_worksheet *g = m_stato->grafici;
        m_stato->impagina(g, 0);
        const bool piuAnni = m_stato->i.richiesta.dalla.anno() != m_stato->i.richiesta.alla.anno();
        int rigaGrafico = 0;
        for (const char *misura : {"Occupazione", "RevPAR"}) {
            const bool revpar = std::string(misura) == "RevPAR";
            lxw_chart *grafico = workbook_add_chart(m_stato->wb, LXW_CHART_LINE);
            const std::string titoloGrafico = std::string(misura) + " per giorno (Totale albergo)";
            chart_title_set_name(grafico, titoloGrafico.c_str());
            for (int ap = 0; ap < (confronto ? 2 : 1); ++ap) {
                const std::string foglio = std::string(misura) + (ap ? " AP" : "");
                const std::string categorie = "='" + foglio + "'!$A$" + std::to_string(primaRiga + 1) + ":$A$" + std::to_string(ultimaRiga + 1);
                const std::string valori = "='" + foglio + "'!$" + lettera(n + 1) + "$" + std::to_string(primaRiga + 1) + ":$" +
                                           lettera(n + 1) + "$" + std::to_string(ultimaRiga + 1);
                lxw_chart_series *serie = chart_add_series(grafico, categorie.c_str(), valori.c_str());
                chart_series_set_name(serie, ap ? "Anno precedente" : "Periodo");
                lxw_chart_line linea = {};
                linea.color = ap ? 0xFF7F0E : 0x1F77B4;
                linea.width = 1.75;
                linea.dash_type = ap ? LXW_CHART_LINE_DASH_DASH : LXW_CHART_LINE_DASH_SOLID;
                chart_series_set_line(serie, &linea);
            }
            {
                // The days on the books, over this year's line.
                const std::string foglio = misura;
                const std::string categorie = "='" + foglio + "'!$A$" + std::to_string(primaRiga + 1) + ":$A$" + std::to_string(ultimaRiga + 1);
                const std::string valori = "='" + foglio + "'!$" + lettera(n + 2) + "$" + std::to_string(primaRiga + 1) + ":$" +
                                           lettera(n + 2) + "$" + std::to_string(ultimaRiga + 1);
                lxw_chart_series *serie = chart_add_series(grafico, categorie.c_str(), valori.c_str());
                chart_series_set_name(serie, "In prenotazione");
                lxw_chart_line linea = {};
                linea.color = 0xD4A017;
                linea.width = 2.5;
                linea.dash_type = LXW_CHART_LINE_DASH_ROUND_DOT;
                chart_series_set_line(serie, &linea);
            }
            chart_axis_set_num_format(grafico->x_axis, piuAnni ? "dd/mm/yy" : "dd/mm");
            chart_axis_set_num_format(grafico->y_axis, revpar ? "#,##0 [$\xE2\x82\xAC-410]" : "0%");
            chart_axis_set_name(grafico->y_axis, revpar ? "RevPAR \xE2\x82\xAC" : "Occupazione %");
            chart_legend_set_position(grafico, LXW_CHART_LEGEND_BOTTOM);
            lxw_chart_options dimensioni = {};
            dimensioni.x_scale = 2.2;
            dimensioni.y_scale = 1.5;
            m_stato->controlla(worksheet_insert_chart_opt(g, static_cast<lxw_row_t>(rigaGrafico), 0, grafico, &dimensioni));
            rigaGrafico += 25;
        }
        static lxw_row_t interruzioni[] = {25, 0};
        m_stato->controlla(worksheet_set_h_pagebreaks(g, interruzioni));
    }

    lxw_workbook *wb = m_stato->wb;
    m_stato->wb = nullptr;
    errno = 0;
    const lxw_error chiusura = workbook_close(wb);
    m_stato->controlla(chiusura, errno);
    m_stato->temporaneo->conferma();
}

} // namespace pc::analisi
