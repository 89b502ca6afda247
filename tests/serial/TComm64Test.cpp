// The serial port component on real pseudo-terminals with a running Qt event loop.
#include "serial/TComm64.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <tuple>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "PtyPair.h"
#include "serial/platform/SerialPlatform.h"
#include "support/OpenNow.h"

namespace zorva {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using test::PtyPair;

std::vector<std::uint8_t> Bytes(const char* text)
{
    return std::vector<std::uint8_t>(text, text + std::char_traits<char>::length(text));
}

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Counts the queued calls that reach an object (the event thread's wake-ups) and lets a test
// act at that moment, while the event thread is blocked in its hand-over.
class WakeObserver : public QObject {
public:
    int wakes = 0;
    std::function<bool()> onWake; // returns true to swallow the wake-up

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MetaCall) {
            return false;
        }
        ++wakes;
        return onWake ? onWake() : false;
    }
};

class TComm64Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok());
        ASSERT_TRUE(dir.isValid());
        port.setDeviceName(QString::fromStdString(pty.Path()));
    }
    void TearDown() override
    {
        port.Close();
        Settings().remove(QStringLiteral("ports"));
        Settings().sync();
    }

    static QSettings& Settings()
    {
        static QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        return settings;
    }
    static void SetAlias(const QString& name, const QString& path)
    {
        Settings().setValue(QStringLiteral("ports/") + name, path);
        Settings().sync();
    }
    // Points a stable link at a device, as udev does for an adapter.
    QString LinkTo(const std::string& device)
    {
        const QString link = dir.filePath(QStringLiteral("zorva.tty"));
        const QString next = link + QStringLiteral(".new");
        std::filesystem::remove(next.toStdString());
        std::filesystem::create_symlink(device, next.toStdString());
        std::filesystem::rename(next.toStdString(), link.toStdString());
        return link;
    }
    static bool WaitUntil(const std::function<bool()>& done, int ms = 5000)
    {
        return QTest::qWaitFor(done, ms);
    }
    // Reads what each receive event announces and keeps it.
    void ReceiveInto(std::vector<std::uint8_t>& received)
    {
        port.setOnRxCharSignal([this, &received](QObject*, std::int32_t Count) {
            std::vector<std::uint8_t> buffer(static_cast<std::size_t>(Count));
            const int n = port._Read_(buffer.data(), Count);
            ASSERT_EQ(n, Count);
            received.insert(received.end(), buffer.begin(), buffer.begin() + n);
        });
    }

    PtyPair pty;
    QTemporaryDir dir;
    TComm64 port;
};

TEST(TComm64Values, ConstructionAndMainWindowValues)
{
    TComm64 c;
    EXPECT_EQ(c.DeviceName(), QStringLiteral("COM2"));
    EXPECT_EQ(c.BaudRate(), cbr2400);
    EXPECT_EQ(c.Parity(), paNone);
    EXPECT_EQ(c.Stopbits(), sb1_0);
    EXPECT_EQ(c.Databits(), da8);
    EXPECT_EQ(c.MonitorEvents().Bits(), 0x01FF);
    EXPECT_EQ(c.ReadBufferSize(), 1024);
    EXPECT_EQ(c.WriteBufferSize(), 1024);
    EXPECT_FALSE(c.Enabled());
    EXPECT_FALSE(c.OnRxCharSignal());
    EXPECT_FALSE(c.OnTxEmptySignal());

    c.setDeviceName(QStringLiteral("COM5"));
    c.setBaudRate(cbr300);
    ApplyPortRSDefaults(c);
    EXPECT_EQ(c.DeviceName(), QStringLiteral("COM2"));
    EXPECT_EQ(c.BaudRate(), cbr115200);
    EXPECT_EQ(c.Parity(), paNone);
    EXPECT_EQ(c.Stopbits(), sb1_0);
    EXPECT_EQ(c.Databits(), da8);
    EXPECT_EQ(c.MonitorEvents(), TC32EventType({evRxChar, evTxEmpty}));
    EXPECT_EQ(LineEventMask(c.MonitorEvents()), 0x0005u);
    EXPECT_EQ(c.ReadBufferSize(), 1024);
    EXPECT_EQ(c.WriteBufferSize(), 1024);
}

