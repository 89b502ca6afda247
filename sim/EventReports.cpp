#include "EventReports.h"

#include "SimOptions.h"
#include "link/EventCodes.h"

namespace zorva::sim {

namespace {

void AppendInt(Bytes& out, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((u >> shift) & 0xFF));
    }
}

bool AppendCamera(Bytes& out, const std::string& text)
{
    if (text.size() == 1) {
        const char c = text[0];
        if (c >= 'A' && c <= 'D') {
            out.push_back(static_cast<std::uint8_t>(c - 'A'));
            return true;
        }
        if (c >= 'a' && c <= 'd') {
            out.push_back(static_cast<std::uint8_t>(c - 'a'));
            return true;
        }
        if (c >= '0' && c <= '3') {
            out.push_back(static_cast<std::uint8_t>(c - '0'));
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<ArgKind> EventArgKinds(std::uint8_t code)
{
    using namespace zorva::event;
    switch (code) {
    case kInputAlarm:
        return {ArgKind::Camera, ArgKind::Int};
    case kTestTransmission:
    case kModemFailed:
    case kModuleStarted:
        return {ArgKind::Int};
    case kVideoLost:
    case kVideoRestored:
        return {ArgKind::Camera};
    default:
        return {};
    }
}

bool IsKnownEvent(std::uint8_t code)
{
    return code >= zorva::event::kInputAlarm && code <= zorva::event::kModuleStarted;
}

EncodedEvent EncodeEvent(std::uint8_t code, const std::vector<std::string>& args)
{
    EncodedEvent result;
    result.payload.push_back(code);
    if (!IsKnownEvent(code)) {
        for (const std::string& arg : args) {
            const auto byte = ParseInteger(arg, 16, 0, 255);
            if (!byte) {
                result.error = "argument bytes of an unknown event are hex bytes: " + arg;
                return result;
            }
            result.payload.push_back(static_cast<std::uint8_t>(*byte));
        }
        return result;
    }
    const std::vector<ArgKind> kinds = EventArgKinds(code);
    if (args.size() > kinds.size()) {
        result.error = "event " + std::to_string(code) + " takes " + std::to_string(kinds.size()) +
                       " argument(s)";
        return result;
    }
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i] == ArgKind::Camera) {
            if (i >= args.size()) {
                result.payload.push_back(0);
            } else if (!AppendCamera(result.payload, args[i])) {
                result.error = "a camera is A, B, C or D: " + args[i];
                return result;
            }
        } else {
            if (i >= args.size()) {
                AppendInt(result.payload, 1);
                continue;
            }
            const auto n = ParseInteger(args[i], 10, INT32_MIN, INT32_MAX);
            if (!n) {
                result.error = "not a 32-bit number: " + args[i];
                return result;
            }
            AppendInt(result.payload, static_cast<std::int32_t>(*n));
        }
    }
    return result;
}

Bytes ScheduledEvent(unsigned n, int firmware)
{
    using namespace zorva::event;
    Bytes payload;
    const auto camera = static_cast<std::uint8_t>(n % 2); // the default cameras A and B
    switch (n % 6) {
    case 0:
        payload = {kInputAlarm, camera};
        AppendInt(payload, static_cast<std::int32_t>(n % 8 + 1));
        break;
    case 1:
        payload = {kTestTransmission};
        AppendInt(payload, static_cast<std::int32_t>(n / 6 + 1));
        break;
    case 2:
        payload = {kVideoLost, camera};
        break;
    case 3:
        payload = {kVideoRestored, static_cast<std::uint8_t>((n - 1) % 2)};
        break;
    case 4:
        payload = {kTamper};
        break;
    default:
        payload = {kModuleStarted};
        AppendInt(payload, firmware);
        break;
    }
    return payload;
}

} // namespace zorva::sim
