// Windows serial devices through the communications API. Every transfer and the event wait are
// overlapped, so that a bounded wait can give up on them, and a transfer is always ended
// (completed or cancelled) before its buffer and its request are released; one that does not end
// even when cancelled keeps them for good. A device that has gone (a USB adapter pulled out)
// fails the pending wait; that is reported as a hang-up so that the component closes instead of
// arming a wait that fails again at once.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

#include "serial/platform/SerialDriverRulesWin.h"
#include "serial/platform/SerialPlatform.h"

namespace zorva::serial {
namespace {

// The interface's bit values are the communications API's own.
static_assert(kEvRxChar == EV_RXCHAR && kEvRxFlag == EV_RXFLAG && kEvTxEmpty == EV_TXEMPTY);
static_assert(kEvCts == EV_CTS && kEvDsr == EV_DSR && kEvRlsd == EV_RLSD);
static_assert(kEvBreak == EV_BREAK && kEvErr == EV_ERR && kEvRing == EV_RING);
static_assert(kCeRxOver == CE_RXOVER && kCeOverrun == CE_OVERRUN && kCeRxParity == CE_RXPARITY);
static_assert(kCeFrame == CE_FRAME && kCeBreak == CE_BREAK);
static_assert(kMsCtsOn == MS_CTS_ON && kMsDsrOn == MS_DSR_ON && kMsRingOn == MS_RING_ON &&
              kMsRlsdOn == MS_RLSD_ON);
static_assert(static_cast<DWORD>(LineFunction::kSetRts) == SETRTS &&
              static_cast<DWORD>(LineFunction::kClrRts) == CLRRTS &&
              static_cast<DWORD>(LineFunction::kSetDtr) == SETDTR &&
              static_cast<DWORD>(LineFunction::kClrDtr) == CLRDTR &&
              static_cast<DWORD>(LineFunction::kSetBreak) == SETBREAK &&
              static_cast<DWORD>(LineFunction::kClrBreak) == CLRBREAK);
static_assert(kPurgeTxAbort == PURGE_TXABORT && kPurgeRxAbort == PURGE_RXABORT &&
              kPurgeTxClear == PURGE_TXCLEAR && kPurgeRxClear == PURGE_RXCLEAR);

constexpr DWORD kEventsWanted =
    EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING;

// A manual-reset signal, closed with its owner.
class Signal {
public:
    explicit Signal(bool set)
        : handle_(::CreateEventW(nullptr, TRUE, set ? TRUE : FALSE, nullptr)),
          error_(handle_ ? 0 : ::GetLastError())
    {
    }
    ~Signal()
    {
        if (handle_) {
            ::CloseHandle(handle_);
        }
    }
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Why it could not be created; 0 when it was.
    DWORD error() const { return error_; }

private:
    HANDLE handle_;
    DWORD error_;
};

// Shared by a port and its waiter: a transfer that finds the device gone wakes the waiter.
struct PortState {
    Signal gone{false};
};

// The record a pending event wait writes into; it lives until the wait has ended.
struct WaitRecord {
    Signal completed{true};
    OVERLAPPED overlapped{};
    DWORD status = 0;
};

class WinEventWaiter final : public EventWaiter {
public:
    WinEventWaiter(HANDLE device, DWORD mask, std::shared_ptr<PortState> state)
        : device_(device), mask_(mask), state_(std::move(state)),
          record_(std::make_unique<WaitRecord>())
    {
        record_->overlapped.hEvent = record_->completed.get();
    }

    ~WinEventWaiter() override
    {
        if (!armed_) {
            return;
        }
        // Both, always: some drivers take the mask change without ending the pending wait, and
        // wine cannot cancel one. A wait that still does not end keeps its record: the driver
        // may yet write. The mask is the port's, so a port has one waiter at a time.
        ::SetCommMask(device_, 0);
        ::CancelIoEx(device_, &record_->overlapped);
        if (::WaitForSingleObject(record_->completed.get(), kEndWaitMs) != WAIT_OBJECT_0) {
            [[maybe_unused]] WaitRecord* kept = record_.release();
        }
    }

    // 0, or the system's error number for a signal that could not be created.
    DWORD Error() const { return closing_ ? record_->completed.error() : closing_.error(); }

    void Release() override { ::SetEvent(closing_.get()); }

