// The module's thread behind Simulator: its poll loop over the pseudo-terminal line and the
// command queue. Private to the simulator library.
#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "ControlCommand.h"
#include "Faults.h"
#include "ModuleCore.h"
#include "Pacer.h"
#include "PtyLine.h"
#include "Simulator.h"
#include "Trace.h"

namespace zorva::sim {

// Wakes, or drains the wake-up count of, an eventfd.
void SignalEventFd(int fd);
void DrainEventFd(int fd);
// Frame bytes for a trace note: hex pairs without the trailing blank.
std::string TraceHex(const Bytes& bytes);

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
    // The configuration (175 bytes in hex) and the clock, put in place whole.
    void Dump(const std::string& path, TimePoint now);
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

} // namespace zorva::sim
