#include "StampaProduzione.h"

#include "Database.h"
#include "SommaEsatta.h"
#include "DateReport.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "ScritturaFile.h"
#include "TestoReport.h"
#include "Testo.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

using pc::dati::ErroreDati;
using pc::dati::FileProvvisorio;
using pc::dati::ScritturaFile;
using pc::dati::Valuta;
using pc::dati::controllaDestinazione;

namespace pc {

namespace {

Giorno leggiDataRichiesta(const std::string &testo, const char *quale)
{
    if (auto g = Giorno::leggi(testo)) return *g;
    throw ErroreDati(std::string("La data ") + quale + " \"" + testo + "\" non \xC3\xA8 una data valida (gg/mm/aaaa).");
}

const char CellaVerticale = '\xB3';

// The report file, replaced only once it is complete (every write, the flush
// and the rename checked; never one of the hotel's databases).
class FileDelReport {
public:
    explicit FileDelReport(const std::string &nome) : m_file(nome, "il file del report") {}
    void scrivi(const char *dati, std::size_t quanti) { m_file.scrivi(std::string_view(dati, quanti)); }
    void scrivi(const std::string &dati) { m_file.scrivi(dati); }
    void chiudi() { m_file.conferma(); }

private:
    ScritturaFile m_file;
};

// How the figures of the statement are written: decimals and mark.
struct FormatoCifre {
    int decimali;
    char separatore;
    int lunghezza(Valuta v) const
    {
        char buffer[32];
        return v.scrivi(buffer, decimali, separatore);
    }
};

// The widths known before the figures: the first date as typed and the headings.
std::vector<int> larghezzeIniziali(const std::string &primaData, const std::vector<std::string> &chiavi)
{
    std::vector<int> larghezze(chiavi.size() + 1, TestoReport::LarghezzaColonna);
    larghezze[0] = std::max<int>(larghezze[0], static_cast<int>(primaData.size()));
    for (std::size_t k = 0; k < chiavi.size(); ++k)
        larghezze[k + 1] = std::max(larghezze[k + 1], static_cast<int>(chiavi[k].size()));
    return larghezze;
}

// The day lines, written as they are computed at the widths known before the
// first figure (the headings' and the first date's), while the widths the
// figures need are tracked; they stay in memory up to a bound, then go to a
// temporary file beside the report. Once the totals are known they are
// copied into the report, each figure moved right where its column widened.
class RigheGiornaliere {
public:
    RigheGiornaliere(std::vector<int> larghezze, FormatoCifre formato, std::size_t limiteInMemoria, std::string nomeReport)
        : m_iniziali(larghezze), m_testo(std::move(larghezze)), m_formato(formato), m_minimi(m_iniziali.size() - 1),
          m_massimi(m_iniziali.size() - 1), m_limite(limiteInMemoria), m_nomeReport(std::move(nomeReport))
    {
    }

    // The line of one day, cifre one figure per column.
    void aggiungi(std::string_view data, const Valuta *cifre)
    {
        for (std::size_t k = 0; k < m_minimi.size(); ++k) {
            m_minimi[k] = std::min(m_minimi[k], cifre[k]);
            m_massimi[k] = std::max(m_massimi[k], cifre[k]);
        }
        m_testo.aggiungiRiga(m_buffer, data, cifre, m_formato.decimali, m_formato.separatore);
        if (m_buffer.size() >= m_limite) versaNelFile();
    }

    // The widths the lines and the totals need: the longest figure of a
    // column is that of its largest or of its smallest value.
    std::vector<int> larghezzeFinali(const std::vector<Valuta> &totali) const
    {
        std::vector<int> larghezze = m_iniziali;
        for (std::size_t k = 0; k < m_minimi.size(); ++k)
            larghezze[k + 1] = std::max({larghezze[k + 1], m_formato.lunghezza(totali[k]), m_formato.lunghezza(m_minimi[k]),
                                         m_formato.lunghezza(m_massimi[k])});
        return larghezze;
    }

    // Copies the lines into the report at the final widths.
    void copiaIn(FileDelReport &report, const std::vector<int> &larghezze)
    {
        const bool uguali = larghezze == m_iniziali;
        auto copia = [&](const char *dati, std::size_t quanti) {
            if (uguali) report.scrivi(dati, quanti);
            else allarga(report, dati, quanti, larghezze);
        };
        if (m_temporaneo) {
            versaNelFile();
            m_temporaneo->riavvolgi();
            std::string pezzo(1u << 20, '\0');
            std::size_t resto = 0;   // bytes of an incomplete line kept at the start of pezzo
            for (;;) {
                const std::size_t letti = m_temporaneo->leggi(pezzo.data() + resto, pezzo.size() - resto);
                if (letti == 0) break;
                const std::size_t fine = resto + letti;
                std::size_t completo = fine;
                if (!uguali) {
                    // Only whole lines can be widened.
                    while (completo > 0 && pezzo[completo - 1] != '\n') --completo;
                    if (completo == 0) {
                        pezzo.resize(pezzo.size() * 2);   // a line longer than the piece
                        resto = fine;
                        continue;
                    }
                }
                copia(pezzo.data(), completo);
                std::memmove(pezzo.data(), pezzo.data() + completo, fine - completo);
                resto = fine - completo;
            }
            if (resto > 0) copia(pezzo.data(), resto);
        } else {
            copia(m_buffer.data(), m_buffer.size());
        }
        m_buffer.clear();
        m_temporaneo.reset();
    }

private:
    void versaNelFile()
    {
        // A scratch file beside the report, never confirmed: it goes when done.
        if (!m_temporaneo) m_temporaneo = std::make_unique<FileProvvisorio>(m_nomeReport, "il file di lavoro del report");
        m_temporaneo->scrivi(m_buffer);
        m_buffer.clear();
    }