    WaitResult Wait(int timeoutMs) override
    {
        using Clock = std::chrono::steady_clock;
        const auto end = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            // A wait armed in an earlier call stays armed: what it sees is reported now.
            if (!armed_ && mask_ != 0) {
                const WaitResult started = Arm();
                if (started.kind != WaitResult::Kind::kTimeout) {
                    return started;
                }
                if (!armed_) {
                    // Ended at once with nothing to report (a mask change): arm again.
                    if (Clock::now() >= end) {
                        return {WaitResult::Kind::kTimeout, 0};
                    }
                    continue;
                }
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            const HANDLE handles[] = {closing_.get(), state_->gone.get(), record_->completed.get()};
            const DWORD count = armed_ ? 3 : 2;
            const DWORD r = ::WaitForMultipleObjects(
                count, handles, FALSE, static_cast<DWORD>(std::max<long long>(left, 0)));
            if (r == WAIT_OBJECT_0) {
                return {WaitResult::Kind::kClosed, 0};
            }
            if (r == WAIT_OBJECT_0 + 1) {
                return {WaitResult::Kind::kHangUp, 0};
            }
            if (r == WAIT_OBJECT_0 + 2) {
                armed_ = false;
                DWORD ignored = 0;
                if (!::GetOverlappedResult(device_, &record_->overlapped, &ignored, FALSE)) {
                    return {WaitResult::Kind::kHangUp, 0};
                }
                const DWORD events = record_->status & mask_;
                if (emptyWaits_.HangUpAfter(events)) {
                    return {WaitResult::Kind::kHangUp, 0};
                }
                if (events != 0) {
                    return {WaitResult::Kind::kEvents, events};
                }
                // An empty mask: the wait was ended by a mask change; arm it again.
            } else if (r == WAIT_TIMEOUT) {
                return {WaitResult::Kind::kTimeout, 0};
            } else {
                return {WaitResult::Kind::kHangUp, 0};
            }
            if (Clock::now() >= end) {
                return {WaitResult::Kind::kTimeout, 0};
            }
        }
    }

private:
    static constexpr DWORD kEndWaitMs = 5000;

    // kTimeout: armed (or completed with nothing to report); anything else ends the Wait.
    WaitResult Arm()
    {
        record_->status = 0;
        ::ResetEvent(record_->completed.get());
        if (::WaitCommEvent(device_, &record_->status, &record_->overlapped)) {
            const DWORD events = record_->status & mask_;
            if (emptyWaits_.HangUpAfter(events)) {
                return {WaitResult::Kind::kHangUp, 0};
            }
            if (events != 0) {
                return {WaitResult::Kind::kEvents, events};
            }
            return {WaitResult::Kind::kTimeout, 0};
        }
        if (::GetLastError() == ERROR_IO_PENDING) {
            armed_ = true;
            return {WaitResult::Kind::kTimeout, 0};
        }
        // Arming again would fail again at once: the device cannot report events any more.
        return {WaitResult::Kind::kHangUp, 0};
    }

    HANDLE device_;
    DWORD mask_;
    std::shared_ptr<PortState> state_;
    std::unique_ptr<WaitRecord> record_;
    Signal closing_{false};
    bool armed_ = false;
    EmptyWaits emptyWaits_;
};

// One overlapped transfer with a request, a signal and a buffer of its own: the caller's bytes
// are copied in before a write and out after a read, so that a transfer that does not end can
// be abandoned together with everything the driver may still touch.
class Transfer {
public:
    explicit Transfer(int count) : buffer_(static_cast<std::size_t>(count))
    {
        overlapped_.hEvent = completed_.get();
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    std::uint8_t* data() { return buffer_.data(); }
    // The transfer did not end after it was cancelled: the driver may still use this object.
    bool Abandoned() const { return abandoned_; }

    // Result: the bytes transferred, or -1. `start` begins the transfer with the request. A
    // read that runs out of time keeps the bytes it had received when it was cancelled.
    template <typename Start>
    int Run(HANDLE device, int totalTimeoutMs, bool read, Start start, DWORD& error)
    {
        error = 0;
        if (!completed_) {
            error = completed_.error();
            return -1;
        }
        if (!start(&overlapped_)) {
            error = ::GetLastError();
            if (error != ERROR_IO_PENDING) {
                return -1;
            }
            error = 0;
            const DWORD bound = totalTimeoutMs < 0 ? INFINITE : static_cast<DWORD>(totalTimeoutMs);
            if (::WaitForSingleObject(completed_.get(), bound) != WAIT_OBJECT_0) {
                // Still running: cancel it and wait, within a bound, until it has let go.
                ::CancelIoEx(device, &overlapped_);
                if (::WaitForSingleObject(completed_.get(), kCancelledEndMs) != WAIT_OBJECT_0) {
                    abandoned_ = true;
                    return -1;
                }
                DWORD moved = 0;
                ::GetOverlappedResult(device, &overlapped_, &moved, FALSE);
                return CancelledTransferResult(read, moved);
            }
        }
        DWORD done = 0;
        if (!::GetOverlappedResult(device, &overlapped_, &done, FALSE)) {
            error = ::GetLastError();
            return -1;
        }
        return static_cast<int>(done);
    }

private:
    static constexpr DWORD kCancelledEndMs = 1000;

    std::vector<std::uint8_t> buffer_;
    Signal completed_{true};
    OVERLAPPED overlapped_{};
    bool abandoned_ = false;
};

class WinSerialPort final : public SerialPort {
public:
    WinSerialPort(HANDLE device, const LineFields& line)
        : device_(device), state_(std::make_shared<PortState>()), line_(line)
    {
    }
    ~WinSerialPort() override { ::CloseHandle(device_); }

