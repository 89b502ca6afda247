// The POSIX serial layer on real pseudo-terminals: exclusive open, line settings, event wait.
#include "serial/platform/SerialPlatform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "PtyPair.h"

namespace zorva::serial {
namespace {

using test::PtyPair;
using Kind = WaitResult::Kind;

class SerialPlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok());
        port = OpenSerialPort(pty.Path());
        ASSERT_NE(port, nullptr);
    }

    // Waits until the device side holds `count` unread bytes; arrivals wake the waiter.
    bool QueuedWithin(EventWaiter& waiter, std::uint32_t count, std::chrono::milliseconds within)
    {
        const auto end = std::chrono::steady_clock::now() + within;
        while (port->ClearError().inQueue < count) {
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
            waiter.Wait(50);
        }
        return true;
    }

    PtyPair pty;
    std::unique_ptr<SerialPort> port;
};

TEST(SerialPlatformOpen, RefusesWhatIsNoSerialDevice)
{
    int error = 0;
    EXPECT_EQ(OpenSerialPort("/nonexistent/zorva-tty", &error), nullptr);
    EXPECT_EQ(error, ENOENT);

    char file[] = "/tmp/zorva-not-a-tty-XXXXXX";
    const int fd = ::mkstemp(file);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(OpenSerialPort(file, &error), nullptr);
    EXPECT_EQ(error, ENOTTY);
    ::close(fd);
    ::unlink(file);
}

TEST_F(SerialPlatformTest, SecondOpenFailsUntilTheFirstIsClosed)
{
    int error = 0;
    EXPECT_EQ(OpenSerialPort(pty.Path(), &error), nullptr);
    EXPECT_TRUE(error == EWOULDBLOCK || error == EBUSY) << error;

    port.reset();
    auto again = OpenSerialPort(pty.Path());
    EXPECT_NE(again, nullptr);
}

TEST_F(SerialPlatformTest, OpensInRawMode)
{
    const termios t = pty.DeviceTermios();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
}

// Every setter changes its own field of the line settings and nothing else. The
// pseudo-terminal driver keeps the speed, the stop bits and the parity kind (PARODD, CMSPAR),
// but forces 8 data bits and clears PARENB: for those only "nothing else changed" is checked.
TEST_F(SerialPlatformTest, EachSettingChangesOnlyItsOwnField)
{
    enum Outcome { kKept, kRefused, kDriverDecides };
    struct Case {
        const char* name;
        bool (*apply)(SerialPort&);
        tcflag_t cflagBits; // the bits it may change
        bool speedChanges;
        Outcome outcome;
    };
    const Case cases[] = {
        {"baud 115200", [](SerialPort& p) { return p.SetBaudRate(115200); }, CBAUD, true, kKept},
        {"baud 300", [](SerialPort& p) { return p.SetBaudRate(300); }, CBAUD, true, kKept},
        {"baud 12345", [](SerialPort& p) { return p.SetBaudRate(12345); }, 0, false, kRefused},
        {"parity odd", [](SerialPort& p) { return p.SetParity(1); }, PARENB | PARODD, false, kKept},
        {"parity even", [](SerialPort& p) { return p.SetParity(2); }, PARENB, false,
         kDriverDecides},
        {"parity mark", [](SerialPort& p) { return p.SetParity(3); }, PARENB | PARODD | CMSPAR,
         false, kKept},
        {"parity space", [](SerialPort& p) { return p.SetParity(4); }, PARENB | CMSPAR, false,
         kKept},
        {"parity 5", [](SerialPort& p) { return p.SetParity(5); }, 0, false, kRefused},
        {"stop 1.5 becomes 2", [](SerialPort& p) { return p.SetStopBits(1); }, CSTOPB, false,
         kKept},
        {"stop 2", [](SerialPort& p) { return p.SetStopBits(2); }, CSTOPB, false, kKept},
        {"stop 3", [](SerialPort& p) { return p.SetStopBits(3); }, 0, false, kRefused},
        {"7 bits", [](SerialPort& p) { return p.SetByteSize(7); }, CSIZE, false, kDriverDecides},
        {"4 bits", [](SerialPort& p) { return p.SetByteSize(4); }, 0, false, kRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The same starting point each time: 9600 bit/s, no parity, one stop bit, 8 bits.
        ASSERT_TRUE(port->SetBaudRate(9600));
        ASSERT_TRUE(port->SetParity(0));
        ASSERT_TRUE(port->SetStopBits(0));
        port->SetByteSize(8);
        const termios before = pty.DeviceTermios();

        const bool result = c.apply(*port);
        const termios after = pty.DeviceTermios();
        EXPECT_EQ(after.c_iflag, before.c_iflag);
        EXPECT_EQ(after.c_oflag, before.c_oflag);
        EXPECT_EQ(after.c_lflag, before.c_lflag);
        EXPECT_EQ(0, std::memcmp(after.c_cc, before.c_cc, sizeof before.c_cc));
        EXPECT_EQ((after.c_cflag ^ before.c_cflag) & ~c.cflagBits, 0u);
        if (c.outcome != kDriverDecides) {
            EXPECT_EQ(result, c.outcome == kKept);
            EXPECT_EQ(after.c_cflag != before.c_cflag, c.outcome == kKept);
            EXPECT_EQ(cfgetospeed(&after) != cfgetospeed(&before), c.speedChanges);
        }
    }
}

TEST_F(SerialPlatformTest, SettingValuesReachTheDevice)
{
    ASSERT_TRUE(port->SetBaudRate(57600));
    ASSERT_TRUE(port->SetParity(3));
    ASSERT_TRUE(port->SetStopBits(2));
    const termios t = pty.DeviceTermios();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));
    EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR), static_cast<tcflag_t>(PARODD | CMSPAR));
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
}

