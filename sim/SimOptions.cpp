#include "SimOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "config/ConfigRecord.h"

namespace zorva::sim {

std::string DefaultLinkPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/zorva-sim.tty";
    }
    return "/tmp/zorva-sim.tty";
}

std::optional<long long> ParseInteger(const std::string& text, int base, long long min,
                                      long long max)
{
    if (text.empty()) {
        return std::nullopt;
    }
    std::string digits = text;
    if (base == 16 && digits.size() > 2 && digits[0] == '0' &&
        (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(digits.c_str(), &end, base);
    if (errno != 0 || end == digits.c_str() || *end != '\0' || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseDouble(const std::string& text, double min, double max)
{
    if (text.empty()) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value) || value < min ||
        value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseSkewByte(const std::string& text)
{
    struct Named {
        const char* name;
        std::size_t last;
    };
    static constexpr Named kFields[] = {
        {"obraz", cfg::obraz},
        {"kol", cfg::kol},
        {"kamery", cfg::kamery},
        {"dz", cfg::dz},
        {"pz", cfg::pz},
        {"pass", cfg::pass.offset + cfg::pass.width - 1},
        {"id", cfg::id.offset + cfg::id.width - 1},
        {"links", cfg::links},
        {"dhcp", cfg::dhcp},
        {"vip", cfg::vip + 3},
        {"vgate", cfg::vgate + 3},
        {"vmask", cfg::vmask + 3},
        {"sip", cfg::sip + 3},
        {"ps", cfg::ps + 1},
        {"tel", cfg::tel.offset + cfg::tel.width - 1},
        {"tel2", cfg::tel2.offset + cfg::tel2.width - 1},
        {"oz", cfg::oz},
        {"powt", cfg::powt},
        {"ncp", cfg::ncp},
        {"nmx", cfg::nmx},
        {"tcp", cfg::tcp},
        {"tmx", cfg::tmx},
        {"tt", cfg::tt},
    };
    for (const Named& field : kFields) {
        if (text == field.name) {
            return static_cast<int>(field.last);
        }
    }
    const auto offset = ParseInteger(text, 10, 0, static_cast<long long>(kWriteImageSize) - 1);
    if (!offset) {
        return std::nullopt;
    }
    return static_cast<int>(*offset);
}

namespace {

bool ParseDate(const std::string& text, Options& options)
{
    // YYYY-MM-DD
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    const auto year = ParseInteger(text.substr(0, 4), 10, 1000, 9999);
    const auto month = ParseInteger(text.substr(5, 2), 10, 1, 12);
    const auto day = ParseInteger(text.substr(8, 2), 10, 1, 31);
    if (!year || !month || !day) {
        return false;
    }
    options.fmwYear = static_cast<int>(*year);
    options.fmwMonth = static_cast<int>(*month);
    options.fmwDay = static_cast<int>(*day);
    return true;
}

} // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    ParsedCommandLine parsed;
    Options& o = parsed.options;
    auto fail = [&parsed](const std::string& text) {
        parsed.error = text;
        return parsed;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        if (arg == "--split") {
            o.faults.split = true;
            continue;
        }
        if (arg == "--reject-write") {
            o.rejectWrite = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return fail(arg.rfind("--", 0) == 0 ? arg + " needs a value"
                                                : "unknown argument: " + arg);
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (arg == "--link") {
            o.linkPath = value;
        } else if (arg == "--config") {
            o.configFile = value;
        } else if (arg == "--pictures") {
            o.picturesDir = value;
        } else if (arg == "--script") {
            o.scriptFile = value;
        } else if (arg == "--trace") {
            o.traceFile = value;
        } else if (arg == "--listen") {
            // HOST:PORT or PORT; the loopback unless a host is given.
            const std::size_t colon = value.rfind(':');
            const auto port = ParseInteger(value.substr(colon == std::string::npos ? 0 : colon + 1),
                                           10, 0, 65535);
            ok = port.has_value() && colon != 0;
            o.listenHost = colon == std::string::npos ? "127.0.0.1" : value.substr(0, colon);
            // An IPv6 host in brackets, as the address is printed: [::1]:4001.
            if (o.listenHost.size() > 2 && o.listenHost.front() == '[' &&
                o.listenHost.back() == ']') {
                o.listenHost = o.listenHost.substr(1, o.listenHost.size() - 2);
            }
            o.listenPort = static_cast<int>(port.value_or(0));
        } else if (arg == "--firmware") {
            const auto n = ParseInteger(value, 10, 0, 255);
            ok = n.has_value();
            o.firmware = static_cast<int>(n.value_or(0));
        } else if (arg == "--cameras" || arg == "--inputs") {
            const auto n = ParseInteger(value, 16, 0, 255);
            ok = n.has_value();
            (arg == "--cameras" ? o.cameras : o.inputs) = static_cast<std::uint8_t>(n.value_or(0));
        } else if (arg == "--reset-seconds") {
            const auto s = ParseDouble(value, 0, 3600);
            ok = s.has_value();
            o.resetSeconds = s.value_or(0);
        } else if (arg == "--event-every") {
            const auto s = ParseDouble(value, 0, 86400);
            ok = s.has_value();
            o.eventEverySeconds = s.value_or(0);
        } else if (arg == "--baud") {
            const auto n = ParseInteger(value, 10, 0, 100'000'000);
            ok = n.has_value();
            o.baud = static_cast<std::uint32_t>(n.value_or(0));
        } else if (arg == "--garbage" || arg == "--corrupt" || arg == "--drop") {
            const auto r = ParseDouble(value, 0, 1);
            ok = r.has_value();
            double& rate = arg == "--garbage"   ? o.faults.garbageRate
                           : arg == "--corrupt" ? o.faults.corruptRate
                                                : o.faults.dropRate;
            rate = r.value_or(0);
        } else if (arg == "--delay") {
            const auto n = ParseInteger(value, 10, 0, 60'000);
            ok = n.has_value();
            o.faults.delayMs = static_cast<std::uint32_t>(n.value_or(0));
        } else if (arg == "--seed") {
            const auto n = ParseInteger(value, 10, 0, (1LL << 62));
            ok = n.has_value();
            o.seed = static_cast<std::uint64_t>(n.value_or(0));
        } else if (arg == "--store-skew") {
            const auto b = ParseSkewByte(value);
            ok = b.has_value();
            o.storeSkew = b.value_or(-1);
        } else if (arg == "--fmwdate") {
            ok = ParseDate(value, o);
        } else {
            return fail("unknown argument: " + arg);
        }
        if (!ok) {
            return fail("bad value for " + arg + ": " + value);
        }
    }
    return parsed;
}

std::string HelpText()
{
    return R"(Usage: zorva-sim [OPTIONS]

Simulates a ZORVA module on the far end of a serial line. It opens a pseudo-terminal,
publishes the device side under a symbolic link, prints that path and answers the
configuration program's frames there. Point the program at it with [ports] COM1=PATH.

The line
  --link PATH          symbolic link to the device side
  --listen [HOST:]PORT also serve the line over raw TCP (one client at a time), on 127.0.0.1
                       unless HOST is given; port 0 takes a free one. The address is
                       printed as tcp://HOST:PORT on a second line. Anyone who reaches it
                       reads and changes the module's configuration.
                       (default $XDG_RUNTIME_DIR/zorva-sim.tty, or /tmp/zorva-sim.tty)
  --baud N             pace every byte sent to a real line at N bit/s, 10 bits a byte
                       (default 0: no pacing)

The module
  --config FILE.zrd    configuration record (the first 2048 bytes of the file); default:
                       cameras A and B, colour, quarter size, 5 and 10 pictures, an identifier,
                       a password, fixed addresses, Ethernet and modem 1 on
  --firmware N         firmware number in the status reply (default 2, shown as 1.02)
  --cameras HEX        camera byte of the status: bits 0-3 channel A-D present,
                       bits 4-7 channel A-D switched on (default 33)
  --inputs HEX         inputs InA-InH, bits 0-7 (default 00)
  --reset-seconds S    silence after RESET before the module answers again (default 2)
  --pictures DIR       send the JPEG files of DIR (*.jpg, *.jpeg, by name, cycled) instead
                       of generated 320 x 240 test pictures
  --reject-write       answer every configuration write with 0xBB (not written)
  --store-skew WHERE   acknowledge writes with 0xAA but store one byte one higher than
                       written: WHERE is an offset 0-174 or a field (its last byte): obraz,
                       kol, kamery, dz, pz, pass, id, links, dhcp, vip, vgate, vmask, sip,
                       ps, tel, tel2, oz, powt, ncp, nmx, tcp, tmx, tt
  --event-every S      send an event report every S seconds (default 0: never)
  --fmwdate YYYY-MM-DD date in the firmware date report (default 2011-03-15)

Faults (rates are probabilities per answer, 0 to 1)
  --split              send every answer in random pieces, 1 ms apart
  --garbage RATE       noise bytes (never FF) before an answer
  --corrupt RATE       answer with a wrong checksum byte
  --drop RATE          lose the answer
  --delay MS           wait MS milliseconds before each answer
  --seed N             seed of the fault dice (default: from the clock)

Control
  --script FILE        run the control commands of FILE, one a line
  --trace FILE         write every frame received and sent to FILE
  --help               this text

Control commands, one a line on standard input and in the script ('#' starts a comment;
the simulator keeps running when standard input ends; it stops on quit, SIGINT or SIGTERM):
  event CODE [ARG ...] event report, CODE in hex. For the known codes the arguments follow
                       the code's kinds: a camera as A-D (or 0-3), a number in decimal (sent
                       as 4 bytes, little-endian); missing ones default to A and 1.
                       Other codes take their argument bytes in hex.
                       Known codes: 01 input alarm (camera, input 1-8), 02 tamper,
                       03 power lost, 04 power restored, 05 test transmission (number),
                       06 video lost (camera), 07 video restored (camera),
                       08 modem failed (modem 1-2), 09 configuration changed,
                       0A module started (firmware number)
  error CODE           error report with CODE in hex (BB unknown frame, DD packet, CC none)
  fmwdate [YYYY-MM-DD] firmware date report
  silent on|off        stop answering, or answer again
  silent after-clock   stop answering right after the next clock frame
  silent after-picture stop answering right after answering the next picture request
  unplug SECONDS       close the line; SECONDS later publish a new one under the same link
  firmware N | cameras HEX | inputs HEX     change the status
  reject-write on|off  refuse configuration writes
  no-picture on|off    answer picture requests with 0xA (no picture), or send pictures
  store-skew WHERE|off store a written byte one higher (see --store-skew), or faithfully
  split on|off | garbage RATE | corrupt RATE | drop RATE | delay MS | baud N
                       change the faults and the pacing while running
  wait SECONDS         pause before the next command (useful in scripts)
  dump FILE            write the configuration (bytes 0 to 174 in hex, "config ...") and
                       the clock ("clock YYYY-MM-DD hh:mm:ss") to FILE, put in place whole
  quit                 stop the simulator

Trace format (one line per event, time in seconds of CLOCK_MONOTONIC, which is
std::chrono::steady_clock in every process of the machine, with microseconds):
  <seconds.micro> RX <hex bytes>          a complete frame with a right checksum came in
  <seconds.micro> TX <hex bytes>          a frame's last byte went out on the line
  <seconds.micro> RX-BAD <hex bytes>      a frame with a wrong checksum (its first byte is
                                          dropped and the search goes on)
  <seconds.micro> RX-SKIP <hex bytes>     bytes dropped while looking for a sync pair
  <seconds.micro> RX-IGNORED <hex bytes>  a frame that came while silent or restarting
  <seconds.micro> TX-CORRUPT <hex bytes>  a frame sent with a spoilt checksum
  <seconds.micro> TX-GARBAGE <hex bytes>  noise bytes sent between frames
  <seconds.micro> TX-DROP <hex bytes>     an answer lost on purpose (never sent)
  <seconds.micro> LINE <text>             line events (published, program closed, unplugged)
Hex bytes are two upper-case digits each, separated by one blank.
)";
}

} // namespace zorva::sim
