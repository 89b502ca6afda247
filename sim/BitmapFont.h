// A 5 x 7 bitmap font for the generated test pictures: digits, capital letters and a few
// signs, enough for a camera letter, a counter and a clock without any GUI library.
#pragma once

#include <array>
#include <cstdint>

namespace zorva::sim {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Rows top to bottom; bit 4 is the leftmost pixel. Characters without a glyph come out blank;
// small letters use the capitals.
const std::array<std::uint8_t, kGlyphHeight>& Glyph(char c);

} // namespace zorva::sim
