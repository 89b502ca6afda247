// Device names: aliases from the settings store, the COMn convention, the "/dev/" prefix.
#include "serial/DeviceNames.h"

#include <gtest/gtest.h>

#include <QSettings>

#include "serial/CommTypes.h"

namespace zorva {
namespace {

class DeviceNamesTest : public ::testing::Test {
protected:
    void TearDown() override { Settings().remove(QStringLiteral("ports")); }
    static QSettings& Settings()
    {
        static QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        return settings;
    }
};

TEST_F(DeviceNamesTest, ResolvesAliasesThenTheConventionThenTheNameItself)
{
    Settings().setValue(QStringLiteral("ports/COM1"), QStringLiteral("/tmp/zorva.tty"));
    Settings().setValue(QStringLiteral("ports/Com5"), QStringLiteral("/dev/ttyUSB0"));
    Settings().sync();
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("COM1"), QStringLiteral("/tmp/zorva.tty")},
        {QStringLiteral("com1"), QStringLiteral("/tmp/zorva.tty")},
        {QStringLiteral("COM5"), QStringLiteral("/dev/ttyUSB0")},
        {QStringLiteral("COM2"), QStringLiteral("/dev/ttyS1")},
        {QStringLiteral("COM10"), QStringLiteral("/dev/ttyS9")},
        {QStringLiteral("ttyACM0"), QStringLiteral("ttyACM0")},
        {QStringLiteral("/dev/pts/7"), QStringLiteral("/dev/pts/7")},
    };
    for (const auto& [name, path] : cases) {
        EXPECT_EQ(ResolveDeviceName(name), path) << name.toStdString();
    }
}

TEST_F(DeviceNamesTest, PrefixedNameIsTheSecondTry)
{
    EXPECT_EQ(PrefixedDeviceName(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
}

TEST(CommTypesTest, DeviceValuesAndEventMasks)
{
    EXPECT_EQ(BaudRateValue(cbr300), 300u);
    EXPECT_EQ(BaudRateValue(cbr2400), 2400u);
    EXPECT_EQ(BaudRateValue(cbr115200), 115200u);
    EXPECT_EQ(BaudRateValue(static_cast<TBaudRate>(9)), 0u); // refused by every device
    EXPECT_EQ(DatabitsValue(da4), 4u);
    EXPECT_EQ(DatabitsValue(da8), 8u);
    EXPECT_EQ(ParityCode(paSpace), 4u);
    EXPECT_EQ(StopbitsCode(sb2_0), 2u);

    EXPECT_EQ(LineEventMask({evRxChar, evTxEmpty}), 0x0005u);
    EXPECT_EQ(LineEventMask(TC32EventType::All()), 0x01FFu);
    EXPECT_EQ(LineEventMask({}), 0u);
    const std::pair<TC32EventState, std::uint32_t> bits[] = {
        {evBreak, 0x0040},  {evCTS, 0x0008},    {evDSR, 0x0010},
        {evError, 0x0080},  {evRing, 0x0100},   {evRlsd, 0x0020},
        {evRxChar, 0x0001}, {evRxFlag, 0x0002}, {evTxEmpty, 0x0004},
    };
    for (const auto& [member, bit] : bits) {
        EXPECT_EQ(LineEventMask({member}), bit) << int(member);
        EXPECT_EQ(TC32EventType({member}).Bits(), 1u << member);
    }
}

} // namespace
} // namespace zorva
