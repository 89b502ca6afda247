// Pieces shared by the POSIX serial port and its event waiter. Private to the platform layer.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <unistd.h>

#include "serial/platform/SerialPlatform.h"

namespace zorva::serial::posix {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// Milliseconds left until `end`, never negative.
int RemainingMs(Clock::time_point end);

struct LineCounters {
    bool valid = false;
    int cts = 0, dsr = 0, rng = 0, dcd = 0;
    int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
};

LineCounters ReadCounters(int fd);
// TIOCMGET bits; nothing when the driver has no modem lines.
std::optional<int> ModemBits(int fd);

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

// The waiter for line events on `device`: see SerialEventWaiterPosix.cpp. nullptr when its
// descriptors cannot be created; *error (when given) then holds errno.
std::unique_ptr<EventWaiter> CreateEventWaiter(int device, std::uint32_t mask,
                                               std::shared_ptr<OutputState> output, int* error);

} // namespace zorva::serial::posix
