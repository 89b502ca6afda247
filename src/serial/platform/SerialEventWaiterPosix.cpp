// The POSIX event wait: an edge-triggered epoll on the device together with a close signal and
// a "written" signal (eventfds). Edge triggering reports each arrival of bytes once, as a line
// event should, instead of reporting unread bytes again and again. Modem lines and line errors
// are sampled from TIOCMGET and TIOCGICOUNT where the driver has them.
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

namespace zorva::serial::posix {

int RemainingMs(Clock::time_point end)
{
    const auto left = std::chrono::duration_cast<Ms>(end - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

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

namespace {

// How often line states are sampled while modem-line or error events are wanted and the
// driver can report them, and how often the output queue is checked until it drains.
// The drain check backs off while the output is held (by flow control, say).
constexpr int kLineSampleMs = 100;
constexpr int kFirstDrainCheckMs = 5;
constexpr int kLastDrainCheckMs = 200;

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

} // namespace

std::unique_ptr<EventWaiter> CreateEventWaiter(int device, std::uint32_t mask,
                                               std::shared_ptr<OutputState> output, int* error)
{
    auto waiter = std::make_unique<PosixEventWaiter>(device, mask, std::move(output));
    if (!waiter->Init()) {
        if (error) {
            *error = errno;
        }
        return nullptr;
    }
    waiter->StartLineSampling();
    return waiter;
}

} // namespace zorva::serial::posix
