#include "link/ClockFrame.h"

namespace zorva {

Bytes ClockFrame(const QDateTime& when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    return ZegarFrame(date.year(), date.month(), date.day(), time.hour(), time.minute(),
                      time.second());
}

} // namespace zorva