TEST(TComm64Texts, ErrorTextsMatchSingleCodesOnly)
{
    const std::pair<std::int32_t, const char*> cases[] = {
        {0x0001, "An input buffer overflow has occurred."},
        {0x0002, "A character-buffer overrun has occurred. The next character is lost."},
        {0x0004, "The hardware detected a parity error."},
        {0x0008, "The hardware detected a framing error."},
        {0x0010, "The hardware detected a break condition."},
        {0x0100, "The application tried to transmit a character, but the output buffer was "
                 "full."},
        {0x0200, "Windows 95 only: A time-out occurred on a parallel device."},
        {0x0400, "An I/O error occurred during communications with the device."},
        {0x0800, "Windows 95 only: A parallel device is not selected."},
        {0x1000, "Windows 95 only: A parallel device signaled that it is out of paper."},
        {0x8000, "The requested mode is not supported, or the hFile parameter is invalid. If "
                 "this value is specified, it is the only valid error."},
        {0x0003, "Unknown error"},
        {0, "Unknown error"},
        {-1, "Unknown error"},
        {0x0020, "Unknown error"},
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(TComm64::StrErrFlag(code).toStdString(), text) << code;
    }
}

TEST(TComm64Texts, StatusTextsInTheirFixedOrder)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x0005, "Receive character signalled.TX empty signalled."},
        {0x0000, ""},
        {0x0200, ""},
        {0x0040, "Break signalled."},
        {0x01FF, "Break signalled.CTS signalled.DSR signalled.Error signalled.Ring signalled."
                 "RLSD signalled.Receive character signalled.Receive flag signalled.TX empty "
                 "signalled."},
        {0x0028, "CTS signalled.RLSD signalled."},
    };
    for (const auto& [st, text] : cases) {
        EXPECT_EQ(TComm64::StrStatus(st).toStdString(), text) << st;
    }
}

TEST_F(TComm64Test, OpensByAliasByBarePathAndByTheDevicePrefix)
{
    const QString bare = QString::fromStdString(pty.Path());
    ASSERT_TRUE(bare.startsWith(QStringLiteral("/dev/")));
    SetAlias(QStringLiteral("COM7"), LinkTo(pty.Path()));
    const QString names[] = {
        QStringLiteral("COM7"), // alias
        QStringLiteral("com7"), // alias, other case
        bare,                   // the device itself
        bare.mid(5),            // "pts/N": only "/dev/" + name reaches it
    };
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        port.setDeviceName(name);
        test::OpenNow(port);
        ASSERT_TRUE(port.Enabled());
        const auto text = Bytes("ping");
        EXPECT_EQ(port._Write_(text.data(), 4), 4);
        EXPECT_EQ(pty.Receive(4, milliseconds(5000)), text);
        port.Close();
        EXPECT_FALSE(port.Enabled());
    }
}

TEST_F(TComm64Test, MissingDeviceLeavesItClosedWithoutError)
{
    SetAlias(QStringLiteral("COM8"), dir.filePath(QStringLiteral("absent.tty")));
    for (const QString& name :
         {QStringLiteral("COM8"), dir.filePath(QStringLiteral("none")), QStringLiteral("")}) {
        port.setDeviceName(name);
        EXPECT_NO_THROW(test::OpenNow(port));
        EXPECT_FALSE(port.Enabled());
        port.Close();
        EXPECT_FALSE(port.Enabled());
    }
    std::uint8_t byte = 0;
    EXPECT_EQ(port._Write_(&byte, 1), -1);
    EXPECT_EQ(port._Read_(&byte, 1), -1);
    EXPECT_FALSE(port.DTR(true));
    EXPECT_EQ(port.InQueCount(), 0);
}

TEST_F(TComm64Test, SecondOpenOfAnOpenDeviceFails)
{
    TComm64 other;
    other.setDeviceName(port.DeviceName());
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());
    test::OpenNow(other);
    EXPECT_FALSE(other.Enabled());
    port.Close();
    test::OpenNow(other);
    EXPECT_TRUE(other.Enabled());
}

