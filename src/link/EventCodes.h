// Event codes of the module's event reports (reply type 9). The language files' LOG sections
// describe each code (pattern and argument kinds); the simulator sends exactly these codes.
// Argument kinds: "ABCD" takes one byte (camera 0..3), "int" four bytes (signed, little-endian).
#pragma once

#include <cstdint>

namespace zorva::event {

constexpr std::uint8_t kInputAlarm = 0x01;       // a: ABCD camera, b: int input number 1..8
constexpr std::uint8_t kTamper = 0x02;           // no arguments
constexpr std::uint8_t kPowerLost = 0x03;        // no arguments
constexpr std::uint8_t kPowerRestored = 0x04;    // no arguments
constexpr std::uint8_t kTestTransmission = 0x05; // a: int transmission number
constexpr std::uint8_t kVideoLost = 0x06;        // a: ABCD camera
constexpr std::uint8_t kVideoRestored = 0x07;    // a: ABCD camera
constexpr std::uint8_t kModemFailed = 0x08;      // a: int modem number 1..2
constexpr std::uint8_t kConfigChanged = 0x09;    // no arguments
constexpr std::uint8_t kModuleStarted = 0x0A;    // a: int firmware number

} // namespace zorva::event