    bool SetQueueSizes(int inputBytes, int outputBytes) override
    {
        return ::SetupComm(device_, static_cast<DWORD>(std::max(inputBytes, 0)),
                           static_cast<DWORD>(std::max(outputBytes, 0)));
    }

    // No overall time-out in the driver: the bounded transfers bound themselves.
    void SetReadIntervalTimeout(int ms) override
    {
        COMMTIMEOUTS t{};
        ::GetCommTimeouts(device_, &t);
        t.ReadIntervalTimeout = static_cast<DWORD>(std::max(ms, 0));
        t.ReadTotalTimeoutMultiplier = 0;
        t.ReadTotalTimeoutConstant = 0;
        t.WriteTotalTimeoutMultiplier = 0;
        t.WriteTotalTimeoutConstant = 0;
        ::SetCommTimeouts(device_, &t);
    }

    bool SetBaudRate(std::uint32_t bitsPerSecond) override
    {
        return Modify([&](LineFields& line) { line.baudRate = bitsPerSecond; });
    }
    bool SetParity(std::uint8_t code) override
    {
        return code <= SPACEPARITY && Modify([&](LineFields& line) { line.parity = code; });
    }
    bool SetStopBits(std::uint8_t code) override
    {
        return code <= TWOSTOPBITS && Modify([&](LineFields& line) { line.stopBits = code; });
    }
    bool SetByteSize(std::uint8_t bits) override
    {
        return bits >= 4 && bits <= 8 && Modify([&](LineFields& line) { line.byteSize = bits; });
    }
    int LineRefusal() const override { return static_cast<int>(refusal_); }

    std::unique_ptr<EventWaiter> CreateEventWaiter(std::uint32_t eventMask, int* error) override
    {
        const DWORD mask = eventMask & kEventsWanted;
        DWORD failure = ::SetCommMask(device_, mask) ? 0 : ::GetLastError();
        auto waiter = failure ? nullptr : std::make_unique<WinEventWaiter>(device_, mask, state_);
        if (waiter) {
            failure = waiter->Error();
        }
        if (failure == 0) {
            return waiter;
        }
        if (error) {
            *error = static_cast<int>(failure);
        }
        return nullptr;
    }

    CommStatus ClearError() override
    {
        CommStatus status;
        DWORD errors = 0;
        COMSTAT stat{};
        if (::ClearCommError(device_, &errors, &stat)) {
            status.errors = errors;
            status.inQueue = stat.cbInQue;
            status.outQueue = stat.cbOutQue;
            status.waitingForDsr = stat.fDsrHold;
        }
        return status;
    }

    std::optional<std::uint32_t> ModemStatus() override
    {
        DWORD lines = 0;
        if (!::GetCommModemStatus(device_, &lines)) {
            return std::nullopt;
        }
        return lines & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON);
    }

    bool Escape(LineFunction function) override
    {
        return ::EscapeCommFunction(device_, static_cast<DWORD>(function));
    }

    bool Purge(std::uint32_t flags) override { return ::PurgeComm(device_, flags); }

    int Read(std::uint8_t* buffer, int count, int totalTimeoutMs) override
    {
        if (count <= 0) {
            return 0;
        }
        auto transfer = std::make_unique<Transfer>(count);
        const int done = Run(*transfer, totalTimeoutMs, true, [&](OVERLAPPED* o) {
            return ::ReadFile(device_, transfer->data(), static_cast<DWORD>(count), nullptr, o);
        });
        if (transfer->Abandoned()) {
            [[maybe_unused]] Transfer* kept = transfer.release();
        } else if (done > 0) {
            std::memcpy(buffer, transfer->data(), static_cast<std::size_t>(done));
        }
        return done;
    }

