// The status grid's cell colours and captions.
#include "config/ui/StatusGrid.h"

#include <gtest/gtest.h>

#include <vector>

#include <QImage>

#include "config/ui/ColourPalette.h"
#include "shell/LanguageTexts.h"

namespace zorva {
namespace {

using R = ColourRole;

TEST(StatusCellColourTest, ChannelsPresentAreColouredOthersStayGrey)
{
    std::vector<std::uint8_t> status(18, 0);
    status[16] = 0x13; // A and B present, camera A on
    status[17] = 0x21; // InA and InF active
    // rows 0..2, columns 1..4 (A..D)
    const R expected[3][4] = {
        {R::Green, R::Red, R::ButtonFace, R::ButtonFace},
        {R::Red, R::Green, R::ButtonFace, R::ButtonFace},
        {R::Green, R::Red, R::ButtonFace, R::ButtonFace},
    };
    for (int row = 0; row < 3; ++row) {
        for (int column = 1; column <= 4; ++column) {
            EXPECT_EQ(StatusCellColour(status, column, row), expected[row][column - 1])
                << column << "," << row;
        }
    }
    // Channels C and D stay grey whatever the inputs say.
    status[17] = 0xFF;
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(StatusCellColour(status, 3, row), R::ButtonFace);
        EXPECT_EQ(StatusCellColour(status, 4, row), R::ButtonFace);
    }
}

TEST(StatusCellColourTest, ShortRecordAndTitleColumnStayGrey)
{
    const std::vector<std::uint8_t> shortRecord(17, 0xFF);
    std::vector<std::uint8_t> full(18, 0xFF);
    for (int row = 0; row < 3; ++row) {
        for (int column = 1; column <= 4; ++column) {
            EXPECT_EQ(StatusCellColour(shortRecord, column, row), R::ButtonFace);
            EXPECT_EQ(StatusCellColour({}, column, row), R::ButtonFace);
        }
        EXPECT_EQ(StatusCellColour(full, 0, row), R::ButtonFace);
    }
    EXPECT_EQ(StatusCellTextColour(R::ButtonFace), R::ButtonShadow);
    EXPECT_EQ(StatusCellTextColour(R::Green), R::Yellow);
    EXPECT_EQ(StatusCellTextColour(R::Red), R::Yellow);
}

TEST(StatusGridWidgetTest, FixedCaptionsSizeAndPaintedColours)
{
    StatusGrid grid;
    EXPECT_EQ(grid.cell(1, 0), "  A");
    EXPECT_EQ(grid.cell(4, 0), "  D");
    EXPECT_EQ(grid.cell(1, 1), "InA");
    EXPECT_EQ(grid.cell(4, 1), "InD");
    EXPECT_EQ(grid.cell(1, 2), "InE");
    EXPECT_EQ(grid.cell(4, 2), "InH");
    // 124 + 4 x 70 pixels of cells, three rows of 18, plus grid lines and border.
    EXPECT_GE(grid.sizeHint().width(), 404);
    EXPECT_LE(grid.sizeHint().width(), 404 + 10);
    EXPECT_GE(grid.sizeHint().height(), 54);
    EXPECT_LE(grid.sizeHint().height(), 54 + 8);

    std::vector<std::uint8_t> status(18, 0);
    status[16] = 0x13;
    status[17] = 0x21;
    grid.resize(grid.sizeHint());
    grid.setStatusRecord(status);
    const QImage picture = grid.grab().toImage();
    // A pixel inside each cell's left margin (before the caption) has the cell's colour.
    auto pixel = [&](int column, int row) {
        const int x = 1 + 124 + 1 + (column - 1) * 71 + 5;
        const int y = 1 + row * 19 + 9;
        return picture.pixelColor(x, y);
    };
    const QPalette& pal = grid.palette();
    EXPECT_EQ(pixel(1, 0), ColourOf(R::Green, pal));
    EXPECT_EQ(pixel(2, 0), ColourOf(R::Red, pal));
    EXPECT_EQ(pixel(1, 1), ColourOf(R::Red, pal));
    EXPECT_EQ(pixel(2, 2), ColourOf(R::Red, pal));
    EXPECT_EQ(pixel(3, 0), ColourOf(R::ButtonFace, pal));

    grid.setStatusRecord({});
    const QImage grey = grid.grab().toImage();
    EXPECT_EQ(grey.pixelColor(1 + 125 + 5, 10), ColourOf(R::ButtonFace, pal));
}

} // namespace
} // namespace zorva
