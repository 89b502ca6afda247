// Payloads of the module's event reports (reply type 9): the event code followed by its
// arguments, encoded by the kinds that the language files' LOG sections expect.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorva::sim {

using Bytes = std::vector<std::uint8_t>;

enum class ArgKind { Camera, Int }; // "ABCD": one byte 0..3; "int": four bytes, little-endian

// Argument kinds of a known event code; empty for codes without arguments and unknown codes.
std::vector<ArgKind> EventArgKinds(std::uint8_t code);
bool IsKnownEvent(std::uint8_t code);

struct EncodedEvent {
    Bytes payload; // code, then the argument bytes
    std::string error;
};

// Known codes: each argument in its kind (camera as A-D or 0-3, numbers in decimal), missing
// ones default to camera A and the number 1. Unknown codes: each argument is one hex byte.
EncodedEvent EncodeEvent(std::uint8_t code, const std::vector<std::string>& args);

// The n-th event of the built-in schedule: a varied, plausible sequence of reports.
Bytes ScheduledEvent(unsigned n, int firmware);

} // namespace zorva::sim
