// The picture shown while there is none to show: 138 x 100 pixels, 24 bits a pixel.
#pragma once

#include <QImage>

namespace zorva {

constexpr int kPlaceholderWidth = 138;
constexpr int kPlaceholderHeight = 100;

QImage MakePlaceholderPicture();

} // namespace zorva
