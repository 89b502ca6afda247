// The program's end of a simulated line in tests: the published device opened with plain POSIX
// calls, raw, and frames read back with the link's own frame cutter.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "link/Frames.h"

namespace zorva::sim::testing {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

class LineClient {
public:
    explicit LineClient(const std::string& path);
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;
    ~LineClient();

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void Close();

    bool Write(const Bytes& bytes);

    // The next complete frame (right or wrong checksum) within the timeout. Bytes before it
    // that cannot start a frame are collected in skipped().
    std::optional<Bytes> ReadFrame(std::chrono::milliseconds timeout = 2000ms);
    // Writes a request and returns the next frame.
    std::optional<Bytes> Ask(const Bytes& request, std::chrono::milliseconds timeout = 2000ms);
    // Exactly `count` raw bytes within the timeout; fewer when it runs out.
    Bytes ReadBytes(std::size_t count, std::chrono::milliseconds timeout);
    // Waits until the line reports a hang-up (the module closed its side).
    bool WaitHangUp(std::chrono::milliseconds timeout);

    // Number of read calls that brought the bytes of the latest frame.
    int readsForLastFrame() const { return readsForLast_; }
    const Bytes& skipped() const { return skipped_; }
    bool lastWasBad() const { return lastBad_; }
    void ClearSkipped() { skipped_.clear(); }

private:
    bool ReadSome(SteadyClock::time_point deadline);

    int fd_ = -1;
    Bytes buffer_;
    Bytes skipped_;
    int readsForLast_ = 0;
    bool lastBad_ = false;
};

// Waits until `path` exists (the link is published) or the timeout passes.
bool WaitForPath(const std::string& path, std::chrono::milliseconds timeout);

} // namespace zorva::sim::testing
