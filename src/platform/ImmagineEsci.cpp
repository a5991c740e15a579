#include "ImmagineEsci.h"

#include <QPainter>
#include <QPainterPath>

namespace pc::piattaforma {

// The picture of "&Esci": an open door with an arrow leading out, drawn on a
// 48 x 48 grid and scaled to `lato` pixels.
QPixmap immagineEsci(int lato, qreal rapportoPixel)
{
    QPixmap immagine(QSize(lato, lato) * rapportoPixel);
    immagine.setDevicePixelRatio(rapportoPixel);
    immagine.fill(Qt::transparent);
    QPainter p(&immagine);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(lato / 48.0, lato / 48.0);

    // Doorway: a dark opening in a wooden frame.
    p.setPen(QPen(QColor(90, 55, 25), 2));
    p.setBrush(QColor(40, 45, 60));
    p.drawRect(QRectF(8, 4, 22, 40));
    // Floor line.
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.drawLine(QPointF(2, 45), QPointF(46, 45));
    // The door, swung open towards the viewer on its left hinge.
    QPainterPath anta;
    anta.moveTo(8, 4);
    anta.lineTo(19, 9);
    anta.lineTo(19, 47);
    anta.lineTo(8, 44);
    anta.closeSubpath();
    p.setPen(QPen(QColor(90, 55, 25), 1.5));
    p.setBrush(QColor(176, 112, 56));
    p.drawPath(anta);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 60));
    p.drawEllipse(QPointF(16.5, 27), 1.6, 1.6);
    // Arrow leading out through the doorway.
    QPainterPath freccia;
    freccia.moveTo(22, 21);
    freccia.lineTo(35, 21);
    freccia.lineTo(35, 14);
    freccia.lineTo(46, 25);
    freccia.lineTo(35, 36);
    freccia.lineTo(35, 29);
    freccia.lineTo(22, 29);
    freccia.closeSubpath();
    p.setPen(QPen(QColor(0, 90, 30), 1.5));
    p.setBrush(QColor(30, 170, 70));
    p.drawPath(freccia);
    return immagine;
}

} // namespace pc::piattaforma
