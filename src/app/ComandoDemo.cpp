#include "ComandiBatch.h"

#include "ErroreDati.h"
#include "GeneratoreAlbergo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <iostream>

using pc::dati::ErroreDati;

namespace pc::app {

namespace {

// Quotes a path for the shell when it holds anything but plain characters.
std::string perShell(const std::string &s)
{
    if (!s.empty() && s.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+,:=") ==
                          std::string::npos)
        return s;
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string nomeProgramma()
{
    if (QCoreApplication::instance()) {
        const QString p = QCoreApplication::applicationFilePath();
        if (!p.isEmpty()) return p.toStdString();
    }
    return "produzione-camere";
}

} // namespace

int comandoDemo(const std::vector<std::string> &argomenti)
{
    Opzioni o;
    if (!leggiOpzioni(argomenti, {}, {"--sovrascrivi"}, o)) return 2;
    if (o.posizionali.size() != 1) {
        scriviErrore("indicare una sola cartella: produzione-camere demo CARTELLA [--sovrascrivi].");
        return 2;
    }
    const QString cartella = QDir(QString::fromStdString(o.posizionali.front())).absolutePath();
    const std::string percorso = QDir::cleanPath(cartella).toStdString();

    if (QFileInfo(cartella).exists() && !QFileInfo(cartella).isDir()) {
        scriviErrore("\"" + percorso + "\" esiste e non \xC3\xA8 una cartella.");
        return 1;
    }
    if (!o.interruttore("--sovrascrivi")) {
        std::vector<std::string> presenti;
        for (const auto &f : demo::fileAlbergo())
            if (QFileInfo::exists(cartella + "/" + QString::fromStdString(f))) presenti.push_back(f);
        if (!presenti.empty()) {
            std::string elenco;
            for (std::size_t i = 0; i < presenti.size() && i < 3; ++i) elenco += (i ? ", " : "") + presenti[i];
            if (presenti.size() > 3) elenco += ", ...";
            scriviErrore("la cartella \"" + percorso + "\" contiene gi\xC3\xA0 archivi di un albergo (" + elenco +
                         "): non li sovrascrivo. Scegliere una cartella vuota o aggiungere --sovrascrivi.");
            return 1;
        }
    }

    const demo::ParametriAlbergo parametri = demo::parametriDemo();
    demo::RiepilogoAlbergo riepilogo;
    try {
        riepilogo = demo::generaAlbergo(parametri, percorso);
    } catch (const ErroreDati &e) {
        scriviErrore(e.what());
        return 1;
    }

    const auto &albergo = parametri.alberghi.front();
    const auto tipiC = std::count_if(albergo.tipi.begin(), albergo.tipi.end(), [](const auto &t) { return t.tipologia == "C"; });
    std::cout << "Albergo dimostrativo creato in " << percorso << "\n"
              << "  albergo 1: " << albergo.camere << " camere, " << tipiC << " tipi di camera (Tipologia 'C') e "
              << albergo.tipi.size() - static_cast<std::size_t>(tipiC) << " di altra tipologia, " << albergo.macro.size()
              << " macro categorie;\n  storico dal "
              << parametri.primoGiorno.substr(6, 2) << "/" << parametri.primoGiorno.substr(4, 2) << "/"
              << parametri.primoGiorno.substr(0, 4) << ", oggi \xC3\xA8 il " << parametri.oggi.substr(6, 2) << "/"
              << parametri.oggi.substr(4, 2) << "/" << parametri.oggi.substr(0, 4) << "\n"
              << "  (l'albergo 2 \xC3\xA8 presente negli archivi ma i report dell'albergo 1 lo ignorano)\n\n"
              << "Archivi scritti (righe per tabella):\n";
    for (const auto &t : riepilogo.tabelle) {
        std::string nome = t.file + "  " + t.tabella;
        if (nome.size() < 56) nome.resize(56, ' ');
        std::cout << "  " << nome << " " << t.righe << "\n";
    }
    const std::string programma = perShell(nomeProgramma());
    std::cout << "\nPer scrivere un report su questo albergo:\n"
              << "  cd " << perShell(percorso) << "\n"
              << "  DIRKV=" << perShell(percorso + "/storico") << " PCLocal=1 " << programma
              << " stampa --dal 01/03/2026 --al 31/03/2026 --tipo vendite --raggruppamento tipi --mostra\n"
              << "Il report va nel file \"fd1\" della cartella; --tipo produzione d\xC3\xA0 i ricavi delle camere,\n"
              << "--raggruppamento camere o macro le colonne per numero di camera o per macro categoria.\n"
              << "La destinazione di stampa \"PDF\" scrive il file \"stampa.pdf\" nella cartella.\n";
    return 0;
}

} // namespace pc::app
