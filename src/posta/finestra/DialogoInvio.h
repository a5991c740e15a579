#pragma once

// "Invio giornaliero": fills in the daily mail's configuration file, sends a
// test message and schedules the daily run. Sending and scheduling run the
// program's own batch commands in a child process, so the window stays
// responsive and its working folder untouched.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace pc::posta {

struct Configurazione;

class DialogoInvio : public QDialog {
    Q_OBJECT
public:
    explicit DialogoInvio(QWidget *genitore = nullptr);

    // The configuration file shown (default ~/.config/produzione-camere/invio.ini).
    void apri(const QString &file);
    // The program run for the test message and the schedule (this program by default).
    void impostaProgramma(const QString &programma) { m_programma = programma; }

    // Saves the form; false (after a message in the log box) when it is not valid.
    bool salva();
    void inviaProva();
    void pianificaInvio();

private:
    Configurazione configurazione() const;
    void esegui(const QStringList &argomenti);
    void scrivi(const QString &testo);

    QString m_programma;
    QLineEdit *m_file, *m_host, *m_utente, *m_password, *m_ca, *m_mittente, *m_destinatari, *m_nome;
    QLineEdit *m_cartella, *m_pclocal, *m_dirkv, *m_prova, *m_ora;
    QSpinBox *m_porta;
    QComboBox *m_sicurezza, *m_raggruppamento;
    QPlainTextEdit *m_registro;
};

// Adds "Invio giornaliero..." to the main window's context menu.
void collegaAFinestraPrincipale(QWidget *principale);

} // namespace pc::posta