TEST_F(TComm64Test, TransferResults)
{
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());
    std::uint8_t buffer[100] = {};

    EXPECT_EQ(port._Write_(buffer, 0), 0);
    EXPECT_EQ(port._Read_(buffer, 0), 0);
    EXPECT_EQ(port.Write(buffer, 0), 0);
    EXPECT_THROW(port._Write_(buffer, -1), std::out_of_range);
    EXPECT_THROW(port._Read_(buffer, -1), std::out_of_range);
    EXPECT_THROW(port.Write(buffer, -1), std::out_of_range);
    EXPECT_THROW(port.Read(buffer, -1), std::out_of_range);

    const auto frame = Bytes("\xFF\xFF\x02\x01\x01");
    EXPECT_EQ(port._Write_(frame.data(), 5), 5);
    EXPECT_EQ(port.Write(frame.data(), 5), 5);
    auto both = frame;
    both.insert(both.end(), frame.begin(), frame.end());
    EXPECT_EQ(pty.Receive(10, milliseconds(5000)), both);

    // The count is reached: the read ends at once.
    ASSERT_TRUE(pty.Send("12345"));
    EXPECT_EQ(port._Read_(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, buffer + 5), "12345");

    // Fewer bytes than asked for: they come back once the line is silent for 250 ms.
    ASSERT_TRUE(pty.Send("xyz"));
    auto start = Clock::now();
    EXPECT_EQ(port._Read_(buffer, 10), 3);
    EXPECT_GE(Clock::now() - start, milliseconds(240));
    EXPECT_EQ(std::string(buffer, buffer + 3), "xyz");
    ASSERT_TRUE(pty.Send("abc"));
    EXPECT_EQ(port.Read(buffer, 10), 3);

    // Nothing at all: -1 after 2000 ms.
    start = Clock::now();
    EXPECT_EQ(port._Read_(buffer, 10), -1);
    EXPECT_GE(Clock::now() - start, milliseconds(1900));
}

// A read that runs out of its 2000 ms while bytes keep coming keeps what it took off the line:
// nothing of the stream is lost.
TEST_F(TComm64Test, ReadThatNeverFallsSilentKeepsWhatCameWhenItsBoundRunsOut)
{
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());
    // One byte every 100 ms for three seconds: the line is never silent for 250 ms.
    std::thread trickle([this] {
        for (int i = 0; i < 30; ++i) {
            pty.Send("t");
            std::this_thread::sleep_for(milliseconds(100));
        }
    });
    std::uint8_t buffer[100] = {};
    std::string got;
    for (int n = 0; got.size() < 30 && n >= 0;) {
        n = port._Read_(buffer, 100);
        got.append(buffer, buffer + std::max(n, 0));
    }
    trickle.join();
    EXPECT_EQ(got, std::string(30, 't'));
}

TEST_F(TComm64Test, ReceiveEventsArriveOnTheUiThreadWithTheQueuedCount)
{
    std::vector<std::uint8_t> received;
    std::vector<std::int32_t> counts;
    bool onUiThread = true;
    port.setOnRxCharSignal([&](QObject* Sender, std::int32_t Count) {
        onUiThread = onUiThread && QThread::currentThread() == qApp->thread();
        EXPECT_EQ(Sender, &port);
        counts.push_back(Count);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(Count));
        EXPECT_EQ(port._Read_(buffer.data(), Count), Count);
        received.insert(received.end(), buffer.begin(), buffer.end());
    });
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());
    ASSERT_TRUE(pty.Send("hello world"));
    ASSERT_TRUE(WaitUntil([&] { return received.size() >= 11; }));
    EXPECT_EQ(received, Bytes("hello world"));
    EXPECT_TRUE(onUiThread);
    ASSERT_FALSE(counts.empty());
    EXPECT_GT(counts.front(), 0);
}

