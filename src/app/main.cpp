#include "ComandiBatch.h"
#include "MenuStampa.h"
#include "TavoDesktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char **argv)
{
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
    // The window reads the central archive named by --archivio / --struttura
    // or PC_ARCHIVIO / PC_STRUTTURA.
    pc::batch::Opzioni opzioni;
    if (!pc::batch::leggiOpzioni(std::vector<std::string>(argv + 1, argv + argc), pc::batch::conOpzioniArchivio({}), {}, opzioni)
        || !opzioni.posizionali.empty() || !pc::batch::attivaArchivio(opzioni))
        return 2;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("produzione-camere"));

    // Qt's own texts (standard buttons, dialogs) in Italian, like the rest.
    QTranslator traduzioneQt;
    if (traduzioneQt.load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traduzioneQt);

    pc::TavoDesktop finestra;
    // Every successful report ends in the modal print menu.
    finestra.impostaDopoReport(&pc::MenuStampa::mostra);
    finestra.show();
    return app.exec();
}
