// The Windows serial layer against real bytes: run under wine by windows-serial.sh, which maps
// COM ports to pseudo-terminals whose far ends it holds:
//   COM1 and COM10: one line; COM2: its far end, a second port (bytes cross both ways).
//   COM3: a line whose far end goes away when it receives a byte, and comes back soon after.
//   COM4: mapped to a device that does not exist.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

#include "serial/platform/SerialDriverRulesWin.h"
#include "serial/platform/SerialPlatform.h"

namespace zorva::serial {
namespace {

using Kind = WaitResult::Kind;
using namespace std::chrono_literals;

constexpr const char* kLine = "COM1";
constexpr const char* kFarEnd = "COM2";
constexpr const char* kVanishingLine = "COM3";
constexpr const char* kMissingDevice = "COM4";
// The same device as COM1 under a number that only the prefixed name reaches.
constexpr const char* kHighNumberedLine = "COM10";

bool PortsMapped()
{
    return std::getenv("ZORVA_WINE_PORTS") != nullptr;
}

bool UnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// A port opened directly (no overlapped transfers) to look at a device from outside the layer,
// or to drive the far end of a line.
class RawPort {
public:
    explicit RawPort(const std::string& name)
        : handle_(::CreateFileW(Wide("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, OPEN_EXISTING, 0, nullptr))
    {
        if (Ok()) {
            // Reads return what has come within 100 ms of the first byte; writes never wait
            // long on a pseudo-terminal.
            COMMTIMEOUTS t{};
            t.ReadIntervalTimeout = 100;
            t.ReadTotalTimeoutConstant = 100;
            ::SetCommTimeouts(handle_, &t);
        }
    }
    ~RawPort()
    {
        if (Ok()) {
            ::CloseHandle(handle_);
        }
    }
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return handle_; }

    DCB State() const
    {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        EXPECT_TRUE(::GetCommState(handle_, &dcb));
        return dcb;
    }

    bool Send(const std::string& text)
    {
        DWORD written = 0;
        return ::WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written,
                           nullptr) &&
               written == text.size();
    }

    // Collects bytes until `count` are there or the deadline passes.
    std::string Receive(std::size_t count, std::chrono::milliseconds within)
    {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + within;
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            char buffer[256];
            DWORD n = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - got.size(), 256));
            if (!::ReadFile(handle_, buffer, want, &n, nullptr)) {
                break;
            }
            got.append(buffer, n);
        }
        return got;
    }

    void Discard() { ::PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR); }

private:
    HANDLE handle_;
};

// Opens a port that may be coming back (its far end restarting); a device search like the
// component's periodic Open, bounded by a deadline.
std::unique_ptr<SerialPort> OpenWithin(const std::string& name, std::chrono::milliseconds within)
{
    const auto end = std::chrono::steady_clock::now() + within;
    for (;;) {
        auto port = OpenSerialPort("\\\\.\\" + name);
        if (port || std::chrono::steady_clock::now() >= end) {
            return port;
        }
        std::this_thread::sleep_for(50ms);
    }
}

class WinePorts : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PortsMapped()) {
            GTEST_SKIP() << "COM ports are not mapped; run scripts/test.d/windows-serial.sh";
        }
    }
};

// A line with its far end open, both queues empty, left by another program with software and
// hardware flow control on.
class LineTest : public WinePorts {
protected:
    void SetUp() override
    {
        WinePorts::SetUp();
        if (IsSkipped()) {
            return;
        }
        farEnd = std::make_unique<RawPort>(kFarEnd);
        ASSERT_TRUE(farEnd->Ok()) << ::GetLastError();
        {
            RawPort other(kLine);
            DCB dcb = other.State();
            dcb.fOutX = dcb.fInX = dcb.fOutxCtsFlow = TRUE;
            ASSERT_TRUE(::SetCommState(other.Handle(), &dcb));
        }
        port = OpenSerialPort(kLine);
        ASSERT_NE(port, nullptr);
        port->SetReadIntervalTimeout(250);
        ASSERT_TRUE(port->Purge(kPurgeRxAbort | kPurgeRxClear | kPurgeTxAbort | kPurgeTxClear));
        farEnd->Discard();
    }

    // Waits, with a deadline, until the layer sees `count` bytes queued; arrivals wake it.
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

    std::unique_ptr<RawPort> farEnd;
    std::unique_ptr<SerialPort> port;
};

