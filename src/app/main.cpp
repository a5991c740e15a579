#include "ComandiBatch.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>

#include <iostream>

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
    QApplication app(argc, argv);
    std::cerr << "produzione-camere: la finestra principale non \xC3\xA8 ancora disponibile; usare --help.\n";
    return 1;
}
