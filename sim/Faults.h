// Named faults of the module's sending side: split answers, noise between frames, a spoilt
// checksum, a lost answer and a fixed delay. Seeded dice, so that a run can be repeated.
#pragma once

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "SimOptions.h"

namespace zorva::sim {

using Bytes = std::vector<std::uint8_t>;

// One frame as the faults let it go out.
struct ShapedFrame {
    bool dropped = false;
    Bytes garbage; // noise written before the frame; empty when none
    Bytes frame;   // the bytes sent, checksum spoilt when `corrupted`
    bool corrupted = false;
    std::vector<std::size_t> pieces; // sizes of the pieces the frame leaves in, in order
    std::chrono::milliseconds delay{0};
};

class FaultInjector {
public:
    FaultInjector(const FaultSettings& settings, std::uint64_t seed);

    ShapedFrame Shape(const Bytes& frame);

    FaultSettings& settings() { return settings_; }

private:
    bool Roll(double rate);
    std::size_t Uniform(std::size_t low, std::size_t high); // low..high inclusive

    FaultSettings settings_;
    std::mt19937_64 dice_;
};

} // namespace zorva::sim
