// Which device a port name such as "COM1" stands for on this computer.
#pragma once

#include <QString>

namespace zorva {

// The device the bare name reaches: the alias stored for it in the settings store (group
// "ports", name compared without regard to case), else the platform's conventional device for
// it ("COMn" is /dev/ttyS<n-1> on POSIX), else the name as given.
QString ResolveDeviceName(const QString& deviceName);

// The second try when the bare name cannot be opened: the platform's device prefix followed by
// the name ("/dev/" + name on POSIX).
QString PrefixedDeviceName(const QString& deviceName);

// The device a name stands for as a path: ResolveDeviceName when that translated the name (an
// alias, a COM name) or the name is a path already, else PrefixedDeviceName ("ttyUSB0" is
// /dev/ttyUSB0). A network name (NetworkNames.h) stays as it is.
QString DevicePathOf(const QString& deviceName);

// Whether two paths reach the same device, links resolved. Paths that cannot be resolved (a
// device not plugged in) are compared as written.
bool SameDevice(const QString& a, const QString& b);

} // namespace zorva
