// What the Windows layer does with drivers that misbehave: a refused raw block, event waits that
// keep ending with nothing, and a read cancelled at its bound. Wine shows only the last; the
// others are the layer's decisions, tested as the pure functions it makes them with. Under
// windows-serial.sh, COM1's far end is COM2.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <vector>
#include <windows.h>

#include "serial/platform/SerialDriverRulesWin.h"
#include "serial/platform/SerialPlatform.h"

namespace zorva::serial {
namespace {

using namespace std::chrono_literals;

// The second try after a refusal of the raw block, from a block full of another program's
// leftovers: flow control, null stripping, error replacement and abort-on-error are off all the
// same; only the limits and the special characters are the driver's.
TEST(SerialDriverCases, TheSecondTryKeepsOnlyTheDriversLimitsAndCharacters)
{
    DCB left{};
    std::memset(&left, 0xFF, sizeof left);
    left.DCBlength = sizeof left;
    left.fDtrControl = DTR_CONTROL_HANDSHAKE;
    left.fRtsControl = RTS_CONTROL_TOGGLE;
    const LineFields line{115200, 8, NOPARITY, ONESTOPBIT};
    const DCB b = RawLineBlockKeepingLimits(left, line);
    EXPECT_EQ(LineFieldsOf(b), line);
    EXPECT_EQ(b.fOutxCtsFlow | b.fOutxDsrFlow | b.fDsrSensitivity | b.fOutX | b.fInX |
                  b.fErrorChar | b.fNull | b.fAbortOnError | b.fParity,
              0u);
    EXPECT_EQ(b.fBinary + b.fTXContinueOnXoff + b.fDtrControl + b.fRtsControl, 4u);
    const auto limits = [](const DCB& d) {
        return std::tuple(d.XonLim, d.XoffLim, d.XonChar, d.XoffChar, d.ErrorChar, d.EofChar,
                          d.EvtChar);
    };
    EXPECT_EQ(limits(b), limits(left));
}

// One wait ended by a mask change is armed again; five in a row with nothing are a driver that
// completes every wait at once: a hang-up, not a loop at full speed. An event starts the count
// again. A read cancelled at its bound keeps what it moved; a write has failed.
TEST(SerialDriverCases, EmptyWaitsAndCancelledTransfers)
{
    const struct {
        std::vector<DWORD> ends; // the events each wait ended with
        bool hangUp;             // after the last
    } cases[] = {{{0, 0, 0, 0}, false},
                 {{0, 0, 0, 0, 0}, true},
                 {{0, 0, 0, 0, EV_RXCHAR, 0, 0, 0, 0}, false},
                 {{EV_RXCHAR, 0, 0, 0, 0, 0}, true}};
    for (const auto& c : cases) {
        EmptyWaits waits;
        bool hangUp = false;
        for (const DWORD events : c.ends) {
            hangUp = waits.HangUpAfter(events);
        }
        EXPECT_EQ(hangUp, c.hangUp) << c.ends.size();
    }
    EXPECT_EQ(CancelledTransferResult(true, 17), 17);
    EXPECT_EQ(CancelledTransferResult(true, 0) + CancelledTransferResult(false, 17), -2);
}

// Under wine: a read for more than comes, while a byte comes every 100 ms (never silent for the
// 250 ms that would end it), runs out of its bound and is cancelled; the bytes it had taken are
// returned, and with the next read every byte sent has arrived once.
TEST(SerialDriverCases, AReadCancelledAtItsBoundKeepsTheBytesItTook)
{
    if (std::getenv("ZORVA_WINE_PORTS") == nullptr) {
        GTEST_SKIP() << "COM ports are not mapped; run scripts/test.d/windows-serial.sh";
    }
    const HANDLE farEnd = ::CreateFileW(L"\\\\.\\COM2", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(farEnd, INVALID_HANDLE_VALUE) << ::GetLastError();
    auto port = OpenSerialPort("COM1");
    ASSERT_NE(port, nullptr);
    port->SetReadIntervalTimeout(250);
    ASSERT_TRUE(port->Purge(kPurgeRxAbort | kPurgeRxClear | kPurgeTxAbort | kPurgeTxClear));
    ::PurgeComm(farEnd, PURGE_RXCLEAR | PURGE_TXCLEAR);

    constexpr int kBytes = 20;
    std::thread trickle([farEnd] {
        for (int i = 0; i < kBytes; ++i) {
            DWORD written = 0;
            ::WriteFile(farEnd, "t", 1, &written, nullptr);
            std::this_thread::sleep_for(100ms);
        }
    });
    std::uint8_t buffer[100] = {};
    const int first = port->Read(buffer, 100, 1000);
    std::string got(buffer, buffer + std::max(first, 0));
    for (int n = 0; got.size() < kBytes && n >= 0;) {
        n = port->Read(buffer, 100, 5000);
        got.append(buffer, buffer + std::max(n, 0));
    }
    trickle.join();
    ::CloseHandle(farEnd);
    EXPECT_GT(first, 0);
    EXPECT_EQ(got, std::string(kBytes, 't'));
}

} // namespace
} // namespace zorva::serial
