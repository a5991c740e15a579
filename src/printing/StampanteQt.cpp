#include "StampanteQt.h"

#include "ErroreDati.h"
#include "ScritturaFile.h"
#include "Testo.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrinterInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

using pc::dati::ErroreDati;
using pc::dati::FileProvvisorio;

namespace pc::stampa {

namespace {

QString q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

bool finisceConPdf(const std::string &nome)
{
    return nome.size() >= 4 && dati::testo::ugualeNoCase(std::string_view(nome).substr(nome.size() - 4), ".pdf");
}

// A PDF that is not empty and ends with its end-of-file mark.
bool pdfCompleto(const std::string &file)
{
    std::FILE *f = std::fopen(file.c_str(), "rb");
    if (!f) return false;
    char coda[64] = {};
    std::size_t letti = 0;
    bool bene = std::fseek(f, 0, SEEK_END) == 0;
    const long dimensione = bene ? std::ftell(f) : -1;
    bene = dimensione > 0;
    if (bene) {
        const long da = dimensione > static_cast<long>(sizeof coda) ? dimensione - static_cast<long>(sizeof coda) : 0;
        bene = std::fseek(f, da, SEEK_SET) == 0;
        if (bene) letti = std::fread(coda, 1, sizeof coda, f);
        bene = bene && !std::ferror(f);
    }
    std::fclose(f);
    if (!bene) return false;
    std::string_view fine(coda, letti);
    while (!fine.empty() && (fine.back() == '\n' || fine.back() == '\r' || fine.back() == ' ')) fine.remove_suffix(1);
    return fine.size() >= 5 && fine.substr(fine.size() - 5) == "%%EOF";
}

QPageLayout::Orientation qtOrientamento(Orientamento o)
{
    return o == Orientamento::Orizzontale ? QPageLayout::Landscape : QPageLayout::Portrait;
}

} // namespace

StampanteQt::StampanteQt() : m_printer(QPrinter::HighResolution)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw ErroreDati("La stampa su stampante richiede l'ambiente grafico (QGuiApplication), non avviato.");
    m_font.setStyleHint(QFont::TypeWriter);
    m_printer.setDocName(QStringLiteral("Produzione camere"));
    m_printer.setCreator(QStringLiteral("Produzione Camere"));
}

StampanteQt::~StampanteQt()
{
    if (!m_finito) annulla();
}

void StampanteQt::annulla()
{
    if (m_painter.isActive()) {
        m_printer.abort();
        m_painter.end();
    }
    m_pdfTemporaneo.reset();
    m_finito = true;
}

void StampanteQt::scegliStampante(const std::string &nome)
{
    if (finisceConPdf(nome)) {
        // Written under a temporary name in the same folder and renamed at the
        // end, so an interrupted print never leaves a partial PDF behind.
        m_pdfTemporaneo = std::make_unique<FileProvvisorio>(nome, "il file PDF");
        m_pdfFinale = nome;
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(m_pdfTemporaneo->percorsoQt());
        m_nomeUsato = nome;
        return;
    }
    const QList<QPrinterInfo> elenco = QPrinterInfo::availablePrinters();
    if (elenco.isEmpty())
        throw ErroreDati("Nessuna stampante installata nel sistema: impossibile stampare su \"" + nome + "\". Nulla \xC3\xA8 stato stampato.");
    const QString cercato = q(nome);
    QString scelta;
    for (const QPrinterInfo &p : elenco)
        if (p.printerName() == cercato) {   // same letters, same case
            scelta = p.printerName();
            break;
        }
    if (scelta.isEmpty()) {
        const QPrinterInfo predefinita = QPrinterInfo::defaultPrinter();
        scelta = predefinita.isNull() ? elenco.first().printerName() : predefinita.printerName();
    }
    m_printer.setOutputFormat(QPrinter::NativeFormat);
    m_printer.setPrinterName(scelta);
    m_nomeUsato = scelta.toStdString();
}

void StampanteQt::impostaFronteRetro() { m_printer.setDuplex(QPrinter::DuplexLongSide); }

void StampanteQt::impostaOrientamento(Orientamento orientamento)
{
    // Before the first page it applies at once; afterwards from the next page.
    m_orientamento = orientamento;
    if (!m_iniziato) m_printer.setPageOrientation(qtOrientamento(orientamento));
}

