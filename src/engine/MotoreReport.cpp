#include "MotoreReport.h"

#include "Dialetto.h"
#include "ErroreDati.h"
#include "Testo.h"

using pc::dati::ErroreDati;
using pc::dati::Valore;
using pc::dati::Valuta;
using pc::dati::dialetto::quotaCriterio;

namespace pc {

std::unique_ptr<dati::Recordset> apriTabella(const std::string &file, const std::string &tabella,
                                             const std::shared_ptr<dati::Fonte> &fonte)
{
    auto db = dati::Database::open(file, fonte);
    return db->openRecordset(tabella);
}

namespace {

// A value as the message shows it: texts between quotes, control bytes and
// long texts shortened so that the message stays readable.
std::string mostraValore(const Valore &v)
{
    if (!v.eTesto()) return v.inTesto();
    std::string r = "\"";
    const std::string &t = v.comeTesto();
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (i == 40) {
            r += "\xE2\x80\xA6";   // an ellipsis
            break;
        }
        const auto c = static_cast<unsigned char>(t[i]);
        if (c < 0x20 || c == 0x7F) {
            static const char esa[] = "0123456789ABCDEF";
            r += "\\x";
            r += esa[c >> 4];
            r += esa[c & 15];
        } else {
            r += t[i];
        }
    }
    return r + "\"";
}

std::string mostraData(const Valore &data)
{
    const std::string t = data.inTesto();
    if (t.size() == 8 && t.find_first_not_of("0123456789") == std::string::npos)
        return t.substr(6, 2) + "/" + t.substr(4, 2) + "/" + t.substr(0, 4);
    return data.nullo() ? std::string("senza data") : mostraValore(data);
}

} // namespace

std::optional<Valuta> cifraDelRecord(const dati::Recordset &rs, std::string_view campo, const Valore &valore,
                                     const Valore &data, const Valore &camera)
{
    return cifraDelRecord(rs.descrizione(), campo, valore, data, camera);
}

std::optional<Valuta> cifraDelRecord(const std::string &descrizione, std::string_view campo, const Valore &valore,
                                     const Valore &data, const Valore &camera)
{
    std::optional<Valuta> cifra;
    const bool quantita = campo.find("Quantit") != std::string_view::npos;
    if (valore.leggiCifra(cifra, quantita)) return cifra;
    throw ErroreDati("Nel campo \"" + std::string(campo) + "\" della " + descrizione + " il valore "
                     + mostraValore(valore) + (quantita ? " non \xC3\xA8 una quantit\xC3\xA0" : " non \xC3\xA8 un importo")
                     + " leggibile (record del " + mostraData(data) + ", camera "
                     + (camera.nullo() ? std::string("non indicata") : mostraValore(Valore::testo(camera.inTesto())))
                     + (quantita ? "). Una quantit\xC3\xA0 di camere \xC3\xA8 un numero intero, come 2 o 2,00."
                                 : "). Sono ammessi numeri come 162.00 o 162,00, con al pi\xC3\xB9 quattro decimali, senza "
                                   "separatori delle migliaia n\xC3\xA9 esponenti, entro \xC2\xB1" "922337203685477,5807."));
}

