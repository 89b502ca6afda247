#include "ModuleCore.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <utility>

#include <QString>

#include "EventReports.h"

namespace zorva::sim {

namespace {

std::uint8_t Bcd(int value)
{
    return static_cast<std::uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

// Seconds of the host's local time, counted as if the local calendar had no time zone.
std::int64_t LocalCivilSecondsNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<std::int64_t>(now) + local.tm_gmtoff;
}

std::optional<std::int64_t> CivilSeconds(int year, int month, int day, int hour, int minute,
                                         int second)
{
    using namespace std::chrono;
    const year_month_day date{std::chrono::year{year}, std::chrono::month{unsigned(month)},
                              std::chrono::day{unsigned(day)}};
    if (!date.ok() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59) {
        return std::nullopt;
    }
    const auto days = sys_days{date}.time_since_epoch().count();
    return std::int64_t{days} * 86400 + hour * 3600 + minute * 60 + second;
}

constexpr std::array<std::uint8_t, 6> kMac{0x02, 0x5A, 0x4F, 0x52, 0x56, 0x41};
// Addresses that the simulated DHCP server hands out.
constexpr Octets kDhcpIp{192, 168, 1, 117};
constexpr Octets kDhcpMask{255, 255, 255, 0};
constexpr Octets kDhcpGate{192, 168, 1, 1};

} // namespace

ConfigRecord::Image DefaultConfig()
{
    ConfigRecord r;
    r.setByte(cfg::obraz, static_cast<std::uint8_t>(PictureSize::Quarter));
    r.setByte(cfg::kol, 1);
    r.setCamera(0, true);
    r.setCamera(1, true);
    r.setByte(cfg::dz, 5);
    r.setByte(cfg::pz, 10);
    r.setText(cfg::pass, QStringLiteral("serwis12"));
    r.setText(cfg::id, QStringLiteral("ZRV0417"));
    r.setLinksBit(cfg::linkEthernet, true);
    r.setLinksBit(cfg::linkModem1, true);
    r.setByte(cfg::dhcp, 0);
    r.setIp(cfg::vip, {192, 168, 1, 50});
    r.setIp(cfg::vgate, {192, 168, 1, 1});
    r.setIp(cfg::vmask, {255, 255, 255, 0});
    r.setIp(cfg::sip, {192, 168, 1, 10});
    r.setPort(8080);
    r.setText(cfg::tel, QStringLiteral("0226543210"));
    r.setText(cfg::tel2, QString());
    r.setByte(cfg::oz, 10);
    r.setByte(cfg::powt, 3);
    r.setByte(cfg::ncp, 30);
    r.setByte(cfg::nmx, 5);
    r.setByte(cfg::tcp, 60);
    r.setByte(cfg::tmx, 5);
    r.setByte(cfg::tt, 60);
    return r.FileImage();
}

bool LoadConfigFile(const std::string& path, ConfigRecord::Image& image, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open the configuration file " + path;
        return false;
    }
    ConfigRecord::Image loaded{};
    in.read(reinterpret_cast<char*>(loaded.data()), static_cast<std::streamsize>(loaded.size()));
    if (in.gcount() != static_cast<std::streamsize>(loaded.size())) {
        *error = "the configuration file " + path + " is shorter than 2048 bytes";
        return false;
    }
    image = loaded;
    return true;
}

ModuleCore::ModuleCore(const ModuleSettings& settings, std::unique_ptr<PictureSource> pictures,
                       TimePoint now)
    : pictures_(std::move(pictures)), clockBase_(LocalCivilSecondsNow()), clockSetAt_(now),
      firmware_(settings.firmware), cameras_(settings.cameras), inputs_(settings.inputs),
      rejectWrite_(settings.rejectWrite), storeSkew_(settings.storeSkew),
      resetSilence_(settings.resetSilence), eventEvery_(settings.eventEvery)
{
    config_.Load(settings.config);
    if (!pictures_) {
        pictures_ = std::make_unique<GeneratedPictures>();
    }
    if (eventEvery_.count() > 0) {
        nextEvent_ = now + eventEvery_;
    }
    SetFirmwareDate(settings.fmwDay, settings.fmwMonth, settings.fmwYear);
}

void ModuleCore::SetFirmwareDate(int day, int month, int year)
{
    fmwDate_ = {Bcd(day), Bcd(month), Bcd(year / 100), Bcd(year % 100)};
}

