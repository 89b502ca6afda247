// Which COM name remembers a device that the port settings dialog lists under another name
// (ttyUSB0, an alias above COM8): the stored port byte "cm" holds one digit, so only COM1 to
// COM8 survive a restart, and an alias in the settings makes the name reach the device.
#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "shell/SettingsStore.h"

namespace zorva {

// COM1 to COM8, in any case.
bool IsStorableComName(const QString& name);
// A port name that the platform opens as the device of that very name: every name it lists on
// Windows (COM12, a virtual pair's CNCA0, a Bluetooth port); none on POSIX, where COMn stands
// for /dev/ttyS<n-1> and other devices are reached through a COM alias.
bool PortNameIsItsDevice(const QString& name);

struct ComNameChoice {
    QString name;      // "COM5"
    QString aliasPath; // the alias to store under that name; empty when it reaches the device
};

// The name for the device at `device`, given the stored `aliases` and the device paths that the
// platform offers:
// 1. a name from COM1 to COM8 whose alias reaches the same device;
// 2. else one without an alias whose default device (COMn is /dev/ttyS<n-1>) is this device;
// 3. else the lowest one without an alias whose default device the platform does not offer,
//    with an alias to the device's persistent path (its /dev/serial/by-id/ link when it has one).
// Nothing when every name is taken.
std::optional<ComNameChoice> ComNameForDevice(const QString& device,
                                              const QList<StoredPortAlias>& aliases,
                                              const QStringList& offered);

} // namespace zorva
