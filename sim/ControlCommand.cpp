#include "ControlCommand.h"

#include <sstream>

#include "EventReports.h"
#include "SimOptions.h"

namespace zorva::sim {

namespace {

using Kind = ControlCommand::Kind;

std::optional<bool> OnOff(const std::string& word)
{
    if (word == "on" || word == "1") {
        return true;
    }
    if (word == "off" || word == "0") {
        return false;
    }
    return std::nullopt;
}

} // namespace

ParsedControlLine ParseControlLine(const std::string& line)
{
    ParsedControlLine parsed;
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    if (words.empty()) {
        return parsed;
    }
    const std::string& name = words[0];
    const std::vector<std::string> args(words.begin() + 1, words.end());
    auto fail = [&](const std::string& text) {
        parsed.error = name + ": " + text;
        return parsed;
    };
    auto needArgs = [&](std::size_t n) { return args.size() == n; };
    ControlCommand c;

    if (name == "quit" && needArgs(0)) {
        c.kind = Kind::Quit;
    } else if (name == "event" && !args.empty()) {
        const auto code = ParseInteger(args[0], 16, 0, 255);
        if (!code) {
            return fail("the event code is one hex byte");
        }
        EncodedEvent e = EncodeEvent(static_cast<std::uint8_t>(*code),
                                     std::vector<std::string>(args.begin() + 1, args.end()));
        if (!e.error.empty()) {
            return fail(e.error);
        }
        c.kind = Kind::Event;
        c.bytes = e.payload;
    } else if (name == "error" && needArgs(1)) {
        const auto code = ParseInteger(args[0], 16, 0, 255);
        if (!code) {
            return fail("the error code is one hex byte");
        }
        c.kind = Kind::Error;
        c.bytes = {static_cast<std::uint8_t>(*code)};
    } else if (name == "fmwdate" && args.size() <= 1) {
        c.kind = Kind::FmwDate;
        if (args.size() == 1) {
            const std::string& d = args[0];
            const auto y =
                d.size() == 10 ? ParseInteger(d.substr(0, 4), 10, 1000, 9999) : std::nullopt;
            const auto m = d.size() == 10 ? ParseInteger(d.substr(5, 2), 10, 1, 12) : std::nullopt;
            const auto day =
                d.size() == 10 ? ParseInteger(d.substr(8, 2), 10, 1, 31) : std::nullopt;
            if (!y || !m || !day || d[4] != '-' || d[7] != '-') {
                return fail("the date is YYYY-MM-DD");
            }
            c.date = std::vector<int>{int(*day), int(*m), int(*y)};
        }
    } else if ((name == "silent" || name == "reject-write" || name == "split" ||
                name == "no-picture") &&
               needArgs(1)) {
        const auto on = OnOff(args[0]);
        const bool afterClock = name == "silent" && args[0] == "after-clock";
        const bool afterPicture = name == "silent" && args[0] == "after-picture";
        if (!on && !afterClock && !afterPicture) {
            return fail("on or off");
        }
        c.kind = afterClock             ? Kind::SilentAfterClock
                 : afterPicture         ? Kind::SilentAfterPicture
                 : name == "silent"     ? Kind::Silent
                 : name == "split"      ? Kind::Split
                 : name == "no-picture" ? Kind::NoPicture
                                        : Kind::RejectWrite;
        c.flag = on.value_or(true);
    } else if (name == "store-skew" && needArgs(1)) {
        const auto byte = args[0] == "off" ? std::optional<int>(-1) : ParseSkewByte(args[0]);
        if (!byte) {
            return fail("an offset 0 to 174, a field name or off");
        }
        c.kind = Kind::StoreSkew;
        c.number = *byte;
    } else if ((name == "unplug" || name == "wait") && needArgs(1)) {
        const auto s = ParseDouble(args[0], 0, 86400);
        if (!s) {
            return fail("seconds expected");
        }
        c.kind = name == "unplug" ? Kind::Unplug : Kind::Wait;
        c.number = *s;
    } else if (name == "firmware" && needArgs(1)) {
        const auto n = ParseInteger(args[0], 10, 0, 255);
        if (!n) {
            return fail("a number 0 to 255");
        }
        c.kind = Kind::Firmware;
        c.number = double(*n);
    } else if ((name == "cameras" || name == "inputs") && needArgs(1)) {
        const auto n = ParseInteger(args[0], 16, 0, 255);
        if (!n) {
            return fail("one hex byte");
        }
        c.kind = name == "cameras" ? Kind::Cameras : Kind::Inputs;
        c.number = double(*n);
    } else if ((name == "garbage" || name == "corrupt" || name == "drop") && needArgs(1)) {
        const auto r = ParseDouble(args[0], 0, 1);
        if (!r) {
            return fail("a rate from 0 to 1");
        }
        c.kind = name == "garbage" ? Kind::Garbage : name == "corrupt" ? Kind::Corrupt : Kind::Drop;
        c.number = *r;
    } else if (name == "delay" && needArgs(1)) {
        const auto n = ParseInteger(args[0], 10, 0, 60'000);
        if (!n) {
            return fail("milliseconds 0 to 60000");
        }
        c.kind = Kind::Delay;
        c.number = double(*n);
    } else if (name == "dump" && needArgs(1)) {
        c.kind = Kind::Dump;
        c.text = args[0];
    } else if (name == "baud" && needArgs(1)) {
        const auto n = ParseInteger(args[0], 10, 0, 100'000'000);
        if (!n) {
            return fail("bit/s, 0 for no pacing");
        }
        c.kind = Kind::Baud;
        c.number = double(*n);
    } else {
        parsed.error = "unknown command or wrong arguments: " + line;
        return parsed;
    }
    parsed.command = c;
    return parsed;
}

} // namespace zorva::sim
