// The COM name a device picked by another name gets: an alias that reaches it already, a name
// whose default device it is, else the lowest name that is neither an alias nor a device the
// platform offers; nothing when all eight are taken. Real files and links stand for devices.
#include "serial/ComNames.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace zorva {
namespace {

TEST(ComNames, OnlyComOneToEightFitTheStoredByte)
{
    for (const char* name : {"COM1", "com8", "Com4"}) {
        EXPECT_TRUE(IsStorableComName(QLatin1String(name))) << name;
    }
    for (const char* name : {"COM0", "COM9", "COM10", "ttyUSB0", "COM", "CON1"}) {
        EXPECT_FALSE(IsStorableComName(QLatin1String(name))) << name;
    }
}

TEST(ComNames, ChoiceFollowsAliasesDefaultsAndThePlatformsDevices)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString adapter = dir.filePath(QStringLiteral("adapter"));
    const QString other = dir.filePath(QStringLiteral("other"));
    const QString link = dir.filePath(QStringLiteral("by-id-adapter"));
    for (const QString& path : {adapter, other}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(adapter, link));

    QList<StoredPortAlias> allTaken;
    for (int n = 1; n <= 8; ++n) {
        allTaken.append({QStringLiteral("COM%1").arg(n), other});
    }
    const QStringList ttyS0 = {QStringLiteral("/dev/ttyS0")};

    const struct {
        const char* what;
        QString device;
        QList<StoredPortAlias> aliases;
        QStringList offered;
        std::optional<ComNameChoice> expected;
    } cases[] = {
        {"nothing stored: COM1", adapter, {}, {}, ComNameChoice{QStringLiteral("COM1"), adapter}},
        {"COM1's default device is offered: COM2",
         adapter,
         {},
         ttyS0,
         ComNameChoice{QStringLiteral("COM2"), adapter}},
        {"an alias of COM2 is taken: COM3",
         adapter,
         {{QStringLiteral("COM2"), other}},
         ttyS0,
         ComNameChoice{QStringLiteral("COM3"), adapter}},
        {"an alias reaches it through a link: that one, nothing stored",
         adapter,
         {{QStringLiteral("com6"), link}},
         {},
         ComNameChoice{QStringLiteral("com6"), {}}},
        {"an alias above COM8 does not count",
         adapter,
         {{QStringLiteral("COM11"), adapter}},
         {},
         ComNameChoice{QStringLiteral("COM1"), adapter}},
        {"the default device of COM3: COM3 as it is",
         QStringLiteral("/dev/ttyS2"),
         {},
         {},
         ComNameChoice{QStringLiteral("COM3"), {}}},
        {"all eight taken: nothing", adapter, allTaken, {}, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<ComNameChoice> got = ComNameForDevice(c.device, c.aliases, c.offered);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.what;
        if (got) {
            EXPECT_EQ(got->name, c.expected->name) << c.what;
            EXPECT_EQ(got->aliasPath, c.expected->aliasPath) << c.what;
        }
    }
}

} // namespace
} // namespace zorva