// A block full of another program's leftovers: every field a raw line depends on is set, and
// output lines enabled or disabled stay so; the second try changes the four line fields alone.
TEST(SerialDriverRulesWin, TheRawBlockSetsEveryFieldOfARawLine)
{
    DCB left{};
    std::memset(&left, 0xFF, sizeof left); // every flag set, odd limits
    left.DCBlength = sizeof left;
    left.XonChar = left.XoffChar = 0;   // as some USB drivers report them
    for (BYTE control : {0, 1, 2, 3}) { // disable, enable, handshake, toggle (RTS only)
        left.fDtrControl = std::min<BYTE>(control, DTR_CONTROL_HANDSHAKE);
        left.fRtsControl = control;
        const LineFields line{115200, 7, BYTE(control == 0 ? NOPARITY : ODDPARITY), TWOSTOPBITS};
        const DCB b = RawLineBlock(left, line);
        EXPECT_EQ(LineFieldsOf(b), line);
        EXPECT_EQ(b.fBinary * 4 + b.fParity * 2 + b.fTXContinueOnXoff, control == 0 ? 5u : 7u);
        EXPECT_EQ(b.fOutxCtsFlow | b.fOutxDsrFlow | b.fDsrSensitivity | b.fOutX | b.fInX |
                      b.fErrorChar | b.fNull | b.fAbortOnError,
                  0u);
        EXPECT_EQ(b.fDtrControl * 4 + b.fRtsControl, control == 0 ? 0u : 5u) << int(control);
        EXPECT_EQ(b.wReserved | b.ErrorChar | b.EofChar | b.EvtChar, 0);
        EXPECT_EQ(b.XonChar * 256 + b.XoffChar, 0x1113);
        EXPECT_LE(std::max(b.XonLim, b.XoffLim), 1024); // a limit above the queue is refused
        const DCB plain = LineFieldsOnly(left, line);
        const DCB back = LineFieldsOnly(plain, LineFieldsOf(left));
        EXPECT_TRUE(LineFieldsOf(plain) == line && std::memcmp(&back, &left, sizeof left) == 0);
    }
    EXPECT_TRUE(DeviceGone(ERROR_DEV_NOT_EXIST) && DeviceGone(433));
}

TEST(SerialPlatformWinNames, ComNamesAreUsedAsTheyAre)
{
    for (const char* name : {"COM1", "com2", "COM10", "\\\\.\\COM3", "", "/dev/ttyS0"}) {
        EXPECT_EQ(ConventionalDevicePath(name), name);
    }
    EXPECT_EQ(DevicePrefix(), "\\\\.\\");
}

// The component opens the bare name first and the prefixed one only if that fails; numbers
// above 9 exist only under the prefix. Wine opens a port mapped to a missing device: not present.
TEST_F(WinePorts, OpensByTheBareOrThePrefixedName)
{
    struct Case {
        std::string name;
        bool opens;
        DWORD error;
    };
    const Case cases[] = {
        {kLine, true, 0},
        {DevicePrefix() + kLine, true, 0},
        {kHighNumberedLine, false, ERROR_FILE_NOT_FOUND},
        {DevicePrefix() + kHighNumberedLine, true, 0},
        {DevicePrefix() + "COM77", false, ERROR_FILE_NOT_FOUND},
        {kMissingDevice, false, ERROR_DEV_NOT_EXIST},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int error = -1;
        auto port = OpenSerialPort(c.name, &error);
        EXPECT_EQ(port != nullptr, c.opens);
        EXPECT_EQ(static_cast<DWORD>(error), c.error);
    }
}

