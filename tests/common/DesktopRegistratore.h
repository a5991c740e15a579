#pragma once

#include "Desktop.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <utility>
#include <vector>

namespace pc::prova {

// A desktop that only records what was asked of it. Constructing one
// installs it; destroying it puts the real desktop back.
class DesktopRegistratore final : public piattaforma::Desktop {
public:
    struct Avvio {
        QString programma;
        QStringList argomenti;
    };

    explicit DesktopRegistratore(QStringList stampantiFinte = {}) : elencoStampanti(std::move(stampantiFinte))
    {
        piattaforma::impostaDesktop(this);
    }
    ~DesktopRegistratore() override { piattaforma::impostaDesktop(nullptr); }
    DesktopRegistratore(const DesktopRegistratore &) = delete;
    DesktopRegistratore &operator=(const DesktopRegistratore &) = delete;

    QStringList stampanti() override
    {
        ++richiesteStampanti;
        return elencoStampanti;
    }
    bool apriConApplicazione(const QString &percorso) override
    {
        fileAperti << percorso;
        return esitoApertura;
    }
    bool avviaProgramma(const QString &programma, const QStringList &argomenti) override
    {
        programmiAvviati.push_back({programma, argomenti});
        return esitoAvvio;
    }
    void tieniInPrimoPiano(QWidget *finestra) override { finestreInPrimoPiano.emplace_back(finestra); }

    // What the fake desktop answers.
    QStringList elencoStampanti;
    bool esitoApertura = true;
    bool esitoAvvio = true;

    // What was asked.
    int richiesteStampanti = 0;
    QStringList fileAperti;
    std::vector<Avvio> programmiAvviati;
    std::vector<QPointer<QWidget>> finestreInPrimoPiano;
};

} // namespace pc::prova
