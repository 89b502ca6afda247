// The clock frame (command ZEGAR) for a local date and time; milliseconds are not sent.
#pragma once

#include <QDateTime>

#include "link/Frames.h"

namespace zorva {

Bytes ClockFrame(const QDateTime& when);

} // namespace zorva
