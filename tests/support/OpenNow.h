// Opening a port component as a caller that may wait: the open runs on its own thread while the
// event loop runs, and its result is taken once it has ended. Qt Core only (the Windows tests
// have no Qt Test).
#pragma once

#include <chrono>
#include <thread>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "serial/TComm64.h"

namespace zorva::test {

// Opens `port` and waits for the open to end (30 s at most: only a hang should fail); whether
// the port is open then.
inline bool OpenNow(TComm64& port, int timeoutMs = 30000)
{
    port.Open();
    const QDeadlineTimer deadline(timeoutMs);
    while (port.Opening() && !port.OpenEnded() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (port.Opening()) {
        port.Open();
    }
    return port.Enabled();
}

} // namespace zorva::test
