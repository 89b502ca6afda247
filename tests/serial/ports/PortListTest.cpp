// The port list's order, the selection rule and the display of the line settings.
#include "serial/ports/PortList.h"

#include <gtest/gtest.h>

#include <QSettings>

namespace zorva {
namespace {

QStringList L(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* n : names) {
        list.append(QString::fromLatin1(n));
    }
    return list;
}

TEST(PortList, OrderFromPlatformNames)
{
    struct Case {
        const char* what;
        QStringList platform;
        QStringList offered;
    };
    const Case cases[] = {
        {"none listed", {}, L({"COM1", "COM2", "COM3", "COM4"})},
        {"COM3 and COM11", L({"COM11", "COM3"}), L({"COM1", "COM2", "COM3", "COM4", "COM11"})},
        {"lower-case com3 once", L({"com3"}), L({"COM1", "COM2", "com3", "COM4"})},
        {"COM10 after COM9", L({"COM10", "COM9"}),
         L({"COM1", "COM2", "COM3", "COM4", "COM9", "COM10"})},
        {"COM0 first", L({"COM0"}), L({"COM0", "COM1", "COM2", "COM3", "COM4"})},
        {"COM99 numbered, COM100 not", L({"COM100", "COM99"}),
         L({"COM1", "COM2", "COM3", "COM4", "COM99", "COM100"})},
        {"devices after the COM names, sorted without case", L({"ttyUSB0", "COM5", "ACM", "ttyS0"}),
         L({"COM1", "COM2", "COM3", "COM4", "COM5", "ACM", "ttyS0", "ttyUSB0"})},
        {"COM01 is not COM1", L({"COM01"}), L({"COM1", "COM2", "COM3", "COM4", "COM01"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OrderPortNames(c.platform), c.offered);
    }
}

TEST(PortList, DescriptionsTravelWithTheirEntriesAndShowInTheDisplayText)
{
    const std::vector<PortEntry> ordered = OrderPortList({
        {QStringLiteral("ttyUSB0"), QStringLiteral("FT232R USB UART")},
        {QStringLiteral("COM3"), QStringLiteral("/dev/ttyACM0")},
        {QStringLiteral("ttyS0"), QString()},
    });
    QStringList shown;
    for (const PortEntry& e : ordered) {
        shown.append(PortDisplayText(e));
    }
    EXPECT_EQ(shown, QStringList({QStringLiteral("COM1"), QStringLiteral("COM2"),
                                  QStringLiteral("COM3 \u2013 /dev/ttyACM0"),
                                  QStringLiteral("COM4"), QStringLiteral("ttyS0"),
                                  QStringLiteral("ttyUSB0 \u2013 FT232R USB UART")}));
}

TEST(PortList, SelectionIsTheLastEqualEntryInUpperCaseElseTheFirst)
{
    const QStringList names = L({"COM1", "COM2", "com3", "COM4", "ttyUSB0", "COM3"});
    struct Case {
        const char* device;
        int index;
    };
    const Case cases[] = {
        {"COM2", 1}, {"COM3", 5}, {"Com3", 5}, {"ttyusb0", 4}, {"COM9", 0}, {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        EXPECT_EQ(PortSelectionIndex(names, QString::fromLatin1(c.device)), c.index);
    }
    EXPECT_EQ(PortSelectionIndex({}, QStringLiteral("COM1")), -1);
}

TEST(PortList, LineSettingsShownInTheGroups)
{
    const char* const baudItems[] = {"4800", "9600", "19200", "38400", "57600", "115200"};
    EXPECT_STREQ(baudItems[BaudRateItem(cbr115200)], "115200");
    EXPECT_STREQ(baudItems[BaudRateItem(cbr9600)], "9600");
    for (TBaudRate low : {cbr300, cbr1200, cbr2400}) {
        EXPECT_EQ(BaudRateItem(low), -1);
    }
    for (int item = 0; item < 6; ++item) {
        EXPECT_EQ(BaudRateItem(BaudRateForItem(item)), item);
    }

    EXPECT_EQ(DatabitsItem(da4), std::nullopt);
    EXPECT_EQ(DatabitsItem(da5), std::nullopt);
    EXPECT_EQ(DatabitsItem(da6), 0);
    EXPECT_EQ(DatabitsItem(da8), 2);
    EXPECT_EQ(DatabitsForItem(1), da7);

    EXPECT_EQ(StopbitsItem(sb1_5), 1);
    EXPECT_EQ(ParityItem(paSpace), 4);
}

TEST(PortList, PlatformPortsIncludeTheStoredAliasesOnce)
{
    QSettings store(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    store.clear();
    store.setValue(QStringLiteral("ports/COM7"), QStringLiteral("/dev/pts/7"));
    store.setValue(QStringLiteral("ports/com7"), QStringLiteral("/dev/pts/8"));
    store.sync();

    const std::vector<PortEntry> ports = PlatformPorts();
    const auto count = std::count_if(ports.begin(), ports.end(), [](const PortEntry& e) {
        return e.name.compare(QStringLiteral("COM7"), Qt::CaseInsensitive) == 0;
    });
    EXPECT_EQ(count, 1);
    const auto it = std::find_if(ports.begin(), ports.end(), [](const PortEntry& e) {
        return e.name.compare(QStringLiteral("COM7"), Qt::CaseInsensitive) == 0;
    });
    ASSERT_NE(it, ports.end());
    EXPECT_TRUE(it->description.startsWith(QStringLiteral("/dev/pts/")));
    store.clear();
}

} // namespace
} // namespace zorva
