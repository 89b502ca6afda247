#include "shell/FormPlacement.h"

#include <array>
#include <cstdint>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "shell/SettingsStore.h"

namespace zorva {

namespace {

constexpr int kRecordBytes = 16;
// A stored Top or Left this close to the desktop's far edge (or beyond) leaves too little of
// the window on screen to grab it.
constexpr std::int64_t kEdgeMargin = 25;

// The value name of a window's placement: its caption, or its hint when the hint is part of
// the caption (a caption that carries changing text after a fixed part keeps one name).
QString PlacementName(const QWidget* form)
{
    const QString caption = form->windowTitle();
    const QString hint = form->toolTip();
    if (!hint.isEmpty() && caption.contains(hint, Qt::CaseInsensitive)) {
        return hint;
    }
    return caption;
}

std::int32_t ReadInt32(const std::uint8_t* p)
{
    const std::uint32_t v = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                            (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
    return static_cast<std::int32_t>(v);
}

void WriteInt32(std::uint8_t* p, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// Where a window that does not fit goes: centred, or 0 when it is larger than the desktop.
int CentredOrZero(int size, int extent)
{
    if (size < extent) {
        // Integer division truncates towards zero, as required for negative differences too.
        return static_cast<int>((std::int64_t{extent} - std::int64_t{size}) / 2);
    }
    return 0;
}

// One coordinate against one desktop extent; 64-bit so that junk values cannot overflow.
int FitCoordinate(int position, int size, int extent)
{
    if (std::int64_t{extent} >= std::int64_t{position} + kEdgeMargin) {
        return position;
    }
    return CentredOrZero(size, extent);
}

// Junk stored sizes can still leave a window where nobody can reach it: wholly before the
// desktop's near edge, or, centred with a negative stored size, far beyond its far edge. With
// the window's real size it comes back as the rule above brings back a window beyond the edge.
int ReachableCoordinate(int position, int size, int origin, int extent)
{
    const std::int64_t relative = std::int64_t{position} - origin;
    if (relative + size < 0 || relative + kEdgeMargin > extent) {
        return origin + CentredOrZero(size, extent);
    }
    return position;
}

void KeepReachable(QWidget* form, const QRect& desktop)
{
    const int x = ReachableCoordinate(form->x(), form->width(), desktop.left(), desktop.width());
    const int y = ReachableCoordinate(form->y(), form->height(), desktop.top(), desktop.height());
    if (x != form->x() || y != form->y()) {
        form->move(x, y);
    }
}

QRect VirtualDesktop()
{
    QRect desktop;
    const auto screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        desktop = desktop.united(screen->geometry());
    }
    return desktop;
}

// A window the user cannot resize keeps its own size: fixed-size windows and tool windows.
bool IsResizable(const QWidget* form)
{
    if (form->minimumSize() == form->maximumSize()) {
        return false;
    }
    if (form->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint)) {
        return false;
    }
    return form->windowType() != Qt::Tool;
}

} // namespace

Placement FitToDesktop(Placement p, const QRect& desktop)
{
    p.top = FitCoordinate(p.top, p.height, desktop.height());
    p.left = FitCoordinate(p.left, p.width, desktop.width());
    return p;
}

bool RestoreFormPlacement(QWidget* form, const QString& key, QString* error)
{
    if (form == nullptr) {
        return true;
    }
    std::array<std::uint8_t, kRecordBytes> record{};
    int stored = 0;
    if (!RegReadBytesCounted(key, PlacementName(form), record.data(), kRecordBytes, &stored,
                             error)) {
        return false;
    }
    if (stored == 0) {
        return true;
    }
    Placement p;
    p.left = ReadInt32(&record[0]);
    p.top = ReadInt32(&record[4]);
    p.width = ReadInt32(&record[8]);
    p.height = ReadInt32(&record[12]);
    if (std::int64_t{p.left} + p.top + p.width + p.height == 0) {
        return true;
    }
    const QRect desktop = VirtualDesktop();
    p = FitToDesktop(p, desktop);
    form->move(p.left, p.top);
    if (IsResizable(form)) {
        form->resize(p.width, p.height);
    }
    KeepReachable(form, desktop);
    return true;
}

void SaveFormPlacement(QWidget* form, const QString& key)
{
    if (form == nullptr || form->isMaximized()) {
        return;
    }
    // The position is the frame's (what move() takes back); the size is the one resize() takes.
    const QPoint position = form->frameGeometry().topLeft();
    const QSize size = form->size();
    std::array<std::uint8_t, kRecordBytes> record{};
    WriteInt32(&record[0], position.x());
    WriteInt32(&record[4], position.y());
    WriteInt32(&record[8], size.width());
    WriteInt32(&record[12], size.height());
    RegWriteBytes(key, PlacementName(form), record.data(), kRecordBytes);
}

} // namespace zorva
