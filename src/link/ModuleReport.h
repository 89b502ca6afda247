// What the module answers instead of a picture packet (flags 0xA and 0xB), and its error reports
// (reply type 8), as facts, with their text in the current language.
#pragma once

#include <cstdint>

#include <QString>

namespace zorva {

struct ModuleReport {
    enum class Kind { kNoPicture, kVideoOff, kError };
    Kind kind = Kind::kError;
    std::uint8_t code = 0; // kError: the report's code byte
};

// From the language table; an error code without a text of its own is shown in hexadecimal.
QString ModuleReportText(const ModuleReport& report);

} // namespace zorva
