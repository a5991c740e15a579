#include "Formati.h"

#include "ErroreDati.h"
#include "SessioneMdb.h"

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <cerrno>

namespace pc::analisi {

namespace {

enum class Misura { Vendute, Ricavo, Occupazione, Adr, Revpar };

struct Foglio {
    Misura misura;
    bool annoPrima;
    std::string nome;
    lxw_worksheet *ws = nullptr;
};

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

// The figure of a measure for a day or a total; nothing where it has none.
std::optional<double> valore(Misura m, bool ap, const Cifre &c)
{
    const Valuta vendute = ap ? c.venduteAP : c.vendute, ricavo = ap ? c.ricavoAP : c.ricavo;
    std::optional<Valuta> v;
    switch (m) {
    case Misura::Vendute: return numero(vendute);
    case Misura::Ricavo: return numero(ricavo);
    case Misura::Occupazione:
        v = occupazione(vendute, c.disponibili);
        if (!v) return std::nullopt;
        return numero(*v) / 100;   // a fraction, shown as a percentage
    case Misura::Adr: v = adr(ricavo, vendute); break;
    case Misura::Revpar: v = revpar(ricavo, c.disponibili); break;
    }
    if (!v) return std::nullopt;
    return numero(*v);
}

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
    lxw_worksheet *riepilogo = nullptr;
    lxw_format *grassetto = nullptr, *data = nullptr, *euro = nullptr, *percento = nullptr, *intero = nullptr,
               *decimale = nullptr;
    std::vector<Foglio> fogli;
    Intestazione i;
    int riga = 0;   // next day row of the measure sheets

