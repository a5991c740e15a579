#include "ComandiBatch.h"

#include "Analisi.h"
#include "ErroreDati.h"
#include "FileReport.h"
#include "Formati.h"
#include "PaginaAnalisi.h"
#include "ScritturaFile.h"

#include <QFile>

#include <iostream>

using pc::dati::ErroreDati;
using pc::dati::controllaDestinazione;

namespace pc::app {

namespace {

const std::vector<std::string> kConValore = {"--dal", "--al", "--raggruppamento", "--formato", "--uscita", "--periodicita",
                                             "--budget"};
const std::vector<std::string> kSenzaValore = {"--confronto"};

std::string formatoRichiesto(const std::vector<std::string> &argomenti)
{
    for (std::size_t i = 0; i < argomenti.size(); ++i) {
        if (argomenti[i] == "--formato" && i + 1 < argomenti.size()) return argomenti[i + 1];
        if (argomenti[i].rfind("--formato=", 0) == 0) return argomenti[i].substr(10);
    }
    return {};
}

} // namespace

bool analisiRichiedeGrafica(const std::vector<std::string> &argomenti) { return formatoRichiesto(argomenti) == "pdf"; }

bool analisiApreFinestra(const std::vector<std::string> &argomenti)
{
    for (const auto &a : argomenti)
        if (a == "--help" || a == "--formato" || a.rfind("--formato=", 0) == 0) return false;
    return true;
}

bool leggiRichiestaAnalisi(const std::vector<std::string> &argomenti, analisi::RichiestaAnalisi &r, std::string &formato,
                           std::string &uscita, bool periodoObbligatorio, int *codice)
{
    if (codice) *codice = 2;
    // "--confronto" alone, or followed by how: "data" (the default) or "settimana".
    std::vector<std::string> lista;
    std::optional<std::string> modo;
    for (std::size_t k = 0; k < argomenti.size(); ++k) {
        const std::string &a = argomenti[k];
        if (a == "--confronto" && k + 1 < argomenti.size() && (argomenti[k + 1] == "data" || argomenti[k + 1] == "settimana"))
            modo = argomenti[++k];
        else if (a.rfind("--confronto=", 0) == 0) modo = a.substr(12);
        else {
            lista.push_back(a);
            continue;
        }
        lista.push_back("--confronto");
    }
    if (modo && *modo != "data" && *modo != "settimana") {
        scriviErrore("confronto \"" + *modo + "\" sconosciuto: usare data o settimana.");
        return false;
    }
    Opzioni o;
    if (!leggiOpzioni(lista, conOpzioniArchivio(kConValore), kSenzaValore, o)) return false;
    if (!senzaPosizionali(o)) return false;
    const bool catena = o.valore("--raggruppamento") && *o.valore("--raggruppamento") == "strutture";
    if (!leggiFonte(o, r.dati, catena)) return false;
    const std::string *dal = o.valore("--dal"), *al = o.valore("--al");
    if ((!dal || !al) && (periodoObbligatorio || dal || al)) {
        scriviErrore("indicare il periodo con --dal GG/MM/AAAA e --al GG/MM/AAAA.");
        return false;
    }
    if (dal && al) {
        const auto d = Giorno::leggi(*dal), a = Giorno::leggi(*al);
        if (!d || !a) {
            scriviErrore("la data \"" + (d ? *al : *dal) + "\" non \xC3\xA8 una data valida (gg/mm/aaaa).");
            return false;
        }
        if (*d > *a) {
            scriviErrore("la data iniziale " + d->ggmmaaaa() + " \xC3\xA8 successiva alla data finale " + a->ggmmaaaa() + ".");
            return false;
        }
        r.dalla = *d;
        r.alla = *a;
    }
    const std::string gruppo = o.valore("--raggruppamento") ? *o.valore("--raggruppamento") : "camere";
    const auto g = gruppo == "strutture" && r.dati ? std::optional<Raggruppamento>(Raggruppamento::Strutture) : raggruppamentoDaNome(gruppo);
    if (!g) {
        scriviErrore("raggruppamento \"" + gruppo + "\" sconosciuto: usare camere, tipi, macro o (con --archivio) strutture.");
        return false;
    }
    r.raggruppamento = *g;
    r.confronto = o.interruttore("--confronto");
    r.modoConfronto = modo == "settimana" ? analisi::ModoConfronto::Settimana : analisi::ModoConfronto::Data;
    const std::string periodicita = o.valore("--periodicita") ? *o.valore("--periodicita") : "giorno";
    const auto p = analisi::periodicitaDaNome(periodicita);
    if (!p) {
        scriviErrore("periodicit\xC3\xA0 \"" + periodicita + "\" sconosciuta: usare giorno, mese o anno.");
        return false;
    }
    r.periodicita = *p;
    if (const std::string *budget = o.valore("--budget")) {
        if (r.periodicita == analisi::Periodicita::Giorno) {
            scriviErrore("il budget \xC3\xA8 mensile: con --budget indicare --periodicita mese o anno.");
            return false;
        }
        try {
            r.budget = std::make_shared<analisi::Budget>(analisi::Budget::leggiFile(*budget));
        } catch (const ErroreDati &e) {
            scriviErrore(e.what());
            if (codice) *codice = 1;   // the command line was right, the file is not
            return false;
        }
    }
    formato = o.valore("--formato") ? *o.valore("--formato") : std::string();
    uscita = o.valore("--uscita") ? *o.valore("--uscita") : std::string();
    return true;
}

int comandoAnalisi(const std::vector<std::string> &argomenti)
{
    analisi::RichiestaAnalisi r;
    std::string formato, uscita;
    int codice = 2;
    if (!leggiRichiestaAnalisi(argomenti, r, formato, uscita, true, &codice)) return codice;
    std::string estensione;
    if (formato == "csv" || formato == "xlsx" || formato == "pdf") estensione = "." + formato;
    else if (formato != "testo") {
        scriviErrore("formato \"" + formato + "\" sconosciuto: usare csv, xlsx, pdf o testo.");
        return 2;
    }
    if (formato == "xlsx") {
        const std::string limite = analisi::fuoriLimitiXlsx(r.alla.seriale - r.dalla.seriale + 1, 0);
        if (!limite.empty()) {
            scriviErrore(limite);
            return 2;
        }
    }
    QString nome;
    try {
        nome = QFile::decodeName(QByteArray::fromStdString(uscita.empty() ? analisi::nomeFileAnalisi(estensione) : uscita));
        // The target is checked before anything is computed.
        if (formato != "testo" || !uscita.empty()) controllaDestinazione(QFile::encodeName(nome).toStdString(), "il file dell'analisi");
        if (formato == "csv") {
            analisi::ScrittoreCsv csv(nome);
            analisi::calcola(r, csv);
        } else if (formato == "xlsx") {
            analisi::ScrittoreXlsx xlsx(nome);
            analisi::calcola(r, xlsx);
        } else {
            analisi::Riepilogo riepilogo;
            analisi::calcola(r, riepilogo);
            if (formato == "pdf") {
                analisi::scriviPdf(riepilogo, nome);
            } else {
                const std::string t = analisi::testoRiepilogo(riepilogo, separatoreDecimale());
                if (!uscita.empty()) analisi::scriviFile(nome, t);
                else std::cout << t << std::flush;
                return 0;
            }
        }
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }
    std::cout << nome.toStdString() << std::endl;
    return 0;
}

} // namespace pc::app
