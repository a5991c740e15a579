#pragma once

// The analysis on paper: the chart of occupancy and RevPAR per day (the
// comparison year as a second line) and the period table. Drawn with QPainter
// alone, so that the batch command writes the same PDF without widgets.

#include "Analisi.h"

#include <QPagedPaintDevice>
#include <QString>

#include <string>

namespace pc::analisi {

// Draws the pages on a PDF writer or a printer already set up.
void disegnaAnalisi(const Riepilogo &r, QPagedPaintDevice &dispositivo);

// Writes the PDF file nome (A4 landscape) beside the old one, which it
// replaces only when complete. Throws ErroreDati on failure.
void scriviPdf(const Riepilogo &r, const QString &nome);

// The same PDF as bytes, for a mail attachment.
std::string pdfAnalisi(const Riepilogo &r);

} // namespace pc::analisi
