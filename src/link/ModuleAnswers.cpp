#include "link/ModuleAnswers.h"

#include <algorithm>

namespace zorva {

bool IsModuleAnswer(std::span<const std::uint8_t> frame, std::span<const Bytes> recentRequests)
{
    if (frame.size() < 5) {
        return false;
    }
    // Only the restart's acknowledgement carries nothing; every other reply, and any type the
    // program does not know, is empty only as an echoed request.
    const bool empty = frame[2] <= 2;
    if (empty && frame[3] != kRxResetAck) {
        return false;
    }
    return std::none_of(recentRequests.begin(), recentRequests.end(), [&](const Bytes& request) {
        return std::equal(frame.begin(), frame.end(), request.begin(), request.end());
    });
}

void AnswerWatch::Sent(std::span<const std::uint8_t> request)
{
    if (sent_.size() == kRemembered) {
        sent_.erase(sent_.begin());
    }
    sent_.emplace_back(request.begin(), request.end());
}

void AnswerWatch::Received(std::span<const std::uint8_t> bytes)
{
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::size_t at = 0;
    while (at < pending_.size()) {
        const std::span<const std::uint8_t> rest = std::span(pending_).subspan(at);
        const FrameCut cut = CutFrame(rest);
        if (cut.kind == FrameCut::NeedMore) {
            break;
        }
        if (cut.kind != FrameCut::Frame) {
            ++at;
            continue;
        }
        const std::span<const std::uint8_t> frame = rest.first(cut.length);
        if (IsModuleAnswer(frame, sent_)) {
            ++answers_;
            statusAnswers_ += frame[3] == kRxStatus;
        }
        at += cut.length;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace zorva
