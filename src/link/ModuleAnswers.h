// What counts as the module having answered. A line that echoes (a loopback plug, a modem's AT
// port) sends every request back, and a request is itself a valid frame: the status request
// FF FF 02 03 03 reads as a status reply with nothing in it. So an answer is a frame whose type
// carries a payload where it has one, and never a copy of a request the program has just sent.
// Plain C++, like the frames themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/Frames.h"

namespace zorva {

// Whether `frame` (a whole frame whose checksum is right) can be the module's answer, given the
// requests written most recently.
bool IsModuleAnswer(std::span<const std::uint8_t> frame, std::span<const Bytes> recentRequests);

// Follows one side of a conversation: the requests written and the bytes received, cut into
// frames as the reply parser cuts them, counting the module's answers among them.
class AnswerWatch {
public:
    // How many of the latest requests a frame is compared with.
    static constexpr std::size_t kRemembered = 8;

    void Sent(std::span<const std::uint8_t> request);
    // Takes bytes as they are received; counts the answers among the frames they complete.
    void Received(std::span<const std::uint8_t> bytes);
    // Forgets the bytes of a frame not yet complete (a port opened again).
    void Restart() { pending_.clear(); }

    std::uint64_t Answers() const { return answers_; }
    std::uint64_t StatusAnswers() const { return statusAnswers_; }

private:
    std::vector<Bytes> sent_;
    Bytes pending_;
    std::uint64_t answers_ = 0;
    std::uint64_t statusAnswers_ = 0;
};

} // namespace zorva
