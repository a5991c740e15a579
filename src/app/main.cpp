#include "ComandiBatch.h"
#include "DialogoInvio.h"
#include "Analisi.h"
#include "MenuStampa.h"
#include "Moduli.h"
#include "TavoDesktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>

#include <malloc.h>
#include <QTranslator>

namespace {

// A batch command prints only its own messages: Qt's notes on the runtime
// folder, fonts or printers are not for its user.
void tralasciaMessaggiQt(QtMsgType, const QMessageLogContext &, const QString &) {}

// The application's icon, in every size drawn for it: the icon of every window.
QIcon iconaApplicazione()
{
    QIcon icona;
    for (const int lato : {16, 22, 24, 32, 48, 64, 128, 256})
        icona.addFile(QStringLiteral(":/applicazione/produzione-camere-%1.png").arg(lato), QSize(lato, lato));
    return icona;
}

// Name, desktop entry and icon of every window; Qt's own texts (standard
// buttons, dialogs) in Italian, like the rest.
void preparaApplicazione(QTranslator &traduzione)
{
    QApplication::setApplicationName(QStringLiteral("produzione-camere"));
    QGuiApplication::setDesktopFileName(QStringLiteral("produzione-camere"));
    QApplication::setWindowIcon(iconaApplicazione());
    if (traduzione.load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traduzione);
}

// The analysis window's module (src/analisi/finestra/ModuloAnalisi.cpp).
void *moduloAnalisi(const char *funzione)
{
    return pc::app::funzioneDelModulo("produzione-camere-analisi.so", funzione, "della finestra di analisi");
}

// "analisi" without --formato: the analysis window on its own, with the period given.
int finestraAnalisi(int argc, char **argv)
{
    pc::analisi::RichiestaAnalisi r;
    std::string formato, uscita;
    int codice = 2;
    if (!pc::app::leggiRichiestaAnalisi(std::vector<std::string>(argv + 2, argv + argc), r, formato, uscita, false, &codice))
        return codice;
    const auto mostra = reinterpret_cast<int (*)(const pc::analisi::RichiestaAnalisi *, bool)>(moduloAnalisi("pc_modulo_analisi_finestra"));
    if (!mostra) return 1;
    QApplication app(argc, argv);
    QTranslator traduzioneQt;
    preparaApplicazione(traduzioneQt);
    return mostra(&r, r.alla.seriale != 0 || r.dalla.seriale != 0);
}

} // namespace

int main(int argc, char **argv)
{
    // Blocks of a few megabytes (a period's figures, a table's records) are
    // freed and asked for again as a statement goes on: kept by the allocator
    // instead of going back to the system, they are not zeroed by the kernel
    // again at every use.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    if (pc::app::apreFinestraAnalisi(argc, argv)) return finestraAnalisi(argc, argv);
    if (pc::app::eComandoBatch(argc, argv)) {
        qInstallMessageHandler(tralasciaMessaggiQt);
        if (pc::app::richiedeGrafica(argc, argv)) {
            // Printing needs fonts and printers, not a screen.
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            QGuiApplication app(argc, argv);
            return pc::app::eseguiComandoBatch(argc, argv);
        }
        QCoreApplication app(argc, argv);
        return pc::app::eseguiComandoBatch(argc, argv);
    }
    // The window reads the central archive named by --archivio / --struttura
    // or PC_ARCHIVIO / PC_STRUTTURA.
    pc::app::Opzioni opzioni;
    if (!pc::app::leggiOpzioni(std::vector<std::string>(argv + 1, argv + argc), pc::app::conOpzioniArchivio({}), {}, opzioni)
        || !opzioni.posizionali.empty() || !pc::app::attivaArchivio(opzioni))
        return 2;
    QApplication app(argc, argv);
    QTranslator traduzioneQt;
    preparaApplicazione(traduzioneQt);

    pc::app::TavoDesktop finestra;
    // Every successful report ends in the modal print menu.
    finestra.impostaDopoReport(&pc::stampa::MenuStampa::mostra);
    // Without its module the main window works on, without the analysis.
    if (const auto collega = reinterpret_cast<void (*)(QWidget *)>(moduloAnalisi("pc_modulo_analisi_collega"))) collega(&finestra);
    pc::posta::collegaAFinestraPrincipale(&finestra);
    finestra.show();
    return app.exec();
}