    lxw_format *formato(Misura m) const
    {
        switch (m) {
        case Misura::Vendute: return intero;
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
};

ScrittoreXlsx::ScrittoreXlsx(const QString &nome) : m(std::make_unique<Stato>())
{
    m->nome = nome;
    m->percorso = QFile::encodeName(nome).toStdString();
    controllaDestinazione(m->percorso, "il foglio elettronico");   // before any figure is computed
}

ScrittoreXlsx::~ScrittoreXlsx()
{
    // An unfinished workbook is dropped without being written; the temporary file goes.
    if (m->wb) {
        SilenzioLibreria silenzio;
        lxw_workbook_free(m->wb);
    }
}

void ScrittoreXlsx::inizio(const Intestazione &i)
{
    SilenzioLibreria silenzio;
    m->i = i;
    const std::string limite = fuoriLimitiXlsx(i.giorni, i.colonne.size());
    if (!limite.empty()) throw ErroreDati("Impossibile scrivere il foglio elettronico \"" + m->percorso + "\": " + limite);
    m->temporaneo = std::make_unique<FileProvvisorio>(m->percorso, "il foglio elettronico");
    static std::string cartellaTemporanea;
    cartellaTemporanea = QFile::encodeName(QDir::tempPath()).toStdString();
    lxw_workbook_options opzioni = {};
    opzioni.constant_memory = LXW_TRUE;   // rows go to temporary files as they are written
    opzioni.tmpdir = cartellaTemporanea.data();
    m->wb = workbook_new_opt(m->temporaneo->percorso().c_str(), &opzioni);
    if (!m->wb) m->temporaneo->fallita("memoria insufficiente per il foglio elettronico");

    auto *wb = m->wb;
    m->grassetto = workbook_add_format(wb);
    format_set_bold(m->grassetto);
    m->data = workbook_add_format(wb);
    format_set_num_format(m->data, "dd/mm/yyyy");
    m->euro = workbook_add_format(wb);
    format_set_num_format(m->euro, "#,##0.00 [$\xE2\x82\xAC-410]");
    m->percento = workbook_add_format(wb);
    format_set_num_format(m->percento, "0.0%");
    m->intero = workbook_add_format(wb);
    format_set_num_format(m->intero, "#,##0");
    m->decimale = workbook_add_format(wb);
    format_set_num_format(m->decimale, "0.0");

    m->riepilogo = workbook_add_worksheet(wb, "Riepilogo");
    m->fogli.clear();
    const Misura misure[] = {Misura::Occupazione, Misura::Adr, Misura::Revpar, Misura::Vendute, Misura::Ricavo};
    const char *nomi[] = {"Occupazione", "ADR", "RevPAR", "Vendute", "Ricavo"};
    for (int ap = 0; ap < (i.richiesta.confronto ? 2 : 1); ++ap)
        for (int k = 0; k < 5; ++k) m->fogli.push_back({misure[k], ap == 1, std::string(nomi[k]) + (ap ? " AP" : ""), nullptr});
    const int n = static_cast<int>(i.colonne.size());
    for (auto &f : m->fogli) {
        f.ws = workbook_add_worksheet(wb, f.nome.c_str());
        worksheet_freeze_panes(f.ws, 1, 1);
        worksheet_set_column(f.ws, 0, 0, 12, nullptr);
        worksheet_set_column(f.ws, 1, static_cast<lxw_col_t>(n + 1), 12, nullptr);
        m->controlla(worksheet_write_string(f.ws, 0, 0, "Data", m->grassetto));
        for (int c = 0; c < n; ++c)
            m->controlla(worksheet_write_string(f.ws, 0, static_cast<lxw_col_t>(c + 1), i.colonne[static_cast<std::size_t>(c)].c_str(), m->grassetto));
        m->controlla(worksheet_write_string(f.ws, 0, static_cast<lxw_col_t>(n + 1), "Totale albergo", m->grassetto));
    }
    m->riga = 1;
}

void ScrittoreXlsx::giorno(Giorno g, const Cifre *colonne, const Cifre &albergo)
{
    SilenzioLibreria silenzio;
    const std::size_t n = m->i.colonne.size();
    lxw_datetime d = {g.anno(), g.mese(), g.giorno(), 0, 0, 0};
    const auto r = static_cast<lxw_row_t>(m->riga);
    for (auto &f : m->fogli) {
        m->controlla(worksheet_write_datetime(f.ws, r, 0, &d, m->data));
        lxw_format *formato = m->formato(f.misura);
        for (std::size_t c = 0; c <= n; ++c) {
            const auto v = valore(f.misura, f.annoPrima, c < n ? colonne[c] : albergo);
            if (v) m->controlla(worksheet_write_number(f.ws, r, static_cast<lxw_col_t>(c + 1), *v, formato));
        }
    }
    ++m->riga;
}

void ScrittoreXlsx::fine(const Cifre *colonne, const Cifre &albergo)
{
    SilenzioLibreria silenzio;
    const int n = static_cast<int>(m->i.colonne.size());
    const bool confronto = m->i.richiesta.confronto;
    const int primaRiga = 1, ultimaRiga = m->riga - 1, rigaTotali = m->riga;
    auto cifreDi = [&](int c) -> const Cifre & { return c < n ? colonne[c] : albergo; };

    // Summary: one line per column, then the hotel.
    lxw_worksheet *s = m->riepilogo;
    const RichiestaAnalisi &q = m->i.richiesta;
    std::string titolo = "Analisi produzione camere dal " + q.dalla.ggmmaaaa() + " al " + q.alla.ggmmaaaa() + " - " +
                         titoloRaggruppamento(q.raggruppamento);
    m->controlla(worksheet_write_string(s, 0, 0, titolo.c_str(), m->grassetto));
    if (confronto) {
        const std::string t = "Confronto con il periodo dal " + annoPrima(q.dalla).ggmmaaaa() + " al " + annoPrima(q.alla).ggmmaaaa();
        m->controlla(worksheet_write_string(s, 1, 0, t.c_str(), nullptr));
    }
    std::vector<std::string> titoli = {"Colonna", "Disponibili (camere-notte)", "Vendute", "Occupazione", "Ricavo", "ADR", "RevPAR"};
    if (confronto)
        for (const char *t : {"Vendute AP", "Occupazione AP", "Ricavo AP", "ADR AP", "RevPAR AP", "Diff. occupazione (punti)",
                              "Var. ADR", "Var. RevPAR", "Var. ricavo"})
            titoli.emplace_back(t);
    const int rigaTitoli = 3;
    worksheet_set_column(s, 0, 0, 16, nullptr);
    worksheet_set_column(s, 1, static_cast<lxw_col_t>(titoli.size() - 1), 14, nullptr);
    for (std::size_t j = 0; j < titoli.size(); ++j)
        m->controlla(worksheet_write_string(s, rigaTitoli, static_cast<lxw_col_t>(j), titoli[j].c_str(), m->grassetto));
    auto scrivi = [&](int riga, int col, const std::optional<Valuta> &v, lxw_format *f, bool frazione = false) {
        if (v) m->controlla(worksheet_write_number(s, static_cast<lxw_row_t>(riga), static_cast<lxw_col_t>(col),
                                                   frazione ? numero(*v) / 100 : numero(*v), f));
    };
    for (int c = 0; c <= n; ++c) {
        const Cifre &x = cifreDi(c);
        const int r = rigaTitoli + 1 + c;
        const char *nome = c < n ? m->i.colonne[static_cast<std::size_t>(c)].c_str() : "Totale albergo";
        m->controlla(worksheet_write_string(s, static_cast<lxw_row_t>(r), 0, nome, c < n ? nullptr : m->grassetto));
        m->controlla(worksheet_write_number(s, static_cast<lxw_row_t>(r), 1, static_cast<double>(x.disponibili), m->intero));
        scrivi(r, 2, x.vendute, m->intero);
        scrivi(r, 3, occupazione(x.vendute, x.disponibili), m->percento, true);
        scrivi(r, 4, x.ricavo, m->euro);
        scrivi(r, 5, adr(x.ricavo, x.vendute), m->euro);
        scrivi(r, 6, revpar(x.ricavo, x.disponibili), m->euro);
        if (confronto) {
            scrivi(r, 7, x.venduteAP, m->intero);
            scrivi(r, 8, occupazione(x.venduteAP, x.disponibili), m->percento, true);
            scrivi(r, 9, x.ricavoAP, m->euro);
            scrivi(r, 10, adr(x.ricavoAP, x.venduteAP), m->euro);
            scrivi(r, 11, revpar(x.ricavoAP, x.disponibili), m->euro);
            scrivi(r, 12, puntiOccupazione(x), m->decimale);
            scrivi(r, 13, variazioneAdr(x), m->percento, true);
            scrivi(r, 14, variazioneRevpar(x), m->percento, true);
            scrivi(r, 15, variazione(x.ricavo, x.ricavoAP), m->percento, true);
        }
    }

    // Totals of the measure sheets, as formulas with the stated result.
    for (const auto &f : m->fogli) {
        m->controlla(worksheet_write_string(f.ws, static_cast<lxw_row_t>(rigaTotali), 0, "TOTALE", m->grassetto));
        const std::string vendute = f.annoPrima ? "Vendute AP" : "Vendute", ricavo = f.annoPrima ? "Ricavo AP" : "Ricavo";
        for (int c = 0; c <= n; ++c) {
            const int col = c + 1;
            const std::string disponibili = cella("Riepilogo", rigaTitoli + 1 + c, 1);
            std::string formula;
            switch (f.misura) {
            case Misura::Vendute:
            case Misura::Ricavo:
                formula = "=SUM(" + lettera(col) + std::to_string(primaRiga + 1) + ":" + lettera(col) + std::to_string(ultimaRiga + 1) + ")";
                if (ultimaRiga < primaRiga) formula = "=0";
                break;
            case Misura::Occupazione:
                formula = "=IF(" + disponibili + "=0,\"\"," + cella(vendute, rigaTotali, col) + "/" + disponibili + ")";
                break;
            case Misura::Adr:
                formula = "=IF(" + cella(vendute, rigaTotali, col) + "=0,\"\"," + cella(ricavo, rigaTotali, col) + "/" +
                          cella(vendute, rigaTotali, col) + ")";
                break;
            case Misura::Revpar:
                formula = "=IF(" + disponibili + "=0,\"\"," + cella(ricavo, rigaTotali, col) + "/" + disponibili + ")";
                break;
            }
            const auto v = valore(f.misura, f.annoPrima, cifreDi(c));
            lxw_format *formato = m->formato(f.misura);
            if (v) m->controlla(worksheet_write_formula_num(f.ws, static_cast<lxw_row_t>(rigaTotali), static_cast<lxw_col_t>(col), formula.c_str(), formato, *v));
            else m->controlla(worksheet_write_formula_str(f.ws, static_cast<lxw_row_t>(rigaTotali), static_cast<lxw_col_t>(col), formula.c_str(), formato, ""));
        }
    }

    // Charts of the hotel's occupancy and RevPAR per day, under the summary.
    if (ultimaRiga >= primaRiga) {
        int rigaGrafico = rigaTitoli + n + 3;
        for (const char *misura : {"Occupazione", "RevPAR"}) {
            lxw_chart *grafico = workbook_add_chart(m->wb, LXW_CHART_LINE);
            const std::string titoloGrafico = std::string(misura) + " per giorno (Totale albergo)";
            chart_title_set_name(grafico, titoloGrafico.c_str());
            for (int ap = 0; ap < (confronto ? 2 : 1); ++ap) {
                const std::string foglio = std::string(misura) + (ap ? " AP" : "");
                const std::string categorie = "='" + foglio + "'!$A$" + std::to_string(primaRiga + 1) + ":$A$" + std::to_string(ultimaRiga + 1);
                const std::string valori = "='" + foglio + "'!$" + lettera(n + 1) + "$" + std::to_string(primaRiga + 1) + ":$" +
                                           lettera(n + 1) + "$" + std::to_string(ultimaRiga + 1);
                lxw_chart_series *serie = chart_add_series(grafico, categorie.c_str(), valori.c_str());
                chart_series_set_name(serie, ap ? "Anno precedente" : "Periodo");
            }
            chart_axis_set_num_format(grafico->x_axis, "dd/mm");
            chart_axis_set_num_format(grafico->y_axis, std::string(misura) == "RevPAR" ? "#,##0.00" : "0%");
            chart_legend_set_position(grafico, LXW_CHART_LEGEND_BOTTOM);
            lxw_chart_options dimensioni = {};
            dimensioni.x_scale = 2;
            dimensioni.y_scale = 1.2;
            m->controlla(worksheet_insert_chart_opt(s, static_cast<lxw_row_t>(rigaGrafico), 0, grafico, &dimensioni));
            rigaGrafico += 20;
        }
    }

    lxw_workbook *wb = m->wb;
    m->wb = nullptr;
    errno = 0;
    const lxw_error chiusura = workbook_close(wb);
    m->controlla(chiusura, errno);
    m->temporaneo->conferma();
}

} // namespace pc::analisi
