#include "Faults.h"

#include <algorithm>

namespace zorva::sim {

FaultInjector::FaultInjector(const FaultSettings& settings, std::uint64_t seed)
    : settings_(settings), dice_(seed)
{
}

bool FaultInjector::Roll(double rate)
{
    if (rate <= 0) {
        return false;
    }
    if (rate >= 1) {
        return true;
    }
    return std::uniform_real_distribution<double>(0.0, 1.0)(dice_) < rate;
}

std::size_t FaultInjector::Uniform(std::size_t low, std::size_t high)
{
    return std::uniform_int_distribution<std::size_t>(low, high)(dice_);
}

ShapedFrame FaultInjector::Shape(const Bytes& frame)
{
    ShapedFrame out;
    out.frame = frame;
    out.delay = std::chrono::milliseconds(settings_.delayMs);
    if (Roll(settings_.dropRate)) {
        out.dropped = true;
        return out;
    }
    if (Roll(settings_.garbageRate)) {
        // Noise never holds 0xFF, so it cannot pose as a sync pair and hide the frame after
        // it: the receiver drops it byte by byte and finds the frame.
        out.garbage.resize(Uniform(1, 8));
        for (auto& b : out.garbage) {
            b = static_cast<std::uint8_t>(Uniform(0x00, 0xFE));
        }
    }
    if (!out.frame.empty() && Roll(settings_.corruptRate)) {
        out.frame.back() = static_cast<std::uint8_t>(out.frame.back() + Uniform(1, 255));
        out.corrupted = true;
    }
    if (settings_.split && out.frame.size() >= 2) {
        // Two to six pieces, cut at distinct random places.
        const std::size_t count = Uniform(2, std::min<std::size_t>(6, out.frame.size()));
        std::vector<std::size_t> cuts;
        while (cuts.size() + 1 < count) {
            const std::size_t at = Uniform(1, out.frame.size() - 1);
            if (std::find(cuts.begin(), cuts.end(), at) == cuts.end()) {
                cuts.push_back(at);
            }
        }
        std::sort(cuts.begin(), cuts.end());
        std::size_t previous = 0;
        for (std::size_t at : cuts) {
            out.pieces.push_back(at - previous);
            previous = at;
        }
        out.pieces.push_back(out.frame.size() - previous);
    } else {
        out.pieces.push_back(out.frame.size());
    }
    return out;
}

} // namespace zorva::sim
