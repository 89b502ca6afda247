#include "app/ShellRules.h"

#include <gtest/gtest.h>

#include "serial/StoredPort.h"

namespace zorva {
namespace {

TEST(ShellRules, ServiceModeIsTheExactFirstArgumentOnly)
{
    const struct {
        QStringList arguments;
        bool serviceMode;
    } cases[] = {
        {{"zorva-config", "/serw"}, true},
        {{"zorva-config", "/serw", "more"}, true},
        {{"zorva-config", "/SERW"}, false},
        {{"zorva-config", "/Serw"}, false},
        {{"zorva-config", "other", "/serw"}, false},
        {{"zorva-config", "/serw "}, false},
        {{"zorva-config"}, false},
        {{}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsServiceMode(c.arguments), c.serviceMode)
            << c.arguments.join(u' ').toStdString();
    }
}

// The full name ("cmn") counts only while "cm" still holds what would be stored for it.
TEST(ShellRules, StoredPortByteGivesComOneToEightUnlessTheFullNameAgrees)
{
    const struct {
        std::uint8_t stored;
        const char* fullName;
        const char* deviceName;
    } cases[] = {
        {0, "", "COM1"},         {1, "", "COM1"},     {2, "", "COM2"},      {8, "", "COM8"},
        {9, "", "COM1"},         {10, "", "COM1"},    {255, "", "COM1"},    {1, "COM12", "COM12"},
        {9, "COM9", "COM9"},     {1, "COM1", "COM1"}, {3, "COM12", "COM3"}, {0, "COM12", "COM1"},
        {1, "COM105", "COM105"}, {2, "COM3", "COM2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StartDeviceName(c.stored, QString::fromLatin1(c.fullName)),
                  QString::fromLatin1(c.deviceName))
            << int(c.stored) << " " << c.fullName;
    }
    EXPECT_EQ(DeviceNameForPort(8), QStringLiteral("COM8"));
}

TEST(ShellRules, PortByteFromDeviceNameTakesOneCharacter)
{
    const struct {
        const char* deviceName;
        std::uint8_t stored;
    } cases[] = {
        {"COM1", 1}, {"COM8", 8}, {"COM9", 9}, {"COM10", 1}, {"COM12", 1}, {"COM0", 0},
        {"COMx", 0}, {"COM", 1},  {"", 1},     {"CO", 1},    {"COM 3", 0}, {"/dev/ttyS0", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PortByteFromDeviceName(QString::fromLatin1(c.deviceName)), c.stored)
            << c.deviceName;
    }
    // A digit of another script is no port number.
    EXPECT_EQ(PortByteFromDeviceName(QStringLiteral("COM\u0663")), 0);
}

TEST(ShellRules, ClosingValuesInTheirOrder)
{
    PortChoice port;
    port.deviceName = QStringLiteral("COM7");
    port.baudRate = 8;
    port.stopbits = 2;
    port.databits = 4;
    port.parity = 3;
    const auto values = ClosingValues(port, true, false, true);
    const char* names[] = {"cm", "cp", "cs", "cd", "cpa", "cdtr", "crts", "pl"};
    const std::uint8_t bytes[] = {7, 8, 2, 4, 3, 1, 0, 1};
    ASSERT_EQ(values.size(), std::size(names));
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_STREQ(values[i].name, names[i]) << i;
        EXPECT_EQ(values[i].value, bytes[i]) << names[i];
    }
    const auto english = ClosingValues(port, false, true, false);
    EXPECT_EQ(english[5].value, 0);
    EXPECT_EQ(english[6].value, 1);
    EXPECT_EQ(english[7].value, 0);
}

TEST(ShellRules, ClientHeightsOfTheDesign)
{
    // Tool bar 35 + status strip 19, configuration area 289, status bar 19.
    EXPECT_EQ(ClientHeightFor(54, 289, 19, false), 367);
    EXPECT_EQ(ClientHeightFor(54, 289, 19, true), 517);
}

} // namespace
} // namespace zorva
