// Why a port cannot be opened: the platform's classification of the system's errors, and the
// path the component's reason names (the alias's target, or /dev/ + a bare name). The
// simulator tests of the main window cover a missing device, /dev/null and a locked line.
#include <gtest/gtest.h>

#include <cerrno>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "serial/TComm64.h"
#include "serial/platform/SerialPlatform.h"
#include "support/OpenNow.h"

namespace zorva {
namespace {

using serial::OpenFailureKind;

TEST(OpenFailureKinds, SystemErrorsAreClassifiedWithTheSystemsText)
{
    const std::pair<int, OpenFailureKind> cases[] = {
        {EACCES, OpenFailureKind::kPermission}, {EPERM, OpenFailureKind::kPermission},
        {EBUSY, OpenFailureKind::kInUse},       {EWOULDBLOCK, OpenFailureKind::kInUse},
        {ENOENT, OpenFailureKind::kMissing},    {ENXIO, OpenFailureKind::kMissing},
        {ENOTTY, OpenFailureKind::kNotSerial},  {EIO, OpenFailureKind::kOther},
    };
    for (const auto& [error, kind] : cases) {
        const serial::OpenFailure failure = serial::DescribeOpenFailure("/dev/ttyUSB7", error);
        EXPECT_EQ(failure.kind, kind) << error;
        EXPECT_EQ(failure.systemText, std::generic_category().message(error));
        EXPECT_EQ(failure.holderPid, 0) << "nobody holds a device that does not exist";
    }
}

TEST(OpenFailure, TheReasonNamesTheDeviceTriedAndGoesWithASuccessfulOpen)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QSettings store(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    store.setValue(QStringLiteral("ports/COM5"), plain);
    store.sync();

    TComm64 port;
    const struct {
        const char* deviceName;
        PortFailure::Kind kind;
        QString path;
    } cases[] = {
        {"COM5", PortFailure::Kind::kNotSerial, plain},
        {"ttyZORVA9", PortFailure::Kind::kMissing, QStringLiteral("/dev/ttyZORVA9")},
    };
    for (const auto& c : cases) {
        port.setDeviceName(QLatin1String(c.deviceName));
        test::OpenNow(port);
        ASSERT_TRUE(port.OpenFailure().has_value()) << c.deviceName;
        EXPECT_EQ(port.OpenFailure()->kind, c.kind) << c.deviceName;
        EXPECT_EQ(port.OpenFailure()->path, c.path);
        EXPECT_EQ(port.OpenFailure()->deviceName, QLatin1String(c.deviceName));
    }
    store.remove(QStringLiteral("ports"));
}

} // namespace
} // namespace zorva
