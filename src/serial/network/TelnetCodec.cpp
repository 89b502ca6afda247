#include "serial/network/TelnetCodec.h"

#include <initializer_list>
#include <utility>

namespace zorva::serial {
namespace {

constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kSb = 250;
constexpr std::uint8_t kSe = 240;
constexpr std::uint8_t kCr = 0x0D;

// COM port control commands; the server answers each with the command plus 100.
constexpr std::uint8_t kSetBaudRate = 1;
constexpr std::uint8_t kSetDataSize = 2;
constexpr std::uint8_t kSetParity = 3;
constexpr std::uint8_t kSetStopSize = 4;
constexpr std::uint8_t kSetControl = 5;
constexpr std::uint8_t kServerOffset = 100;

// SET-CONTROL values.
constexpr std::uint8_t kNoFlowControl = 1;
constexpr std::uint8_t kDtrOn = 8;
constexpr std::uint8_t kDtrOff = 9;
constexpr std::uint8_t kRtsOn = 11;
constexpr std::uint8_t kRtsOff = 12;

// Byte by byte: GCC 12 at -O3 takes vector::insert of a short list for an overflow.
void Append(TelnetCodec::Bytes& out, std::initializer_list<std::uint8_t> bytes)
{
    for (const std::uint8_t b : bytes) {
        out.push_back(b);
    }
}

void AppendCommand(TelnetCodec::Bytes& out, std::uint8_t verb, std::uint8_t option)
{
    Append(out, {kIac, verb, option});
}

} // namespace

bool TelnetCodec::Supported(std::uint8_t option)
{
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

TelnetCodec::Bytes TelnetCodec::Start()
{
    Bytes out;
    for (const std::uint8_t option : {kBinary, kSuppressGoAhead, kComPort}) {
        options_[option].usAsked = true;
        AppendCommand(out, kWill, option);
    }
    for (const std::uint8_t option : {kBinary, kSuppressGoAhead}) {
        options_[option].himAsked = true;
        AppendCommand(out, kDo, option);
    }
    return out;
}

void TelnetCodec::Encode(const std::uint8_t* data, std::size_t count, Bytes& wire) const
{
    const bool binary = SendsBinary();
    for (std::size_t i = 0; i < count; ++i) {
        wire.push_back(data[i]);
        if (data[i] == kIac) {
            wire.push_back(kIac);
        } else if (data[i] == kCr && !binary) {
            wire.push_back(0); // a bare CR outside binary mode is CR NUL
        }
    }
}

void TelnetCodec::Decode(const std::uint8_t* wire, std::size_t count, Bytes& data, Bytes& reply)
{
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = wire[i];
        switch (state_) {
        case State::kData:
            if (b == kIac) {
                state_ = State::kIac;
            } else if (!(b == 0 && afterCr_ && !ReceivesBinary())) {
                data.push_back(b);
            }
            afterCr_ = b == kCr;
            break;
        case State::kIac:
            afterCr_ = false;
            if (b == kIac) {
                data.push_back(kIac);
                state_ = State::kData;
            } else if (b >= kWill && b <= kDont) {
                verb_ = b;
                state_ = State::kVerb;
            } else if (b == kSb) {
                sub_.clear();
                state_ = State::kSub;
            } else {
                state_ = State::kData; // NOP, GA, AYT and the like mean nothing here
            }
            break;
        case State::kVerb:
            Negotiate(verb_, b, reply);
            state_ = State::kData;
            break;
        case State::kSub:
            if (b == kIac) {
                state_ = State::kSubIac;
            } else if (sub_.size() < kMaxSubnegotiation) {
                sub_.push_back(b);
            }
            break;
        case State::kSubIac:
            if (b == kIac) {
                if (sub_.size() < kMaxSubnegotiation) {
                    sub_.push_back(kIac);
                }
                state_ = State::kSub;
            } else {
                Subnegotiation();
                // IAC SE ends it; any other command ends it too and is taken as a command.
                state_ = State::kData;
                if (b != kSe) {
                    state_ = State::kIac;
                    --i;
                }
            }
            break;
        }
    }
    if (ComPortAgreed()) {
        for (Setting& setting : settings_) {
            if (setting.wanted && !setting.sent) {
                SendSetting(setting, reply);
            }
        }
    }
}

void TelnetCodec::Negotiate(std::uint8_t verb, std::uint8_t option, Bytes& reply)
{
    OptionState& o = options_[option];
    const bool himSupported = option == kBinary || option == kSuppressGoAhead;
    switch (verb) {
    case kDo:
        if (!Supported(option)) {
            AppendCommand(reply, kWont, option);
        } else if (!o.us) {
            o.us = true;
            if (!std::exchange(o.usAsked, false)) {
                AppendCommand(reply, kWill, option);
            }
        }
        break;
    case kDont:
        if (o.us || o.usAsked) {
            if (!o.usAsked) {
                AppendCommand(reply, kWont, option);
            }
            o.us = false;
            o.usAsked = false;
            if (option != kSuppressGoAhead && !std::exchange(o.refusalNoted, true)) {
                Refuse(option == kBinary ? "binary transmission" : "COM port control");
            }
        }
        break;
    case kWill:
        if (!himSupported) {
            AppendCommand(reply, kDont, option);
        } else if (!o.him) {
            o.him = true;
            if (!std::exchange(o.himAsked, false)) {
                AppendCommand(reply, kDo, option);
            }
        }
        break;
    case kWont:
        if (o.him || o.himAsked) {
            if (!o.himAsked) {
                AppendCommand(reply, kDont, option);
            }
            o.him = false;
            o.himAsked = false;
            if (option == kBinary && !std::exchange(o.refusalNoted, true)) {
                Refuse("binary transmission");
            }
        }
        break;
    default:
        break;
    }
}

void TelnetCodec::Subnegotiation()
{
    if (sub_.size() < 3 || sub_[0] != kComPort || sub_[1] <= kServerOffset) {
        return; // not an answer to a setting (notifications, other options)
    }
    const std::uint8_t command = sub_[1] - kServerOffset;
    const Bytes value(sub_.begin() + 2, sub_.end());
    for (Setting& setting : settings_) {
        if (!setting.sent || setting.command != command) {
            continue;
        }
        if (command == kSetControl) {
            // One command, several groups: the answer belongs to the group of its value.
            const auto group = [](std::uint8_t v) { return v <= 3 ? 1 : (v + 2) / 3; };
            if (group(value[0]) != group(setting.value[0])) {
                continue;
            }
        }
        setting.answered = true;
        if (value != setting.value && !std::exchange(setting.noted, true)) {
            Refuse(setting.name);
        }
        for (Setting& earlier : settings_) {
            if (earlier.sent && !earlier.answered && earlier.order < setting.order &&
                !std::exchange(earlier.noted, true)) {
                Refuse(earlier.name);
            }
        }
    }
}

void TelnetCodec::Want(Slot slot, std::uint8_t command, Bytes value, std::string name, Bytes& reply)
{
    Setting& setting = settings_[slot];
    setting.wanted = true;
    setting.sent = false;
    setting.answered = false;
    setting.command = command;
    setting.value = std::move(value);
    setting.name = std::move(name);
    if (ComPortAgreed()) {
        SendSetting(setting, reply);
    }
}

void TelnetCodec::SendSetting(Setting& setting, Bytes& reply)
{
    Append(reply, {kIac, kSb, kComPort, setting.command});
    for (const std::uint8_t b : setting.value) {
        reply.push_back(b);
        if (b == kIac) {
            reply.push_back(kIac);
        }
    }
    Append(reply, {kIac, kSe});
    setting.sent = true;
    setting.order = ++sentCount_;
}

void TelnetCodec::RequestBaudRate(std::uint32_t bitsPerSecond, Bytes& reply)
{
    Want(kSlotBaud, kSetBaudRate,
         {static_cast<std::uint8_t>(bitsPerSecond >> 24),
          static_cast<std::uint8_t>(bitsPerSecond >> 16),
          static_cast<std::uint8_t>(bitsPerSecond >> 8), static_cast<std::uint8_t>(bitsPerSecond)},
         std::to_string(bitsPerSecond) + " bit/s", reply);
}

void TelnetCodec::RequestDataSize(std::uint8_t bits, Bytes& reply)
{
    Want(kSlotDataSize, kSetDataSize, {bits}, std::to_string(bits) + " data bits", reply);
}

void TelnetCodec::RequestParity(std::uint8_t code, Bytes& reply)
{
    static constexpr const char* kNames[] = {"no parity", "odd parity", "even parity",
                                             "mark parity", "space parity"};
    const std::uint8_t c = code <= 4 ? code : 0;
    Want(kSlotParity, kSetParity, {static_cast<std::uint8_t>(c + 1)}, kNames[c], reply);
}

void TelnetCodec::RequestStopSize(std::uint8_t code, Bytes& reply)
{
    // On the wire: 1 one, 2 two, 3 one and a half.
    static constexpr std::uint8_t kWire[] = {1, 3, 2};
    static constexpr const char* kNames[] = {"1 stop bit", "1.5 stop bits", "2 stop bits"};
    const std::uint8_t c = code <= 2 ? code : 0;
    Want(kSlotStopSize, kSetStopSize, {kWire[c]}, kNames[c], reply);
}

void TelnetCodec::RequestNoFlowControl(Bytes& reply)
{
    Want(kSlotFlow, kSetControl, {kNoFlowControl}, "no flow control", reply);
}

void TelnetCodec::RequestDtr(bool on, Bytes& reply)
{
    Want(kSlotDtr, kSetControl, {on ? kDtrOn : kDtrOff}, on ? "DTR on" : "DTR off", reply);
}

void TelnetCodec::RequestRts(bool on, Bytes& reply)
{
    Want(kSlotRts, kSetControl, {on ? kRtsOn : kRtsOff}, on ? "RTS on" : "RTS off", reply);
}

void TelnetCodec::Refuse(std::string name)
{
    refusals_.push_back(std::move(name));
}

std::vector<std::string> TelnetCodec::TakeRefusals()
{
    return std::exchange(refusals_, {});
}

} // namespace zorva::serial
