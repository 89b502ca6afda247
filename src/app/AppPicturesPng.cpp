// The windows' pictures from PNG resources rendered from the SVG files at build time: each tool
// bar image at 24 and 48 pixels ("@2x", picked by QIcon on high-density screens), the camera
// at twice the about box's size, scaled down smoothly.
#include <QPainter>

#include "app/AppPictures.h"

namespace zorva {

QIcon ToolImage(const char* name)
{
    return QIcon(QStringLiteral(":/zorva/%1.png").arg(QLatin1String(name)));
}

QPixmap AboutCameraPicture(const QSize& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::black);
    const QPixmap camera(QStringLiteral(":/zorva/about-camera.png"));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(QPoint(0, 0), size), camera);
    return pixmap;
}

} // namespace zorva
