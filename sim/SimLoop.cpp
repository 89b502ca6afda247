// The module's line: the poll loop, frame cutting as the program does it, sending with faults
// and pacing, and the line going away (unplug, the program closing its side).
#include "SimLoop.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace zorva::sim {

namespace {

// While no program holds the device open the master reports a hang-up on every poll, so it is
// left out of the poll set and looked at again after this pause.
constexpr auto kReattachCheck = std::chrono::milliseconds(10);
// Pause between the pieces of a split answer, long enough for the receiver to see each piece
// in its own read.
constexpr auto kPieceGap = std::chrono::milliseconds(1);

} // namespace

void SignalEventFd(int fd)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(fd, &one, sizeof one);
}

void DrainEventFd(int fd)
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = read(fd, &count, sizeof count);
}

std::string TraceHex(const Bytes& bytes)
{
    std::string hex = BytesToHex(bytes);
    if (!hex.empty()) {
        hex.pop_back();
    }
    return hex;
}

void SimLoop::Run()
{
    while (!owner_.stop_.load() && !quit_) {
        TimePoint now = Clock::now();
        if (replugAt_ && now >= *replugAt_) {
            replugAt_.reset();
            std::string error;
            if (!OpenLine(&error)) {
                trace_.Note(now, "replug failed: " + error);
                replugAt_ = now + std::chrono::seconds(1);
            }
        }
        if (line_.isOpen() && !attached_ && !line_.HungUp()) {
            attached_ = true;
            trace_.Note(now, "program opened the line");
        }
        for (const Bytes& report : core_.OnTimer(now)) {
            Send(report, now);
        }
        FlushTx(now);
        trace_.Flush();

        pollfd fds[2] = {{owner_.wakeFd_, POLLIN, 0}, {-1, 0, 0}};
        nfds_t count = 1;
        if (line_.isOpen() && attached_) {
            fds[1] = {line_.fd(), static_cast<short>(POLLIN | (waitWritable_ ? POLLOUT : 0)), 0};
            count = 2;
        }
        const std::optional<TimePoint> wake = NextWake(now);
        timespec timeout{};
        if (wake) {
            const auto ns = std::max<std::int64_t>(
                0, std::chrono::duration_cast<std::chrono::nanoseconds>(*wake - now).count());
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        }
        const int ready = ppoll(fds, count, wake ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        now = Clock::now();
        if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
            DrainEventFd(owner_.wakeFd_);
            std::deque<ControlCommand> commands;
            {
                std::lock_guard lock(owner_.mutex_);
                commands.swap(owner_.commands_);
            }
            for (const ControlCommand& c : commands) {
                Apply(c, now);
            }
        }
        if (ready > 0 && count == 2 && line_.isOpen() && attached_) {
            const short events = fds[1].revents;
            if ((events & POLLOUT) != 0) {
                waitWritable_ = false;
            }
            if ((events & POLLIN) != 0) {
                OnReadable(now);
            }
            if (attached_ && (events & (POLLHUP | POLLERR)) != 0) {
                Detach(now, "program closed the line");
            }
        }
    }
    trace_.Flush();
    line_.Close();
    owner_.LineGone();
}

std::optional<TimePoint> SimLoop::NextWake(TimePoint now) const
{
    std::optional<TimePoint> wake = core_.NextTimer();
    auto consider = [&wake](std::optional<TimePoint> t) {
        if (t && (!wake || *t < *wake)) {
            wake = t;
        }
    };
    consider(replugAt_);
    if (!waitWritable_) {
        consider(txWake_);
    }
    if (line_.isOpen() && !attached_) {
        consider(now + kReattachCheck);
    }
    return wake;
}

