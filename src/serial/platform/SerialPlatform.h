// The operating system's serial interface, reduced to what the serial port component needs.
// One implementation per platform is chosen by CMake (SerialPlatformPosix.cpp here), so the
// component stays free of platform code. Plain C++: no Qt, no exceptions; failures are
// results (nullptr, false, -1).
//
// Bit values of events, errors, modem lines, line functions and purge flags are the same on
// every platform, so the component's tables and its handlers' arguments do not change with it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zorva::serial {

// Line events a wait can report.
inline constexpr std::uint32_t kEvRxChar = 0x0001; // a byte was received
inline constexpr std::uint32_t kEvRxFlag =
    0x0002; // the event character was received (never reported on POSIX)
inline constexpr std::uint32_t kEvTxEmpty = 0x0004; // the output queue has drained after a write
inline constexpr std::uint32_t kEvCts = 0x0008;
inline constexpr std::uint32_t kEvDsr = 0x0010;
inline constexpr std::uint32_t kEvRlsd = 0x0020;
inline constexpr std::uint32_t kEvBreak = 0x0040;
inline constexpr std::uint32_t kEvErr = 0x0080; // framing, overrun or parity error
inline constexpr std::uint32_t kEvRing = 0x0100;

// Line errors returned (and cleared) by ClearError.
inline constexpr std::uint32_t kCeRxOver = 0x0001;   // input buffer overflow
inline constexpr std::uint32_t kCeOverrun = 0x0002;  // character-buffer overrun
inline constexpr std::uint32_t kCeRxParity = 0x0004; // parity error
inline constexpr std::uint32_t kCeFrame = 0x0008;    // framing error
inline constexpr std::uint32_t kCeBreak = 0x0010;    // break detected

// Modem input lines reported by ModemStatus.
inline constexpr std::uint32_t kMsCtsOn = 0x0010;
inline constexpr std::uint32_t kMsDsrOn = 0x0020;
inline constexpr std::uint32_t kMsRingOn = 0x0040;
inline constexpr std::uint32_t kMsRlsdOn = 0x0080;

// Output line changes for Escape.
enum class LineFunction : std::uint8_t {
    kSetRts = 3,
    kClrRts = 4,
    kSetDtr = 5,
    kClrDtr = 6,
    kSetBreak = 8,
    kClrBreak = 9,
};

// Purge flags.
inline constexpr std::uint32_t kPurgeTxAbort = 0x0001;
inline constexpr std::uint32_t kPurgeRxAbort = 0x0002;
inline constexpr std::uint32_t kPurgeTxClear = 0x0004;
inline constexpr std::uint32_t kPurgeRxClear = 0x0008;

// Result of ClearError: the errors since the last call and the queue state.
struct CommStatus {
    std::uint32_t errors = 0;   // kCe... bits
    std::uint32_t inQueue = 0;  // bytes received and not yet read
    std::uint32_t outQueue = 0; // bytes written and not yet sent
    bool waitingForDsr = false; // transmission held by DSR flow control
};

struct WaitResult {
    enum class Kind {
        kEvents,  // `events` holds the kEv... bits that occurred; none: news for the component
                  // alone (a setting the server of a network port refused)
        kClosed,  // Release() was called
        kTimeout, // nothing happened within the time-out
        kHangUp,  // the device went away; further waits would report nothing useful
    };
    Kind kind = Kind::kTimeout;
    std::uint32_t events = 0;
};

// Waits for line events of one open device. Created by SerialPort::CreateEventWaiter; used by
// exactly one thread (the event thread), except Release, which any thread may call.
class EventWaiter {
public:
    virtual ~EventWaiter() = default;
    // Sets the close signal. It stays set: every later Wait returns kClosed at once.
    virtual void Release() = 0;
    // Waits at most timeoutMs for one of the chosen events, the close signal or a hang-up.
    // Events that occur while nobody waits are remembered and reported by the next Wait.
    virtual WaitResult Wait(int timeoutMs) = 0;
};

