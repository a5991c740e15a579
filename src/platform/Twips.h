#pragma once

#include <QWidget>

#include <cmath>

namespace pc::piattaforma {

// Window layouts are kept in twips (1440 to the inch: 15 twips are one pixel
// at 96 dots per inch) and turned into pixels at the screen's logical dpi.
// The one place where the windows convert between the two.
inline int twipsInPixel(double twips, double dpi)
{
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

// Pixels to twips, unrounded (a window's measured size fed back into a
// layout kept in twips); 15 to the pixel when the dpi is unknown.
inline double twipsDaPixel(double pixel, double dpi) { return dpi > 0 ? pixel * 1440.0 / dpi : pixel * 15; }

inline int pixelInTwips(int pixel, double dpi) { return static_cast<int>(std::lround(twipsDaPixel(pixel, dpi))); }

// Horizontal and vertical conversions for a widget's screen.
inline int twipsX(const QWidget *w, double twips) { return twipsInPixel(twips, w->logicalDpiX()); }
inline int twipsY(const QWidget *w, double twips) { return twipsInPixel(twips, w->logicalDpiY()); }

inline QRect rettangoloTwips(const QWidget *w, double sinistra, double alto, double larghezza, double altezza)
{
    const int x = twipsX(w, sinistra), y = twipsY(w, alto);
    // Right and bottom edges are converted too, so neighbouring controls stay
    // flush after rounding.
    return QRect(x, y, twipsX(w, sinistra + larghezza) - x, twipsY(w, alto + altezza) - y);
}

} // namespace pc::piattaforma
