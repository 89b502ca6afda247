// Where a picture goes in the preview area: at its own size when it fits and fitting is off,
// otherwise scaled to fill the area keeping its proportions; centred in either case.
#pragma once

#include <QRect>
#include <QSize>

namespace zorva {

QRect FitPicture(QSize picture, QSize area, bool fitToArea);

} // namespace zorva
