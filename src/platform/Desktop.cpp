#include "Desktop.h"

#include <QDesktopServices>
#include <QPrinterInfo>
#include <QProcess>
#include <QUrl>
#include <QWidget>

namespace pc {

namespace {

class DesktopReale final : public Desktop {
public:
    QStringList stampanti() override { return QPrinterInfo::availablePrinterNames(); }

    bool apriConApplicazione(const QString &percorso) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(percorso));
    }

    bool avviaProgramma(const QString &programma, const QStringList &argomenti) override
    {
        return QProcess::startDetached(programma, argomenti);
    }

    void tieniInPrimoPiano(QWidget *finestra) override
    {
        if (finestra) finestra->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
};

Desktop *g_sostituto = nullptr;

} // namespace

Desktop &desktop()
{
    static DesktopReale reale;
    return g_sostituto ? *g_sostituto : reale;
}

void impostaDesktop(Desktop *sostituto) { g_sostituto = sostituto; }

} // namespace pc
