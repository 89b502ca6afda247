#include "cli/PortProblem.h"

#include <system_error>

#include <QFile>

#include "serial/DeviceNames.h"
#include "serial/SerialPlatform.h"

namespace zorva::cli {

namespace {

// The system's error of one open attempt, 0 when it opened (and was closed again).
int OpenError(const QString& path)
{
    int error = 0;
    const auto port = serial::OpenSerialPort(QFile::encodeName(path).toStdString(), &error);
    return port ? 0 : error;
}

QString Describe(const QString& path, int error)
{
    const std::error_code code(error, std::generic_category());
    if (code == std::errc::no_such_file_or_directory || code == std::errc::no_such_device) {
        return QStringLiteral("%1: not present: is the adapter plugged in?").arg(path);
    }
    if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted) {
        return QStringLiteral("%1: permission denied: add the user to the group dialout "
                              "(sudo usermod -aG dialout $USER), then log in again")
            .arg(path);
    }
    if (code == std::errc::resource_unavailable_try_again ||
        code == std::errc::operation_would_block || code == std::errc::device_or_resource_busy) {
        return QStringLiteral("%1: in use by another program (the window program zorva-config, "
                              "or another zorva-cli?)")
            .arg(path);
    }
    if (code == std::errc::inappropriate_io_control_operation) {
        return QStringLiteral("%1: not a serial device").arg(path);
    }
    return QStringLiteral("%1: %2").arg(path, QString::fromStdString(code.message()));
}

} // namespace

QString PortOpenProblem(const QString& deviceName)
{
    // The same two tries as the port component: the resolved name, then the prefixed one.
    const QString resolved = ResolveDeviceName(deviceName);
    const int first = OpenError(resolved);
    if (first == 0) {
        return QStringLiteral("%1: opened only at the second try; try again").arg(resolved);
    }
    const std::error_code code(first, std::generic_category());
    if (code == std::errc::no_such_file_or_directory) {
        const QString prefixed = PrefixedDeviceName(deviceName);
        const int second = OpenError(prefixed);
        if (second != 0 && second != first) {
            return Describe(prefixed, second);
        }
    }
    return Describe(resolved, first);
}

} // namespace zorva::cli
