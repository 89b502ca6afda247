#include "config/ui/StatusGrid.h"

#include <QPainter>

#include "config/ui/ColourPalette.h"

namespace zorva {

namespace {

constexpr int kLine = 1;  // grid line width
constexpr int kFrame = 1; // border around the grid
constexpr int kStatusMinSize = 18;

bool Bit(std::uint8_t byte, int bit)
{
    return ((byte >> bit) & 1) != 0;
}

} // namespace

ColourRole StatusCellColour(std::span<const std::uint8_t> status, int column, int row)
{
    if (status.size() < kStatusMinSize || column < 1 || column > 4 || row < 0 || row > 2) {
        return ColourRole::ButtonFace;
    }
    const int c = column - 1;
    const std::uint8_t present = status[16];
    const std::uint8_t inputs = status[17];
    if (!Bit(present, c)) {
        return ColourRole::ButtonFace;
    }
    switch (row) {
    case 0:
        return Bit(present, c + 4) ? ColourRole::Green : ColourRole::Red;
    case 1:
        return Bit(inputs, c) ? ColourRole::Red : ColourRole::Green;
    default:
        return Bit(inputs, c + 4) ? ColourRole::Red : ColourRole::Green;
    }
}

ColourRole StatusCellTextColour(ColourRole cellColour)
{
    return cellColour == ColourRole::ButtonFace ? ColourRole::ButtonShadow : ColourRole::Yellow;
}

StatusGrid::StatusGrid(QWidget* parent) : QWidget(parent)
{
    static const std::array<QString, 4> kChannels{QStringLiteral("  A"), QStringLiteral("  B"),
                                                  QStringLiteral("  C"), QStringLiteral("  D")};
    for (int c = 1; c < kColumns; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        cells_[static_cast<std::size_t>(c)][0] = kChannels[i];
        cells_[static_cast<std::size_t>(c)][1] = QStringLiteral("In") + QChar(u'A' + c - 1);
        cells_[static_cast<std::size_t>(c)][2] = QStringLiteral("In") + QChar(u'E' + c - 1);
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString StatusGrid::cell(int column, int row) const
{
    return cells_.at(static_cast<std::size_t>(column)).at(static_cast<std::size_t>(row));
}

void StatusGrid::setCell(int column, int row, const QString& text)
{
    cells_.at(static_cast<std::size_t>(column)).at(static_cast<std::size_t>(row)) = text;
    update();
}

void StatusGrid::setStatusRecord(std::span<const std::uint8_t> status)
{
    status_.assign(status.begin(), status.end());
    update();
}

ColourRole StatusGrid::cellColour(int column, int row) const
{
    return StatusCellColour(status_, column, row);
}

QSize StatusGrid::sizeHint() const
{
    int width = 2 * kFrame + (kColumns - 1) * kLine;
    for (const int w : kColumnWidths) {
        width += w;
    }
    return {width, 2 * kFrame + kRows * kRowHeight + (kRows - 1) * kLine};
}

QRect StatusGrid::CellRect(int column, int row) const
{
    int x = kFrame;
    for (int c = 0; c < column; ++c) {
        x += kColumnWidths[static_cast<std::size_t>(c)] + kLine;
    }
    const int y = kFrame + row * (kRowHeight + kLine);
    return {x, y, kColumnWidths[static_cast<std::size_t>(column)], kRowHeight};
}

void StatusGrid::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Dark));
    const int ascent = painter.fontMetrics().ascent();
    for (int row = 0; row < kRows; ++row) {
        // The title column keeps the grid's own look: a fixed cell in button face.
        const QRect title = CellRect(0, row);
        painter.fillRect(title, pal.color(QPalette::Button));
        painter.setPen(pal.color(QPalette::ButtonText));
        painter.drawText(title.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         cell(0, row));
        for (int column = 1; column < kColumns; ++column) {
            const QRect r = CellRect(column, row);
            const ColourRole fill = cellColour(column, row);
            painter.fillRect(r, ColourOf(fill, pal));
            painter.setPen(ColourOf(StatusCellTextColour(fill), pal));
            painter.setClipRect(r);
            painter.drawText(r.left() + 25, r.top() + 2 + ascent, cell(column, row));
            painter.setClipping(false);
        }
    }
}

} // namespace zorva
