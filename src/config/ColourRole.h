// Colours the editor rules and the status display speak of, by role. The widget layer maps
// each role to a real colour (system roles from the palette, named ones as fixed RGB).
#pragma once

namespace zorva {

enum class ColourRole {
    Window,       // background of an input field that can be edited
    WindowText,   // text of an input field that can be edited
    ButtonFace,   // background of a switched-off field; also "invisible" text on it
    ButtonShadow, // greyed text
    Green,        // 0, 128, 0
    Red,          // 255, 0, 0
    Yellow,       // 255, 255, 0
    Grey,         // 128, 128, 128
    Silver,       // 192, 192, 192
};

} // namespace zorva
