#include "Raggruppamenti.h"

#include "Database.h"
#include "MotoreReport.h"

#include <memory>
#include <unordered_map>

using pc::dati::Valore;

namespace pc {

std::optional<Raggruppamento> raggruppamentoDaNome(std::string_view nome)
{
    for (Raggruppamento r : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie})
        if (nome == nomeRaggruppamento(r)) return r;
    return std::nullopt;
}

const char *nomeRaggruppamento(Raggruppamento r)
{
    switch (r) {
    case Raggruppamento::NumeriCamere: return "camere";
    case Raggruppamento::TipiCamere: return "tipi";
    case Raggruppamento::MacroCategorie: return "macro";
    case Raggruppamento::Strutture: break;
    }
    return "strutture";
}

const char *titoloRaggruppamento(Raggruppamento r)
{
    switch (r) {
    case Raggruppamento::NumeriCamere: return "Numeri camere";
    case Raggruppamento::TipiCamere: return "Tipi camere";
    case Raggruppamento::MacroCategorie: return "Macro categorie";
    case Raggruppamento::Strutture: break;
    }
    return "Strutture";
}

const char *queryElencoCamere()
{
    return "Select * From NumeriCamere Where NumeroHotel = 1 and TipoCamera In (Select Sigla From TipiCamere In "
           "'TipiCamere.mdb' Where NumeroHotel = 1 and Tipologia = 'C') Order by NumeroCamera;";
}

std::vector<std::int64_t> camerePerColonna(Raggruppamento r, const std::vector<std::string> &colonne,
                                           std::int64_t &albergo, const std::shared_ptr<dati::Fonte> &fonte)
{
    std::unordered_map<std::string, std::size_t> indice;
    for (std::size_t k = 0; k < colonne.size(); ++k) indice.emplace(colonne[k], k);   // first key wins
    std::vector<std::int64_t> camere(colonne.size(), 0);
    auto rs = dati::Database::open("NumeriCamere.mdb", fonte)->openRecordset(queryElencoCamere());
    std::unique_ptr<dati::Recordset> macro;
    if (r == Raggruppamento::MacroCategorie) macro = apriTabella("TipiCamere_Macro.mdb", "TipiCamere_Macro", fonte);
    albergo = 0;
    std::size_t camera = 0;
    const char *criterio = "NumeroHotel = 1";
    for (bool trovato = rs->findFirst(criterio); trovato; trovato = rs->findNext(criterio)) {
        if (rs->field("NumeroCamera").nullo()) continue;   // no column and no room
        ++albergo;
        if (r == Raggruppamento::NumeriCamere) {
            if (camera < camere.size()) ++camere[camera];
            ++camera;
            continue;
        }
        const Valore &tipo = rs->field("TipoCamera");
        if (tipo.nullo()) continue;
        std::optional<std::string> chiave = tipo.inTesto();
        if (r == Raggruppamento::MacroCategorie) chiave = macroDelTipo(*macro, *chiave);
        if (!chiave) continue;
        if (auto it = indice.find(*chiave); it != indice.end()) ++camere[it->second];
    }
    return camere;
}

} // namespace pc
