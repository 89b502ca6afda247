// Link frames exchanged with the module: FF FF, L, code, L-2 payload bytes, checksum.
// The checksum is the sum of every byte before it (sync pair and L included) modulo 256.
// Plain C++ so that the program and the module simulator share one definition.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zorva {

using Bytes = std::vector<std::uint8_t>;

// Command codes (PC to module).
enum Command : std::uint8_t {
    kCmdDane = 0x01,   // read configuration
    kCmdWrite = 0x02,  // write configuration
    kCmdStan = 0x03,   // status
    kCmdZegar = 0x04,  // set clock
    kCmdReset = 0x05,  // restart the module
    kCmdRdDhcp = 0x06, // read network settings
    kCmdPict = 0x07,   // one picture packet
};

// Reply types (module to PC).
enum ReplyType : std::uint8_t {
    kRxConfig = 1,
    kRxWriteAck = 2,
    kRxStatus = 3,
    kRxResetAck = 5,
    kRxNetwork = 6,
    kRxPicture = 7,
    kRxError = 8,
    kRxEvent = 9,
    kRxFirmwareDate = 10,
};

constexpr std::uint8_t kSync = 0xFF;
// Longest byte string a request is built in; L is at most kMaxRequest - 3 on the sending side.
constexpr std::size_t kMaxRequest = 255;
// The receiving side accepts L up to this value, so a reply frame is at most 253 bytes.
constexpr std::uint8_t kMaxReplyL = 250;
constexpr std::size_t kMaxReplyFrame = kMaxReplyL + 3;
// Bytes 0..174 of the configuration record travel in the write command.
constexpr std::size_t kWritePayload = 175;
// Packet size code the preview asks for: 15 units of 16 bytes.
constexpr std::uint8_t kPictureUnit = 16;

// Sum of all bytes modulo 256; fewer than two bytes give 0.
std::uint8_t FrameChecksum(std::span<const std::uint8_t> bytes);

// FF FF, payload length + 2, code, payload, checksum. The payload must leave the frame
// within kMaxRequest bytes (the module's own replies use the same builder).
Bytes BuildFrame(std::uint8_t code, std::span<const std::uint8_t> payload = {});

// The requests of the catalogue.
Bytes DaneFrame();
Bytes StanFrame();
Bytes ResetFrame();
Bytes RdDhcpFrame();
Bytes WriteConfigFrame(std::span<const std::uint8_t, kWritePayload> image);
Bytes PictFrame(std::uint8_t cameraMask, std::uint8_t packet, std::uint8_t sizeCode);
// Clock frame: year little-endian, month, day, hour, minute, second.
Bytes ZegarFrame(int year, int month, int day, int hour, int minute, int second);

// Tag of a sent frame's log line, for example "Tx STAN: "; empty for unknown codes.
const char* CommandTag(std::uint8_t code);

// Upper-case hexadecimal with an even number of digits: 5 -> "05", 0x123 -> "0123".
std::string IntToHexEven(std::uint32_t value);
// Each byte as IntToHexEven followed by one blank; empty input gives "".
std::string BytesToHex(std::span<const std::uint8_t> bytes);

// What stands at the front of a receive buffer.
struct FrameCut {
    enum Kind {
        NeedMore,    // wait for more bytes
        Skip,        // no sync pair with a valid length here: drop the first byte
        Frame,       // `length` bytes form a frame whose checksum is right
        BadChecksum, // `length` bytes form a frame whose checksum is wrong
    };
    Kind kind;
    std::size_t length; // frame length (L + 3) for Frame and BadChecksum, else 0
};

// Looks at the front of `buffer` as both sides of the link cut frames: a sync pair, a length
// L of at most kMaxReplyL, at least 5 bytes and the whole L + 3 bytes present, then the
// checksum. Never reads past buffer.size().
FrameCut CutFrame(std::span<const std::uint8_t> buffer);

// Whether the bytes received hold a status reply: a frame of type kRxStatus with a payload (an
// echoed status request has none) whose checksum is right, wherever it starts (bytes before it and
// other whole frames are passed over).
bool HoldsStatusReply(std::span<const std::uint8_t> received);

} // namespace zorva
