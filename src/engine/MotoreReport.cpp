#include "MotoreReport.h"

#include "Testo.h"

namespace pc {

std::string quotaCriterio(std::string_view valore)
{
    std::string q = "'";
    for (char c : valore) {
        q += c;
        if (c == '\'') q += '\'';
    }
    q += '\'';
    return q;
}

std::unique_ptr<dati::Recordset> apriTabella(const std::string &file, const std::string &tabella)
{
    auto db = dati::Database::open(file);
    return db->openRecordset(tabella);
}

void MotoreReport::SommaRiga(std::string_view valore, Valuta quantita)
{
    for (std::size_t r = 0; r < CodiciRiga.size(); ++r) {
        if (CodiciRiga[r] == valore) {
            ValoriRiga[r][0] += quantita;
            ValoriRiga[r][1] += quantita;
            return;
        }
    }
}

namespace {

// A text field of the current record, or nothing when it is null.
const std::string *testoDi(const dati::Recordset &rs, std::string_view campo, std::string &appoggio)
{
    const Valore &v = rs.field(campo);
    if (v.nullo()) return nullptr;
    if (v.eTesto()) return &v.comeTesto();
    appoggio = v.inTesto();
    return &appoggio;
}

// The type of a room as NumeriCamere holds it (first match in table order).
const std::string *tipoDellaCamera(dati::Recordset &numeri, std::string_view camera, std::string &appoggio)
{
    if (!numeri.findFirst("NumeroCamera = " + quotaCriterio(camera))) return nullptr;
    return testoDi(numeri, "TipoCamera", appoggio);
}

// The macro category of a type as TipiCamere_Macro holds it.
const std::string *macroDelTipo(dati::Recordset &macro, std::string_view tipo, std::string &appoggio)
{
    if (!macro.findFirst("TipoCamera = " + quotaCriterio(tipo))) return nullptr;
    return testoDi(macro, "Sigla", appoggio);
}

} // namespace

std::optional<std::string> macroDelTipo(dati::Recordset &macro, std::string_view tipo)
{
    std::string appoggio;
    const std::string *sigla = macroDelTipo(macro, tipo, appoggio);
    return sigla ? std::optional<std::string>(*sigla) : std::nullopt;
}

void MotoreReport::contaSchede(dati::Recordset &rs, const std::string &criterio, Raggruppamento r,
                               dati::Recordset &numeri, dati::Recordset &macro)
{
    const Valuta uno = Valuta::daIntero(1);
    std::string ultimaCamera;
    std::string a1, a2, a3;
    for (bool trovato = rs.findFirst(criterio); trovato; trovato = rs.findNext(criterio)) {
        const std::string *camera = testoDi(rs, "NumeroCamera", a1);
        if (!camera) continue;   // a card without a room counts nowhere
        if (r == Raggruppamento::NumeriCamere) {
            std::string k = testo::maiuscolo(*camera);
            if (k == ultimaCamera) continue;
            SommaRiga(k, uno);
            ultimaCamera = std::move(k);
            continue;
        }
        if (*camera == ultimaCamera) continue;
        if (const std::string *tipo = tipoDellaCamera(numeri, *camera, a2)) {
            if (r == Raggruppamento::TipiCamere) {
                SommaRiga(*tipo, uno);
            } else if (const std::string *sigla = macroDelTipo(macro, *tipo, a3)) {
                SommaRiga(*sigla, uno);
            }
        }
        ultimaCamera = *camera;
    }
}

void MotoreReport::AccumulaCamere(const std::string &G, Raggruppamento r)
{
    auto numeri = apriTabella("NumeriCamere.mdb", "NumeriCamere");
    auto macro = apriTabella("TipiCamere_Macro.mdb", "TipiCamere_Macro");
    const std::string g = quotaCriterio(G);

    contaSchede(*RsCorrente, "DataArrivo <= " + g + " and DataPartenza > " + g, r, *numeri, *macro);
    contaSchede(*RsStorico, "DataArrivo <= " + g + " and DataPartenzaReale > " + g, r, *numeri, *macro);

    const std::string c3 = "DataArrivo <= " + g + " and DataPartenza > " + g + " and Quantit\xC3\xA0" "Camere > 0";
    std::string a1, a2, a3;
    for (bool trovato = RsTerzaFonte->findFirst(c3); trovato; trovato = RsTerzaFonte->findNext(c3)) {
        if (r == Raggruppamento::NumeriCamere) {
            if (const std::string *camera = testoDi(*RsTerzaFonte, "NumeroCamera", a1))
                SommaRiga(testo::trim(*camera), Valuta::daIntero(1));
            continue;
        }
        const std::optional<Valuta> quantita = RsTerzaFonte->field("Quantit\xC3\xA0" "Camere").inValuta();
        const std::string *tipo = testoDi(*RsTerzaFonte, "TipoCamera", a2);
        if (!quantita || !tipo) continue;
        if (r == Raggruppamento::TipiCamere) {
            SommaRiga(testo::trim(*tipo), *quantita);
        } else if (const std::string *sigla = macroDelTipo(*macro, testo::trim(*tipo), a3)) {
            SommaRiga(*sigla, *quantita);
        }
    }
}

void MotoreReport::sommaAddebiti(dati::Recordset &rs, const std::string &criterio, Raggruppamento r,
                                 dati::Recordset &numeri, dati::Recordset &macro)
{
    std::string a1, a2, a3;
    for (bool trovato = rs.findFirst(criterio); trovato; trovato = rs.findNext(criterio)) {
        const std::string *camera = testoDi(rs, "NumeroCamera", a1);
        const std::optional<Valuta> importo = rs.field("Importo").inValuta();
        if (!camera || !importo) continue;
        if (r == Raggruppamento::NumeriCamere) {
            SommaRiga(testo::maiuscolo(*camera), *importo);
        } else if (const std::string *tipo = tipoDellaCamera(numeri, *camera, a2)) {
            if (r == Raggruppamento::TipiCamere) SommaRiga(*tipo, *importo);
            else if (const std::string *sigla = macroDelTipo(macro, *tipo, a3)) SommaRiga(*sigla, *importo);
        }
    }
}

void MotoreReport::AccumulaImporti(const std::string &G, Raggruppamento r)
{
    auto numeri = apriTabella("NumeriCamere.mdb", "NumeriCamere");
    auto macro = apriTabella("TipiCamere_Macro.mdb", "TipiCamere_Macro");
    const std::string g = quotaCriterio(G);

    const std::string c1 = "DataAddebito = " + g;
    sommaAddebiti(*RsCorrente, c1, r, *numeri, *macro);
    sommaAddebiti(*RsStorico, c1, r, *numeri, *macro);

    const std::string c3 = "DataInizio <= " + g + " and DataFine > " + g;
    std::string a1, a2, a3;
    for (bool trovato = RsTerzaFonte->findFirst(c3); trovato; trovato = RsTerzaFonte->findNext(c3)) {
        const std::string *camera = testoDi(*RsTerzaFonte, "NumeroCamera", a1);
        const std::optional<Valuta> importo = RsTerzaFonte->field("ImportoTotale").inValuta();
        if (!camera || !importo || camera->empty()) continue;
        // The pseudo-room "*101" stands for room 101.
        const std::string p = camera->substr(1);
        if (r == Raggruppamento::NumeriCamere) {
            SommaRiga(p, *importo);
        } else if (const std::string *tipo = tipoDellaCamera(*numeri, p, a2)) {
            if (r == Raggruppamento::TipiCamere) SommaRiga(testo::trim(*tipo), *importo);
            else if (const std::string *sigla = macroDelTipo(*macro, *tipo, a3)) SommaRiga(*sigla, *importo);
        }
    }
}

} // namespace pc