// Bytes that arrive and a write that drains while the event thread waits for a dispatch are
// reported together in the next event, receive character first.
TEST_F(TComm64Test, ReceiveCharacterComesBeforeTransmitterEmptyInOneEvent)
{
    ApplyPortRSDefaults(port);
    port.setDeviceName(QString::fromStdString(pty.Path()));
    WakeObserver observer;
    port.installEventFilter(&observer);
    std::vector<std::pair<std::string, int>> calls; // handler, wake-up it ran in
    port.setOnRxCharSignal([&](QObject*, std::int32_t Count) {
        calls.emplace_back("rx", observer.wakes);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(Count) + 1);
        port._Read_(buffer.data(), Count);
        if (calls.size() == 1) {
            // The event thread is blocked in this dispatch: queue new input and a write.
            ASSERT_TRUE(pty.Send("bc"));
            const auto end = Clock::now() + milliseconds(5000);
            while (port.InQueCount() < 2 && Clock::now() < end) {
                std::this_thread::yield();
            }
            const auto reply = Bytes("x");
            EXPECT_EQ(port._Write_(reply.data(), 1), 1);
        }
    });
    port.setOnTxEmptySignal([&](QObject*) { calls.emplace_back("tx", observer.wakes); });
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());
    ASSERT_TRUE(pty.Send("a"));
    ASSERT_TRUE(WaitUntil([&] { return calls.size() >= 3; }));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].first, "rx");
    EXPECT_EQ(calls[2].first, "tx");
    EXPECT_EQ(calls[1].second, calls[2].second);
    EXPECT_NE(calls[0].second, calls[1].second);
}

TEST_F(TComm64Test, SetterWhileOpenChangesOnlyItsOwnField)
{
    struct Case {
        const char* name;
        std::function<void(TComm64&)> apply;
        tcflag_t cflagBits;
    };
    const Case cases[] = {
        {"baud rate", [](TComm64& c) { c.setBaudRate(cbr9600); }, CBAUD},
        {"parity", [](TComm64& c) { c.setParity(paMark); }, PARENB | PARODD | CMSPAR},
        {"stop bits", [](TComm64& c) { c.setStopbits(sb2_0); }, CSTOPB},
        {"data bits", [](TComm64& c) { c.setDatabits(da7); }, CSIZE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TComm64 fresh;
        fresh.setDeviceName(port.DeviceName());
        test::OpenNow(fresh);
        ASSERT_TRUE(fresh.Enabled());
        const termios before = pty.DeviceTermios();
        c.apply(fresh);
        const termios after = pty.DeviceTermios();
        EXPECT_EQ(after.c_iflag, before.c_iflag);
        EXPECT_EQ(after.c_oflag, before.c_oflag);
        EXPECT_EQ(after.c_lflag, before.c_lflag);
        EXPECT_EQ((after.c_cflag ^ before.c_cflag) & ~c.cflagBits, 0u);
        if (c.cflagBits == CBAUD) {
            EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B9600));
        }
    }
    // While closed a setter only stores its value; Open applies it.
    test::OpenNow(port);
    port.Close();
    const termios closed = pty.DeviceTermios();
    const speed_t closedSpeed = cfgetospeed(&closed);
    port.setBaudRate(cbr57600);
    const termios stillClosed = pty.DeviceTermios();
    EXPECT_EQ(cfgetospeed(&stillClosed), closedSpeed);
    test::OpenNow(port);
    const termios opened = pty.DeviceTermios();
    EXPECT_EQ(cfgetospeed(&opened), static_cast<speed_t>(B57600));

    // So do the other settings. A Linux pseudo-terminal keeps CS8 and clears PARENB whatever
    // is set, so the parity is read back from PARODD and CMSPAR; the data bits not at all.
    for (const auto& [parity, stopbits, cflagBits] :
         {std::tuple{paOdd, sb2_0, tcflag_t{PARODD | CSTOPB}},
          std::tuple{paMark, sb1_0, tcflag_t{PARODD | CMSPAR}},
          std::tuple{paSpace, sb2_0, tcflag_t{CMSPAR | CSTOPB}}}) {
        port.Close();
        port.setParity(parity);
        port.setStopbits(stopbits);
        test::OpenNow(port);
        EXPECT_EQ(pty.DeviceTermios().c_cflag & (PARODD | CMSPAR | CSTOPB), cflagBits) << parity;
    }
}

