// Which request a reply answers. The module answers requests in the order they were written,
// one reply each (the clock frame has none), and a reply's type is its request's code; but the
// replies name nothing else: a picture packet does not say which camera it is of, a status reply
// not which request it answers. So each reply is matched to the oldest request still waiting
// whose code is its type, and the requests of other codes before it are taken as lost. The
// match is never later than the truth (a request that was lost makes the answers after it
// count as answers to earlier requests), so "answers a request written after X" can be relied on.
// Plain C++, like the frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include "link/Frames.h"

namespace zorva {

class RequestOrder {
public:
    // Requests remembered; beyond that the oldest is taken as lost.
    static constexpr std::size_t kRemembered = 64;

    struct Request {
        std::uint64_t sequence = 0; // 1 for the first request written
        Bytes frame;
    };

    // Notes a request written; its sequence number.
    std::uint64_t Sent(std::span<const std::uint8_t> frame);
    // The request that a reply of `type` answers; nothing when no request of that code waits
    // (a report the module sends of itself, an answer that came after its request was lost).
    std::optional<Request> Answered(std::uint8_t type);
    // The connection was made anew: nothing written before will be answered.
    void Forget() { waiting_.clear(); }
    // The sequence number the next request will get.
    std::uint64_t NextSequence() const { return next_; }

private:
    std::deque<Request> waiting_;
    std::uint64_t next_ = 1;
};

} // namespace zorva
