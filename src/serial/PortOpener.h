// The one way a port is opened, whatever its name: a COM name, an alias, a device path, or a
// network address (NetworkNames.h). The open itself can block for seconds (a Bluetooth port
// whose device is off, a server that does not answer), so it runs on a thread of its own and
// its result is handed back to the thread that asked: the window never waits for it.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>

#include "serial/platform/SerialPlatform.h"
#include "shell/PortFailure.h"

class QObject;

namespace zorva {

// A port opened by name, not yet taken by a component.
struct OpenedDevice {
    QString deviceName;
    QString path;                             // the device opened, or the one the failure names
    std::unique_ptr<serial::SerialPort> port; // null when nothing opened
    std::optional<PortFailure> failure;       // why, then
};

// Opens `deviceName` at `path` (ResolveDeviceName of it, found beforehand: it reads the
// settings, which is the asking thread's business). A device that is not found is tried again
// under the platform's device prefix ("\\.\COM10"); a network port is looked up and connected
// within its bounds (NetworkOpen.h). Blocks: any thread but the window's may call it.
OpenedDevice OpenPortNamed(const QString& deviceName, const QString& path);
// A device (no network name) as OpenPortNamed opens it.
OpenedDevice OpenDevice(const QString& deviceName, const QString& path);

// How a port is opened: OpenPortNamed, or what a test puts in its place.
using PortOpenFunction =
    std::function<OpenedDevice(const QString& deviceName, const QString& path)>;

// The reason a device that was opened cannot serve (the driver refused the line, no event wait):
// the system's words for `error`.
PortFailure DeviceFailure(const QString& deviceName, const QString& path, int error);

// One open running on a thread of its own. Once it has ended, the slot `endedSlot` (no
// arguments) of `context` is invoked on that object's thread, unless this object is gone by
// then; the slot asks TakeEnd whether it is news. Destroying this object before the open has
// ended abandons the open: a port it brings later is closed on its thread.
class PortOpening {
public:
    PortOpening(const QString& deviceName, const QString& path, const PortOpenFunction& open,
                QObject* context, const char* endedSlot);
    ~PortOpening();
    PortOpening(const PortOpening&) = delete;
    PortOpening& operator=(const PortOpening&) = delete;

    const QString& deviceName() const { return deviceName_; }
    const QString& path() const { return path_; }
    bool Ended() const;
    // Whether the open has ended and this is the first time it is asked (on the context's thread).
    bool TakeEnd();
    // Once ended: the result (taken once).
    OpenedDevice Take();

private:
    struct Shared;
    QString deviceName_;
    QString path_;
    std::shared_ptr<Shared> shared_;
    bool endTaken_ = false;
};

} // namespace zorva
