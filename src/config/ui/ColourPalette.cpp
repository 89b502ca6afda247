#include "config/ui/ColourPalette.h"

namespace zorva {

QColor ColourOf(ColourRole role, const QPalette& palette)
{
    switch (role) {
    case ColourRole::Window:
        return palette.color(QPalette::Active, QPalette::Base);
    case ColourRole::WindowText:
        return palette.color(QPalette::Active, QPalette::Text);
    case ColourRole::ButtonFace:
        return palette.color(QPalette::Active, QPalette::Button);
    case ColourRole::ButtonShadow:
        return palette.color(QPalette::Active, QPalette::Dark);
    case ColourRole::Green:
        return {0, 128, 0};
    case ColourRole::Red:
        return {255, 0, 0};
    case ColourRole::Yellow:
        return {255, 255, 0};
    case ColourRole::Grey:
        return {128, 128, 128};
    case ColourRole::Silver:
        return {192, 192, 192};
    }
    return {};
}

} // namespace zorva
