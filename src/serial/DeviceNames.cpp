#include "serial/DeviceNames.h"

#include <QFile>

#include "serial/SerialPlatform.h"
#include "shell/SettingsStore.h"

namespace zorva {

QString ResolveDeviceName(const QString& deviceName)
{
    const QString alias = PortAlias(deviceName);
    if (!alias.isEmpty()) {
        return alias;
    }
    return QFile::decodeName(
        serial::ConventionalDevicePath(QFile::encodeName(deviceName).toStdString()).c_str());
}

QString PrefixedDeviceName(const QString& deviceName)
{
    return QString::fromStdString(serial::DevicePrefix()) + deviceName;
}

} // namespace zorva
