#include "app/ShellRules.h"

#include "serial/StoredPort.h"

namespace zorva {

bool IsServiceMode(const QStringList& arguments)
{
    return arguments.size() >= 2 && arguments.at(1) == kServiceSwitch;
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