bool ModuleCore::Deaf(TimePoint now) const
{
    return silent_ || restarting(now);
}

std::vector<Bytes> ModuleCore::OnFrame(std::span<const std::uint8_t> frame, TimePoint now)
{
    if (frame.size() < 5 || Deaf(now)) {
        return {};
    }
    const std::uint8_t code = frame[3];
    const auto payload = frame.subspan(4, frame.size() - 5);
    switch (code) {
    case kCmdDane:
        return {BuildFrame(kRxConfig, config_.WriteImage())};
    case kCmdWrite:
        return {AnswerWrite(payload)};
    case kCmdStan:
        return {BuildFrame(kRxStatus, StatusPayload(now))};
    case kCmdZegar:
        SetClock(payload, now);
        silent_ = silent_ || std::exchange(silentAfterClock_, false);
        return {};
    case kCmdReset:
        // The acknowledgement leaves first; then the module is busy restarting.
        resetUntil_ = now + resetSilence_;
        for (Jpeg& picture : lastPicture_) {
            picture.clear();
        }
        return {BuildFrame(kRxResetAck)};
    case kCmdRdDhcp:
        return {BuildFrame(kRxNetwork, NetworkPayload())};
    case kCmdPict: {
        std::vector<Bytes> answer{AnswerPicture(payload, now)};
        silent_ = silent_ || std::exchange(silentAfterPicture_, false);
        return answer;
    }
    default:
        return {ErrorFrame(kErrUnknownFrame)};
    }
}

Bytes ModuleCore::AnswerWrite(std::span<const std::uint8_t> payload)
{
    // Only a complete write image is stored; anything else leaves the configuration as it was.
    if (rejectWrite_ || payload.size() != kWritePayload) {
        const std::uint8_t refused[] = {kWriteRefused};
        return BuildFrame(kRxWriteAck, refused);
    }
    config_.FillFromReply(payload);
    // A module that stores something else than it acknowledges (a clamped value, a firmware
    // fault), for the program's check of the read-back.
    if (storeSkew_ >= 0 && static_cast<std::size_t>(storeSkew_) < kWriteImageSize) {
        const auto byte = static_cast<std::size_t>(storeSkew_);
        config_.setByte(byte, static_cast<std::uint8_t>(config_.byte(byte) + 1));
    }
    const std::uint8_t done[] = {kWriteDone};
    return BuildFrame(kRxWriteAck, done);
}

Bytes ModuleCore::AnswerPicture(std::span<const std::uint8_t> payload, TimePoint now)
{
    if (payload.size() < 3) {
        return ErrorFrame(kErrUnknownFrame);
    }
    const std::uint8_t mask = payload[0];
    const std::uint8_t number = payload[1];
    const std::uint8_t size = payload[2];
    // Sizes 1 to 15 keep the answer within the longest reply frame; 0 would cut nothing.
    if (size == 0 || size > 15) {
        return ErrorFrame(kErrUnknownFrame);
    }
    int camera = -1;
    for (int c = 0; c < 4; ++c) {
        if (mask == (1u << c)) {
            camera = c;
        }
    }
    const bool present = camera >= 0 && ((cameras_ >> camera) & 1) != 0;
    const bool on = camera >= 0 && ((cameras_ >> (camera + 4)) & 1) != 0;
    if (!present || !on) {
        const std::uint8_t off[] = {kPacketChannelOff, number, size};
        return BuildFrame(kRxPicture, off);
    }
    Jpeg& picture = lastPicture_[static_cast<std::size_t>(camera)];
    if (number == 0) {
        picture = pictures_->Take(camera, ClockText(now));
    }
    if (picture.empty() || noPicture_) {
        const std::uint8_t none[] = {kPacketNoPicture, number, size};
        return BuildFrame(kRxPicture, none);
    }
    const std::size_t packetBytes = std::size_t{size} * kPictureUnit;
    const std::size_t offset = std::size_t{number} * packetBytes;
    if (offset >= picture.size()) {
        return ErrorFrame(kErrPacketNumber);
    }
    const std::size_t chunk = std::min(packetBytes, picture.size() - offset);
    const bool last = offset + chunk == picture.size();
    Bytes out;
    out.reserve(3 + packetBytes);
    // The picture tag of the last packet is the camera number.
    out.push_back(last ? static_cast<std::uint8_t>(kPacketLast | camera) : kPacketMore);
    out.push_back(number);
    out.push_back(size);
    out.insert(out.end(), picture.begin() + static_cast<std::ptrdiff_t>(offset),
               picture.begin() + static_cast<std::ptrdiff_t>(offset + chunk));
    out.resize(3 + packetBytes, 0x00); // the last packet is padded to its full size
    return BuildFrame(kRxPicture, out);
}

