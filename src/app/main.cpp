#include "ComandiBatch.h"
#include "FinestraAnalisi.h"
#include "MenuStampa.h"
#include "TavoDesktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

namespace {

void traduciQt(QTranslator &traduzione)
{
    // Qt's own texts (standard buttons, dialogs) in Italian, like the rest.
    if (traduzione.load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traduzione);
}

// "analisi" without --formato: the analysis window on its own, with the period given.
int finestraAnalisi(int argc, char **argv)
{
    pc::analisi::RichiestaAnalisi r;
    std::string formato, uscita;
    if (!pc::batch::leggiRichiestaAnalisi(std::vector<std::string>(argv + 2, argv + argc), r, formato, uscita, false)) return 2;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("produzione-camere"));
    QTranslator traduzioneQt;
    traduciQt(traduzioneQt);
    pc::analisi::FinestraAnalisi finestra;
    const bool conPeriodo = r.alla.seriale != 0 || r.dalla.seriale != 0;
    if (conPeriodo) finestra.impostaRichiesta(r);
    finestra.show();
    if (conPeriodo) QTimer::singleShot(0, &finestra, [&finestra] { finestra.calcola(); });
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (pc::batch::apreFinestraAnalisi(argc, argv)) return finestraAnalisi(argc, argv);
    if (pc::batch::eComandoBatch(argc, argv)) {
        if (pc::batch::richiedeGrafica(argc, argv)) {
            // Printing needs fonts and printers, not a screen.
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            QGuiApplication app(argc, argv);
            return pc::batch::eseguiComandoBatch(argc, argv);
        }
        QCoreApplication app(argc, argv);
        return pc::batch::eseguiComandoBatch(argc, argv);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("produzione-camere"));

    QTranslator traduzioneQt;
    traduciQt(traduzioneQt);

    pc::TavoDesktop finestra;
    // Every successful report ends in the modal print menu.
    finestra.impostaDopoReport(&pc::MenuStampa::mostra);
    pc::analisi::collegaAFinestraPrincipale(&finestra);
    finestra.show();
    return app.exec();
}
