#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace pc::piattaforma {

// What the system asks of the desktop it runs on. Windows reach it through
// desktop(); tests install a recorder with impostaDesktop().
class Desktop {
public:
    virtual ~Desktop() = default;
    // Installed system printers, in the platform's order; empty when none.
    virtual QStringList stampanti() = 0;
    // Opens a file with the application associated with its type, without
    // waiting. False when nothing could be started.
    virtual bool apriConApplicazione(const QString &percorso) = 0;
    // Starts a program by bare name (searched on PATH), without waiting.
    virtual bool avviaProgramma(const QString &programma, const QStringList &argomenti = {}) = 0;
    // Keeps a top-level window above the others.
    virtual void tieniInPrimoPiano(QWidget *finestra) = 0;
};

// The desktop in use: the real one unless a test replaced it.
Desktop &desktop();
// Replaces the desktop (nullptr restores the real one). Not owned.
void impostaDesktop(Desktop *sostituto);

} // namespace pc::piattaforma
