#include "ComandiBatch.h"

#include <QApplication>
#include <QCoreApplication>

#include <iostream>

int main(int argc, char **argv)
{
    if (pc::batch::eComandoBatch(argc, argv)) {
        QCoreApplication app(argc, argv);
        return pc::batch::eseguiComandoBatch(argc, argv);
    }
    QApplication app(argc, argv);
    std::cerr << "produzione-camere: la finestra principale non \xC3\xA8 ancora disponibile; usare --help.\n";
    return 1;
}
