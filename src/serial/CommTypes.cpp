#include "serial/CommTypes.h"

#include <iterator>

#include "serial/platform/SerialPlatform.h"

namespace zorva {

std::uint32_t BaudRateValue(TBaudRate rate)
{
    static constexpr std::uint32_t table[] = {300,   1200,  2400,  4800,  9600,
                                              19200, 38400, 57600, 115200};
    // An ordinal outside the table gives 0, which no device accepts: the setting is refused.
    return rate < std::size(table) ? table[rate] : 0;
}

std::uint8_t ParityCode(TParity parity)
{
    return static_cast<std::uint8_t>(parity);
}

std::uint8_t StopbitsCode(TStopbits stopbits)
{
    return static_cast<std::uint8_t>(stopbits);
}

std::uint8_t DatabitsValue(TDatabits databits)
{
    return static_cast<std::uint8_t>(4 + databits);
}

std::uint32_t LineEventBit(TC32EventState member)
{
    using namespace serial;
    static constexpr std::uint32_t table[] = {kEvBreak, kEvCts,    kEvDsr,    kEvErr,    kEvRing,
                                              kEvRlsd,  kEvRxChar, kEvRxFlag, kEvTxEmpty};
    return table[member];
}

std::uint32_t LineEventMask(TC32EventType events)
{
    std::uint32_t mask = 0;
    for (int m = evBreak; m <= evTxEmpty; ++m) {
        const auto member = static_cast<TC32EventState>(m);
        if (events.Contains(member)) {
            mask |= LineEventBit(member);
        }
    }
    return mask;
}

} // namespace zorva