void StampanteQt::impostaFont(const std::string &nome) { m_font.setFamily(q(nome)); }

void StampanteQt::impostaDimensione(double punti)
{
    if (!(punti > 0.0))
        throw ErroreDati("Dimensione del carattere di stampa non valida (" + std::to_string(punti) +
                         " punti): controllare i valori C1 e C7 del campo Compresso della tabella SetStampa.");
    m_dimensione = punti;
}

void StampanteQt::impostaGrassetto(bool grassetto) { m_font.setBold(grassetto); }

void StampanteQt::inizia()
{
    if (m_iniziato) return;
    if (m_nomeUsato.empty()) scegliStampante(std::string());
    m_printer.setPageOrientation(qtOrientamento(m_orientamento));
    if (!m_painter.begin(&m_printer))
        throw ErroreDati("Impossibile avviare la stampa su \"" + m_nomeUsato + "\". Nulla \xC3\xA8 stato stampato.");
    m_iniziato = true;
    m_pagine = 1;
    m_x = m_y = m_altezzaRiga = 0;
}

void StampanteQt::paginaSuccessiva()
{
    m_printer.setPageOrientation(qtOrientamento(m_orientamento));
    if (!m_printer.newPage()) {
        if (!m_pdfFinale.empty())
            throw ErroreDati("Impossibile scrivere il file PDF \"" + m_pdfFinale +
                             "\": la scrittura si \xC3\xA8 interrotta (disco pieno o limite di dimensione dei file?). Nulla \xC3\xA8 stato stampato.");
        throw ErroreDati("La stampante \"" + m_nomeUsato + "\" non ha accettato una nuova pagina.");
    }
    ++m_pagine;
    m_x = m_y = m_altezzaRiga = 0;
}

void StampanteQt::scrivi(std::string_view testo, bool fineRiga)
{
    inizia();
    QFont font = m_font;
    font.setPointSizeF(m_dimensione);
    m_painter.setFont(font);
    const QFontMetricsF metriche(font, &m_printer);
    // A line that would pass the bottom of the paper goes to the next sheet.
    const qreal altezzaPagina = m_printer.pageRect(QPrinter::DevicePixel).height();
    if (m_x == 0 && m_y > 0 && m_y + metriche.height() > altezzaPagina) paginaSuccessiva();

    const QString testoQ = q(dati::testo::cp1252InUtf8(testo));
    if (!testoQ.isEmpty()) {
        m_painter.drawText(QPointF(m_x, m_y + metriche.ascent()), testoQ);
        m_x += metriche.horizontalAdvance(testoQ);
    }
    m_altezzaRiga = std::max(m_altezzaRiga, metriche.lineSpacing());
    if (fineRiga) {
        m_y += m_altezzaRiga;
        m_x = 0;
        m_altezzaRiga = 0;
    }
}

void StampanteQt::nuovaPagina()
{
    if (!m_iniziato) inizia();
    paginaSuccessiva();
}

void StampanteQt::fineDocumento()
{
    inizia();
    const bool chiusa = m_painter.end();
    m_finito = true;
    if (!chiusa || m_printer.printerState() == QPrinter::Error) {
        if (m_pdfTemporaneo) {
            m_pdfTemporaneo.reset();
            throw ErroreDati("Impossibile scrivere il file PDF \"" + m_pdfFinale +
                             "\": la scrittura non \xC3\xA8 riuscita (disco pieno o limite di dimensione dei file?). Nulla \xC3\xA8 stato stampato.");
        }
        throw ErroreDati("La stampa su \"" + m_nomeUsato + "\" non \xC3\xA8 riuscita.");
    }
    if (m_pdfTemporaneo) {
        // Qt does not tell when writing the PDF failed (a full disk, a size
        // limit): the file must be whole before it takes the final name.
        const std::unique_ptr<FileProvvisorio> temporaneo = std::move(m_pdfTemporaneo);
        if (!pdfCompleto(temporaneo->percorso()))
            temporaneo->fallita("il file scritto \xC3\xA8 incompleto (disco pieno o limite di dimensione dei file?). Nulla \xC3\xA8 stato stampato");
        temporaneo->conferma();
    }
}

} // namespace pc::stampa