// One open serial device, used exclusively; closed when destroyed. All calls except Purge come
// from one thread (the user-interface thread); Purge may also come from the event thread.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Recommended sizes of the driver's queues.
    virtual bool SetQueueSizes(int inputBytes, int outputBytes) = 0;
    // A read ends when its count is reached or when more than `ms` pass between two bytes
    // after the first. 0: no interval limit.
    virtual void SetReadIntervalTimeout(int ms) = 0;

    // Each changes exactly one line setting of the device and leaves the others alone.
    virtual bool SetBaudRate(std::uint32_t bitsPerSecond) = 0;
    virtual bool SetParity(std::uint8_t code) = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    virtual bool SetStopBits(std::uint8_t code) = 0; // 0 one, 1 one and a half, 2 two
    virtual bool SetByteSize(std::uint8_t bits) = 0; // 4 to 8
    // The system's error number with which the driver refused the latest of these (even as a
    // change of its line fields alone, where the raw line is a block of many); 0 when it took
    // it. Where no driver refuses what the setters accept (POSIX), always 0.
    virtual int LineRefusal() const { return 0; }

    // A waiter reporting exactly the kEv... bits in eventMask; nullptr when the platform
    // cannot wait on this device, and *error (when given) then holds the system's error number.
    virtual std::unique_ptr<EventWaiter> CreateEventWaiter(std::uint32_t eventMask,
                                                           int* error = nullptr) = 0;

    // Returns and clears the line errors; returns the queue counts.
    virtual CommStatus ClearError() = 0;
    // kMs... bits; nothing when the driver cannot tell.
    virtual std::optional<std::uint32_t> ModemStatus() = 0;
    // False when the driver refuses the change.
    virtual bool Escape(LineFunction function) = 0;
    // kPurge... bits.
    virtual bool Purge(std::uint32_t flags) = 0;

    // Transfers up to count bytes (count >= 0). totalTimeoutMs < 0: no overall bound.
    // Result: the bytes transferred, or -1 when the transfer failed or the overall bound ran out.
    // A read whose bound runs out keeps what it received: those bytes, -1 only for none.
    virtual int Read(std::uint8_t* buffer, int count, int totalTimeoutMs) = 0;
    virtual int Write(const std::uint8_t* buffer, int count, int totalTimeoutMs) = 0;
};

// Opens an existing device for exclusive reading and writing in raw mode. nullptr when it does
// not exist, is not a serial device, is in use, or access is refused; *error (when given)
// then holds the system's error number.
std::unique_ptr<SerialPort> OpenSerialPort(const std::string& path, int* error = nullptr);

// Why a device could not be opened, as far as the system tells.
enum class OpenFailureKind : std::uint8_t {
    kPermission, // the user may not use the device
    kInUse,      // another program holds it
    kMissing,    // nothing is there (an adapter not plugged in)
    kNotSerial,  // something is there, but no serial device
    kOther,      // anything else: see systemText
};

struct OpenFailure {
    OpenFailureKind kind = OpenFailureKind::kOther;
    std::string systemText; // the system's own text for the error
    long holderPid = 0;     // kInUse: the process that holds the device, 0 when unknown
    std::string holderName; // and its name, when known
};

// Classifies the error that OpenSerialPort reported for `path`. For a device in use it also
// looks for the process that holds it (on Linux in the lock table, /proc/locks).
OpenFailure DescribeOpenFailure(const std::string& path, int error);

// A path of the same device that survives re-plugging (on Linux its /dev/serial/by-id/ link);
// `path` itself when there is none.
std::string PersistentDevicePath(const std::string& path);

// The prefix under which the platform lists its devices ("/dev/" on POSIX).
std::string DevicePrefix();

// The platform's device for a conventional port name: "COMn" (any case) is "/dev/ttyS<n-1>" on
// POSIX. Any other name comes back unchanged.
std::string ConventionalDevicePath(const std::string& name);

} // namespace zorva::serial
