// The windows' pictures drawn from the SVG resources by Qt Svg.
#include <QPainter>
#include <QSvgRenderer>

#include "app/AppPictures.h"

namespace zorva {

QIcon ToolImage(const char* name)
{
    return QIcon(QStringLiteral(":/zorva/%1.svg").arg(QLatin1String(name)));
}

QPixmap AboutCameraPicture(const QSize& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::black);
    QSvgRenderer renderer(QStringLiteral(":/zorva/about-camera.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace zorva
