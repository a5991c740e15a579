#include "Caratteri.h"

namespace pc::piattaforma {

void impostaSostitutiCaratteri()
{
    static bool fatto = false;
    if (fatto) return;
    fatto = true;
    QFont::insertSubstitutions(QStringLiteral("Corbel"),
                               {QStringLiteral("Carlito"), QStringLiteral("Calibri"), QStringLiteral("Candara"),
                                QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                                         QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
}

QFont carattere(const QStringList &famiglie, qreal punti, bool grassetto)
{
    QFont f;
    f.setFamilies(famiglie);
    f.setPointSizeF(punti);
    f.setBold(grassetto);
    return f;
}

} // namespace pc::piattaforma
