// The picture area of the preview window: draws one picture centred, at its own size or
// scaled to the area, and reports a left-button press so that the window can be dragged by it.
#pragma once

#include <QImage>
#include <QWidget>

namespace zorva {

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    void SetFitToArea(bool fit);
    bool FitToArea() const { return fit_; }
    // Where the picture is drawn, in the view's coordinates.
    QRect PictureRect() const;

signals:
    void pressed(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    bool fit_ = false;
};

} // namespace zorva
