#include "Simulator.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "Faults.h"
#include "ModuleCore.h"
#include "Pacer.h"
#include "PtyLine.h"
#include "Trace.h"

namespace zorva::sim {

namespace {

// While no program holds the device open the master reports a hang-up on every poll, so it is
// left out of the poll set and looked at again after this pause.
constexpr auto kReattachCheck = std::chrono::milliseconds(10);
// Pause between the pieces of a split answer, long enough for the receiver to see each piece
// in its own read.
constexpr auto kPieceGap = std::chrono::milliseconds(1);

void Signal(int fd)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(fd, &one, sizeof one);
}

void Drain(int fd)
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = read(fd, &count, sizeof count);
}

std::string HexText(const Bytes& bytes)
{
    std::string hex = BytesToHex(bytes);
    if (!hex.empty()) {
        hex.pop_back();
    }
    return hex;
}

} // namespace

// The module's thread: one poll loop over the line and the command queue. Everything here runs
// on that thread only.
class SimLoop {
public:
    SimLoop(Simulator& owner, const Options& options, const ModuleSettings& settings,
            std::unique_ptr<PictureSource> pictures, std::uint64_t seed)
        : owner_(owner), linkPath_(options.linkPath),
          core_(settings, std::move(pictures), Clock::now()), faults_(options.faults, seed),
          pacer_(options.baud)
    {
    }

    bool OpenTrace(const std::string& path, std::string* error)
    {
        return path.empty() || trace_.Open(path, error);
    }

    bool OpenLine(std::string* error)
    {
        if (!line_.Open(linkPath_, error)) {
            return false;
        }
        attached_ = false;
        trace_.Note(Clock::now(), "published " + line_.devicePath() + " as " + linkPath_);
        owner_.PublishLine(line_.devicePath());
        return true;
    }

    void Run();

private:
    struct TxItem {
        Bytes bytes;
        std::size_t sent = 0;
        TimePoint readyAt;
        std::chrono::microseconds gap{0}; // after the previous item, for split pieces
        const char* keyword = nullptr;    // traced when the item's last byte is out
        Bytes traceBytes;
    };

    void Apply(const ControlCommand& command, TimePoint now);
    void OnReadable(TimePoint now);
    void CutFrames(TimePoint now);
    void Send(const Bytes& frame, TimePoint readyAt);
    void FlushTx(TimePoint now);
    void Detach(TimePoint now, const std::string& reason);
    std::optional<TimePoint> NextWake(TimePoint now) const;

    Simulator& owner_;
    std::string linkPath_;
    ModuleCore core_;
    FaultInjector faults_;
    Pacer pacer_;
    Trace trace_;
    PtyLine line_;
    bool attached_ = false; // a program holds the device side open
    std::optional<TimePoint> replugAt_;
    std::deque<TxItem> tx_;
    bool lineBusy_ = false;     // the pacer's line carries a continuous burst
    bool waitWritable_ = false; // the pseudo-terminal's buffer is full
    std::optional<TimePoint> txWake_;
    TimePoint lastFinished_{};
    Bytes rx_;
    bool quit_ = false;
};

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
            Drain(owner_.wakeFd_);
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
        trace_.Note(readyAt, "nobody on the line, not sent: " + HexText(frame));
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

void SimLoop::Apply(const ControlCommand& c, TimePoint now)
{
    using Kind = ControlCommand::Kind;
    switch (c.kind) {
    case Kind::Event:
    case Kind::Error:
    case Kind::FmwDate: {
        if (c.kind == Kind::FmwDate && c.date) {
            core_.SetFirmwareDate((*c.date)[0], (*c.date)[1], (*c.date)[2]);
        }
        const Bytes frame = c.kind == Kind::Event   ? ModuleCore::EventFrame(c.bytes)
                            : c.kind == Kind::Error ? ModuleCore::ErrorFrame(c.bytes.at(0))
                                                    : core_.FirmwareDateFrame();
        if (core_.Deaf(now)) {
            trace_.Note(now, "module silent, not sent: " + HexText(frame));
        } else {
            Send(frame, now);
        }
        FlushTx(now);
        break;
    }
    case Kind::Silent:
        core_.SetSilent(c.flag);
        trace_.Note(now, c.flag ? "silent on" : "silent off");
        break;
    case Kind::Unplug:
        if (line_.isOpen()) {
            Detach(now, "unplugged");
            line_.Close();
            owner_.LineGone();
        }
        replugAt_ = now + std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::duration<double>(c.number));
        break;
    case Kind::Firmware:
        core_.SetFirmware(static_cast<int>(c.number));
        break;
    case Kind::Cameras:
        core_.SetCameras(static_cast<std::uint8_t>(c.number));
        break;
    case Kind::Inputs:
        core_.SetInputs(static_cast<std::uint8_t>(c.number));
        break;
    case Kind::RejectWrite:
        core_.SetRejectWrite(c.flag);
        break;
    case Kind::Split:
        faults_.settings().split = c.flag;
        break;
    case Kind::Garbage:
        faults_.settings().garbageRate = c.number;
        break;
    case Kind::Corrupt:
        faults_.settings().corruptRate = c.number;
        break;
    case Kind::Drop:
        faults_.settings().dropRate = c.number;
        break;
    case Kind::Delay:
        faults_.settings().delayMs = static_cast<std::uint32_t>(c.number);
        break;
    case Kind::Baud:
        pacer_.SetBaud(static_cast<std::uint32_t>(c.number));
        break;
    case Kind::Wait:
        break;
    case Kind::Quit:
        quit_ = true;
        break;
    }
}

