#include "link/Frames.h"

#include <cassert>

namespace zorva {

std::uint8_t FrameChecksum(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 2) {
        return 0;
    }
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    return sum;
}

Bytes BuildFrame(std::uint8_t code, std::span<const std::uint8_t> payload)
{
    assert(payload.size() + 5 <= kMaxRequest);
    Bytes frame;
    frame.reserve(payload.size() + 5);
    frame.push_back(kSync);
    frame.push_back(kSync);
    frame.push_back(static_cast<std::uint8_t>(payload.size() + 2));
    frame.push_back(code);
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(FrameChecksum(frame));
    return frame;
}

namespace {
Bytes FixedFrame(std::uint8_t code)
{
    Bytes frame{kSync, kSync, 0x02, code};
    frame.push_back(FrameChecksum(frame));
    return frame;
}
} // namespace

Bytes DaneFrame()
{
    return FixedFrame(kCmdDane);
}
Bytes StanFrame()
{
    return FixedFrame(kCmdStan);
}
Bytes ResetFrame()
{
    return FixedFrame(kCmdReset);
}
Bytes RdDhcpFrame()
{
    return FixedFrame(kCmdRdDhcp);
}

Bytes WriteConfigFrame(std::span<const std::uint8_t, kWritePayload> image)
{
    return BuildFrame(kCmdWrite, image);
}

Bytes PictFrame(std::uint8_t cameraMask, std::uint8_t packet, std::uint8_t sizeCode)
{
    const std::uint8_t payload[] = {cameraMask, packet, sizeCode};
    return BuildFrame(kCmdPict, payload);
}

Bytes ZegarFrame(int year, int month, int day, int hour, int minute, int second)
{
    const std::uint8_t payload[] = {
        static_cast<std::uint8_t>(year & 0xFF), static_cast<std::uint8_t>((year >> 8) & 0xFF),
        static_cast<std::uint8_t>(month),       static_cast<std::uint8_t>(day),
        static_cast<std::uint8_t>(hour),        static_cast<std::uint8_t>(minute),
        static_cast<std::uint8_t>(second),
    };
    return BuildFrame(kCmdZegar, payload);
}

const char* CommandTag(std::uint8_t code)
{
    switch (code) {
    case kCmdDane:
        return "Tx DANE: ";
    case kCmdWrite:
        return "Tx: ";
    case kCmdStan:
        return "Tx STAN: ";
    case kCmdZegar:
        return "Tx ZEGAR: ";
    case kCmdReset:
        return "Tx  RESET: ";
    case kCmdRdDhcp:
        return "Tx RdDHCP: ";
    case kCmdPict:
        return "Tx PICT: ";
    default:
        return "";
    }
}

std::string IntToHexEven(std::uint32_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string reversed;
    do {
        reversed.push_back(digits[value & 0x0F]);
        value >>= 4;
    } while (value != 0);
    if (reversed.size() % 2 != 0) {
        reversed.push_back('0');
    }
    return std::string(reversed.rbegin(), reversed.rend());
}

std::string BytesToHex(std::span<const std::uint8_t> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0x0F]);
        text.push_back(' ');
    }
    return text;
}

FrameCut CutFrame(std::span<const std::uint8_t> buffer)
{
    const std::size_t n = buffer.size();
    if (n >= 3 && (buffer[0] != kSync || buffer[1] != kSync || buffer[2] > kMaxReplyL)) {
        return {FrameCut::Skip, 0};
    }
    if (n < 5) {
        return {FrameCut::NeedMore, 0};
    }
    const std::size_t length = std::size_t{buffer[2]} + 3;
    if (n < length) {
        return {FrameCut::NeedMore, 0};
    }
    const bool good = FrameChecksum(buffer.first(length - 1)) == buffer[length - 1];
    return {good ? FrameCut::Frame : FrameCut::BadChecksum, length};
}

bool HoldsStatusReply(std::span<const std::uint8_t> received)
{
    std::size_t at = 0;
    while (at < received.size()) {
        const std::span<const std::uint8_t> rest = received.subspan(at);
        const FrameCut cut = CutFrame(rest);
        if (cut.kind != FrameCut::Frame) {
            ++at;
        } else if (rest[2] > 2 && rest[3] == kRxStatus) {
            return true;
        } else {
            at += cut.length;
        }
    }
    return false;
}

} // namespace zorva
