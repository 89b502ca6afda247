// Control commands of the simulator, one a line (standard input, --script files, and
// Simulator::Execute in tests).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorva::sim {

struct ControlCommand {
    enum class Kind {
        Event,              // bytes: event payload (code and arguments)
        Error,              // bytes: the error code
        FmwDate,            // date: optional new firmware date (day, month, year)
        Silent,             // flag
        SilentAfterClock,   // silent once the next clock frame is set
        SilentAfterPicture, // silent once the next picture request is answered
        Unplug,             // number: seconds
        Firmware,           // number
        Cameras,            // number: camera byte
        Inputs,             // number: input byte
        RejectWrite,        // flag
        NoPicture,          // flag
        StoreSkew,          // number: byte offset, -1 = off
        Split,              // flag
        Garbage,            // number: rate
        Corrupt,            // number: rate
        Drop,               // number: rate
        Delay,              // number: milliseconds
        Baud,               // number: bit/s, 0 = no pacing
        Wait,               // number: seconds (handled by whoever reads the lines)
        Dump,               // text: the file that gets the configuration and the clock
        Quit,
    };
    Kind kind = Kind::Quit;
    std::vector<std::uint8_t> bytes;
    std::string text;
    double number = 0;
    bool flag = false;
    std::optional<std::vector<int>> date;
};

struct ParsedControlLine {
    std::optional<ControlCommand> command; // empty for blank lines and comments
    std::string error;                     // non-empty: the line was not understood
};

ParsedControlLine ParseControlLine(const std::string& line);

} // namespace zorva::sim