TEST_F(TComm64Test, DispatchReadsTheLineStateFirstThenRunsTheHandlersInTheirOrder)
{
    using namespace serial;
    port.setMonitorEvents(TC32EventType()); // this test dispatches by itself
    QStringList calls;
    port.setOnRxCharSignal(
        [&](QObject*, std::int32_t n) { calls << QStringLiteral("rx %1").arg(n); });
    port.setOnRxFlagSignal([&](QObject*) { calls << QStringLiteral("rxflag"); });
    port.setOnCTSSignal([&](QObject*, bool on) { calls << QStringLiteral("cts %1").arg(on); });
    port.setOnBreakSignal([&](QObject*) { calls << QStringLiteral("break"); });
    port.setOnDSRSignal([&](QObject*, bool on) { calls << QStringLiteral("dsr %1").arg(on); });
    port.setOnErrorSignal(
        [&](QObject*, std::int32_t e) { calls << QStringLiteral("err %1").arg(e); });
    port.setOnRingSignal([&](QObject*) { calls << QStringLiteral("ring"); });
    port.setOnRLSDSignal([&](QObject*) { calls << QStringLiteral("rlsd"); });
    port.setOnTxEmptySignal([&](QObject*) { calls << QStringLiteral("txempty"); });
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());
    ASSERT_TRUE(pty.Send("abc"));
    ASSERT_TRUE(WaitUntil([&] { return port.InQueCount() == 3; }));

    struct Case {
        std::uint32_t flags;
        QStringList expected;
    };
    const std::uint32_t all = kEvRxChar | kEvRxFlag | kEvTxEmpty | kEvCts | kEvDsr | kEvRlsd |
                              kEvBreak | kEvErr | kEvRing;
    const Case cases[] = {
        // A pseudo-terminal has no modem status to read: the CTS handler is skipped.
        {all, {"rx 3", "rxflag", "break", "dsr 1", "err 0", "ring", "rlsd", "txempty"}},
        {kEvRing | kEvRxChar, {"rx 3", "ring"}},
        {kEvCts, {}},
    };
    for (const Case& c : cases) {
        calls.clear();
        port.DispatchSignal(nullptr, c.flags);
        EXPECT_EQ(calls, c.expected) << c.flags;
    }
}

TEST_F(TComm64Test, OpenOnAnOpenComponentRestartsWithTheNewSettings)
{
    std::vector<std::uint8_t> received;
    ReceiveInto(received);
    port.setMonitorEvents({evTxEmpty});
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());
    port.setMonitorEvents({evRxChar, evTxEmpty});
    test::OpenNow(port); // closes (the device is free again) and reopens with receive events on
    ASSERT_TRUE(port.Enabled());
    ASSERT_TRUE(pty.Send("again"));
    ASSERT_TRUE(WaitUntil([&] { return received.size() >= 5; }));
    EXPECT_EQ(received, Bytes("again"));
}

TEST_F(TComm64Test, CloseRightAfterOpenReturnsPromptly)
{
    for (int i = 0; i < 5; ++i) {
        test::OpenNow(port);
        ASSERT_TRUE(port.Enabled());
        const auto start = Clock::now();
        port.Close();
        EXPECT_LT(Clock::now() - start, milliseconds(1000));
        EXPECT_FALSE(port.Enabled());
    }
}

TEST_F(TComm64Test, CloseWhileTheThreadIsBlockedInAHandOverDiscardsIt)
{
    bool handled = false;
    port.setOnRxCharSignal([&](QObject*, std::int32_t) { handled = true; });
    WakeObserver observer;
    bool closed = false;
    auto closeTook = milliseconds::max();
    observer.onWake = [&] {
        // The event thread has posted this wake-up and waits for its dispatch.
        const auto start = Clock::now();
        port.Close();
        closeTook = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        closed = true;
        return false; // let the wake-up through: it must find nothing to run
    };
    ASSERT_TRUE(test::OpenNow(port));
    port.installEventFilter(&observer);
    ASSERT_TRUE(pty.Send("x"));
    ASSERT_TRUE(WaitUntil([&] { return closed; }));
    EXPECT_LT(closeTook, milliseconds(1000));
    EXPECT_FALSE(port.Enabled());
    QTest::qWait(50);
    EXPECT_FALSE(handled);
}

TEST_F(TComm64Test, CloseAndReopenInsideAHandler)
{
    int calls = 0;
    port.setOnRxCharSignal([&](QObject*, std::int32_t) {
        ++calls;
        port.Close();
        if (calls == 1) {
            port.Open();
        }
    });
    port.setOnTxEmptySignal([&](QObject*) {});
    test::OpenNow(port);
    ASSERT_TRUE(pty.Send("1"));
    ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
    EXPECT_TRUE(test::OpenNow(port)); // takes the open started in the handler
    ASSERT_TRUE(pty.Send("2"));
    ASSERT_TRUE(WaitUntil([&] { return calls == 2; }));
    EXPECT_FALSE(port.Enabled());
}

