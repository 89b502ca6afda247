#include "serial/DeviceNames.h"

#include <QFile>

#include "app/SettingsStore.h"
#include "serial/SerialPlatform.h"

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
