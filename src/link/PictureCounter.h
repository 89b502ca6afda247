// Values of the picture packet counter `pictcnt` that mean more than a packet number.
// Header only, so that the preview window shares them without linking the link library.
#pragma once

#include <cstdint>

namespace zorva {

constexpr std::uint16_t kPictStopped = 0xFFFF;  // no picture is being requested
constexpr std::uint16_t kPictComplete = 0xFFFE; // a picture is complete; the next one follows

} // namespace zorva
