#include "link/RequestOrder.h"

#include <algorithm>

namespace zorva {

std::uint64_t RequestOrder::Sent(std::span<const std::uint8_t> frame)
{
    // A request without a reply never waits.
    if (frame.size() < 5 || frame[3] == kCmdZegar) {
        return next_++;
    }
    if (waiting_.size() == kRemembered) {
        waiting_.pop_front();
    }
    waiting_.push_back({next_, Bytes(frame.begin(), frame.end())});
    return next_++;
}

std::optional<RequestOrder::Request> RequestOrder::Answered(std::uint8_t type)
{
    const auto match = std::find_if(waiting_.begin(), waiting_.end(),
                                    [type](const Request& r) { return r.frame[3] == type; });
    if (match == waiting_.end()) {
        return std::nullopt;
    }
    Request answered = std::move(*match);
    waiting_.erase(waiting_.begin(), match + 1);
    return answered;
}

} // namespace zorva
