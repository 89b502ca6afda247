// Why a port cannot be opened: the platform's classification of the system's errors, and the
// component's reason for real paths (an alias to nothing, /dev/null, a regular file, a bare
// name, a pseudo-terminal locked by another open).
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "PtyPair.h"
#include "serial/SerialPlatform.h"
#include "serial/TComm64.h"

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

class OpenFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ApplyPortRSDefaults(port_);
    }
    void TearDown() override
    {
        port_.Close();
        Aliases().remove(QStringLiteral("ports"));
    }
    static QSettings& Aliases()
    {
        static QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        return settings;
    }
    void PointCom5At(const QString& path)
    {
        Aliases().setValue(QStringLiteral("ports/COM5"), path);
        Aliases().sync();
        port_.setDeviceName(QStringLiteral("COM5"));
    }

    QTemporaryDir dir_;
    TComm64 port_;
};

TEST_F(OpenFailureTest, EachFailedOpenKeepsItsReasonWithTheDevicesPath)
{
    const QString plain = dir_.filePath(QStringLiteral("plain.txt"));
    {
        QFile file(plain);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString absent = dir_.filePath(QStringLiteral("absent.tty"));
    const struct {
        QString deviceName;
        QString alias; // none: the name is used as it is
        PortFailure::Kind kind;
        QString path;
    } cases[] = {
        {QStringLiteral("COM5"), absent, PortFailure::Kind::kMissing, absent},
        {QStringLiteral("COM5"), QStringLiteral("/dev/null"), PortFailure::Kind::kNotSerial,
         QStringLiteral("/dev/null")},
        {QStringLiteral("COM5"), plain, PortFailure::Kind::kNotSerial, plain},
        {QStringLiteral("ttyZORVA9"),
         {},
         PortFailure::Kind::kMissing,
         QStringLiteral("/dev/ttyZORVA9")},
    };
    for (const auto& c : cases) {
        if (c.alias.isEmpty()) {
            Aliases().remove(QStringLiteral("ports"));
            port_.setDeviceName(c.deviceName);
        } else {
            PointCom5At(c.alias);
        }
        port_.Open();
        EXPECT_FALSE(port_.Enabled());
        ASSERT_TRUE(port_.OpenFailure().has_value()) << c.path.toStdString();
        EXPECT_EQ(port_.OpenFailure()->kind, c.kind) << c.path.toStdString();
        EXPECT_EQ(port_.OpenFailure()->path, c.path);
        EXPECT_EQ(port_.OpenFailure()->deviceName, c.deviceName);
    }
}

TEST_F(OpenFailureTest, ADeviceLockedElsewhereNamesTheHolderUntilTheLockGoes)
{
    test::PtyPair pty;
    if (!pty.Ok()) {
        GTEST_SKIP() << "no pseudo-terminals on this system";
    }
    const QString link = dir_.filePath(QStringLiteral("module.tty"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(pty.Path()), link));
    PointCom5At(link);

    // Another open of the device holds the lock, as a second program would.
    const int holder = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    std::string ownName;
    std::getline(std::ifstream("/proc/self/comm"), ownName);

    port_.Open();
    EXPECT_FALSE(port_.Enabled());
    ASSERT_TRUE(port_.OpenFailure().has_value());
    EXPECT_EQ(port_.OpenFailure()->kind, PortFailure::Kind::kInUse);
    EXPECT_EQ(port_.OpenFailure()->path, link);
    EXPECT_EQ(port_.OpenFailure()->holderPid, static_cast<long>(::getpid()));
    EXPECT_EQ(port_.OpenFailure()->holderName, QString::fromStdString(ownName));

    ::close(holder);
    port_.Open();
    EXPECT_TRUE(port_.Enabled());
    EXPECT_FALSE(port_.OpenFailure().has_value());
}

} // namespace
} // namespace zorva
