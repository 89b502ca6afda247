// Line settings, line events and event handler types of the serial port component.
// The ordinals matter: the port settings are stored as them and each indexes a table here.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

class QObject;

namespace zorva {

enum TBaudRate : std::uint8_t {
    cbr300,
    cbr1200,
    cbr2400,
    cbr4800,
    cbr9600,
    cbr19200,
    cbr38400,
    cbr57600,
    cbr115200,
};

enum TParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };

enum TStopbits : std::uint8_t { sb1_0, sb1_5, sb2_0 };

enum TDatabits : std::uint8_t { da4, da5, da6, da7, da8 };

enum TC32EventState : std::uint8_t {
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRing,
    evRlsd,
    evRxChar,
    evRxFlag,
    evTxEmpty,
};

// A set of TC32EventState in 16 bits: bit n stands for ordinal n.
class TC32EventType {
public:
    constexpr TC32EventType() = default;
    constexpr TC32EventType(std::initializer_list<TC32EventState> members)
    {
        for (TC32EventState m : members) {
            bits_ = static_cast<std::uint16_t>(bits_ | Bit(m));
        }
    }
    static constexpr TC32EventType FromBits(std::uint16_t bits)
    {
        TC32EventType set;
        set.bits_ = bits & kAllBits;
        return set;
    }
    static constexpr TC32EventType All() { return FromBits(kAllBits); }

    constexpr std::uint16_t Bits() const { return bits_; }
    constexpr bool Contains(TC32EventState m) const { return (bits_ & Bit(m)) != 0; }
    constexpr bool operator==(const TC32EventType&) const = default;

private:
    static constexpr std::uint16_t kAllBits = 0x01FF;
    static constexpr std::uint16_t Bit(TC32EventState m)
    {
        return static_cast<std::uint16_t>(1u << m);
    }
    std::uint16_t bits_ = 0;
};

// Device values per ordinal.
std::uint32_t BaudRateValue(TBaudRate rate); // bit/s
std::uint8_t ParityCode(TParity parity);     // 0 none ... 4 space
std::uint8_t StopbitsCode(TStopbits stopbits);
std::uint8_t DatabitsValue(TDatabits databits); // bits per character

// The line-event bit each member stands for (evRxChar 0x0001 ... evRing 0x0100).
std::uint32_t LineEventBit(TC32EventState member);
// The line-event mask of a set: [evRxChar, evTxEmpty] gives 0x0005, all nine 0x01FF.
std::uint32_t LineEventMask(TC32EventType events);

// Event handler types; Sender is the component (for TC32Event the event thread).
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TC32Event = std::function<void(void* Sender, std::uint32_t Status)>;
using TC32RxCharEvent = std::function<void(QObject* Sender, std::int32_t Count)>;
using TC32StateEvent = std::function<void(QObject* Sender, bool State)>;
using TC32ErrorEvent = std::function<void(QObject* Sender, std::int32_t Errors)>;

} // namespace zorva
