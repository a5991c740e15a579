#include "ImpostazioniStampa.h"

#include "Database.h"
#include "Dialetto.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "TavoRoutine.h"
#include "Testo.h"
#include "Valore.h"

#include <cfenv>
#include <cmath>
#include <fstream>
#include <limits>

using pc::dati::ErroreDati;
using pc::dati::Valore;
using pc::dati::Valuta;

namespace pc::stampa {

namespace {

const char *const FileFont = "FontStp.txt";
const char *const FileContatori = "Contatori.mdb";
const char *const FileStampanti = "Stampanti.mdb";

// The number held by a field, whatever its stored kind. A field without a
// value is an error naming where it was read.
double numeroDaCampo(const Valore &v, const std::string &dove)
{
    switch (v.tipo()) {
    case Valore::Tipo::Intero: return static_cast<double>(v.comeIntero());
    case Valore::Tipo::Reale: return v.comeReale();
    case Valore::Tipo::Valuta: return static_cast<double>(v.comeValuta().grezzo()) / Valuta::Scala;
    case Valore::Tipo::Testo: return leggiNumero(v.comeTesto());
    case Valore::Tipo::Nullo: break;
    }
    throw ErroreDati("Il campo " + dove + " non ha un valore.");
}

int interoCorto(double valore, const std::string &dove)
{
    const long long n = arrotondaPari(valore);
    if (n < std::numeric_limits<short>::min() || n > std::numeric_limits<short>::max())
        throw ErroreDati("Il valore " + std::to_string(n) + " del campo " + dove + " \xC3\xA8 fuori dall'intervallo ammesso.");
    return static_cast<int>(n);
}

// First line of "FontStp.txt" without blanks at both ends; "Courier New" when
// the file is missing or its first line is empty.
std::string leggiFont()
{
    std::ifstream f(FileFont, std::ios::binary);
    if (!f) return "Courier New";
    std::string riga;
    std::getline(f, riga);
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    const std::string font(dati::testo::trim(dati::testo::cp1252InUtf8(riga)));
    return font.empty() ? std::string("Courier New") : font;
}

int leggiLunghezzaPagina(bool compressa)
{
    auto db = dati::Database::open(FileContatori);
    auto rs = db->openRecordset("Contatori");
    const std::string criterio = "NumeroHotel = " + std::to_string(TavoRoutine::HotelCorrente);
    int lunghezza = 60;
    if (rs->findFirst(criterio)) {
        const char *campo = compressa ? "LungPagComp" : "LungPagNoComp";
        const std::string dove = std::string(campo) + " della tabella Contatori (" + FileContatori + ", albergo " +
                                 std::to_string(TavoRoutine::HotelCorrente) + ")";
        lunghezza = interoCorto(numeroDaCampo(rs->field(campo), dove), dove);
    }
    db->close();
    return lunghezza;
}

} // namespace

double leggiNumero(std::string_view testo)
{
    std::size_t i = 0;
    auto saltaBlanchi = [&] {
        while (i < testo.size() && (testo[i] == ' ' || testo[i] == '\t')) ++i;
    };
    saltaBlanchi();
    double segno = 1.0;
    if (i < testo.size() && (testo[i] == '-' || testo[i] == '+')) {
        if (testo[i] == '-') segno = -1.0;
        ++i;
    }
    double valore = 0.0, scala = 1.0;
    bool decimali = false;
    for (; i < testo.size(); ++i) {
        const char c = testo[i];
        if (c == ' ' || c == '\t') continue;
        if (c == '.' && !decimali) {
            decimali = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        if (decimali) {
            scala /= 10.0;
            valore += (c - '0') * scala;
        } else {
            valore = valore * 10.0 + (c - '0');
        }
    }
    return segno * valore;
}

std::array<double, 12> leggiGruppi(std::string_view testo)
{
    std::array<double, 12> gruppi{};
    for (std::size_t k = 0; k < gruppi.size(); ++k) {
        const std::size_t inizio = 3 * k;
        if (inizio >= testo.size()) break;
        gruppi[k] = leggiNumero(testo.substr(inizio, 3));
    }
    return gruppi;
}

long long arrotondaPari(double valore)
{
    if (!std::isfinite(valore)) return 0;
    const int modo = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(valore);
    std::fesetround(modo);
    // Beyond the range a whole number can hold, the nearest end of it (the
    // callers' own range checks then name the field).
    if (r >= 0x1p63) return std::numeric_limits<long long>::max();
    if (r < -0x1p63) return std::numeric_limits<long long>::min();
    return static_cast<long long>(r);
}

ImpostazioniStampa raccogliImpostazioni(const SceltaStampa &scelta)
{
    ImpostazioniStampa imp;
    imp.font = leggiFont();
    imp.lunghezzaPagina = leggiLunghezzaPagina(scelta.compressa);

    auto db = dati::Database::open(FileStampanti);
    auto stampanti = db->openRecordset("Stampanti");
    auto setStampa = db->openRecordset("SetStampa");
    if (!stampanti->findFirst("Destinazione = " + dati::dialetto::quotaCriterio(scelta.destinazione))) {
        db->close();
        throw ErroreDati("La destinazione di stampa \"" + scelta.destinazione + "\" non esiste nella tabella Stampanti (" +
                         FileStampanti + "): nulla \xC3\xA8 stato stampato.");
    }
    imp.destinazione = stampanti->field("Destinazione").inTesto();
    const std::string doveTipo = "TipoStampa della destinazione \"" + scelta.destinazione + "\" (tabella Stampanti, " + FileStampanti + ")";
    imp.tipoStampa = arrotondaPari(numeroDaCampo(stampanti->field("TipoStampa"), doveTipo));
    const std::string linea = stampanti->field("Linea").inTesto();

    if (setStampa->findFirst("TipoStampa = " + std::to_string(imp.tipoStampa))) {
        imp.tipoTrovato = true;
        const std::string tipo = " del tipo di stampa " + std::to_string(imp.tipoStampa) + " (tabella SetStampa, " + FileStampanti + ")";
        const Valore &compresso = setStampa->field("Compresso");
        const Valore &grassetto = setStampa->field("Grassetto");
        if (compresso.nullo()) throw ErroreDati("Il campo Compresso" + tipo + " non ha un valore.");
        if (grassetto.nullo()) throw ErroreDati("Il campo Grassetto" + tipo + " non ha un valore.");
        imp.C = leggiGruppi(dati::testo::utf8InCp1252(compresso.inTesto()));
        const auto g = leggiGruppi(dati::testo::utf8InCp1252(grassetto.inTesto()));
        for (std::size_t k = 0; k < g.size(); ++k)
            imp.G[k] = interoCorto(g[k], "Grassetto (gruppo " + std::to_string(k + 1) + ")" + tipo);
        imp.lunghezzaRiempimento = scelta.compressa ? imp.G[6] : imp.G[7];
        imp.margineAlto = imp.G[5];
    }

    // A destination may be redirected on this workstation by an environment
    // variable named after it.
    const std::string daAmbiente = variabileAmbiente(imp.destinazione.c_str());
    imp.dispositivo = !daAmbiente.empty() ? daAmbiente : linea;
    db->close();

    if (!dati::testo::trim(scelta.stampante).empty()) imp.dispositivo = scelta.stampante;
    return imp;
}

} // namespace pc::stampa