TEST_F(WinePorts, RefusesAFileThatIsNoSerialDevice)
{
    wchar_t folder[MAX_PATH];
    wchar_t file[MAX_PATH];
    ASSERT_NE(::GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(::GetTempFileNameW(folder, L"zsp", 0, file), 0u);
    std::string name;
    for (const wchar_t* p = file; *p; ++p) {
        name.push_back(static_cast<char>(*p));
    }
    int error = 0;
    EXPECT_EQ(OpenSerialPort(name, &error), nullptr);
    EXPECT_NE(error, 0);
    ::DeleteFileW(file);
}

TEST_F(WinePorts, SecondOpenFailsUntilTheFirstIsClosed_WineSharesSerialDevices)
{
    if (UnderWine()) {
        GTEST_SKIP() << "wine opens a serial device a second time despite share mode 0";
    }
    auto first = OpenSerialPort(kLine);
    ASSERT_NE(first, nullptr);
    int error = 0;
    EXPECT_EQ(OpenSerialPort(kLine, &error), nullptr);
    // Windows answers "access denied" for a port in use; wine "sharing violation".
    EXPECT_TRUE(error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) << error;
    // Another name of the same device is the same device.
    EXPECT_EQ(OpenSerialPort(DevicePrefix() + kHighNumberedLine), nullptr);
    first.reset();
    EXPECT_NE(OpenSerialPort(kLine), nullptr);
}

// Each setting is one read-modify-write of its own field: the device control block is read back
// through a second handle after the layer has closed the port; the open clears flow control.
struct SettingCase {
    const char* name;
    bool (*apply)(SerialPort&);
    bool accepted;
    void (*expect)(DCB&); // puts the expected value into the block read before
    const char* skip;     // why wine on a pseudo-terminal cannot show it, or nullptr
};

const SettingCase kSettingCases[] = {
    {"Baud115200", [](SerialPort& p) { return p.SetBaudRate(115200); }, true,
     [](DCB& d) { d.BaudRate = 115200; }, nullptr},
    {"Baud300", [](SerialPort& p) { return p.SetBaudRate(300); }, true,
     [](DCB& d) { d.BaudRate = 300; }, nullptr},
    {"Baud57600", [](SerialPort& p) { return p.SetBaudRate(57600); }, true,
     [](DCB& d) { d.BaudRate = 57600; }, nullptr},
    {"StopBits2", [](SerialPort& p) { return p.SetStopBits(TWOSTOPBITS); }, true,
     [](DCB& d) { d.StopBits = TWOSTOPBITS; }, nullptr},
    {"StopBits1_5_WineReadsBackAs2", [](SerialPort& p) { return p.SetStopBits(ONE5STOPBITS); },
     true, [](DCB& d) { d.StopBits = ONE5STOPBITS; },
     "wine stores 1.5 stop bits as CSTOPB and reads them back as 2"},
    {"ParityOdd_PtyDropsParity", [](SerialPort& p) { return p.SetParity(ODDPARITY); }, true,
     [](DCB& d) { d.Parity = ODDPARITY; },
     "a pseudo-terminal clears PARENB: wine reads odd, mark and space back as 8, even as none"},
    {"ParitySpace_PtyDropsParity", [](SerialPort& p) { return p.SetParity(SPACEPARITY); }, true,
     [](DCB& d) { d.Parity = SPACEPARITY; },
     "a pseudo-terminal clears PARENB: wine reads odd, mark and space back as 8, even as none"},
    {"ByteSize7_PtyForcesEightBits", [](SerialPort& p) { return p.SetByteSize(7); }, true,
     [](DCB& d) { d.ByteSize = 7; },
     "a pseudo-terminal keeps 8 data bits: wine's SetCommState fails with error 87"},
    {"Parity5Refused", [](SerialPort& p) { return p.SetParity(5); }, false, [](DCB&) {}, nullptr},
    {"StopBits3Refused", [](SerialPort& p) { return p.SetStopBits(3); }, false, [](DCB&) {},
     nullptr},
    {"ByteSize9Refused", [](SerialPort& p) { return p.SetByteSize(9); }, false, [](DCB&) {},
     nullptr},
};

class LineSettingTest : public WinePorts, public ::testing::WithParamInterface<SettingCase> {};

void ExpectSameBlock(const DCB& a, const DCB& b)
{
    EXPECT_EQ(a.BaudRate, b.BaudRate);
    EXPECT_EQ(a.ByteSize, b.ByteSize);
    EXPECT_EQ(a.Parity, b.Parity);
    EXPECT_EQ(a.StopBits, b.StopBits);
    EXPECT_EQ(a.fBinary, b.fBinary);
    EXPECT_EQ(a.fParity, b.fParity);
    EXPECT_EQ(a.fOutxCtsFlow, b.fOutxCtsFlow);
    EXPECT_EQ(a.fOutxDsrFlow, b.fOutxDsrFlow);
    EXPECT_EQ(a.fDtrControl, b.fDtrControl);
    EXPECT_EQ(a.fRtsControl, b.fRtsControl);
    EXPECT_EQ(a.fOutX, b.fOutX);
    EXPECT_EQ(a.fInX, b.fInX);
    EXPECT_EQ(a.XonChar, b.XonChar);
    EXPECT_EQ(a.XoffChar, b.XoffChar);
    EXPECT_EQ(a.EofChar, b.EofChar);
    EXPECT_EQ(a.EvtChar, b.EvtChar);
}

TEST_P(LineSettingTest, ChangesOnlyItsOwnField)
{
    const SettingCase& c = GetParam();
    if (c.skip) {
        GTEST_SKIP() << c.skip;
    }
    DCB before{};
    {
        // The same starting point each time: 9600 bit/s, 8 bits, no parity, one stop bit,
        // software and hardware flow control on, and the two flow characters equal (which
        // Windows would refuse).
        RawPort raw(kLine);
        ASSERT_TRUE(raw.Ok());
        DCB dcb = raw.State();
        dcb.BaudRate = 9600;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fOutX = dcb.fInX = dcb.fOutxCtsFlow = TRUE;
        dcb.XonChar = dcb.XoffChar = 0;
        ASSERT_TRUE(::SetCommState(raw.Handle(), &dcb));
        before = raw.State();
        ASSERT_TRUE(before.fOutX && before.fInX && before.fOutxCtsFlow);
    }
    {
        auto port = OpenSerialPort(kLine);
        ASSERT_NE(port, nullptr);
        EXPECT_EQ(c.apply(*port), c.accepted);
    }
    RawPort raw(kLine);
    ASSERT_TRUE(raw.Ok());
    DCB expected = before;
    expected.fOutX = expected.fInX = expected.fOutxCtsFlow = FALSE;
    expected.XonChar = 0x11;
    expected.XoffChar = 0x13;
    expected.EofChar = 0;
    c.expect(expected);
    ExpectSameBlock(raw.State(), expected);
}

INSTANTIATE_TEST_SUITE_P(Wine, LineSettingTest, ::testing::ValuesIn(kSettingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineTest, QueueSizesAndLineFunctions)
{
    EXPECT_TRUE(port->SetQueueSizes(1024, 1024));
    for (LineFunction f : {LineFunction::kSetBreak, LineFunction::kClrBreak}) {
        EXPECT_TRUE(port->Escape(f)) << static_cast<int>(f);
    }
    EXPECT_TRUE(port->ModemStatus().has_value());
}

// The harness wires each line's inputs to its outputs (a loopback plug: DTR to DSR and RLSD,
// RTS to CTS), so the line functions read back through the modem status.
TEST_F(LineTest, OutputLinesReadBackThroughTheModemStatus)
{
    struct Case {
        LineFunction dtr, rts;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {LineFunction::kClrDtr, LineFunction::kClrRts, 0},
        {LineFunction::kSetDtr, LineFunction::kClrRts, kMsDsrOn | kMsRlsdOn},
        {LineFunction::kClrDtr, LineFunction::kSetRts, kMsCtsOn},
        {LineFunction::kSetDtr, LineFunction::kSetRts, kMsDsrOn | kMsRlsdOn | kMsCtsOn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_TRUE(port->Escape(c.dtr));
        EXPECT_TRUE(port->Escape(c.rts));
        EXPECT_EQ(port->ModemStatus(), std::optional<std::uint32_t>(c.expected));
    }
}

TEST_F(LineTest, ModemLineChangesAreEvents)
{
    struct Case {
        LineFunction function;
        std::uint32_t event;
    };
    const Case cases[] = {
        {LineFunction::kSetRts, kEvCts},
        {LineFunction::kClrRts, kEvCts},
        {LineFunction::kSetDtr, kEvDsr | kEvRlsd},
        {LineFunction::kClrDtr, kEvDsr | kEvRlsd},
    };
    ASSERT_TRUE(port->Escape(LineFunction::kClrRts));
    ASSERT_TRUE(port->Escape(LineFunction::kClrDtr));
    auto waiter = port->CreateEventWaiter(kEvCts | kEvDsr | kEvRlsd);
    ASSERT_NE(waiter, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.function));
        EXPECT_EQ(waiter->Wait(0).kind, Kind::kTimeout);
        ASSERT_TRUE(port->Escape(c.function));
        const WaitResult r = waiter->Wait(30000);
        EXPECT_EQ(r.kind, Kind::kEvents);
        EXPECT_EQ(r.events, c.event);
    }
}

TEST_F(LineTest, ReceiveEventCarriesTheBytesQueued)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar | kEvTxEmpty);
    ASSERT_NE(waiter, nullptr);
    EXPECT_EQ(waiter->Wait(0).kind, Kind::kTimeout);

    ASSERT_TRUE(farEnd->Send("hello"));
    const WaitResult r = waiter->Wait(30000);
    ASSERT_EQ(r.kind, Kind::kEvents);
    EXPECT_EQ(r.events, kEvRxChar);
    ASSERT_TRUE(QueuedWithin(*waiter, 5, 30s));
    const CommStatus status = port->ClearError();
    EXPECT_EQ(status.inQueue, 5u);
    EXPECT_EQ(status.outQueue, 0u);
    EXPECT_EQ(status.errors, 0u);
    EXPECT_FALSE(status.waitingForDsr);

    std::uint8_t buffer[5] = {};
    ASSERT_EQ(port->Read(buffer, 5, 30000), 5);
    EXPECT_EQ(std::string(buffer, buffer + 5), "hello");
    EXPECT_EQ(port->ClearError().inQueue, 0u);
}

