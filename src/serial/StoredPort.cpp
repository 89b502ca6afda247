#include "serial/StoredPort.h"

#include "serial/ComNames.h"
#include "serial/network/NetworkNames.h"
#include "shell/SettingsStore.h"

namespace zorva {

namespace {

const QString kPortByteValue = QStringLiteral("cm");
const QString kFullPortNameValue = QStringLiteral("cmn");

// A name kept in full beside "cm": one the platform opens as its own device, and a network
// address on every platform, so that it comes back whatever COM aliases exist.
bool KeptInFull(const QString& name)
{
    return PortNameIsItsDevice(name) || serial::IsNetworkName(name.toStdString());
}

} // namespace

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

QString StartDeviceName(std::uint8_t cm, const QString& fullName)
{
    if (!fullName.isEmpty() && PortByteFromDeviceName(fullName) == cm) {
        return fullName;
    }
    return DeviceNameForPort(PortNumberFromStored(cm));
}

bool ReadStoredDeviceName(QString* deviceName, QString* error)
{
    std::uint8_t cm = 0;
    if (!RegReadBytes(kRegKey, kPortByteValue, &cm, 1, error)) {
        return false;
    }
    QString fullName = RegReadString(kRegKey, kFullPortNameValue);
    if (!KeptInFull(fullName)) {
        fullName.clear();
    }
    *deviceName = StartDeviceName(cm, fullName);
    return true;
}

void WriteFullPortName(const QString& deviceName)
{
    if (KeptInFull(deviceName)) {
        RegWriteString(kRegKey, kFullPortNameValue, deviceName);
    } else if (!RegReadString(kRegKey, kFullPortNameValue).isEmpty()) {
        // An address kept before must not come back under a COM name of the same digit.
        RegWriteString(kRegKey, kFullPortNameValue, QString());
    }
}

} // namespace zorva
