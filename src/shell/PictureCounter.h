// Values of the picture packet counter `pictcnt` that mean more than a packet number.
// Header only: the link core and the preview window share them without depending on each other.
#pragma once

#include <cstdint>

namespace zorva {

constexpr std::uint16_t kPictStopped = 0xFFFF;  // no picture is being requested
constexpr std::uint16_t kPictComplete = 0xFFFE; // a picture is complete; the next one follows

} // namespace zorva