    // Day lines rewritten at wider columns: the date cell keeps its width,
    // every figure is right-aligned in its column's new width.
    void allarga(FileDelReport &report, const char *dati, std::size_t quanti, const std::vector<int> &larghezze)
    {
        std::string uscita;
        const char *p = dati, *fine = dati + quanti;
        while (p < fine) {
            const char *a = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(fine - p)));
            const char *fineRiga = a ? a + 1 : fine;
            const std::size_t cellaData = 2 + static_cast<std::size_t>(larghezze[0]);   // "│" + date + "│"
            uscita.append(p, std::min(cellaData, static_cast<std::size_t>(fineRiga - p)));
            const char *q = p + std::min(cellaData, static_cast<std::size_t>(fineRiga - p));
            for (std::size_t k = 1; k < larghezze.size() && q < fineRiga; ++k) {
                const char *b = static_cast<const char *>(std::memchr(q, CellaVerticale, static_cast<std::size_t>(fineRiga - q)));
                if (!b) break;
                const char *cifra = q;
                while (cifra < b && *cifra == ' ') ++cifra;
                const auto lunghezza = static_cast<int>(b - cifra);
                if (lunghezza < larghezze[k]) uscita.append(static_cast<std::size_t>(larghezze[k] - lunghezza), ' ');
                uscita.append(cifra, static_cast<std::size_t>(b - cifra));
                uscita += CellaVerticale;
                q = b + 1;
            }
            uscita.append(q, static_cast<std::size_t>(fineRiga - q));
            p = fineRiga;
            if (uscita.size() >= (1u << 16)) {
                report.scrivi(uscita);
                uscita.clear();
            }
        }
        report.scrivi(uscita);
    }

    std::vector<int> m_iniziali;
    TestoReport m_testo;
    FormatoCifre m_formato;
    std::vector<Valuta> m_minimi, m_massimi;
    std::size_t m_limite;
    std::string m_nomeReport;
    std::string m_buffer;
    std::unique_ptr<FileProvvisorio> m_temporaneo;
};

// The day figures of a statement, block after block (day-major, one figure per column).
using ProssimoBlocco = std::function<bool(Giorno &primo, long &giorni, const Valuta *&cifre)>;

// The day lines of the period, block after block.
void scriviGiorni(const ProssimoBlocco &prossimoBlocco, std::size_t n, RigheGiornaliere &righe, Giorno dalla,
                  const std::string &primaData)
{
    Giorno primo;
    long giorni = 0;
    const Valuta *cifre = nullptr;
    while (prossimoBlocco(primo, giorni, cifre)) {
        for (long i = 0; i < giorni; ++i) {
            // The first day line shows the first date exactly as it was typed.
            const Giorno g{primo.seriale + i};
            righe.aggiungi(g == dalla ? primaData : g.ggmmaaaa(), cifre + static_cast<std::size_t>(i) * n);
        }
    }
}

// The report file: title, heading, the day lines at their final widths, totals.
void scriviReport(const std::string &nome, const RichiestaReport &richiesta, const std::vector<std::string> &chiavi,
                  const std::vector<int> &larghezze, RigheGiornaliere &righe, FormatoCifre formato,
                  const std::vector<Valuta> &totali)
{
    const TestoReport testoReport(larghezze);
    FileDelReport file(nome);
    std::string testa;
    for (const std::string &linea : {TestoReport::titolo(richiesta), testoReport.bordoSuperiore(),
                                     testoReport.intestazione(chiavi), testoReport.separatore()})
        testa += linea + "\r\n";
    file.scrivi(testa);
    righe.copiaIn(file, larghezze);
    std::string coda = testoReport.separatore() + "\r\n";
    testoReport.aggiungiRiga(coda, "TOTALI    ", totali.data(), formato.decimali, formato.separatore);
    coda += testoReport.bordoInferiore() + "\r\n";
    file.scrivi(coda);
    file.chiudi();
}

