#pragma once

#include "ScritturaFile.h"

#include <memory>

#include "OperazioniStampante.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>

#include <string>

namespace pc::stampa {

// The system printer through Qt: QPrinter + QPainter, drawing the text the
// way a line printer would, line under line from the top of the printable
// area. A device name ending in ".pdf" prints to that PDF file instead of a
// printer, so a "PDF" destination works on any machine. Needs a
// QGuiApplication.
class StampanteQt : public OperazioniStampante {
public:
    StampanteQt();
    ~StampanteQt() override;

    void scegliStampante(const std::string &nome) override;
    void impostaFronteRetro() override;
    void impostaOrientamento(Orientamento orientamento) override;
    void impostaFont(const std::string &nome) override;
    void impostaDimensione(double punti) override;
    double dimensione() const override { return m_dimensione; }
    void impostaGrassetto(bool grassetto) override;
    void scrivi(std::string_view testo, bool fineRiga) override;
    void nuovaPagina() override;
    void fineDocumento() override;

    // The printer or PDF file the document went to.
    const std::string &nomeUsato() const { return m_nomeUsato; }
    // Pages actually started, the automatic ones included (a line that would
    // pass the bottom of the paper goes to a new sheet, as on a line printer).
    int pagine() const { return m_pagine; }

private:
    void inizia();
    void paginaSuccessiva();
    void annulla();

    QPrinter m_printer;
    QPainter m_painter;
    QFont m_font;
    double m_dimensione = 10.0;
    Orientamento m_orientamento = Orientamento::Verticale;
    bool m_iniziato = false;
    bool m_finito = false;
    qreal m_x = 0, m_y = 0, m_altezzaRiga = 0;
    int m_pagine = 0;
    std::string m_nomeUsato;
    std::string m_pdfFinale;     // the PDF asked for; written beside it first, renamed when complete
    std::unique_ptr<dati::FileProvvisorio> m_pdfTemporaneo;
};

} // namespace pc::stampa
