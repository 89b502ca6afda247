// The list of serial ports offered in the port settings dialog: the platform's devices and the
// COM aliases of the settings store, always with COM1 to COM4, the COM names first in numeric
// order. Ordering and selection are plain functions; gathering asks the platform.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

#include "serial/CommTypes.h"
#include "shell/SettingsStore.h"

namespace zorva {

struct PortEntry {
    // The path may be left out: entries are often known by name and description only.
    PortEntry(QString name = {}, QString description = {}, QString path = {})
        : name(std::move(name)), description(std::move(description)), path(std::move(path))
    {
    }
    QString name;        // the device name given to the serial component
    QString description; // what the platform says about it; may be empty
    QString path;        // the device; empty when only the name is known
};

// Orders the platform's entries for display:
// 1. sorts them by name without regard to case;
// 2. adds "COM1" to "COM4" at their sorted places, each unless a name equal to it without
//    regard to case is already there;
// 3. takes out "COM0" to "COM99" (first match of each, without regard to case) and puts them
//    first in numeric order, followed by the rest in sorted order.
std::vector<PortEntry> OrderPortList(std::vector<PortEntry> platform);
QStringList OrderPortNames(const QStringList& platformNames);

// "ttyUSB0 – FT232R USB UART", or the bare name when there is no description.
QString PortDisplayText(const PortEntry& entry);

// The entry shown selected for a device name: the last entry equal to it in upper case, else
// the first (0); -1 for an empty list.
int PortSelectionIndex(const QStringList& names, const QString& deviceName);

// The platform's serial devices, each name once (one file per platform). Linux: names such as
// ttyUSB0 with the device's description and path. Windows: the COM names listed in the
// registry's HARDWARE\DEVICEMAP\SERIALCOMM.
std::vector<PortEntry> PlatformDevices();
// The devices and the COM aliases of the settings store (group "ports"), each name once. An alias
// is described by its path and, when it reaches one of the devices, that device's description;
// the device itself is then left out, so it is listed under its COM name only.
std::vector<PortEntry> WithAliases(std::vector<PortEntry> devices,
                                   const QList<StoredPortAlias>& aliases);
// WithAliases of the platform's devices and the stored aliases.
std::vector<PortEntry> PlatformPorts();

// Display of the line settings in the dialog's groups, and the setting each item stands for.
// Baud rate: item = ordinal - 3 (cbr4800 is item 0, cbr115200 item 5); -1 (nothing selected)
// for the rates below 4800, which the group does not offer.
int BaudRateItem(TBaudRate rate);
TBaudRate BaudRateForItem(int item); // cbr4800 + item
// Data size: da6, da7, da8 are items 0, 1, 2; for da4 and da5 the group keeps its selection.
std::optional<int> DatabitsItem(TDatabits databits);
TDatabits DatabitsForItem(int item); // da6 + item
// Stop bits and parity: the ordinal is the item.
int StopbitsItem(TStopbits stopbits);
int ParityItem(TParity parity);

} // namespace zorva
