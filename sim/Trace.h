// The trace file: one line per frame received or sent, with a microsecond time stamp of
// CLOCK_MONOTONIC (std::chrono::steady_clock), which every process on the machine shares.
//   <seconds.micro> <KEYWORD> <hex bytes>
// Lines are collected in memory and written when the loop is idle, so that tracing adds no
// system call to the answer path.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace zorva::sim {

class Trace {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    Trace() = default;
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;
    ~Trace();

    bool Open(const std::string& path, std::string* error);
    bool enabled() const { return file_ != nullptr; }

    void Bytes(TimePoint at, const char* keyword, std::span<const std::uint8_t> bytes);
    void Note(TimePoint at, const std::string& text); // a LINE event
    void Flush();

    // "<seconds>.<6 digits>" of a steady_clock time point.
    static std::string Stamp(TimePoint at);

private:
    std::FILE* file_ = nullptr;
    std::string pending_;
};

} // namespace zorva::sim
