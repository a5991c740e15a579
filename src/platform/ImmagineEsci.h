#pragma once

#include <QPixmap>

namespace pc::piattaforma {

// The picture of the windows' "&Esci" buttons: an open door with an arrow
// leading out, drawn on a 48 x 48 grid and scaled to `lato` pixels.
QPixmap immagineEsci(int lato = 48, qreal rapportoPixel = 1.0);

} // namespace pc::piattaforma
