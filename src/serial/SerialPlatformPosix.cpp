// POSIX serial devices through termios. The event wait is an edge-triggered epoll on the
// device together with a close signal and a "written" signal (eventfds): edge triggering
// reports each arrival of bytes once, as a line event should, instead of reporting unread
// bytes again and again. Modem lines and line errors come from TIOCMGET and TIOCGICOUNT where
// the driver has them (pseudo-terminals have neither and never report those events).
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

#include "serial/SerialPlatform.h"
#if __has_include(<linux/serial.h>)
#include <linux/serial.h>
#endif

namespace zorva::serial {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// How often line states are sampled while modem-line or error events are wanted and the
// driver can report them, and how often the output queue is checked until it drains.
// The drain check backs off while the output is held (by flow control, say).
constexpr int kLineSampleMs = 100;
constexpr int kFirstDrainCheckMs = 5;
constexpr int kLastDrainCheckMs = 200;

int RemainingMs(Clock::time_point end)
{
    const auto left = std::chrono::duration_cast<Ms>(end - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Line-state counters; on drivers without TIOCGICOUNT only the modem lines are known.
struct LineCounters {
    bool valid = false;
    int cts = 0, dsr = 0, rng = 0, dcd = 0;
    int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
};

LineCounters ReadCounters(int fd)
{
    LineCounters c;
#if defined(TIOCGICOUNT) && __has_include(<linux/serial.h>)
    serial_icounter_struct ic{};
    if (::ioctl(fd, TIOCGICOUNT, &ic) == 0) {
        c.valid = true;
        c.cts = ic.cts;
        c.dsr = ic.dsr;
        c.rng = ic.rng;
        c.dcd = ic.dcd;
        c.frame = ic.frame;
        c.overrun = ic.overrun;
        c.parity = ic.parity;
        c.brk = ic.brk;
        c.bufOverrun = ic.buf_overrun;
    }
#else
    (void)fd;
#endif
    return c;
}

std::optional<int> ModemBits(int fd)
{
    int bits = 0;
    if (::ioctl(fd, TIOCMGET, &bits) != 0) {
        return std::nullopt;
    }
    return bits;
}

// Shared by a port and its waiter: a write marks output pending and wakes the waiter, which
// then watches the output queue until it has drained.
struct OutputState {
    int writtenFd = -1; // eventfd
    std::atomic<bool> pending{false};
    ~OutputState()
    {
        if (writtenFd >= 0) {
            ::close(writtenFd);
        }
    }
    void MarkWritten()
    {
        pending.store(true);
        const std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(writtenFd, &one, sizeof one);
    }
};

void Drain(int eventFd)
{
    std::uint64_t value = 0;
    [[maybe_unused]] auto n = ::read(eventFd, &value, sizeof value);
}

class PosixEventWaiter final : public EventWaiter {
public:
    PosixEventWaiter(int device, std::uint32_t mask, std::shared_ptr<OutputState> output)
        : device_(device), mask_(mask), output_(std::move(output))
    {
    }
    ~PosixEventWaiter() override
    {
        for (int fd : {epoll_, closeFd_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    bool Init()
    {
        epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
        closeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (epoll_ < 0 || closeFd_ < 0) {
            return false;
        }
        // EPOLLIN is always watched: the hang-up wakes the device's read queue only.
        return Add(device_, EPOLLIN | EPOLLET) && Add(closeFd_, EPOLLIN) &&
               Add(output_->writtenFd, EPOLLIN);
    }

    void Release() override
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(closeFd_, &one, sizeof one);
    }

    WaitResult Wait(int timeoutMs) override
    {
        const auto end = Clock::now() + Ms(std::max(timeoutMs, 0));
        for (;;) {
            int slice = RemainingMs(end);
            if (WatchingOutput()) {
                slice = std::min(slice, drainCheckMs_);
            }
            if (sampleLines_) {
                slice = std::min(slice, kLineSampleMs);
            }
            epoll_event ready[3];
            const int n = ::epoll_wait(epoll_, ready, 3, slice);
            if (n < 0 && errno != EINTR) {
                return {WaitResult::Kind::kHangUp, 0};
            }
            std::uint32_t events = 0;
            bool hungUp = false;
            for (int i = 0; i < n; ++i) {
                const int fd = ready[i].data.fd;
                if (fd == closeFd_) {
                    return {WaitResult::Kind::kClosed, 0};
                }
                if (fd == output_->writtenFd) {
                    Drain(fd);
                    drainCheckMs_ = kFirstDrainCheckMs;
                } else if (fd == device_) {
                    if (ready[i].events & (EPOLLHUP | EPOLLERR)) {
                        hungUp = true;
                    } else if (ready[i].events & EPOLLIN) {
                        events |= kEvRxChar;
                    }
                }
            }
            if (hungUp) {
                return {WaitResult::Kind::kHangUp, 0};
            }
            events |= OutputDrained() | LineChanges();
            events &= mask_;
            if (events != 0) {
                return {WaitResult::Kind::kEvents, events};
            }
            if (Clock::now() >= end) {
                return {WaitResult::Kind::kTimeout, 0};
            }
        }
    }

    void StartLineSampling()
    {
        constexpr std::uint32_t modemEvents = kEvCts | kEvDsr | kEvRlsd | kEvRing;
        constexpr std::uint32_t errorEvents = kEvBreak | kEvErr;
        counters_ = ReadCounters(device_);
        modem_ = ModemBits(device_);
        sampleLines_ = ((mask_ & modemEvents) && (counters_.valid || modem_)) ||
                       ((mask_ & errorEvents) && counters_.valid);
    }

private:
    bool Add(int fd, std::uint32_t events)
    {
        epoll_event ev{};
        ev.events = events;
        ev.data.fd = fd;
        return ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ev) == 0;
    }

    bool WatchingOutput() const { return (mask_ & kEvTxEmpty) && output_->pending.load(); }

    std::uint32_t OutputDrained()
    {
        if (!WatchingOutput()) {
            return 0;
        }
        int queued = 0;
        if (::ioctl(device_, TIOCOUTQ, &queued) == 0 && queued > 0) {
            drainCheckMs_ = std::min(drainCheckMs_ * 2, kLastDrainCheckMs);
            return 0;
        }
        return output_->pending.exchange(false) ? kEvTxEmpty : 0;
    }

    std::uint32_t LineChanges()
    {
        if (!sampleLines_) {
            return 0;
        }
        std::uint32_t events = 0;
        const LineCounters now = ReadCounters(device_);
        if (now.valid && counters_.valid) {
            events |= now.cts != counters_.cts ? kEvCts : 0;
            events |= now.dsr != counters_.dsr ? kEvDsr : 0;
            events |= now.dcd != counters_.dcd ? kEvRlsd : 0;
            events |= now.rng != counters_.rng ? kEvRing : 0;
            events |= now.brk != counters_.brk ? kEvBreak : 0;
            const bool error = now.frame != counters_.frame || now.overrun != counters_.overrun ||
                               now.parity != counters_.parity ||
                               now.bufOverrun != counters_.bufOverrun;
            events |= error ? kEvErr : 0;
        } else {
            const auto lines = ModemBits(device_);
            if (lines && modem_) {
                const int changed = *lines ^ *modem_;
                events |= (changed & TIOCM_CTS) ? kEvCts : 0;
                events |= (changed & TIOCM_DSR) ? kEvDsr : 0;
                events |= (changed & TIOCM_CD) ? kEvRlsd : 0;
                events |= (changed & *lines & TIOCM_RNG) ? kEvRing : 0;
            }
            modem_ = lines;
        }
        counters_ = now;
        return events;
    }

    int device_;
    std::uint32_t mask_;
    std::shared_ptr<OutputState> output_;
    int epoll_ = -1;
    int closeFd_ = -1;
    bool sampleLines_ = false;
    int drainCheckMs_ = kFirstDrainCheckMs;
    LineCounters counters_;
    std::optional<int> modem_;
};

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

    std::unique_ptr<EventWaiter> CreateEventWaiter(std::uint32_t eventMask) override
    {
        auto waiter = std::make_unique<PosixEventWaiter>(fd_, eventMask, output_);
        if (!waiter->Init()) {
            return nullptr;
        }
        waiter->StartLineSampling();
        return waiter;
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
        const LineCounters now = ReadCounters(fd_);
        if (now.valid && errorCounters_.valid) {
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
        while (got < count) {
            const auto now = Clock::now();
            if (got > 0 && intervalMs_ > 0) {
                const auto intervalEnd = lastByte + Ms(intervalMs_);
                if (now >= intervalEnd && (!bounded || intervalEnd <= end)) {
                    return got; // the line fell silent
                }
            }
            if (bounded && now >= end) {
                return -1;
            }
            int wait = bounded ? RemainingMs(end) : -1;
            if (got > 0 && intervalMs_ > 0) {
                const int untilSilent = RemainingMs(lastByte + Ms(intervalMs_));
                wait = wait < 0 ? untilSilent : std::min(wait, untilSilent);
            }
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, wait);
            if (ready < 0 && errno != EINTR) {
                return -1;
            }
            if (ready <= 0) {
                continue;
            }
            const ssize_t n = ::read(fd_, buffer + got, static_cast<size_t>(count - got));
            if (n > 0) {
                got += static_cast<int>(n);
                lastByte = Clock::now();
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                return -1; // hung up or failed
            }
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