void SimLoop::OnReadable(TimePoint now)
{
    std::uint8_t chunk[4096];
    for (;;) {
        const ssize_t n = read(line_.fd(), chunk, sizeof chunk);
        if (n > 0) {
            rx_.insert(rx_.end(), chunk, chunk + n);
            CutFrames(now);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        // EIO (or end of file): the program has closed the device.
        Detach(now, "program closed the line");
        return;
    }
    FlushTx(now);
}

// Cuts frames as the PC does: sync pair, length limit, checksum. A bad frame loses its first
// byte only, so that a sync pair inside it is found next. The buffer never holds more than one
// incomplete frame after this, so it stays below 253 bytes between reads.
void SimLoop::CutFrames(TimePoint now)
{
    std::size_t at = 0;
    std::size_t skippedFrom = 0;
    std::size_t skipped = 0;
    auto flushSkipped = [&]() {
        if (skipped > 0) {
            trace_.Bytes(now, "RX-SKIP",
                         std::span<const std::uint8_t>(rx_.data() + skippedFrom, skipped));
            skipped = 0;
        }
    };
    while (at < rx_.size()) {
        const auto rest = std::span<const std::uint8_t>(rx_.data() + at, rx_.size() - at);
        const FrameCut cut = CutFrame(rest);
        if (cut.kind == FrameCut::NeedMore) {
            break;
        }
        if (cut.kind == FrameCut::Skip) {
            if (skipped == 0) {
                skippedFrom = at;
            }
            ++skipped;
            ++at;
            continue;
        }
        flushSkipped();
        const auto frame = rest.first(cut.length);
        if (cut.kind == FrameCut::BadChecksum) {
            trace_.Bytes(now, "RX-BAD", frame);
            ++at;
            continue;
        }
        if (core_.Deaf(now)) {
            trace_.Bytes(now, "RX-IGNORED", frame);
        } else {
            for (const Bytes& answer : core_.OnFrame(frame, now)) {
                Send(answer, now);
            }
            trace_.Bytes(now, "RX", frame);
        }
        at += cut.length;
    }
    flushSkipped();
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(at));
}

void SimLoop::Send(const Bytes& frame, TimePoint readyAt)
{
    if (!line_.isOpen() || !attached_) {
        trace_.Note(readyAt, "nobody on the line, not sent: " + TraceHex(frame));
        return;
    }
    const ShapedFrame shaped = faults_.Shape(frame);
    if (shaped.dropped) {
        trace_.Bytes(readyAt, "TX-DROP", frame);
        return;
    }
    const TimePoint at = readyAt + shaped.delay;
    if (!shaped.garbage.empty()) {
        tx_.push_back({shaped.garbage, 0, at, {}, "TX-GARBAGE", shaped.garbage});
    }
    std::size_t offset = 0;
    for (std::size_t i = 0; i < shaped.pieces.size(); ++i) {
        TxItem item;
        item.bytes.assign(shaped.frame.begin() + static_cast<std::ptrdiff_t>(offset),
                          shaped.frame.begin() +
                              static_cast<std::ptrdiff_t>(offset + shaped.pieces[i]));
        offset += shaped.pieces[i];
        item.readyAt = at;
        if (i > 0) {
            item.gap = kPieceGap;
        }
        if (i + 1 == shaped.pieces.size()) {
            item.keyword = shaped.corrupted ? "TX-CORRUPT" : "TX";
            item.traceBytes = shaped.frame;
        }
        tx_.push_back(std::move(item));
    }
}

void SimLoop::FlushTx(TimePoint now)
{
    txWake_.reset();
    while (!tx_.empty() && attached_ && !waitWritable_) {
        TxItem& item = tx_.front();
        TimePoint ready = item.readyAt;
        if (item.gap.count() > 0 && item.sent == 0) {
            ready = std::max(ready, lastFinished_ + item.gap);
        }
        if (now < ready) {
            txWake_ = ready;
            lineBusy_ = false;
            return;
        }
        if (!lineBusy_) {
            pacer_.Begin(now);
            lineBusy_ = true;
        }
        const std::size_t remaining = item.bytes.size() - item.sent;
        const std::size_t allowed = pacer_.Release(now, remaining);
        if (allowed == 0) {
            txWake_ = pacer_.NextRelease(remaining);
            return;
        }
        const ssize_t written = write(line_.fd(), item.bytes.data() + item.sent, allowed);
        if (written < 0) {
            pacer_.Unrelease(allowed);
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                waitWritable_ = true;
            } else if (errno != EINTR) {
                Detach(now, std::string("write failed: ") + std::strerror(errno));
            }
            return;
        }
        const auto done = static_cast<std::size_t>(written);
        if (done < allowed) {
            pacer_.Unrelease(allowed - done);
            waitWritable_ = true;
        }
        item.sent += done;
        if (item.sent < item.bytes.size()) {
            continue;
        }
        lastFinished_ = Clock::now();
        if (item.keyword != nullptr) {
            trace_.Bytes(lastFinished_, item.keyword, item.traceBytes);
        }
        tx_.pop_front();
    }
    if (tx_.empty()) {
        lineBusy_ = false;
    }
}

void SimLoop::Detach(TimePoint now, const std::string& reason)
{
    attached_ = false;
    rx_.clear();
    lineBusy_ = false;
    waitWritable_ = false;
    txWake_.reset();
    // What was still on its way has nowhere to go: a real line loses it too.
    if (!tx_.empty()) {
        trace_.Note(now, "not sent, line closed: " + std::to_string(tx_.size()) + " piece(s)");
        tx_.clear();
    }
    trace_.Note(now, reason);
}

} // namespace zorva::sim
