// The main window's start and close rules that need no window: service mode, the values written
// at close and the heights of the event area.
#pragma once

#include <array>
#include <cstdint>

#include <QString>
#include <QStringList>

namespace zorva {

// The switch that shows the traffic log, compared exactly (case-sensitive).
inline const QString kServiceSwitch = QStringLiteral("/serw");

// Service mode is on when the first argument after the program name is exactly "/serw";
// later arguments are not looked at. `arguments` includes the program name, as
// QCoreApplication::arguments() gives it.
bool IsServiceMode(const QStringList& arguments);

// The port as the close stores it: its device name and its settings as enumeration ordinals.
struct PortChoice {
    QString deviceName;
    std::uint8_t baudRate = 0;
    std::uint8_t stopbits = 0;
    std::uint8_t databits = 0;
    std::uint8_t parity = 0;
};

struct StoredByte {
    const char* name;
    std::uint8_t value;
};

// The one-byte values that closing the main window writes, in the order they are written:
// cm, cp, cs, cd, cpa, cdtr, crts, pl.
std::array<StoredByte, 8> ClosingValues(const PortChoice& port, bool dtr, bool rts, bool polish);

// Client height below the configuration area: status bar plus a 5-pixel margin when the event
// area is closed, plus the 150-pixel event area when it is open.
constexpr int kEventAreaHeight = 150;
constexpr int kClosedMargin = 5;
constexpr int ClientHeightFor(int panel5Top, int panel5Height, int statusBarHeight, bool open)
{
    return panel5Top + panel5Height + statusBarHeight + kClosedMargin +
           (open ? kEventAreaHeight : 0);
}

} // namespace zorva
