// The platform's serial devices for the port list where Qt Serial Port lists them (Linux), and
// the COM aliases of the settings store.
#include <algorithm>

#include <QSerialPortInfo>
#include <QSettings>

#include "serial/PortList.h"

namespace zorva {

std::vector<PortEntry> PlatformPorts()
{
    std::vector<PortEntry> ports;
    const auto addOnce = [&ports](const QString& name, const QString& description) {
        const bool known = std::any_of(ports.begin(), ports.end(), [&](const PortEntry& e) {
            return e.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (name.isEmpty() || known) {
            return;
        }
        ports.push_back({name, description});
    };
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        addOnce(info.portName(), info.description());
    }
    // The aliases live in the same per-user store as every other setting (group "ports",
    // a COM name mapped onto a device path).
    QSettings store(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    store.beginGroup(QStringLiteral("ports"));
    for (const QString& alias : store.childKeys()) {
        addOnce(alias, store.value(alias).toString());
    }
    return ports;
}

} // namespace zorva
