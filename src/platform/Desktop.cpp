#include "Desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QDir>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>
#include <QWindow>

namespace pc::piattaforma {

namespace {

class DesktopReale final : public Desktop {
public:
    QStringList stampanti() override { return QPrinterInfo::availablePrinterNames(); }

    bool apriConApplicazione(const QString &percorso) override
    {
        // The desktop's opener runs detached: nothing here waits for the
        // application. A file that is not there is not handed over at all.
        const QFileInfo file(percorso);
        if (percorso.isEmpty() || !file.exists()) return false;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
    }

    bool avviaProgramma(const QString &programma, const QStringList &argomenti) override
    {
        if (programma.isEmpty()) return false;
        QString eseguibile = programma;
        // A bare name is looked up on PATH; a name with a folder is taken as it is.
        if (!programma.contains(QLatin1Char('/')) && !programma.contains(QLatin1Char('\\'))) {
            eseguibile = QStandardPaths::findExecutable(programma);
            if (eseguibile.isEmpty()) return false;
        }
        return QProcess::startDetached(eseguibile, argomenti, QDir::currentPath());
    }

    void tieniInPrimoPiano(QWidget *finestra) override
    {
        if (!finestra) return;
        mettiInPrimoPiano(finestra->window());
        // What opens over it (a message after a failure, a dialog) goes on top too.
        static FinestreFiglieSopra figlie;
        static QPointer<QCoreApplication> installatoIn;
        if (QCoreApplication *app = QCoreApplication::instance(); app && installatoIn != app) {
            app->installEventFilter(&figlie);
            installatoIn = app;
        }
    }

private:
    static void mettiInPrimoPiano(QWidget *finestra)
    {
        if (finestra->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return;
        QWindow *nativa = finestra->windowHandle();
        if (!nativa) {
            // Not created yet: the flag is simply taken along when it is shown.
            finestra->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            return;
        }
        // Already created (maybe shown, maybe inside a modal loop): QWidget's
        // own setWindowFlag would hide the window, and hiding a dialog ends its
        // exec(). Record the flag on the widget and pass it to the native
        // window directly, which the window system applies in place.
        const Qt::WindowFlags flags = finestra->windowFlags() | Qt::WindowStaysOnTopHint;
        finestra->overrideWindowFlags(flags);
        nativa->setFlags(nativa->flags() | Qt::WindowStaysOnTopHint);
    }

    // A window or dialog shown over a window kept on top is kept on top as
    // well: otherwise the window manager may put it in the ordinary layer,
    // where any other window covers it while it holds the input.
    class FinestreFiglieSopra final : public QObject {
    protected:
        bool eventFilter(QObject *oggetto, QEvent *evento) override
        {
            if (evento->type() != QEvent::Show || !oggetto->isWidgetType()) return false;
            auto *w = static_cast<QWidget *>(oggetto);
            if (!w->isWindow() || (w->windowType() != Qt::Dialog && w->windowType() != Qt::Window)) return false;
            const QWidget *genitore = w->parentWidget();
            if (genitore && genitore->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
                // Once it is on screen: changing the flag of a window about to
                // be mapped makes the window system build it anew, unpainted.
                QMetaObject::invokeMethod(
                    w, [w] { mettiInPrimoPiano(w); }, Qt::QueuedConnection);
            }
            return false;
        }
    };
};

Desktop *g_sostituto = nullptr;

} // namespace

Desktop &desktop()
{
    static DesktopReale reale;
    return g_sostituto ? *g_sostituto : reale;
}

void impostaDesktop(Desktop *sostituto) { g_sostituto = sostituto; }

} // namespace pc::piattaforma
