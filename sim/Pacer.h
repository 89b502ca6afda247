// Paces bytes to the speed of a real serial line: at N bit/s with 10 bits a byte, byte k of a
// continuous burst may leave no earlier than the moment a real receiver would have it whole.
// The schedule is absolute, so a late wake-up never stretches a burst.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace zorva::sim {

class Pacer {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit Pacer(std::uint32_t baud = 0) { SetBaud(baud); }

    void SetBaud(std::uint32_t baud);
    bool paced() const { return baud_ != 0; }
    std::chrono::nanoseconds byteTime() const { return byteTime_; }

    // Bytes are ready after the line had nothing to send: the line starts at `now`, or when
    // the bytes it still carries are through.
    void Begin(TimePoint now);
    // How many of `wanted` bytes have had their time on the line by `now`; they count as sent.
    std::size_t Release(TimePoint now, std::size_t wanted);
    // Gives back bytes that were released but could not be written.
    void Unrelease(std::size_t count);
    // When to try again for `remaining` bytes: the next byte's time, or a batch of up to half a
    // millisecond of bytes so that fast lines do not wake the loop for every byte.
    TimePoint NextRelease(std::size_t remaining) const;

private:
    std::uint32_t baud_ = 0;
    std::chrono::nanoseconds byteTime_{0};
    TimePoint cursor_{}; // when the last released byte was through
};

} // namespace zorva::sim
