// The simulator's trace file read back: one entry per line, with the CLOCK_MONOTONIC time in
// seconds, the keyword (RX, TX, RX-BAD, LINE ...) and the frame's bytes. The simulator stamps
// RX when its loop wakes up with the bytes of a good frame waiting (before reading them) and TX
// right after the write of the frame's last byte returned.
#pragma once

#include <string>
#include <vector>

#include "link/Frames.h"

namespace zorva::bench {

struct TraceEntry {
    double seconds = 0;
    std::string keyword;
    Bytes bytes; // empty for LINE entries

    // Code of a request (RX) or type of a reply (TX); -1 when the frame is too short.
    int code() const { return bytes.size() > 3 ? bytes[3] : -1; }
    // First payload byte (a picture packet's flags, a request's camera mask); -1 if none.
    int payload(std::size_t index) const
    {
        return bytes.size() > 4 + index + 1 ? bytes[4 + index] : -1;
    }
};

// False with a reason when the file cannot be read; unreadable lines are skipped.
bool ReadTrace(const std::string& path, std::vector<TraceEntry>* entries, std::string* error);

// How many entries with the keyword and, when code >= 0, that code.
int CountFrames(const std::vector<TraceEntry>& entries, const std::string& keyword, int code = -1);

} // namespace zorva::bench
