#include "serial/DeviceNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "serial/network/NetworkNames.h"
#include "serial/platform/SerialPlatform.h"
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

QString DevicePathOf(const QString& deviceName)
{
    const QString resolved = ResolveDeviceName(deviceName);
    if (resolved != deviceName || QDir::isAbsolutePath(deviceName) ||
        serial::IsNetworkName(resolved.toStdString())) {
        return resolved;
    }
    return PrefixedDeviceName(deviceName);
}

bool SameDevice(const QString& a, const QString& b)
{
    const QString realA = QFileInfo(a).canonicalFilePath();
    const QString realB = QFileInfo(b).canonicalFilePath();
    if (!realA.isEmpty() && !realB.isEmpty()) {
        return realA == realB;
    }
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

} // namespace zorva
