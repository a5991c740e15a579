#pragma once

#include "Desktop.h"

#include <QStringList>

#include <vector>

namespace pc::prova::anteprima {

// Records what the windows ask of the desktop instead of doing it; installed
// for the lifetime of the object.
class DesktopRegistratore final : public Desktop {
public:
    DesktopRegistratore() { impostaDesktop(this); }
    ~DesktopRegistratore() override { impostaDesktop(nullptr); }

    QStringList stampanti() override { return {}; }
    bool apriConApplicazione(const QString &percorso) override
    {
        aperti.push_back(percorso);
        return esito;
    }
    bool avviaProgramma(const QString &programma, const QStringList &argomenti) override
    {
        avviati.push_back({programma, argomenti});
        return esito;
    }
    void tieniInPrimoPiano(QWidget *finestra) override { inPrimoPiano.push_back(finestra); }

    struct Avvio {
        QString programma;
        QStringList argomenti;
    };
    bool esito = true;   // what apriConApplicazione and avviaProgramma answer
    std::vector<QString> aperti;
    std::vector<Avvio> avviati;
    std::vector<QWidget *> inPrimoPiano;
};

} // namespace pc::prova::anteprima
