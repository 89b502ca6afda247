// A standard message box placed over the middle of its owner window, for the deferred messages
// of the link and the other windows' questions.
#pragma once

#include <QMessageBox>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

class QFontMetrics;

namespace zorva {

// The lines that decide the box's width: carriage returns at the start are skipped, and one or
// more carriage returns (or line feeds) separate lines.
QStringList LinesToMeasure(const QString& text);
// The widest of LinesToMeasure(text) in the given font.
int WidestLineWidth(const QString& text, const QFontMetrics& metrics);

// Top-left corner of the box: X = owner left + owner width / 2 - (widest + 80) / 2,
// Y = owner top + owner height / 2 - 50, halves truncated towards zero; a negative X or Y
// becomes 10. `owner` is the owner window's frame in screen coordinates.
QPoint CentredMessagePosition(const QRect& owner, int widestLine);

// Shows `text` modally at CentredMessagePosition over `owner` (its frame and font) and returns
// the button pressed. Carriage returns in the text show as line breaks. `details`, when given,
// is the box's detailed text, shown on request.
QMessageBox::StandardButton ShowCentredMessage(const QString& text, QMessageBox::Icon kind,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton,
                                               QWidget* owner, const QString& details = {});

} // namespace zorva
