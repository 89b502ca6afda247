#include "link/StatusGrid.h"

namespace zorva {

namespace {
constexpr std::size_t kGridBytes = 18;
constexpr std::size_t kChannelsByte = 16;
constexpr std::size_t kInputsByte = 17;

bool Bit(std::uint8_t value, int bit)
{
    return ((value >> bit) & 1) != 0;
}
} // namespace

StatusCellLook StatusCellLookFor(std::span<const std::uint8_t> statbuf, int col, int row)
{
    StatusCellFill fill = StatusCellFill::ButtonFace;
    const int c = col - 1;
    if (statbuf.size() >= kGridBytes && c >= 0 && c < 4 && row >= 0 && row < 3) {
        const std::uint8_t present = statbuf[kChannelsByte];
        const std::uint8_t inputs = statbuf[kInputsByte];
        if (Bit(present, c)) {
            switch (row) {
            case 0: // camera signal
                fill = Bit(present, c + 4) ? StatusCellFill::Green : StatusCellFill::Red;
                break;
            case 1: // an active input is an alarm: red
                fill = Bit(inputs, c) ? StatusCellFill::Red : StatusCellFill::Green;
                break;
            default:
                fill = Bit(inputs, c + 4) ? StatusCellFill::Red : StatusCellFill::Green;
                break;
            }
        }
    }
    const StatusCellText text =
        fill == StatusCellFill::ButtonFace ? StatusCellText::ButtonShadow : StatusCellText::Yellow;
    return {fill, text};
}

} // namespace zorva