TEST_F(TComm64Test, DestroyedWhileOpenWithEventsPending)
{
    auto other = std::make_unique<TComm64>();
    other->setDeviceName(port.DeviceName());
    other->setOnRxCharSignal([](QObject*, std::int32_t) {});
    test::OpenNow(*other);
    ASSERT_TRUE(other->Enabled());
    ASSERT_TRUE(pty.Send("x"));
    ASSERT_TRUE(WaitUntil([&] { return other->InQueCount() > 0; }));
    other.reset();
    QTest::qWait(20); // a wake-up posted to the destroyed component must not be delivered
    test::OpenNow(port);
    EXPECT_TRUE(port.Enabled());
}

// With descriptors scarce the device opens while its event wait cannot be set up: the port stays
// closed with the system's words (so that the link tries again), never open and deaf.
TEST_F(TComm64Test, DeviceThatCannotWaitForEventsLeavesThePortClosed)
{
    std::vector<std::uint8_t> received;
    ReceiveInto(received);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> taken; // every descriptor, given back one at a time until the port opens
    for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;) {
        taken.push_back(fd);
    }
    for (; !port.Enabled() && !taken.empty(); taken.pop_back()) {
        ::close(taken.back());
        test::OpenNow(port);
        EXPECT_TRUE(port.Enabled() || (port.OpenFailure()->kind == PortFailure::Kind::kOther &&
                                       port.OpenFailure()->systemText == strerror(EMFILE)));
    }
    std::for_each(taken.begin(), taken.end(), ::close);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_TRUE(pty.Send("alive"));
    EXPECT_TRUE(WaitUntil([&] { return received.size() == 5; }));
}

TEST_F(TComm64Test, QueueCountsPurgeAndTheLinesAPseudoTerminalLacks)
{
    port.setMonitorEvents({});
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());
    ASSERT_TRUE(pty.Send("12345"));
    ASSERT_TRUE(WaitUntil([&] { return port.InQueCount() == 5; }));
    EXPECT_EQ(port.OutQueCount(), 0);
    port.PurgeIn();
    EXPECT_EQ(port.InQueCount(), 0);
    port.PurgeOut();
    EXPECT_EQ(port.OutQueCount(), 0);
    // The driver refuses the modem lines: false, and nothing raised.
    EXPECT_FALSE(port.DTR(true));
    EXPECT_FALSE(port.RTS(true));
    EXPECT_FALSE(port.DTR(false));
    EXPECT_FALSE(port.GetCTS());
}

// The other side goes away while the port is open: the event thread stops instead of spinning,
// the component closes itself, and the link's periodic Open finds the device when it is back.
TEST_F(TComm64Test, HangUpClosesThePortAndReopenFindsTheNewDevice)
{
    SetAlias(QStringLiteral("COM1"), LinkTo(pty.Path()));
    port.setDeviceName(QStringLiteral("COM1"));
    std::vector<std::uint8_t> received;
    ReceiveInto(received);
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());

    const double cpuBefore = CpuSeconds();
    pty.Hangup();
    // A measuring window in which the UI thread runs nothing: only the event thread could burn
    // CPU time here.
    std::this_thread::sleep_for(milliseconds(1500));
    EXPECT_LT(CpuSeconds() - cpuBefore, 0.5);

    ASSERT_TRUE(WaitUntil([&] { return !port.Enabled(); }));
    // A pulled adapter's stable link disappears with it (and the old terminal's number may
    // already belong to another program). The link's periodic step keeps trying meanwhile.
    std::filesystem::remove(dir.filePath(QStringLiteral("zorva.tty")).toStdString());
    const double cpuGone = CpuSeconds();
    for (int i = 0; i < 10; ++i) {
        test::OpenNow(port);
        EXPECT_FALSE(port.Enabled());
        QTest::qWait(100);
    }
    EXPECT_LT(CpuSeconds() - cpuGone, 0.5);

    PtyPair back;
    ASSERT_TRUE(back.Ok());
    LinkTo(back.Path());
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());
    ASSERT_TRUE(back.Send("back"));
    ASSERT_TRUE(WaitUntil([&] { return received.size() >= 4; }));
    EXPECT_EQ(received, Bytes("back"));
}

} // namespace
} // namespace zorva