TEST_F(SerialPlatformTest, ReportsEachArrivalOnceAndNotTheBytesLeftUnread)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar | kEvTxEmpty);
    ASSERT_NE(waiter, nullptr);
    EXPECT_EQ(waiter->Wait(50).kind, Kind::kTimeout);

    ASSERT_TRUE(pty.Send("abc"));
    WaitResult r = waiter->Wait(5000);
    EXPECT_EQ(r.kind, Kind::kEvents);
    EXPECT_EQ(r.events, kEvRxChar);
    // The bytes stay unread: no new event until new bytes come.
    EXPECT_EQ(waiter->Wait(100).kind, Kind::kTimeout);
    ASSERT_TRUE(pty.Send("d"));
    r = waiter->Wait(5000);
    EXPECT_EQ(r.events, kEvRxChar);
    EXPECT_EQ(port->ClearError().inQueue, 4u);
}

TEST_F(SerialPlatformTest, ReportsTransmitterEmptyOnceAfterAWrite)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar | kEvTxEmpty);
    ASSERT_NE(waiter, nullptr);
    const std::uint8_t bytes[] = {1, 2, 3};
    ASSERT_EQ(port->Write(bytes, 3, 2000), 3);
    const WaitResult r = waiter->Wait(5000);
    EXPECT_EQ(r.kind, Kind::kEvents);
    EXPECT_EQ(r.events, kEvTxEmpty);
    EXPECT_EQ(waiter->Wait(50).kind, Kind::kTimeout);
    EXPECT_EQ(pty.Receive(3, std::chrono::seconds(5)), std::vector<std::uint8_t>({1, 2, 3}));
}

TEST_F(SerialPlatformTest, ReportsOnlyTheChosenEvents)
{
    auto waiter = port->CreateEventWaiter(kEvTxEmpty);
    ASSERT_TRUE(pty.Send("x"));
    EXPECT_EQ(waiter->Wait(100).kind, Kind::kTimeout);
}

TEST_F(SerialPlatformTest, CloseSignalEndsTheWaitAndStays)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar);
    ASSERT_TRUE(pty.Send("x"));
    waiter->Release();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waiter->Wait(10000).kind, Kind::kClosed);
    EXPECT_EQ(waiter->Wait(10000).kind, Kind::kClosed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(SerialPlatformTest, HangUpOfTheOtherSideIsReported)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar | kEvTxEmpty);
    pty.Hangup();
    EXPECT_EQ(waiter->Wait(5000).kind, Kind::kHangUp);
    // The read sees the hang-up itself rather than running into its own bound.
    std::uint8_t byte = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port->Read(&byte, 1, 2000), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}

TEST_F(SerialPlatformTest, QueueCountsAndPurge)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar);
    ASSERT_TRUE(pty.Send("hello"));
    ASSERT_TRUE(QueuedWithin(*waiter, 5, std::chrono::seconds(5)));
    const CommStatus status = port->ClearError();
    EXPECT_EQ(status.inQueue, 5u);
    EXPECT_EQ(status.outQueue, 0u);
    EXPECT_EQ(status.errors, 0u);
    EXPECT_FALSE(status.waitingForDsr);

    EXPECT_TRUE(port->Purge(kPurgeRxAbort | kPurgeRxClear));
    EXPECT_EQ(port->ClearError().inQueue, 0u);
}

// Pseudo-terminals have no modem lines: the driver refuses, and the result says so.
TEST_F(SerialPlatformTest, LineFunctionsThePseudoTerminalRefuses)
{
    for (LineFunction f : {LineFunction::kSetDtr, LineFunction::kClrDtr, LineFunction::kSetRts,
                           LineFunction::kClrRts}) {
        EXPECT_FALSE(port->Escape(f)) << static_cast<int>(f);
    }
    EXPECT_FALSE(port->ModemStatus().has_value());
}

TEST(SerialPlatformNames, ConventionalDevicePaths)
{
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"com2", "/dev/ttyS1"},
        {"Com12", "/dev/ttyS11"},
        {"COM0", "COM0"},
        {"COM", "COM"},
        {"COMX", "COMX"},
        {"COM1a", "COM1a"},
        {"LPT1", "LPT1"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"ttyACM0", "ttyACM0"},
        {"COM100", "/dev/ttyS99"},
        {"", ""},
    };
    for (const auto& [name, path] : cases) {
        EXPECT_EQ(ConventionalDevicePath(name), path) << name;
    }
    EXPECT_EQ(DevicePrefix(), "/dev/");
}

} // namespace
} // namespace zorva::serial