void ModuleCore::SetClock(std::span<const std::uint8_t> payload, TimePoint now)
{
    if (payload.size() < 7) {
        return;
    }
    const int year = payload[0] | (payload[1] << 8);
    const auto seconds =
        CivilSeconds(year, payload[2], payload[3], payload[4], payload[5], payload[6]);
    // An impossible date leaves the clock running as it was.
    if (seconds) {
        clockBase_ = *seconds;
        clockSetAt_ = now;
    }
}

CivilTime ModuleCore::ClockAt(TimePoint now) const
{
    using namespace std::chrono;
    const std::int64_t elapsed = duration_cast<seconds>(now - clockSetAt_).count();
    const std::int64_t total = clockBase_ + elapsed;
    std::int64_t days = total / 86400;
    std::int64_t rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const year_month_day date{sys_days{std::chrono::days{days}}};
    return {int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())),
            int(rest / 3600), int(rest / 60 % 60),         int(rest % 60)};
}

std::string ModuleCore::ClockText(TimePoint now) const
{
    const CivilTime t = ClockAt(now);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

Bytes ModuleCore::StatusPayload(TimePoint now) const
{
    const CivilTime t = ClockAt(now);
    Bytes status(kStatusLength, 0);
    status[0] = static_cast<std::uint8_t>(t.year & 0xFF);
    status[1] = static_cast<std::uint8_t>((t.year >> 8) & 0xFF);
    status[2] = static_cast<std::uint8_t>(t.month);
    status[3] = static_cast<std::uint8_t>(t.day);
    status[4] = static_cast<std::uint8_t>(t.hour);
    status[5] = static_cast<std::uint8_t>(t.minute);
    status[6] = static_cast<std::uint8_t>(t.second);
    status[7] = static_cast<std::uint8_t>(firmware_);
    status[16] = cameras_;
    status[17] = inputs_;
    return status;
}

Bytes ModuleCore::NetworkPayload() const
{
    const bool dhcp = config_.dhcp();
    const Octets ip = dhcp ? kDhcpIp : config_.ip(cfg::vip);
    const Octets mask = dhcp ? kDhcpMask : config_.ip(cfg::vmask);
    const Octets gate = dhcp ? kDhcpGate : config_.ip(cfg::vgate);
    Bytes net(20, 0);
    net[0] = 1; // Ethernet cable connected
    std::copy(kMac.begin(), kMac.end(), net.begin() + 2);
    std::copy(ip.begin(), ip.end(), net.begin() + 8);
    // Mask and gateway travel with their octets reversed.
    std::copy(mask.rbegin(), mask.rend(), net.begin() + 12);
    std::copy(gate.rbegin(), gate.rend(), net.begin() + 16);
    return net;
}

Bytes ModuleCore::EventFrame(std::span<const std::uint8_t> payload)
{
    return BuildFrame(kRxEvent, payload);
}

Bytes ModuleCore::ErrorFrame(std::uint8_t code)
{
    const std::uint8_t payload[] = {code};
    return BuildFrame(kRxError, payload);
}

Bytes ModuleCore::FirmwareDateFrame() const
{
    return BuildFrame(kRxFirmwareDate, fmwDate_);
}

std::vector<Bytes> ModuleCore::OnTimer(TimePoint now)
{
    std::vector<Bytes> out;
    if (resetUntil_ && now >= *resetUntil_) {
        resetUntil_.reset();
    }
    if (nextEvent_ && now >= *nextEvent_) {
        // Catch up without a burst when the loop was held up: one report, next slot ahead.
        while (*nextEvent_ <= now) {
            *nextEvent_ += eventEvery_;
        }
        const Bytes payload = ScheduledEvent(eventCount_++, firmware_);
        if (!Deaf(now)) {
            out.push_back(EventFrame(payload));
        }
    }
    return out;
}

std::optional<TimePoint> ModuleCore::NextTimer() const
{
    std::optional<TimePoint> next = nextEvent_;
    if (resetUntil_ && (!next || *resetUntil_ < *next)) {
        next = resetUntil_;
    }
    return next;
}

} // namespace zorva::sim
