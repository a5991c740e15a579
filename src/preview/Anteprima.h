#pragma once

#include "PaginaReport.h"

#include <QDialog>
#include <QRect>

#include <array>
#include <functional>

class QAbstractButton;
class QPlainTextEdit;

namespace pc::anteprima {

// Rectangles of the preview's controls, in twips (1440 to the inch, 15 to a
// pixel at 96 dpi).
struct DisposizioneAnteprima {
    QRectF testo;
    std::array<QRectF, 7> tasti;
};

// "Anteprima di Stampa": shows the report file of this workstation page by
// page in an editable text area; pages forward, back to the start, enlarges
// and reduces the text, saves the page shown back into the report file and
// hands it to the mail sender. Modal, kept above the other windows.
class Anteprima : public QDialog {
    Q_OBJECT
public:
    // Opens the report file (nomeFileReport()); when it is missing the window
    // closes as soon as it is shown, without a message.
    explicit Anteprima(QWidget *parent = nullptr, const std::string &fileReport = {});
    ~Anteprima() override;

    // Designed layout, in twips.
    static DisposizioneAnteprima disposizioneProgettata();
    // Layout made when the window is first shown, from its outer width and
    // height in twips (frame and title bar included).
    static DisposizioneAnteprima disposizioneAttivazione(double larghezza, double altezza);

    // Writes the hand-off file with `testo` and starts the mail sender.
    // Throws ErroreDati when either step fails.
    void InviaEMail(const QString &testo);
    // Converts the text file `testo` into the spreadsheet file (see
    // pc::anteprima::ConvertiXLS). Throws ErroreDati.
    void ConvertiXLS(const QString &testo);

    // Handler of the seven buttons, 0 "&Esci" to 6 "Sa&lva". Shows every
    // error as a message; a failed step on the report file is retried once
    // after the file is reopened.
    void Tasto_Click(int indice);

    // The text shown, with '\n' between lines (and after the last one).
    QString testoMostrato() const;
    QPlainTextEdit *areaTesto() const { return m_testo; }
    QAbstractButton *tasto(int indice) const { return m_tasti.at(static_cast<std::size_t>(indice)); }
    std::int32_t CaratteriPagina() const { return m_pagina.caratteriPagina(); }
    std::int16_t AltreRighe() const { return m_pagina.altreRighe(); }
    bool reportAperto() const { return m_pagina.aperto(); }

    // How errors reach the user; a warning box unless replaced (tests).
    void impostaAvviso(std::function<void(const QString &)> avviso) { m_avviso = std::move(avviso); }

public slots:
    void done(int risultato) override;

protected:
    void showEvent(QShowEvent *evento) override;

private:
    void Form_Activate();
    void eseguiTasto(int indice);
    void mostraPagina(const QString &pagina);
    void applicaDisposizione(const DisposizioneAnteprima &d);

    PaginaReport m_pagina;
    QPlainTextEdit *m_testo = nullptr;
    std::array<QAbstractButton *, 7> m_tasti{};
    bool m_attivata = false;
    std::function<void(const QString &)> m_avviso;
};

// Shows the preview of the current report modally over `parent`.
void mostraAnteprima(QWidget *parent);

// Writes the hand-off file and starts "Zaroza.exe" through the desktop layer;
// where that is not installed, hands the page to the desktop's mail composer.
// Throws ErroreDati when the file cannot be written or neither program can be
// started (the file then stays written).
void inviaEMail(const QString &testo);

// Converts the current report file into the spreadsheet file and opens it
// with the application associated with ".csv" files. Failures are shown as a
// message over `parent` (or passed to `avviso` when given); returns false then.
bool esportaFoglioElettronico(QWidget *parent, const std::function<void(const QString &)> &avviso = {});

} // namespace pc::anteprima
