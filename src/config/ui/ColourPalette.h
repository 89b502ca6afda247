// Real colours for the colour roles: system roles from the widget's palette, named colours as
// fixed RGB values.
#pragma once

#include <QColor>
#include <QPalette>

#include "config/ColourRole.h"

namespace zorva {

QColor ColourOf(ColourRole role, const QPalette& palette);

} // namespace zorva
