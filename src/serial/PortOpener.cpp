#include "serial/PortOpener.h"

#include <mutex>

#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QObject>

#include "serial/DeviceNames.h"
#include "serial/NetworkOpen.h"
#include "serial/network/NetworkNames.h"
#include "serial/platform/DetachedThread.h"

namespace zorva {
namespace {

std::unique_ptr<serial::SerialPort> OpenByName(const QString& name, int* error)
{
    return serial::OpenSerialPort(QFile::encodeName(name).toStdString(), error);
}

PortFailure Describe(const QString& deviceName, const QString& path, int error)
{
    const serial::OpenFailure facts =
        serial::DescribeOpenFailure(QFile::encodeName(path).toStdString(), error);
    PortFailure failure;
    switch (facts.kind) {
    case serial::OpenFailureKind::kPermission:
        failure.kind = PortFailure::Kind::kPermission;
        break;
    case serial::OpenFailureKind::kInUse:
        failure.kind = PortFailure::Kind::kInUse;
        break;
    case serial::OpenFailureKind::kMissing:
        failure.kind = PortFailure::Kind::kMissing;
        break;
    case serial::OpenFailureKind::kNotSerial:
        failure.kind = PortFailure::Kind::kNotSerial;
        break;
    case serial::OpenFailureKind::kOther:
        failure.kind = PortFailure::Kind::kOther;
        break;
    }
    failure.deviceName = deviceName;
    failure.path = path;
    failure.systemText = QString::fromLocal8Bit(facts.systemText.c_str());
    failure.holderPid = facts.holderPid;
    failure.holderName = QString::fromLocal8Bit(facts.holderName.c_str());
    return failure;
}

} // namespace

PortFailure DeviceFailure(const QString& deviceName, const QString& path, int error)
{
    PortFailure failure = Describe(deviceName, path, error);
    failure.kind = PortFailure::Kind::kOther;
    failure.holderPid = 0;
    failure.holderName.clear();
    return failure;
}

OpenedDevice OpenDevice(const QString& deviceName, const QString& path)
{
    OpenedDevice device;
    device.deviceName = deviceName;
    device.path = path;
    int error = 0;
    device.port = OpenByName(device.path, &error);
    if (device.port) {
        return device;
    }
    PortFailure failure = Describe(deviceName, path, error);
    // Only a device that is not there may be there under the prefix: a port that refused or
    // timed out is not asked twice (a Bluetooth port would block for as long again).
    if (failure.kind == PortFailure::Kind::kMissing) {
        device.path = PrefixedDeviceName(deviceName);
        device.port = OpenByName(device.path, &error);
        if (device.port) {
            return device;
        }
        // The first try names the device unless the second found something where it found
        // nothing, or it took a bare name ("ttyUSB0") as it was.
        PortFailure second = Describe(deviceName, device.path, error);
        if (second.kind != PortFailure::Kind::kMissing || QDir::isRelativePath(path)) {
            failure = std::move(second);
        }
    }
    device.path = failure.path;
    device.failure = std::move(failure);
    return device;
}

OpenedDevice OpenPortNamed(const QString& deviceName, const QString& path)
{
    if (serial::IsNetworkName(path.toStdString())) {
        return OpenNetworkPort(deviceName, path);
    }
    return OpenDevice(deviceName, path);
}

struct PortOpening::Shared {
    std::mutex mutex;
    bool abandoned = false; // nobody wants the result: the thread closes what it opened
    bool ended = false;
    OpenedDevice result;
};

PortOpening::PortOpening(const QString& deviceName, const QString& path,
                         const PortOpenFunction& open, QObject* context, const char* endedSlot)
    : deviceName_(deviceName), path_(path), shared_(std::make_shared<Shared>())
{
    const PortOpenFunction opener = open ? open : PortOpenFunction(OpenPortNamed);
    serial::StartDetached([shared = shared_, opener, deviceName, path, context, endedSlot] {
        OpenedDevice result = opener(deviceName, path);
        const std::lock_guard lock(shared->mutex);
        if (shared->abandoned) {
            return; // the port, if any, closes here with `result`
        }
        shared->result = std::move(result);
        shared->ended = true;
        // Posted while the opening still stands, and with it its owner `context`. Nothing but
        // the call crosses over: the owner looks at the state it shares with this thread.
        if (context != nullptr && endedSlot != nullptr) {
            QMetaObject::invokeMethod(context, endedSlot, Qt::QueuedConnection);
        }
    });
}

PortOpening::~PortOpening()
{
    OpenedDevice late;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->abandoned = true;
        late = std::move(shared_->result); // ended but never taken: closed below
    }
}

bool PortOpening::Ended() const
{
    const std::lock_guard lock(shared_->mutex);
    return shared_->ended;
}

bool PortOpening::TakeEnd()
{
    if (endTaken_ || !Ended()) {
        return false;
    }
    endTaken_ = true;
    return true;
}

OpenedDevice PortOpening::Take()
{
    const std::lock_guard lock(shared_->mutex);
    OpenedDevice result = std::move(shared_->result);
    shared_->result = {};
    return result;
}

} // namespace zorva
