// The module itself: its configuration, clock, status, pictures and what it answers to each
// request. No I/O here: the line hands in complete frames and sends out what comes back.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "PictureSource.h"
#include "config/ConfigRecord.h"
#include "link/Frames.h"

namespace zorva::sim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

// Picture packet flags (high nibble of payload byte 0).
constexpr std::uint8_t kPacketMore = 0x00;
constexpr std::uint8_t kPacketLast = 0xF0;
constexpr std::uint8_t kPacketNoPicture = 0xA0;
constexpr std::uint8_t kPacketChannelOff = 0xB0;
// Error report codes (reply type 8).
constexpr std::uint8_t kErrUnknownFrame = 0xBB;
constexpr std::uint8_t kErrPacketNumber = 0xDD;
// Write acknowledgement values.
constexpr std::uint8_t kWriteDone = 0xAA;
constexpr std::uint8_t kWriteRefused = 0xBB;
// Length of the status record that the module sends.
constexpr std::size_t kStatusLength = 18;

struct ModuleSettings {
    ConfigRecord::Image config{};
    int firmware = 2;
    std::uint8_t cameras = 0x33;
    std::uint8_t inputs = 0;
    std::chrono::milliseconds resetSilence{2000};
    std::chrono::milliseconds eventEvery{0}; // 0: no scheduled events
    bool rejectWrite = false;
    int storeSkew = -1; // byte stored one higher than written; -1: every byte as written
    int fmwDay = 15, fmwMonth = 3, fmwYear = 2011;
};

// The default configuration: cameras A and B, colour, quarter size, 5 and 10 pictures, an
// identifier, a password, fixed addresses, Ethernet and modem 1 on with a phone number.
ConfigRecord::Image DefaultConfig();

// Reads the first 2048 bytes of a configuration file; false (with a reason) when the file
// cannot be read or is shorter.
bool LoadConfigFile(const std::string& path, ConfigRecord::Image& image, std::string* error);

// Civil date and time of the module's clock.
struct CivilTime {
    int year, month, day, hour, minute, second;
};

class ModuleCore {
public:
    ModuleCore(const ModuleSettings& settings, std::unique_ptr<PictureSource> pictures,
               TimePoint now);

    // A complete frame with a right checksum from the PC; returns the answers, in order.
    // Frames that arrive while the module is deaf (silent or restarting) get no answer.
    std::vector<Bytes> OnFrame(std::span<const std::uint8_t> frame, TimePoint now);

    // Unsolicited reports that are due (the event schedule); empty while deaf.
    std::vector<Bytes> OnTimer(TimePoint now);
    // When OnTimer next has something to do; nullopt when nothing is scheduled.
    std::optional<TimePoint> NextTimer() const;

    // Silent by command, or restarting after RESET.
    bool Deaf(TimePoint now) const;
    bool restarting(TimePoint now) const { return resetUntil_ && now < *resetUntil_; }

    // Reports on command.
    static Bytes EventFrame(std::span<const std::uint8_t> payload);
    static Bytes ErrorFrame(std::uint8_t code);
    Bytes FirmwareDateFrame() const;

    // Off also ends a silence asked for after the next clock frame or picture request.
    void SetSilent(bool on)
    {
        silent_ = on;
        silentAfterClock_ = silentAfterClock_ && on;
        silentAfterPicture_ = silentAfterPicture_ && on;
    }
    // Falls silent right after the next clock frame, as a module that hangs on it.
    void SetSilentAfterClock() { silentAfterClock_ = true; }
    // Falls silent right after answering the next picture request, as a module that hangs
    // while it sends a picture.
    void SetSilentAfterPicture() { silentAfterPicture_ = true; }
    void SetFirmware(int n) { firmware_ = n; }
    void SetCameras(std::uint8_t bits) { cameras_ = bits; }
    void SetInputs(std::uint8_t bits) { inputs_ = bits; }
    void SetRejectWrite(bool on) { rejectWrite_ = on; }
    // Every picture request of a camera that is on is answered with 0xA (no picture).
    void SetNoPicture(bool on) { noPicture_ = on; }
    void SetStoreSkew(int byte) { storeSkew_ = byte; }
    void SetFirmwareDate(int day, int month, int year);

    const ConfigRecord& config() const { return config_; }
    bool silent() const { return silent_; }
    CivilTime ClockAt(TimePoint now) const;
    // "YYYY-MM-DD hh:mm:ss", as the pictures show it.
    std::string ClockText(TimePoint now) const;
    Bytes StatusPayload(TimePoint now) const;
    Bytes NetworkPayload() const;

private:
    Bytes AnswerWrite(std::span<const std::uint8_t> payload);
    Bytes AnswerPicture(std::span<const std::uint8_t> payload, TimePoint now);
    void SetClock(std::span<const std::uint8_t> payload, TimePoint now);

    ConfigRecord config_;
    std::unique_ptr<PictureSource> pictures_;
    // The clock as seconds of a civil calendar (no time zone), counted on from clockSetAt_.
    std::int64_t clockBase_ = 0;
    TimePoint clockSetAt_;
    int firmware_;
    std::uint8_t cameras_;
    std::uint8_t inputs_;
    bool rejectWrite_;
    bool noPicture_ = false;
    int storeSkew_;
    bool silent_ = false;
    bool silentAfterClock_ = false;
    bool silentAfterPicture_ = false;
    std::chrono::milliseconds resetSilence_;
    std::optional<TimePoint> resetUntil_;
    std::chrono::milliseconds eventEvery_;
    std::optional<TimePoint> nextEvent_;
    unsigned eventCount_ = 0;
    std::array<std::uint8_t, 4> fmwDate_{}; // BCD day, month, century, year
    // The latest picture of each camera; empty until packet 0 is asked.
    std::array<Jpeg, 4> lastPicture_;
};

} // namespace zorva::sim
