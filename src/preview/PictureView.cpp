#include "PictureView.h"

#include <QMouseEvent>
#include <QPainter>

#include "preview/PictureScaling.h"

namespace zorva {

PictureView::PictureView(QWidget* parent) : QWidget(parent) {}

void PictureView::SetPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void PictureView::SetFitToArea(bool fit)
{
    fit_ = fit;
    update();
}

QRect PictureView::PictureRect() const
{
    return FitPicture(picture_.size(), size(), fit_);
}

void PictureView::paintEvent(QPaintEvent*)
{
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(PictureRect(), picture_);
}

void PictureView::mousePressEvent(QMouseEvent* event)
{
    emit pressed(event->button());
    event->accept();
}

} // namespace zorva
