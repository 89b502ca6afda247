#include "app/ShellRules.h"

namespace zorva {

bool IsServiceMode(const QStringList& arguments)
{
    return arguments.size() >= 2 && arguments.at(1) == kServiceSwitch;
}

int PortNumberFromStored(std::uint8_t stored)
{
    return (stored == 0 || stored > 8) ? 1 : stored;
}

QString DeviceNameForPort(int number)
{
    return QStringLiteral("COM") + QString::number(number);
}

std::uint8_t PortByteFromDeviceName(const QString& deviceName)
{
    if (deviceName.size() < 4) {
        return 1;
    }
    const QChar c = deviceName.at(3);
    // Only the ASCII digits count: other scripts' digits are no port numbers.
    if (c >= u'0' && c <= u'9') {
        return static_cast<std::uint8_t>(c.unicode() - u'0');
    }
    return 0;
}

std::array<StoredByte, 8> ClosingValues(const PortChoice& port, bool dtr, bool rts, bool polish)
{
    return {{
        {"cm", PortByteFromDeviceName(port.deviceName)},
        {"cp", port.baudRate},
        {"cs", port.stopbits},
        {"cd", port.databits},
        {"cpa", port.parity},
        {"cdtr", static_cast<std::uint8_t>(dtr ? 1 : 0)},
        {"crts", static_cast<std::uint8_t>(rts ? 1 : 0)},
        {"pl", static_cast<std::uint8_t>(polish ? 1 : 0)},
    }};
}

} // namespace zorva
