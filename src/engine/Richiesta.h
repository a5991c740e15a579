#pragma once

#include <functional>
#include <memory>
#include <string>

namespace pc {

namespace dati { class Fonte; }

// TipoReport: 1 rooms sold, 2 room revenue.
enum class TipoReport : short { Vendite = 1, Produzione = 2 };
// Raggruppamento: 1 room numbers, 2 room types, 3 macro categories, 4 the
// properties of the chain's central archive (one column per property).
enum class Raggruppamento : short { NumeriCamere = 1, TipiCamere = 2, MacroCategorie = 3, Strutture = 4 };

// One report request, as the main window or the batch command states it.
// The two dates are the texts as typed ("dd/mm/yyyy" expected).
struct RichiestaReport {
    std::string dalla;
    std::string alla;
    TipoReport tipo = TipoReport::Vendite;
    Raggruppamento raggruppamento = Raggruppamento::NumeriCamere;
    // Where the hotel is read: the working directory's files, a property of
    // the central archive (dati::centrale::apri); null: dati::fontePredefinita().
    std::shared_ptr<dati::Fonte> dati{};
    // The report file; empty: nomeFileReport() in the working directory. A
    // server running requests side by side gives each its own.
    std::string uscita{};
};

// Progress of a running report: days done and days in all. Called on the
// calling thread; the window uses it to keep itself painted and show progress.
using AvanzamentoReport = std::function<void(long giorniFatti, long giorniTotali)>;

} // namespace pc
