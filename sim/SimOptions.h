// Settings of one simulated module: what the command line of zorva-sim sets, and what tests
// fill in directly when they run the module in-process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorva::sim {

// Faults that the line can suffer on the module's sending side. Rates are probabilities
// per answer, 0 to 1.
struct FaultSettings {
    bool split = false;        // every answer leaves in random pieces with short gaps
    double garbageRate = 0;    // noise bytes (never 0xFF) written before an answer
    double corruptRate = 0;    // the answer's checksum byte is wrong
    double dropRate = 0;       // the answer is lost
    std::uint32_t delayMs = 0; // fixed delay before each answer
};

struct Options {
    std::string linkPath; // empty: DefaultLinkPath()
    std::string configFile;
    std::string picturesDir;
    std::string scriptFile;
    std::string traceFile;
    // --listen: serve the line over raw TCP as well; empty host: not at all. Port 0: any free.
    std::string listenHost;
    int listenPort = -1;
    int firmware = 2;
    std::uint8_t cameras = 0x33; // channels A and B present and switched on
    std::uint8_t inputs = 0x00;
    double resetSeconds = 2.0;
    double eventEverySeconds = 0; // 0: no scheduled events
    std::uint32_t baud = 0;       // 0: no pacing, bytes leave at once
    bool rejectWrite = false;
    int storeSkew = -1;     // byte that the module stores one higher than written; -1: none
    std::uint64_t seed = 0; // 0: seeded from the clock
    // Firmware date report: day, month, year.
    int fmwDay = 15;
    int fmwMonth = 3;
    int fmwYear = 2011;
    FaultSettings faults;
};

// $XDG_RUNTIME_DIR/zorva-sim.tty, or /tmp/zorva-sim.tty without it.
std::string DefaultLinkPath();

struct ParsedCommandLine {
    Options options;
    bool help = false;
    std::string error; // non-empty: the command line was not understood
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text that `zorva-sim --help` prints.
std::string HelpText();

// Number parsing shared by the command line and the control commands; nullopt when the text
// is not a whole number in range.
std::optional<long long> ParseInteger(const std::string& text, int base, long long min,
                                      long long max);
std::optional<double> ParseDouble(const std::string& text, double min, double max);

// The byte that --store-skew and the store-skew command name: an offset 0 to 174, or a field
// name (its last byte, so "ps" turns 8080 into 8081); nullopt when neither.
std::optional<int> ParseSkewByte(const std::string& text);

} // namespace zorva::sim
