#include "StampaProduzione.h"

#include "Archivio.h"
#include "DateReport.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "MotoreReport.h"
#include "ScritturaFile.h"
#include "TestoReport.h"
#include "Testo.h"

#include <QString>

#include <algorithm>

namespace pc {

namespace {

Giorno leggiDataRichiesta(const std::string &testo, const char *quale)
{
    if (auto g = Giorno::leggi(testo)) return *g;
    throw ErroreDati(std::string("La data ") + quale + " \"" + testo + "\" non \xC3\xA8 una data valida (gg/mm/aaaa).");
}

// The chain statement's figures: one column per property of the active
// central archive, in name order; a property's figure of a day is the sum of
// that day's figures of its own statement by room type. The properties are
// computed one after the other, all within one reading of the archive.
void figureCatena(const RichiestaReport &richiesta, Giorno dalla, Giorno alla, MetodoCalcolo metodo,
                  const AvanzamentoReport &avanzamento, std::vector<std::string> &colonne, std::vector<Valuta> &cifre,
                  std::vector<Valuta> &totali)
{
    const auto contesto = dati::archivio::attivo();
    if (!contesto)
        throw ErroreDati("Il report per struttura richiede l'archivio centrale della catena (--archivio URL o PC_ARCHIVIO).");
    dati::archivio::Lettura lettura;
    colonne = dati::archivio::strutture();
    const std::size_t n = colonne.size();
    const long giorni = alla >= dalla ? alla.seriale - dalla.seriale + 1 : 0;
    cifre.assign(static_cast<std::size_t>(giorni) * n, Valuta());
    totali.assign(n, Valuta());
    struct Ripristina {
        std::string struttura;
        ~Ripristina() { dati::archivio::impostaStruttura(struttura); }
    } ripristina{contesto->struttura};
    for (std::size_t p = 0; p < n; ++p) {
        dati::archivio::impostaStruttura(colonne[p]);
        FigureGiornaliere figure(richiesta.tipo, Raggruppamento::TipiCamere, dalla, alla, metodo);
        const std::size_t tipi = figure.chiavi().size();
        Giorno primo;
        long blocco = 0;
        const Valuta *valori = nullptr;
        while (figure.prossimoBlocco(primo, blocco, valori)) {
            for (long d = 0; d < blocco; ++d) {
                Valuta somma;
                for (std::size_t k = 0; k < tipi; ++k) somma = somma + valori[static_cast<std::size_t>(d) * tipi + k];
                cifre[static_cast<std::size_t>(primo.seriale - dalla.seriale + d) * n + p] = somma;
            }
        }
        for (const Valuta &t : figure.totali()) totali[p] = totali[p] + t;
        if (avanzamento) avanzamento(static_cast<long>(p + 1) * giorni / static_cast<long>(n), giorni);
    }
}

} // namespace

void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento)
{
    StampaProduzione(richiesta, avanzamento, MetodoCalcolo::Rapido);
}

void StampaProduzione(const RichiestaReport &richiesta, const AvanzamentoReport &avanzamento, MetodoCalcolo metodo)
{
    const Giorno dalla = leggiDataRichiesta(richiesta.dalla, "iniziale");
    const Giorno alla = leggiDataRichiesta(richiesta.alla, "finale");

    // Figures of every day, kept until the end so that a column can be widened
    // for a figure longer than its 10 characters.
    std::vector<Valuta> cifre, totaliColonne;
    std::vector<std::string> chiaviColonne;
    if (richiesta.raggruppamento == Raggruppamento::Strutture) {
        figureCatena(richiesta, dalla, alla, metodo, avanzamento, chiaviColonne, cifre, totaliColonne);
    } else {
        FigureGiornaliere figure(richiesta.tipo, richiesta.raggruppamento, dalla, alla, metodo);
        figure.impostaAvanzamento(avanzamento);
        const std::size_t k = figure.chiavi().size();
        Giorno primo;
        long giorni = 0;
        const Valuta *blocchi = nullptr;
        while (figure.prossimoBlocco(primo, giorni, blocchi))
            cifre.insert(cifre.end(), blocchi, blocchi + giorni * static_cast<long>(k));
        chiaviColonne = figure.chiavi();
        totaliColonne = figure.totali();
    }
    const std::size_t n = chiaviColonne.size();

    // Texts, in Windows-1252, and the width of every column: the longest
    // figure of a column is that of its largest or of its smallest value.
    const char separatore = separatoreDecimale();
    const int decimali = richiesta.tipo == TipoReport::Vendite ? 0 : 2;
    auto lunghezza = [&](Valuta v) {
        char buffer[32];
        return v.scrivi(buffer, decimali, separatore);
    };
    std::vector<std::string> chiavi(n);
    std::vector<Valuta> totali(n), minimi(n), massimi(n);
    std::vector<int> larghezze(n + 1, TestoReport::LarghezzaColonna);
    const std::string primaData = testo::utf8InCp1252(richiesta.dalla);
    larghezze[0] = std::max<int>(larghezze[0], static_cast<int>(primaData.size()));
    for (std::size_t i = 0; i < cifre.size(); ++i) {
        const std::size_t k = i % n;
        minimi[k] = std::min(minimi[k], cifre[i]);
        massimi[k] = std::max(massimi[k], cifre[i]);
    }
    for (std::size_t k = 0; k < n; ++k) {
        chiavi[k] = testo::utf8InCp1252(chiaviColonne[k]);
        totali[k] = totaliColonne[k];
        larghezze[k + 1] = std::max({larghezze[k + 1], static_cast<int>(chiavi[k].size()), lunghezza(totali[k]),
                                     lunghezza(minimi[k]), lunghezza(massimi[k])});
    }

    const TestoReport testoReport(larghezze);
    const QString nome = QString::fromStdString(nomeFileReport());
    ScritturaFile file(nome.toStdString(), "il file del report");
    std::string testoBlocco;
    auto svuota = [&](bool sempre) {
        if (sempre || testoBlocco.size() >= (1u << 16)) {
            file.scrivi(testoBlocco);
            testoBlocco.clear();
        }
    };
    auto scrivi = [&](const std::string &linea) {
        testoBlocco += linea;
        testoBlocco += "\r\n";
    };
    scrivi(TestoReport::titolo(richiesta));
    scrivi(testoReport.bordoSuperiore());
    scrivi(testoReport.intestazione(chiavi));
    scrivi(testoReport.separatore());
    std::size_t i = 0;
    for (Giorno g = dalla; g <= alla; g = g.successivo(), i += n) {
        // The first day line shows the first date exactly as it was typed.
        testoReport.aggiungiRiga(testoBlocco, g == dalla ? primaData : g.ggmmaaaa(), cifre.data() + i, decimali, separatore);
        svuota(false);
    }
    scrivi(testoReport.separatore());
    testoReport.aggiungiRiga(testoBlocco, "TOTALI    ", totali.data(), decimali, separatore);
    scrivi(testoReport.bordoInferiore());
    file.scrivi(testoBlocco);
    file.conferma();
}

} // namespace pc