TEST_F(LineTest, ReportsOnlyTheChosenEvents)
{
    auto waiter = port->CreateEventWaiter(kEvTxEmpty);
    ASSERT_NE(waiter, nullptr);
    EXPECT_EQ(waiter->Wait(0).kind, Kind::kTimeout);
    ASSERT_TRUE(farEnd->Send("x"));
    ASSERT_TRUE(QueuedWithin(*waiter, 1, 30s));
    EXPECT_EQ(waiter->Wait(200).kind, Kind::kTimeout);
}

TEST_F(LineTest, TransmitterEmptyAfterAWrite)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar | kEvTxEmpty);
    ASSERT_NE(waiter, nullptr);
    EXPECT_EQ(waiter->Wait(0).kind, Kind::kTimeout);
    const std::uint8_t bytes[] = {'a', 'b', 'c'};
    ASSERT_EQ(port->Write(bytes, 3, 30000), 3);
    const WaitResult r = waiter->Wait(30000);
    EXPECT_EQ(r.kind, Kind::kEvents);
    EXPECT_EQ(r.events, kEvTxEmpty);
    EXPECT_EQ(farEnd->Receive(3, 30s), "abc");
}

TEST_F(LineTest, WritesReachTheFarEnd)
{
    const std::string frame = "\xff\xff\x02\x01\x01";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame.data());
    EXPECT_EQ(port->Write(bytes, 5, 30000), 5);
    EXPECT_EQ(port->Write(bytes, 0, 30000), 0);
    EXPECT_EQ(port->Write(bytes, 5, -1), 5);
    EXPECT_EQ(farEnd->Receive(10, 30s), frame + frame);
}

