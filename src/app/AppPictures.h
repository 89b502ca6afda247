// The windows' pictures: the tool bar images and the about box's camera picture, from the
// pictures compiled into the app library. On Linux they are SVG drawn by Qt Svg
// (AppPicturesSvg.cpp); on Windows, which has no Qt Svg, PNG rendered from the same SVG files
// when the program is built (AppPicturesPng.cpp).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace zorva {

// The tool bar image `name` ("open", "save", ...).
QIcon ToolImage(const char* name);

// The camera picture of the about box, `size` pixels, on black.
QPixmap AboutCameraPicture(const QSize& size);

} // namespace zorva
