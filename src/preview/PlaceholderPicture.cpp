#include "PlaceholderPicture.h"

#include <QPainter>
#include <QPainterPath>

namespace zorva {

QImage MakePlaceholderPicture()
{
    // Drawn in 32 bits (QPainter's native format), handed out in 24.
    QImage canvas(kPlaceholderWidth, kPlaceholderHeight, QImage::Format_RGB32);
    canvas.fill(QColor(0x40, 0x40, 0x48));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);

    // A camera body with its lens, crossed out: no picture.
    p.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 3));
    p.setBrush(QColor(0x70, 0x70, 0x78));
    p.drawRoundedRect(QRectF(34, 30, 60, 40), 6, 6);
    QPainterPath lensHood;
    lensHood.moveTo(94, 42);
    lensHood.lineTo(110, 32);
    lensHood.lineTo(110, 68);
    lensHood.lineTo(94, 58);
    lensHood.closeSubpath();
    p.drawPath(lensHood);
    p.setBrush(QColor(0x30, 0x30, 0x38));
    p.drawEllipse(QPointF(64, 50), 11, 11);

    p.setPen(QPen(QColor(0xE0, 0x30, 0x30), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(28, 86), QPointF(116, 14));
    p.end();
    return canvas.convertToFormat(QImage::Format_RGB888);
}

} // namespace zorva