    int Write(const std::uint8_t* buffer, int count, int totalTimeoutMs) override
    {
        if (count <= 0) {
            return 0;
        }
        auto transfer = std::make_unique<Transfer>(count);
        std::memcpy(transfer->data(), buffer, static_cast<std::size_t>(count));
        const int done = Run(*transfer, totalTimeoutMs, false, [&](OVERLAPPED* o) {
            return ::WriteFile(device_, transfer->data(), static_cast<DWORD>(count), nullptr, o);
        });
        if (transfer->Abandoned()) {
            [[maybe_unused]] Transfer* kept = transfer.release();
        }
        return done;
    }

private:
    // A transfer that fails because the device has gone, or that does not end even when
    // cancelled, leaves a device that will not serve again: the waiter reports a hang-up.
    template <typename Start>
    int Run(Transfer& transfer, int totalTimeoutMs, bool read, Start start)
    {
        DWORD error = 0;
        const int result = transfer.Run(device_, totalTimeoutMs, read, start, error);
        if (result < 0 && (DeviceGone(error) || transfer.Abandoned())) {
            ::SetEvent(state_->gone.get());
        }
        return result;
    }

    // One line setting changed, the whole raw block applied from the driver's; when the
    // driver refuses that, the raw block with the driver's own limits and characters; when it
    // refuses that too, its refusal stands (the component does not open the port). The line
    // settings kept are those last taken, so that a refused value is not carried into the next
    // change.
    template <typename Change> bool Modify(Change change)
    {
        LineFields line = line_;
        change(line);
        DCB driver{};
        driver.DCBlength = sizeof driver;
        bool applied = ::GetCommState(device_, &driver);
        if (applied) {
            DCB block = RawLineBlock(driver, line);
            applied = ::SetCommState(device_, &block);
            if (!applied) {
                block = RawLineBlockKeepingLimits(driver, line);
                applied = ::SetCommState(device_, &block);
            }
        }
        if (applied) {
            line_ = line;
            refusal_ = 0;
        } else {
            const DWORD error = ::GetLastError();
            refusal_ = error != 0 ? error : ERROR_GEN_FAILURE;
        }
        return applied;
    }

    HANDLE device_;
    std::shared_ptr<PortState> state_;
    LineFields line_;
    DWORD refusal_ = 0;
};

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    if (size > 0) {
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                              size);
    }
    return wide;
}

} // namespace

std::unique_ptr<SerialPort> OpenSerialPort(const std::string& path, int* error)
{
    const std::wstring name = Widen(path);
    const HANDLE device =
        ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_WRITE_THROUGH | FILE_FLAG_OVERLAPPED, nullptr);
    DWORD failure = device == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (device != INVALID_HANDLE_VALUE) {
        // Whatever has no device control block is no serial device; a handle without even a
        // file type has nothing behind it (wine's COM port mapped to a missing device).
        if (!::GetCommState(device, &dcb)) {
            failure = std::max<DWORD>(::GetLastError(), ERROR_INVALID_FUNCTION);
            ::SetLastError(NO_ERROR);
            if (::GetFileType(device) == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR) {
                failure = ERROR_DEV_NOT_EXIST;
            }
            ::CloseHandle(device);
        } else {
            // Raw at once, at the driver's speed; a refusal is the line settings' to report.
            DCB raw = RawLineBlock(dcb, LineFieldsOf(dcb));
            ::SetCommState(device, &raw);
        }
    }
    if (error) {
        *error = static_cast<int>(failure);
    }
    if (failure != 0) {
        return nullptr;
    }
    return std::make_unique<WinSerialPort>(device, LineFieldsOf(dcb));
}

OpenFailure DescribeOpenFailure(const std::string&, int error)
{
    OpenFailure failure;
    switch (static_cast<DWORD>(error)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
        failure.kind = OpenFailureKind::kMissing;
        break;
    // A COM port that another program holds is refused with "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        failure.kind = OpenFailureKind::kInUse;
        break;
    // What the line settings calls refuse is no serial device.
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        failure.kind = OpenFailureKind::kNotSerial;
        break;
    default:
        failure.kind = OpenFailureKind::kOther;
        break;
    }
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    if (length > 0 && text != nullptr) {
        failure.systemText.assign(text, length);
        while (!failure.systemText.empty() &&
               (failure.systemText.back() == '\n' || failure.systemText.back() == '\r' ||
                failure.systemText.back() == '.')) {
            failure.systemText.pop_back();
        }
    } else {
        failure.systemText = "error " + std::to_string(error);
    }
    if (text != nullptr) {
        ::LocalFree(text);
    }
    return failure;
}

// COM names are stable on Windows; there is nothing more lasting to name.
std::string PersistentDevicePath(const std::string& path)
{
    return path;
}

std::string DevicePrefix()
{
    return "\\\\.\\";
}

// COM names are the devices' own names on Windows.
std::string ConventionalDevicePath(const std::string& name)
{
    return name;
}

} // namespace zorva::serial
