#include "serial/ports/PortList.h"

#include <algorithm>
#include <iterator>

#include "serial/DeviceNames.h"

namespace zorva {

namespace {

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool NameBefore(const PortEntry& a, const PortEntry& b)
{
    return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
}

std::vector<PortEntry>::iterator FindName(std::vector<PortEntry>& list, const QString& name)
{
    return std::find_if(list.begin(), list.end(),
                        [&](const PortEntry& e) { return SameName(e.name, name); });
}

constexpr int kFirstAlwaysOffered = 1;
constexpr int kLastAlwaysOffered = 4;
constexpr int kLastNumbered = 99;

QString ComName(int number)
{
    return QStringLiteral("COM%1").arg(number);
}

} // namespace

std::vector<PortEntry> OrderPortList(std::vector<PortEntry> platform)
{
    std::vector<PortEntry> sorted = std::move(platform);
    std::stable_sort(sorted.begin(), sorted.end(), NameBefore);

    for (int n = kFirstAlwaysOffered; n <= kLastAlwaysOffered; ++n) {
        PortEntry com{ComName(n), {}};
        if (FindName(sorted, com.name) == sorted.end()) {
            sorted.insert(std::upper_bound(sorted.begin(), sorted.end(), com, NameBefore), com);
        }
    }

    std::vector<PortEntry> ordered;
    ordered.reserve(sorted.size());
    for (int n = 0; n <= kLastNumbered; ++n) {
        const auto it = FindName(sorted, ComName(n));
        if (it != sorted.end()) {
            ordered.push_back(std::move(*it));
            sorted.erase(it);
        }
    }
    std::move(sorted.begin(), sorted.end(), std::back_inserter(ordered));
    return ordered;
}

QStringList OrderPortNames(const QStringList& platformNames)
{
    std::vector<PortEntry> entries;
    entries.reserve(static_cast<std::size_t>(platformNames.size()));
    for (const QString& name : platformNames) {
        entries.push_back({name, {}});
    }
    QStringList names;
    for (const PortEntry& e : OrderPortList(std::move(entries))) {
        names.append(e.name);
    }
    return names;
}

QString PortDisplayText(const PortEntry& entry)
{
    if (entry.description.trimmed().isEmpty()) {
        return entry.name;
    }
    return entry.name + QStringLiteral(" \u2013 ") + entry.description.trimmed();
}

int PortSelectionIndex(const QStringList& names, const QString& deviceName)
{
    if (names.isEmpty()) {
        return -1;
    }
    const QString wanted = deviceName.toUpper();
    for (qsizetype i = names.size() - 1; i >= 0; --i) {
        if (names.at(i).toUpper() == wanted) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

std::vector<PortEntry> WithAliases(std::vector<PortEntry> devices,
                                   const QList<StoredPortAlias>& aliases)
{
    std::vector<PortEntry> named;
    for (const StoredPortAlias& alias : aliases) {
        if (alias.name.isEmpty() || FindName(named, alias.name) != named.end()) {
            continue;
        }
        PortEntry entry{alias.name, alias.path, alias.path};
        const auto device = std::find_if(devices.begin(), devices.end(), [&](const PortEntry& d) {
            return !d.path.isEmpty() && SameDevice(d.path, alias.path);
        });
        if (device != devices.end()) {
            if (!device->description.trimmed().isEmpty()) {
                entry.description += QStringLiteral(" \u2013 ") + device->description.trimmed();
            }
            devices.erase(device);
        }
        named.push_back(std::move(entry));
    }
    for (PortEntry& device : devices) {
        if (FindName(named, device.name) == named.end()) {
            named.push_back(std::move(device));
        }
    }
    return named;
}

std::vector<PortEntry> PlatformPorts()
{
    return WithAliases(PlatformDevices(), PortAliases());
}

int BaudRateItem(TBaudRate rate)
{
    return rate >= cbr4800 ? static_cast<int>(rate) - cbr4800 : -1;
}

TBaudRate BaudRateForItem(int item)
{
    return static_cast<TBaudRate>(cbr4800 + item);
}

std::optional<int> DatabitsItem(TDatabits databits)
{
    if (databits < da6) {
        return std::nullopt;
    }
    return static_cast<int>(databits) - da6;
}

TDatabits DatabitsForItem(int item)
{
    return static_cast<TDatabits>(da6 + item);
}

int StopbitsItem(TStopbits stopbits)
{
    return static_cast<int>(stopbits);
}

int ParityItem(TParity parity)
{
    return static_cast<int>(parity);
}

} // namespace zorva
