// Stores and restores a window's position and size as a 16-byte placement record
// (Left, Top, Width, Height as 32-bit little-endian integers), named after the window's caption.
#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace zorva {

struct Placement {
    int left = 0, top = 0, width = 0, height = 0;
};

// Moves a stored placement back onto the desktop (the whole virtual desktop `desktop`):
// a Top or Left within 25 pixels of the far edge (or beyond) is centred, or 0 when the window
// is larger than the desktop.
Placement FitToDesktop(Placement p, const QRect& desktop);

// Applies the stored placement; the size only when the window is resizable. Returns false and
// sets *error when the stored value has the wrong type (see RegReadBytes).
bool RestoreFormPlacement(QWidget* form, const QString& key, QString* error = nullptr);
// Stores the placement unless the window is maximised.
void SaveFormPlacement(QWidget* form, const QString& key);

} // namespace zorva