// Every byte value crosses both ways: the flow control left on is off once the port is open.
TEST_F(LineTest, EveryByteValueCrossesBothWays)
{
    std::string all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(all.data());
    ASSERT_TRUE(farEnd->Send(all));
    std::vector<std::uint8_t> got(256);
    EXPECT_EQ(port->Read(got.data(), 256, 30000), 256);
    EXPECT_EQ(got, std::vector<std::uint8_t>(bytes, bytes + 256));
    EXPECT_EQ(port->Write(bytes, 256, 30000), 256);
    EXPECT_EQ(farEnd->Receive(256, 30s), all);
}

// A read for more than comes returns what came once the line has been silent for 250 ms.
TEST_F(LineTest, ReadEndsWhenTheLineFallsSilent)
{
    ASSERT_TRUE(farEnd->Send("abc"));
    std::uint8_t buffer[10] = {};
    EXPECT_EQ(port->Read(buffer, 10, 30000), 3);
    EXPECT_EQ(std::string(buffer, buffer + 3), "abc");
}

// The bounded read gives up, and the cancelled read neither takes later bytes nor writes into
// its buffer after it has returned.
TEST_F(LineTest, ReadGivesUpAfterItsBoundAndLetsGoOfTheBuffer)
{
    std::vector<std::uint8_t> first(10, 0xEE);
    EXPECT_EQ(port->Read(first.data(), 10, 2000), -1);

    ASSERT_TRUE(farEnd->Send("xyz"));
    std::uint8_t second[3] = {};
    EXPECT_EQ(port->Read(second, 3, 30000), 3);
    EXPECT_EQ(std::string(second, second + 3), "xyz");
    EXPECT_EQ(first, std::vector<std::uint8_t>(10, 0xEE));
}

