#include "ComandiBatch.h"
#include "TavoDesktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char **argv)
{
    if (pc::batch::eComandoBatch(argc, argv)) {
        QCoreApplication app(argc, argv);
        return pc::batch::eseguiComandoBatch(argc, argv);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("produzione-camere"));

    // Qt's own texts (standard buttons, dialogs) in Italian, like the rest.
    QTranslator traduzioneQt;
    if (traduzioneQt.load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traduzioneQt);

    pc::TavoDesktop finestra;
    finestra.show();
    return app.exec();
}
