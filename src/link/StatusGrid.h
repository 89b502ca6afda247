// Colour rule of the status grid `StringGrid1`: columns 1 to 4 are the channels A to D, row 0
// the cameras, row 1 the inputs InA to InD, row 2 the inputs InE to InH. Column 0 keeps the
// grid's own look and is not covered here.
#pragma once

#include <cstdint>
#include <span>

namespace zorva {

enum class StatusCellFill { ButtonFace, Green, Red };
enum class StatusCellText { ButtonShadow, Yellow };

struct StatusCellLook {
    StatusCellFill fill;
    StatusCellText text;
};

// Caption position inside a cell, from its top-left corner.
constexpr int kStatusCaptionDx = 25;
constexpr int kStatusCaptionDy = 2;

// The look of cell (col 1..4, row 0..2) for the status record `statbuf`. A record shorter than
// 18 bytes, an absent channel, or a cell outside that range is button face.
StatusCellLook StatusCellLookFor(std::span<const std::uint8_t> statbuf, int col, int row);

} // namespace zorva
