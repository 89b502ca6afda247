// Waiting on a condition in GoogleTest tests that run a Qt event loop. Qt's QTRY_ macros cannot
// be used there: when they time out they only return from the test body, and the test passes.
#pragma once

#include <functional>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

namespace zorva::test {

// Processes events until `condition` holds or `timeoutMs` have passed; whether it held.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return condition();
        }
        QTest::qWait(5);
    }
    return true;
}

} // namespace zorva::test
