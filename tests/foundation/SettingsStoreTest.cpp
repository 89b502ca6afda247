#include "shell/SettingsStore.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include "TestFiles.h"

namespace zorva {
namespace {

// Every case starts from an empty store in the private configuration folder.
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        ASSERT_TRUE(settings.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")))
            << "tests must not touch the user's own settings";
        settings.clear();
        settings.sync();
    }
    static QString StoreFile()
    {
        return QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).fileName();
    }
};

TEST_F(SettingsStore, BytesRoundTripUnderEveryKey)
{
    const std::array<std::uint8_t, 16> stored = {0x00, 0xFF, 0x01, 0x80, 0x7F, 0x0A, 0x0D, 0x5C,
                                                 0x40, 0x22, 0x28, 0x29, 0x20, 0x00, 0x2C, 0x3D};
    for (const QString& key :
         {kRegKey, kRegPosKey, QStringLiteral("Software\\Nurvo\\QEN\\deeper\\still")}) {
        RegWriteBytes(key, QStringLiteral("ZORVA"), stored.data(), 16);
        std::array<std::uint8_t, 16> read{};
        read.fill(0xAA);
        QString error;
        EXPECT_TRUE(RegReadBytes(key, QStringLiteral("ZORVA"), read.data(), 16, &error));
        EXPECT_EQ(read, stored) << key.toStdString();
        EXPECT_TRUE(error.isEmpty());
    }
}

TEST_F(SettingsStore, KeysMapToTheRootAndToGroups)
{
    const std::uint8_t one = 1;
    RegWriteBytes(kRegKey, QStringLiteral("cm"), &one, 1);
    RegWriteBytes(kRegPosKey, QStringLiteral("Konfiguracja"), &one, 1);
    QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    EXPECT_EQ(settings.value(QStringLiteral("cm")).toByteArray(), QByteArray("\x01"));
    EXPECT_EQ(settings.value(QStringLiteral("pos/Konfiguracja")).toByteArray(), QByteArray("\x01"));
    EXPECT_FALSE(settings.contains(QStringLiteral("Konfiguracja")));
}

TEST_F(SettingsStore, MissingValueGivesZerosAndNoError)
{
    std::array<std::uint8_t, 16> read{};
    read.fill(0x55);
    QString error = QStringLiteral("untouched");
    int count = -1;
    EXPECT_TRUE(
        RegReadBytesCounted(kRegKey, QStringLiteral("nothing"), read.data(), 16, &count, &error));
    EXPECT_EQ(read, (std::array<std::uint8_t, 16>{}));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(error, QStringLiteral("untouched"));
}

TEST_F(SettingsStore, ShorterValueLeavesZerosAfterIt)
{
    const std::uint8_t two[] = {7, 8};
    RegWriteBytes(kRegKey, QStringLiteral("short"), two, 2);
    std::array<std::uint8_t, 4> read{};
    read.fill(0x55);
    int count = 0;
    EXPECT_TRUE(RegReadBytesCounted(kRegKey, QStringLiteral("short"), read.data(), 4, &count));
    EXPECT_EQ(read, (std::array<std::uint8_t, 4>{7, 8, 0, 0}));
    EXPECT_EQ(count, 2);
}

TEST_F(SettingsStore, TextOrLongerValueIsAnInvalidDataType)
{
    const std::array<std::uint8_t, 17> seventeen{};
    RegWriteBytes(kRegKey, QStringLiteral("long"), seventeen.data(), 17);
    RegWriteString(kRegKey, QStringLiteral("pl"), QStringLiteral("1"));
    struct Case {
        const char* name;
        int count;
    };
    for (const Case& c : {Case{"long", 16}, Case{"pl", 1}}) {
        std::array<std::uint8_t, 16> read{};
        read.fill(0x55);
        QString error;
        EXPECT_FALSE(
            RegReadBytes(kRegKey, QString::fromLatin1(c.name), read.data(), c.count, &error));
        EXPECT_EQ(error, QStringLiteral("Invalid data type for '%1'").arg(c.name));
        EXPECT_TRUE(std::all_of(read.begin(), read.begin() + c.count, [](std::uint8_t b) {
            return b == 0;
        })) << c.name;
    }
    // Writing replaces the wrong value.
    const std::uint8_t zero = 0;
    RegWriteBytes(kRegKey, QStringLiteral("pl"), &zero, 1);
    std::uint8_t read = 0x55;
    EXPECT_TRUE(RegReadBytes(kRegKey, QStringLiteral("pl"), &read, 1));
    EXPECT_EQ(read, 0);
}

TEST_F(SettingsStore, HandEditedTextValueIsNotBinary)
{
    const QString file = StoreFile();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    ASSERT_TRUE(test::WriteFile(file, "[General]\ncm=2\ncp=@ByteArray(\\x3)\n"));
    std::uint8_t byte = 0x55;
    QString error;
    EXPECT_FALSE(RegReadBytes(kRegKey, QStringLiteral("cm"), &byte, 1, &error));
    EXPECT_EQ(error, QStringLiteral("Invalid data type for 'cm'"));
    EXPECT_EQ(byte, 0);
    EXPECT_TRUE(RegReadBytes(kRegKey, QStringLiteral("cp"), &byte, 1, &error));
    EXPECT_EQ(byte, 3);
}

TEST_F(SettingsStore, StringValues)
{
    EXPECT_EQ(RegReadString(kRegKey, QStringLiteral("dpth")), QString());
    const QString folder = QString::fromUtf16(u"/home/serwis/konfiguracje, \u0142\u00F3d\u017A");
    RegWriteString(kRegKey, QStringLiteral("dpth"), folder);
    EXPECT_EQ(RegReadString(kRegKey, QStringLiteral("dpth")), folder);
    RegWriteString(kRegKey, QStringLiteral("dpth"), QString());
    EXPECT_EQ(RegReadString(kRegKey, QStringLiteral("dpth")), QString());
}

TEST_F(SettingsStore, PortAliasesIgnoreCase)
{
    {
        QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        settings.setValue(QStringLiteral("ports/COM1"), QStringLiteral("/dev/ttyUSB0"));
        settings.setValue(QStringLiteral("ports/com3"), QStringLiteral("/dev/ttyS2"));
    }
    EXPECT_EQ(PortAlias(QStringLiteral("COM1")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(PortAlias(QStringLiteral("com1")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(PortAlias(QStringLiteral("COM3")), QStringLiteral("/dev/ttyS2"));
    EXPECT_EQ(PortAlias(QStringLiteral("COM2")), QString());
    EXPECT_EQ(PortAlias(QString()), QString());
}

} // namespace
} // namespace zorva