// A write the far end does not take in time gives up; the line stays usable afterwards.
TEST_F(LineTest, WriteGivesUpAfterItsBound)
{
    const std::vector<std::uint8_t> flood(1 << 20, 'w');
    EXPECT_EQ(port->Write(flood.data(), static_cast<int>(flood.size()), 2000), -1);

    // What had left before the write was cancelled arrives, and nothing more.
    std::size_t arrived = 0;
    for (std::string part; !(part = farEnd->Receive(1 << 16, 1000ms)).empty();) {
        arrived += part.size();
    }
    EXPECT_LT(arrived, flood.size());
    const std::uint8_t bytes[] = {'o', 'k'};
    EXPECT_EQ(port->Write(bytes, 2, 30000), 2);
    EXPECT_EQ(farEnd->Receive(2, 30s), "ok");
}

TEST_F(LineTest, PurgeDiscardsTheInputQueue)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar);
    ASSERT_NE(waiter, nullptr);
    ASSERT_TRUE(farEnd->Send("stale"));
    ASSERT_TRUE(QueuedWithin(*waiter, 5, 30s));

    EXPECT_TRUE(port->Purge(kPurgeRxAbort | kPurgeRxClear));
    EXPECT_EQ(port->ClearError().inQueue, 0u);
    ASSERT_TRUE(farEnd->Send("z"));
    std::uint8_t byte = 0;
    EXPECT_EQ(port->Read(&byte, 1, 30000), 1);
    EXPECT_EQ(byte, 'z');
}

TEST_F(LineTest, CloseSignalEndsAPendingWaitAndStays)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar);
    ASSERT_NE(waiter, nullptr);
    auto pending = std::async(std::launch::async, [&] { return waiter->Wait(60000).kind; });
    // The wait is armed and blocked before the close signal comes, or returns at once after.
    EXPECT_EQ(pending.wait_for(100ms), std::future_status::timeout);
    waiter->Release();
    ASSERT_EQ(pending.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(pending.get(), Kind::kClosed);
    EXPECT_EQ(waiter->Wait(60000).kind, Kind::kClosed);
}

// A waiter destroyed with its wait armed cancels it; the port then closes and opens again, and a
// new waiter sees new bytes.
TEST_F(LineTest, WaiterWithAnArmedWaitCanGo)
{
    auto waiter = port->CreateEventWaiter(kEvRxChar);
    ASSERT_NE(waiter, nullptr);
    EXPECT_EQ(waiter->Wait(0).kind, Kind::kTimeout);
    waiter.reset();
    port.reset();

    port = OpenSerialPort(kLine);
    ASSERT_NE(port, nullptr);
    waiter = port->CreateEventWaiter(kEvRxChar);
    ASSERT_NE(waiter, nullptr);
    ASSERT_TRUE(farEnd->Send("n"));
    EXPECT_EQ(waiter->Wait(30000).events, kEvRxChar);
}

// The line's far end goes away when it receives a byte, as a USB adapter that is pulled out:
// the armed wait reports a hang-up (no events, no spinning), transfers fail, and the device can
// be opened again once it is back.
TEST_F(WinePorts, FarEndGoingAwayIsAHangUp)
{
    auto port = OpenWithin(kVanishingLine, 30s);
    ASSERT_NE(port, nullptr);
    auto waiter = port->CreateEventWaiter(kEvRxChar | kEvTxEmpty);
    ASSERT_NE(waiter, nullptr);
    EXPECT_EQ(waiter->Wait(0).kind, Kind::kTimeout);
    const std::uint8_t bye = '!';
    ASSERT_EQ(port->Write(&bye, 1, 30000), 1);

    WaitResult r = waiter->Wait(60000);
    if (r.kind == Kind::kEvents) {
        EXPECT_EQ(r.events, kEvTxEmpty); // the byte left before the far end went
        r = waiter->Wait(60000);
    }
    EXPECT_EQ(r.kind, Kind::kHangUp);
    std::uint8_t byte = 0;
    EXPECT_EQ(port->Read(&byte, 1, 2000), -1);
    waiter.reset();
    port.reset();

    EXPECT_NE(OpenWithin(kVanishingLine, 30s), nullptr);
}

} // namespace
} // namespace zorva::serial