Simulator::Simulator(Options options) : options_(std::move(options))
{
    if (options_.linkPath.empty()) {
        options_.linkPath = DefaultLinkPath();
    }
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    finishedFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Simulator::~Simulator()
{
    Stop();
    close(wakeFd_);
    close(finishedFd_);
}

bool Simulator::Start(std::string* error)
{
    if (thread_.joinable() || wakeFd_ < 0 || finishedFd_ < 0) {
        *error = "the simulator is already running or has no event descriptors";
        return false;
    }
    ModuleSettings settings;
    settings.config = DefaultConfig();
    if (!options_.configFile.empty() &&
        !LoadConfigFile(options_.configFile, settings.config, error)) {
        return false;
    }
    settings.firmware = options_.firmware;
    settings.cameras = options_.cameras;
    settings.inputs = options_.inputs;
    settings.resetSilence =
        std::chrono::milliseconds(static_cast<std::int64_t>(options_.resetSeconds * 1000.0 + 0.5));
    settings.eventEvery = std::chrono::milliseconds(
        static_cast<std::int64_t>(options_.eventEverySeconds * 1000.0 + 0.5));
    settings.rejectWrite = options_.rejectWrite;
    settings.fmwDay = options_.fmwDay;
    settings.fmwMonth = options_.fmwMonth;
    settings.fmwYear = options_.fmwYear;

    std::unique_ptr<PictureSource> pictures;
    if (!options_.picturesDir.empty()) {
        pictures = FolderPictures::Open(options_.picturesDir, error);
        if (!pictures) {
            return false;
        }
    }
    const std::uint64_t seed =
        options_.seed != 0 ? options_.seed
                           : static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
    loop_ = std::make_unique<SimLoop>(*this, options_, settings, std::move(pictures), seed);
    if (!loop_->OpenTrace(options_.traceFile, error) || !loop_->OpenLine(error)) {
        loop_.reset();
        return false;
    }
    stop_ = false;
    {
        std::lock_guard lock(mutex_);
        finished_ = false;
    }
    thread_ = std::thread(&Simulator::Run, this);
    return true;
}

void Simulator::Run()
{
    loop_->Run();
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
    Signal(finishedFd_);
}

void Simulator::Stop()
{
    if (thread_.joinable()) {
        stop_ = true;
        Signal(wakeFd_);
        thread_.join();
    }
    loop_.reset();
}

void Simulator::PublishLine(const std::string& device)
{
    {
        std::lock_guard lock(mutex_);
        device_ = device;
        ++generation_;
    }
    changed_.notify_all();
}

void Simulator::LineGone()
{
    std::lock_guard lock(mutex_);
    device_.clear();
}

std::string Simulator::linkPath() const
{
    return options_.linkPath;
}

std::string Simulator::devicePath() const
{
    std::lock_guard lock(mutex_);
    return device_;
}

unsigned Simulator::lineGeneration() const
{
    std::lock_guard lock(mutex_);
    return generation_;
}

bool Simulator::WaitForLine(unsigned generation, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return generation_ >= generation; });
}

bool Simulator::finished() const
{
    std::lock_guard lock(mutex_);
    return finished_;
}

bool Simulator::WaitFinished(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return finished_; });
}

std::string Simulator::Execute(const std::string& line)
{
    const ParsedControlLine parsed = ParseControlLine(line);
    if (!parsed.error.empty()) {
        return parsed.error;
    }
    if (!parsed.command) {
        return {};
    }
    if (parsed.command->kind == ControlCommand::Kind::Wait) {
        return "wait: only in command streams";
    }
    Post(*parsed.command);
    return {};
}

void Simulator::Post(const ControlCommand& command)
{
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(command);
    }
    Signal(wakeFd_);
}

namespace {
ControlCommand Make(ControlCommand::Kind kind, double number = 0, bool flag = false)
{
    ControlCommand c;
    c.kind = kind;
    c.number = number;
    c.flag = flag;
    return c;
}
} // namespace

void Simulator::SendEvent(const std::vector<std::uint8_t>& payload)
{
    ControlCommand c = Make(ControlCommand::Kind::Event);
    c.bytes = payload;
    Post(c);
}

void Simulator::SendError(std::uint8_t code)
{
    ControlCommand c = Make(ControlCommand::Kind::Error);
    c.bytes = {code};
    Post(c);
}

void Simulator::SendFirmwareDate()
{
    Post(Make(ControlCommand::Kind::FmwDate));
}

void Simulator::SetSilent(bool on)
{
    Post(Make(ControlCommand::Kind::Silent, 0, on));
}

void Simulator::Unplug(double seconds)
{
    Post(Make(ControlCommand::Kind::Unplug, seconds));
}

void Simulator::SetFirmware(int number)
{
    Post(Make(ControlCommand::Kind::Firmware, number));
}

void Simulator::SetCameras(std::uint8_t bits)
{
    Post(Make(ControlCommand::Kind::Cameras, bits));
}

void Simulator::SetInputs(std::uint8_t bits)
{
    Post(Make(ControlCommand::Kind::Inputs, bits));
}

void Simulator::Quit()
{
    Post(Make(ControlCommand::Kind::Quit));
}

} // namespace zorva::sim
