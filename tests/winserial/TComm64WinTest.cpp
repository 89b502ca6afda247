// The serial port component with its event thread over the Windows layer, under wine. Run by
// scripts/windows/check, which maps COM10 (a line only its prefixed name reaches) and COM11 (its
// far end), and COM13: a line whose far end goes away when it receives a byte and comes back once
// the file named by ZORVA_LINE_BACK exists.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <windows.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>

#include "serial/TComm64.h"
#include "support/OpenNow.h"

namespace zorva {
namespace {

// Runs the event loop until `done` holds or 30 s have passed; whether it held. `done` is asked
// once per turn and its last answer kept: asking it may itself try something (an open).
bool WaitUntil(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(30000);
    QTimer tick; // wakes the wait below at least every 5 ms
    tick.start(5);
    bool held = done();
    while (!held && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        held = done();
    }
    return held;
}

TEST(TComm64UnderWine, OpensReceivesClosesAndFollowsTheLineAway)
{
    const HANDLE farEnd = ::CreateFileW(L"\\\\.\\COM11", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(farEnd, INVALID_HANDLE_VALUE) << "run by scripts/windows/check";
    TComm64 port;
    ApplyPortRSDefaults(port);
    std::string received;
    std::int32_t counted = 0;
    port.setOnRxCharSignal([&](QObject*, std::int32_t Count) {
        counted += Count;
        std::string bytes(static_cast<std::size_t>(Count), '\0');
        EXPECT_EQ(port._Read_(reinterpret_cast<std::uint8_t*>(bytes.data()), Count), Count);
        received += bytes;
    });
    port.setDeviceName(QStringLiteral("COM10"));
    ASSERT_TRUE(test::OpenNow(port));
    const std::string sent = "\xFF\xFF\x02\x01\x01 arrives in receive events";
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(farEnd, sent.data(), static_cast<DWORD>(sent.size()), &written, 0));
    ASSERT_TRUE(WaitUntil([&] { return received.size() >= sent.size(); }));
    EXPECT_EQ(received, sent);
    EXPECT_EQ(counted, static_cast<std::int32_t>(sent.size()));
    ::CloseHandle(farEnd);

    // The event thread waits for the next event: Close ends that wait, not its 10 s time-out.
    QElapsedTimer closing;
    closing.start();
    port.Close();
    std::printf("close with a pending event wait: %lld ms\n", closing.elapsed());
    EXPECT_LT(closing.elapsed(), 5000);

    // A byte makes COM13's far end go away: the component closes itself, and the device is
    // missing until the line is back.
    port.setDeviceName(QStringLiteral("COM13"));
    ASSERT_TRUE(test::OpenNow(port));
    const std::uint8_t bye = '!';
    ASSERT_EQ(port._Write_(&bye, 1), 1);
    ASSERT_TRUE(WaitUntil([&] { return !port.Enabled(); }));
    ASSERT_TRUE(WaitUntil([&] { return !test::OpenNow(port); }));
    ASSERT_TRUE(port.OpenFailure().has_value());
    EXPECT_EQ(port.OpenFailure()->kind, PortFailure::Kind::kMissing);
    std::ofstream(std::getenv("ZORVA_LINE_BACK")).put('\n');
    EXPECT_TRUE(WaitUntil([&] { return test::OpenNow(port); }))
        << (port.OpenFailure() ? PortFailureLine(*port.OpenFailure()).toStdString()
                               : std::string("no open failure recorded"));
}

// A missing port is named once; a line the driver refuses (wine: 7 data bits, even as the only
// change) fails the open with the system's words instead of leaving a port at 8 bits.
TEST(TComm64UnderWine, ARefusedLineFailsTheOpenAndAMissingPortIsNamedOnce)
{
    TComm64 port;
    port.setDeviceName(QStringLiteral("COM77"));
    EXPECT_FALSE(test::OpenNow(port));
    ASSERT_TRUE(port.OpenFailure().has_value());
    EXPECT_EQ(PortFailureLine(*port.OpenFailure()).count(QStringLiteral("COM77")), 1);
    port.setDeviceName(QStringLiteral("COM10"));
    port.setDatabits(da7);
    ASSERT_FALSE(test::OpenNow(port));
    EXPECT_EQ(port.OpenFailure()->kind, PortFailure::Kind::kOther);
    EXPECT_FALSE(port.OpenFailure()->systemText.isEmpty());
}

} // namespace
} // namespace zorva

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
