#include "StampaProduzione.h"

#include "DateReport.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "TestoReport.h"
#include "Testo.h"

#include <QSaveFile>
#include <QString>

#include <algorithm>

namespace pc {

namespace {

Giorno leggiDataRichiesta(const std::string &testo, const char *quale)
{
    if (auto g = Giorno::leggi(testo)) return *g;
    throw ErroreDati(std::string("La data ") + quale + " \"" + testo + "\" non \xC3\xA8 una data valida (gg/mm/aaaa).");
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

    FigureGiornaliere figure(richiesta.tipo, richiesta.raggruppamento, dalla, alla, metodo);
    figure.impostaAvanzamento(avanzamento);
    const std::size_t n = figure.chiavi().size();

    // Figures of every day, kept until the end so that a column can be widened
    // for a figure longer than its 10 characters.
    std::vector<Valuta> cifre;
    Giorno primo;
    long giorni = 0;
    const Valuta *blocchi = nullptr;
    while (figure.prossimoBlocco(primo, giorni, blocchi)) cifre.insert(cifre.end(), blocchi, blocchi + giorni * static_cast<long>(n));

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
        chiavi[k] = testo::utf8InCp1252(figure.chiavi()[k]);
        totali[k] = figure.totali()[k];
        larghezze[k + 1] = std::max({larghezze[k + 1], static_cast<int>(chiavi[k].size()), lunghezza(totali[k]),
                                     lunghezza(minimi[k]), lunghezza(massimi[k])});
    }

    const TestoReport testoReport(larghezze);
    const QString nome = QString::fromStdString(nomeFileReport());
    QSaveFile file(nome);
    if (!file.open(QIODevice::WriteOnly))
        throw ErroreDati("Impossibile creare il file del report \"" + nome.toStdString() + "\": " + file.errorString().toStdString());
    std::string testoBlocco;
    auto svuota = [&](bool sempre) {
        if (sempre || testoBlocco.size() >= (1u << 16)) {
            file.write(testoBlocco.data(), static_cast<qint64>(testoBlocco.size()));
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
    file.write(testoBlocco.data(), static_cast<qint64>(testoBlocco.size()));
    if (!file.commit())
        throw ErroreDati("Impossibile scrivere il file del report \"" + nome.toStdString() + "\": " + file.errorString().toStdString());
}

} // namespace pc
