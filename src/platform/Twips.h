#pragma once

#include <QWidget>

#include <cmath>

namespace pc {

// Window layouts are kept in twips (1440 to the inch: 15 twips are one pixel
// at 96 dots per inch) and turned into pixels at the screen's logical dpi.
inline int twipsInPixel(int twips, double dpi)
{
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

inline int pixelInTwips(int pixel, double dpi)
{
    return dpi > 0 ? static_cast<int>(std::lround(pixel * 1440.0 / dpi)) : pixel * 15;
}

// Horizontal and vertical conversions for a widget's screen.
inline int twipsX(const QWidget *w, int twips) { return twipsInPixel(twips, w->logicalDpiX()); }
inline int twipsY(const QWidget *w, int twips) { return twipsInPixel(twips, w->logicalDpiY()); }

inline QRect rettangoloTwips(const QWidget *w, int sinistra, int alto, int larghezza, int altezza)
{
    const int x = twipsX(w, sinistra), y = twipsY(w, alto);
    // Right and bottom edges are converted too, so neighbouring controls stay
    // flush after rounding.
    return QRect(x, y, twipsX(w, sinistra + larghezza) - x, twipsY(w, alto + altezza) - y);
}

} // namespace pc