// The statement of the columns chiavi (UTF-8) whose figures prossimoBlocco
// gives and whose totals come once the blocks are done.
void scriviStatement(const RichiestaReport &richiesta, Giorno dalla, const std::vector<std::string> &chiaviColonne,
                     const ProssimoBlocco &prossimoBlocco, const std::function<std::vector<Valuta>()> &totali,
                     const LimitiStampa &limiti)
{
    // Texts in Windows-1252.
    const FormatoCifre formato{richiesta.tipo == TipoReport::Vendite ? 0 : 2, separatoreDecimale()};
    const std::string primaData = dati::testo::utf8InCp1252(richiesta.dalla);
    std::vector<std::string> chiavi;
    for (const std::string &chiave : chiaviColonne) chiavi.push_back(dati::testo::utf8InCp1252(chiave));

    const std::string nome = richiesta.uscita.empty() ? nomeFileReport() : richiesta.uscita;
    RigheGiornaliere righe(larghezzeIniziali(primaData, chiavi), formato, limiti.righeInMemoria, nome);
    scriviGiorni(prossimoBlocco, chiavi.size(), righe, dalla, primaData);
    const std::vector<Valuta> totaliColonne = totali();
    const std::vector<int> larghezze = righe.larghezzeFinali(totaliColonne);
    scriviReport(nome, richiesta, chiavi, larghezze, righe, formato, totaliColonne);
}

// The chain statement's figures: one column per property of the central
// archive, in name order, as the import stored them (a property's figure of a
// day is the sum of that day's figures of its own statement by room type).
void figureCatena(const RichiestaReport &richiesta, Giorno dalla, Giorno alla, const AvanzamentoReport &avanzamento,
                  std::vector<std::string> &colonne, std::vector<Valuta> &cifre, std::vector<Valuta> &totali)
{
    const std::shared_ptr<dati::Fonte> fonte = richiesta.dati ? richiesta.dati : dati::fontePredefinita();
    if (!fonte->haFigure())
        throw ErroreDati("Il report per struttura richiede l'archivio centrale della catena (--archivio URL o PC_ARCHIVIO).");
    dati::FigureSalvate f = fonte->figure(dati::Gruppo::Strutture, dalla.seriale, alla.seriale);
    colonne = std::move(f.chiavi);
    cifre = std::move(richiesta.tipo == TipoReport::Vendite ? f.vendute : f.ricavo);
    const std::size_t n = colonne.size();
    totali.assign(n, Valuta());
    std::vector<SommaEsatta> somme(n);
    for (std::size_t i = 0; i < cifre.size(); ++i) somme[i % n] += cifre[i];
    for (std::size_t k = 0; k < n; ++k) {
        if (auto v = somme[k].valuta()) totali[k] = *v;
        else throw ErroreDati("Il totale della colonna \"" + colonne[k] + "\" \xC3\xA8 fuori dall'intervallo degli importi.");
    }
    if (avanzamento) avanzamento(f.giorni, f.giorni);
}

} // namespace

void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento)
{
    StampaProduzione(richiesta, avanzamento, MetodoCalcolo::Rapido, LimitiStampa{});
}

void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento, MetodoCalcolo metodo)
{
    StampaProduzione(richiesta, avanzamento, metodo, LimitiStampa{});
}

void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento, MetodoCalcolo metodo,
                      const LimitiStampa &limiti)
{
    const Giorno dalla = leggiDataRichiesta(richiesta.dalla, "iniziale");
    const Giorno alla = leggiDataRichiesta(richiesta.alla, "finale");
    controllaDestinazione(richiesta.uscita.empty() ? nomeFileReport() : richiesta.uscita, "il file del report");   // before any figure is computed

    if (richiesta.raggruppamento == Raggruppamento::Strutture) {
        // A few figures a day per property: the whole period is kept, handed
        // to the writer a block at a time.
        std::vector<std::string> colonne;
        std::vector<Valuta> cifre, totali;
        figureCatena(richiesta, dalla, alla, avanzamento, colonne, cifre, totali);
        const long giorniPeriodo = alla >= dalla ? alla.seriale - dalla.seriale + 1 : 0;
        long fatti = 0;
        scriviStatement(
            richiesta, dalla, colonne,
            [&](Giorno &primo, long &giorni, const Valuta *&blocco) {
                if (fatti >= giorniPeriodo) return false;
                giorni = std::min<long>(limiti.giorniPerBlocco, giorniPeriodo - fatti);
                primo = Giorno{dalla.seriale + fatti};
                blocco = cifre.data() + static_cast<std::size_t>(fatti) * colonne.size();
                fatti += giorni;
                return true;
            },
            [&] { return totali; }, limiti);
        return;
    }
    FigureGiornaliere figure(richiesta.tipo, richiesta.raggruppamento, dalla, alla, metodo, richiesta.dati);
    figure.impostaAvanzamento(avanzamento);
    scriviStatement(
        richiesta, dalla, figure.chiavi(),
        [&](Giorno &primo, long &giorni, const Valuta *&cifre) {
            return figure.prossimoBlocco(primo, giorni, cifre, limiti.giorniPerBlocco);
        },
        [&] { return figure.totali(); }, limiti);
}

} // namespace pc
