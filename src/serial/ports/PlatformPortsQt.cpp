// The platform's serial devices for the port list where Qt Serial Port lists them (Linux).
#include <algorithm>

#include <QSerialPortInfo>

#include "serial/ports/PortList.h"

namespace zorva {

std::vector<PortEntry> PlatformDevices()
{
    std::vector<PortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString name = info.portName();
        const bool known = std::any_of(ports.begin(), ports.end(), [&](const PortEntry& e) {
            return e.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!name.isEmpty() && !known) {
            ports.push_back({name, info.description(), info.systemLocation()});
        }
    }
    return ports;
}

} // namespace zorva