bool quantitaPositiva(const Valore &valore, Valuta q)
{
    return valore.tipo() == Valore::Tipo::Reale ? valore.comeReale() > 0 : q > Valuta();
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
            std::string k = dati::testo::maiuscolo(*camera);
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
    auto numeri = apriTabella("NumeriCamere.mdb", "NumeriCamere", Dati);
    auto macro = apriTabella("TipiCamere_Macro.mdb", "TipiCamere_Macro", Dati);
    const std::string g = quotaCriterio(G);

    contaSchede(*RsCorrente, "DataArrivo <= " + g + " and DataPartenza > " + g, r, *numeri, *macro);
    contaSchede(*RsStorico, "DataArrivo <= " + g + " and DataPartenzaReale > " + g, r, *numeri, *macro);

    // The bookings of the day whose QuantitàCamere is above zero; the
    // quantity is tested here rather than in the criterion, so that one that
    // cannot be read stops the run instead of leaving the booking out.
    const std::string c3 = "DataArrivo <= " + g + " and DataPartenza > " + g;
    std::string a1, a2, a3;
    for (bool trovato = RsTerzaFonte->findFirst(c3); trovato; trovato = RsTerzaFonte->findNext(c3)) {
        const Valore &q = RsTerzaFonte->field("Quantit\xC3\xA0" "Camere");
        const std::optional<Valuta> quantita =
            cifraDelRecord(*RsTerzaFonte, "Quantit\xC3\xA0" "Camere", q, RsTerzaFonte->field("DataArrivo"),
                           RsTerzaFonte->field("NumeroCamera"));
        if (!quantita || !quantitaPositiva(q, *quantita)) continue;
        if (r == Raggruppamento::NumeriCamere) {
            if (const std::string *camera = testoDi(*RsTerzaFonte, "NumeroCamera", a1))
                SommaRiga(dati::testo::trim(*camera), Valuta::daIntero(1));
            continue;
        }
        const std::string *tipo = testoDi(*RsTerzaFonte, "TipoCamera", a2);
        if (!tipo) continue;
        if (r == Raggruppamento::TipiCamere) {
            SommaRiga(dati::testo::trim(*tipo), *quantita);
        } else if (const std::string *sigla = macroDelTipo(*macro, dati::testo::trim(*tipo), a3)) {
            SommaRiga(*sigla, *quantita);
        }
    }
}

void MotoreReport::sommaAddebiti(dati::Recordset &rs, const std::string &criterio, Raggruppamento r,
                                 dati::Recordset &numeri, dati::Recordset &macro)
{
    std::string a1, a2, a3;
    for (bool trovato = rs.findFirst(criterio); trovato; trovato = rs.findNext(criterio)) {
        const std::optional<Valuta> importo =
            cifraDelRecord(rs, "Importo", rs.field("Importo"), rs.field("DataAddebito"), rs.field("NumeroCamera"));
        const std::string *camera = testoDi(rs, "NumeroCamera", a1);
        if (!camera || !importo) continue;
        if (r == Raggruppamento::NumeriCamere) {
            SommaRiga(dati::testo::maiuscolo(*camera), *importo);
        } else if (const std::string *tipo = tipoDellaCamera(numeri, *camera, a2)) {
            if (r == Raggruppamento::TipiCamere) SommaRiga(*tipo, *importo);
            else if (const std::string *sigla = macroDelTipo(macro, *tipo, a3)) SommaRiga(*sigla, *importo);
        }
    }
}

void MotoreReport::AccumulaImporti(const std::string &G, Raggruppamento r)
{
    auto numeri = apriTabella("NumeriCamere.mdb", "NumeriCamere", Dati);
    auto macro = apriTabella("TipiCamere_Macro.mdb", "TipiCamere_Macro", Dati);
    const std::string g = quotaCriterio(G);

    const std::string c1 = "DataAddebito = " + g;
    sommaAddebiti(*RsCorrente, c1, r, *numeri, *macro);
    sommaAddebiti(*RsStorico, c1, r, *numeri, *macro);

    const std::string c3 = "DataInizio <= " + g + " and DataFine > " + g;
    std::string a1, a2, a3;
    for (bool trovato = RsTerzaFonte->findFirst(c3); trovato; trovato = RsTerzaFonte->findNext(c3)) {
        const std::optional<Valuta> importo =
            cifraDelRecord(*RsTerzaFonte, "ImportoTotale", RsTerzaFonte->field("ImportoTotale"),
                           RsTerzaFonte->field("DataInizio"), RsTerzaFonte->field("NumeroCamera"));
        const std::string *camera = testoDi(*RsTerzaFonte, "NumeroCamera", a1);
        if (!camera || !importo || camera->empty()) continue;
        // The pseudo-room "*101" stands for room 101.
        const std::string p = camera->substr(1);
        if (r == Raggruppamento::NumeriCamere) {
            SommaRiga(p, *importo);
        } else if (const std::string *tipo = tipoDellaCamera(*numeri, p, a2)) {
            if (r == Raggruppamento::TipiCamere) SommaRiga(dati::testo::trim(*tipo), *importo);
            else if (const std::string *sigla = macroDelTipo(*macro, *tipo, a3)) SommaRiga(*sigla, *importo);
        }
    }
}

} // namespace pc
