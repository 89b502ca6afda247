// The client's side of Telnet with the COM port control option, as serial device servers speak
// it: data bytes in and out (IAC doubled, CR NUL while binary transmission is off), option
// negotiation, and the line settings asked of the server, with the ones it refuses noted once.
// Plain C++ and free of sockets: bytes in, bytes out, so that it can be tested with byte
// sequences and fed untrusted input.
//
// A server answers each setting in the order asked; one it passes over without an answer (as
// servers do for modem lines they cannot set) counts as refused once a later one is answered.
//
// Invariants: every received byte is either data, part of a command, or dropped (an overlong
// subnegotiation); a subnegotiation never grows past kMaxSubnegotiation bytes; state carries
// over between calls, so a sequence may be cut anywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorva::serial {

class TelnetCodec {
public:
    using Bytes = std::vector<std::uint8_t>;
    static constexpr std::size_t kMaxSubnegotiation = 64;

    // What the client offers and asks for as soon as it is connected: binary transmission both
    // ways, suppressed go-ahead and the COM port control option.
    Bytes Start();

    // Appends the wire form of `count` data bytes to `wire`.
    void Encode(const std::uint8_t* data, std::size_t count, Bytes& wire) const;
    // Appends the data among `count` received bytes to `data` and the answers the negotiation
    // needs to `reply` (to be sent before any later data).
    void Decode(const std::uint8_t* wire, std::size_t count, Bytes& data, Bytes& reply);

    // Line settings asked of the server; sent at once when it has agreed to the COM port
    // control option, else as soon as it does.
    void RequestBaudRate(std::uint32_t bitsPerSecond, Bytes& reply);
    void RequestDataSize(std::uint8_t bits, Bytes& reply);
    void RequestParity(std::uint8_t code, Bytes& reply);   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    void RequestStopSize(std::uint8_t code, Bytes& reply); // 0 one, 1 one and a half, 2 two
    void RequestNoFlowControl(Bytes& reply);
    void RequestDtr(bool on, Bytes& reply);
    void RequestRts(bool on, Bytes& reply);

    // The settings the server refused since the last call, each named once per connection
    // ("DTR on", "binary transmission", ...).
    std::vector<std::string> TakeRefusals();

    bool SendsBinary() const { return options_[kBinary].us; }
    // Whether the server has answered the offer of binary transmission, either way.
    bool BinaryAnswered() const { return !options_[kBinary].usAsked; }
    bool ReceivesBinary() const { return options_[kBinary].him; }
    bool ComPortAgreed() const { return options_[kComPort].us; }

private:
    enum Option : std::uint8_t { kBinary = 0, kSuppressGoAhead = 3, kComPort = 44 };
    enum class State : std::uint8_t { kData, kIac, kVerb, kSub, kSubIac };
    // Settings waiting for the option go out in this order: the modem lines before flow
    // control, so that the answer to the last one tells whether they were passed over.
    enum Slot : std::uint8_t {
        kSlotBaud,
        kSlotDataSize,
        kSlotParity,
        kSlotStopSize,
        kSlotDtr,
        kSlotRts,
        kSlotFlow,
        kSlotCount
    };

    struct OptionState {
        bool us = false;           // we do it
        bool usAsked = false;      // we sent WILL and wait for the answer
        bool him = false;          // the server does it
        bool himAsked = false;     // we sent DO and wait for the answer
        bool refusalNoted = false; // its refusal was named
    };
    struct Setting {
        bool wanted = false;
        bool sent = false;
        bool answered = false;
        bool noted = false;
        std::uint32_t order = 0; // when it was sent, counted
        std::uint8_t command = 0;
        Bytes value;
        std::string name;
    };

    static bool Supported(std::uint8_t option);
    void Negotiate(std::uint8_t verb, std::uint8_t option, Bytes& reply);
    void Subnegotiation();
    void Want(Slot slot, std::uint8_t command, Bytes value, std::string name, Bytes& reply);
    void SendSetting(Setting& setting, Bytes& reply);
    void Refuse(std::string name);

    std::array<OptionState, 256> options_{};
    std::array<Setting, kSlotCount> settings_{};
    State state_ = State::kData;
    std::uint8_t verb_ = 0;
    std::uint32_t sentCount_ = 0;
    bool afterCr_ = false;
    Bytes sub_;
    std::vector<std::string> refusals_;
};

} // namespace zorva::serial
