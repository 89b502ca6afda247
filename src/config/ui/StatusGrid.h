// The status grid: the four camera channels A..D and the inputs InA..InH as coloured cells,
// five columns (row titles, then channels A..D) by three rows (cameras, inputs InA..InD,
// inputs InE..InH).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include <QString>
#include <QWidget>

#include "config/ColourRole.h"

namespace zorva {

// The cell colour of a channel column (1..4) and row (0..2) for a status record. Only a record
// of at least 18 bytes colours cells, and only the columns of channels present (bit c of byte
// 16); every other cell keeps the button face.
ColourRole StatusCellColour(std::span<const std::uint8_t> status, int column, int row);
// Greyed text on the button face, yellow on a coloured cell.
ColourRole StatusCellTextColour(ColourRole cellColour);

class StatusGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 5;
    static constexpr int kRows = 3;
    static constexpr std::array<int, kColumns> kColumnWidths{124, 70, 70, 70, 70};
    static constexpr int kRowHeight = 18;

    explicit StatusGrid(QWidget* parent = nullptr);

    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);
    // The payload of the latest status reply; empty while no module answers. Repaints.
    void setStatusRecord(std::span<const std::uint8_t> status);
    ColourRole cellColour(int column, int row) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect CellRect(int column, int row) const;

    std::array<std::array<QString, kRows>, kColumns> cells_;
    std::vector<std::uint8_t> status_;
};

} // namespace zorva
