#pragma once

#include <QFont>
#include <QStringList>

namespace pc::piattaforma {

// The windows' fonts. The designed faces (Corbel, Arial) are Windows fonts:
// elsewhere the closest available families stand in for them, metric-compatible
// ones first. Installed once per process (the main window does it when built).
void impostaSostitutiCaratteri();

// A font of the first available family of famiglie, at punti points.
QFont carattere(const QStringList &famiglie, qreal punti, bool grassetto = false);

} // namespace pc::piattaforma
