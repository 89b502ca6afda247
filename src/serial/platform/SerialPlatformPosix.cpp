// POSIX serial devices through termios: opening with an exclusive lock, line settings, queue
// counts, modem lines, bounded reads and writes. The event wait is in SerialEventWaiterPosix.cpp.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "serial/platform/SerialPlatform.h"
#if __has_include(<linux/serial.h>)
#include <linux/serial.h>
#endif

#include "serial/platform/SerialPosixCommon.h"

namespace zorva::serial {
namespace {

using namespace posix;

std::optional<speed_t> SpeedCode(std::uint32_t bps)
{
    struct Entry {
        std::uint32_t bps;
        speed_t code;
    };
    static constexpr Entry table[] = {
        {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const Entry& e : table) {
        if (e.bps == bps) {
            return e.code;
        }
    }
    return std::nullopt;
}

class PosixSerialPort final : public SerialPort {
public:
    PosixSerialPort(int fd, std::shared_ptr<OutputState> output)
        : fd_(fd), output_(std::move(output)), errorCounters_(ReadCounters(fd))
    {
    }
    ~PosixSerialPort() override
    {
        // The exclusive flag belongs to the terminal, not to this descriptor: clear it so that
        // the device is free again once closed. The lock goes with the descriptor.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }

    bool SetQueueSizes(int, int) override { return true; } // the driver's queues are fixed
    void SetReadIntervalTimeout(int ms) override { intervalMs_ = std::max(ms, 0); }

    bool SetBaudRate(std::uint32_t bps) override
    {
        const auto code = SpeedCode(bps);
        if (!code) {
            return false;
        }
        return Modify([&](termios& t) {
            return ::cfsetispeed(&t, *code) == 0 && ::cfsetospeed(&t, *code) == 0;
        });
    }

    bool SetParity(std::uint8_t code) override
    {
#ifdef CMSPAR
        constexpr tcflag_t sticky = CMSPAR;
#else
        constexpr tcflag_t sticky = 0;
#endif
        if (code > 4 || ((code == 3 || code == 4) && sticky == 0)) {
            return false;
        }
        return Modify([&](termios& t) {
            t.c_cflag &= ~(PARENB | PARODD | sticky);
            switch (code) {
            case 1: // odd
                t.c_cflag |= PARENB | PARODD;
                break;
            case 2: // even
                t.c_cflag |= PARENB;
                break;
            case 3: // mark: sticky parity, bit always 1
                t.c_cflag |= PARENB | PARODD | sticky;
                break;
            case 4: // space: sticky parity, bit always 0
                t.c_cflag |= PARENB | sticky;
                break;
            default:
                break;
            }
            return true;
        });
    }

    bool SetStopBits(std::uint8_t code) override
    {
        if (code > 2) {
            return false;
        }
        // POSIX has no one and a half stop bits; two is the nearest that a receiver accepts.
        return Modify([&](termios& t) {
            if (code == 0) {
                t.c_cflag &= ~CSTOPB;
            } else {
                t.c_cflag |= CSTOPB;
            }
            return true;
        });
    }

    bool SetByteSize(std::uint8_t bits) override
    {
        static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
        if (bits < 5 || bits > 8) {
            return false; // four-bit characters do not exist in termios
        }
        return Modify([&](termios& t) {
            t.c_cflag = (t.c_cflag & ~CSIZE) | sizes[bits - 5];
            return true;
        });
    }

    std::unique_ptr<EventWaiter> CreateEventWaiter(std::uint32_t eventMask, int* error) override
    {
        return posix::CreateEventWaiter(fd_, eventMask, output_, error);
    }

    CommStatus ClearError() override
    {
        CommStatus status;
        int count = 0;
        if (::ioctl(fd_, FIONREAD, &count) == 0 && count > 0) {
            status.inQueue = static_cast<std::uint32_t>(count);
        }
        count = 0;
        if (::ioctl(fd_, TIOCOUTQ, &count) == 0 && count > 0) {
            status.outQueue = static_cast<std::uint32_t>(count);
        }
        // A driver without line counters (a pseudo-terminal, some adapters) never gains them:
        // it is not asked again on every receive event.
        const LineCounters now = errorCounters_.valid ? ReadCounters(fd_) : LineCounters{};
        if (now.valid) {
            status.errors |= now.bufOverrun != errorCounters_.bufOverrun ? kCeRxOver : 0;
            status.errors |= now.overrun != errorCounters_.overrun ? kCeOverrun : 0;
            status.errors |= now.parity != errorCounters_.parity ? kCeRxParity : 0;
            status.errors |= now.frame != errorCounters_.frame ? kCeFrame : 0;
            status.errors |= now.brk != errorCounters_.brk ? kCeBreak : 0;
        }
        errorCounters_ = now;
        return status;
    }

    std::optional<std::uint32_t> ModemStatus() override
    {
        const auto bits = ModemBits(fd_);
        if (!bits) {
            return std::nullopt;
        }
        std::uint32_t status = 0;
        status |= (*bits & TIOCM_CTS) ? kMsCtsOn : 0;
        status |= (*bits & TIOCM_DSR) ? kMsDsrOn : 0;
        status |= (*bits & TIOCM_RNG) ? kMsRingOn : 0;
        status |= (*bits & TIOCM_CD) ? kMsRlsdOn : 0;
        return status;
    }

    bool Escape(LineFunction function) override
    {
        int dtr = TIOCM_DTR;
        int rts = TIOCM_RTS;
        switch (function) {
        case LineFunction::kSetDtr:
            return ::ioctl(fd_, TIOCMBIS, &dtr) == 0;
        case LineFunction::kClrDtr:
            return ::ioctl(fd_, TIOCMBIC, &dtr) == 0;
        case LineFunction::kSetRts:
            return ::ioctl(fd_, TIOCMBIS, &rts) == 0;
        case LineFunction::kClrRts:
            return ::ioctl(fd_, TIOCMBIC, &rts) == 0;
        case LineFunction::kSetBreak:
            return ::ioctl(fd_, TIOCSBRK) == 0;
        case LineFunction::kClrBreak:
            return ::ioctl(fd_, TIOCCBRK) == 0;
        }
        return false;
    }

    bool Purge(std::uint32_t flags) override
    {
        // Transfers run to completion inside Read and Write, so there is nothing to abort;
        // only the queues are discarded.
        const bool in = flags & kPurgeRxClear;
        const bool out = flags & kPurgeTxClear;
        if (in && out) {
            return ::tcflush(fd_, TCIOFLUSH) == 0;
        }
        if (in || out) {
            return ::tcflush(fd_, in ? TCIFLUSH : TCOFLUSH) == 0;
        }
        return true;
    }

    int Read(std::uint8_t* buffer, int count, int totalTimeoutMs) override
    {
        if (count <= 0) {
            return 0;
        }
        const bool bounded = totalTimeoutMs >= 0;
        const auto end = Clock::now() + Ms(std::max(totalTimeoutMs, 0));
        auto lastByte = Clock::now();
        int got = 0;
        bool readable = false;
        while (got < count) {
            const auto now = Clock::now();
            if (got > 0 && intervalMs_ > 0) {
                const auto intervalEnd = lastByte + Ms(intervalMs_);
                if (now >= intervalEnd && (!bounded || intervalEnd <= end)) {
                    return got; // the line fell silent
                }
            }
            if (bounded && now >= end) {
                return got > 0 ? got : -1; // the bytes taken off the line are kept
            }
            int wait = bounded ? RemainingMs(end) : -1;
            if (got > 0 && intervalMs_ > 0) {
                const int untilSilent = RemainingMs(lastByte + Ms(intervalMs_));
                wait = wait < 0 ? untilSilent : std::min(wait, untilSilent);
            }
            // Bytes already there (what a receive event finds) are taken at once; only an
            // empty queue is waited on. With no minimum count a raw line reads 0 when it is
            // empty: only after the wait said it was readable does 0 mean it hung up.
            const ssize_t n = ::read(fd_, buffer + got, static_cast<size_t>(count - got));
            if (n > 0) {
                got += static_cast<int>(n);
                lastByte = Clock::now();
                readable = false;
                continue;
            }
            if ((n == 0 && readable) || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                return -1; // hung up or failed
            }
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, wait);
            if (ready < 0 && errno != EINTR) {
                return -1;
            }
            readable = ready > 0;
        }
        return got;
    }

    int Write(const std::uint8_t* buffer, int count, int totalTimeoutMs) override
    {
        if (count <= 0) {
            return 0;
        }
        const bool bounded = totalTimeoutMs >= 0;
        const auto end = Clock::now() + Ms(std::max(totalTimeoutMs, 0));
        int done = 0;
        bool failed = false;
        while (done < count && !failed) {
            const ssize_t n = ::write(fd_, buffer + done, static_cast<size_t>(count - done));
            if (n > 0) {
                done += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno != EAGAIN) {
                failed = true;
                break;
            }
            if (bounded && Clock::now() >= end) {
                failed = true;
                break;
            }
            pollfd p{fd_, POLLOUT, 0};
            const int ready = ::poll(&p, 1, bounded ? RemainingMs(end) : -1);
            if ((ready < 0 && errno != EINTR) || (ready > 0 && (p.revents & (POLLERR | POLLHUP)))) {
                failed = true;
            }
        }
        if (done > 0) {
            output_->MarkWritten();
        }
        return failed ? -1 : done;
    }

private:
    // One read-modify-write of the line settings.
    template <typename Change> bool Modify(Change change)
    {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0 || !change(t)) {
            return false;
        }
        return ::tcsetattr(fd_, TCSANOW, &t) == 0;
    }

    int fd_;
    std::shared_ptr<OutputState> output_;
    LineCounters errorCounters_;
    int intervalMs_ = 0;
};

} // namespace

std::unique_ptr<SerialPort> OpenSerialPort(const std::string& path, int* error)
{
    auto fail = [&](int fd) -> std::unique_ptr<SerialPort> {
        const int saved = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        if (error) {
            *error = saved;
        }
        return nullptr;
    };
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return fail(-1);
    }
    // The advisory lock keeps out every cooperating program, root included; TIOCEXCL keeps
    // out the others that are not root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return fail(fd);
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        return fail(fd); // not a serial device
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &t) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        return fail(fd);
    }
    auto output = std::make_shared<OutputState>();
    output->writtenFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (output->writtenFd < 0) {
        return fail(fd);
    }
    if (error) {
        *error = 0;
    }
    return std::make_unique<PosixSerialPort>(fd, std::move(output));
}

std::string DevicePrefix()
{
    return "/dev/";
}

std::string ConventionalDevicePath(const std::string& name)
{
    if (name.size() < 4 || name.size() > 6) {
        return name;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
            return name;
        }
    }
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
            return name;
        }
        number = number * 10 + (name[i] - '0');
    }
    if (number < 1) {
        return name;
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

} // namespace zorva::serial
