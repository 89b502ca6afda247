// Design sizes and colours of the main window, shared by its frame and its link glue.
#pragma once

#include <QColor>
#include <QRect>
#include <QSize>

namespace zorva::form1 {

// Design sizes of the client area, top to bottom.
inline constexpr int kClientWidth = 869;
inline constexpr int kToolBarHeight = 35;
inline constexpr int kPanel2Height = 19;
inline constexpr int kPanel5Top = kToolBarHeight + kPanel2Height;
inline constexpr int kPanel5Height = 289;
inline constexpr int kStatusBarHeight = 19;
inline constexpr int kStatusPanelWidth = 50;
inline constexpr QSize kToolButtonSize(40, 31);
inline constexpr QSize kToolImageSize(24, 24);
// Traffic log and its save button, in client coordinates (inside the event area).
inline constexpr QRect kMemo1Rect(328, 375, 537, 128);
inline constexpr QRect kButton1Rect(40, 473, 75, 25);

inline const QColor kStripConnected(0, 128, 0);
inline const QColor kStripConnectedText(255, 255, 0);
inline const QColor kStripIdle(128, 128, 128);
inline const QColor kStripIdleText(192, 192, 192);

} // namespace zorva::form1
