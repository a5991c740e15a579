// The analysis window as a module the program opens only when it shows a
// window: Qt Charts and the OpenGL libraries it brings stay out of the batch
// commands' start. The statement, the analysis and the routines are the
// program's own, exported to it.

#include "FinestraAnalisi.h"

#include <QApplication>
#include <QTimer>

// F2 and the menu entry of the main window.
extern "C" void pc_modulo_analisi_collega(QWidget *principale) { pc::analisi::collegaAFinestraPrincipale(principale); }

// The window on its own ("analisi" without --formato) in the running
// application, computing at once when a period is given.
extern "C" int pc_modulo_analisi_finestra(const pc::analisi::RichiestaAnalisi *richiesta, bool conPeriodo)
{
    pc::analisi::FinestraAnalisi finestra;
    if (conPeriodo) finestra.impostaRichiesta(*richiesta);
    finestra.show();
    if (conPeriodo) QTimer::singleShot(0, &finestra, [&finestra] { finestra.calcola(); });
    return QApplication::exec();
}
