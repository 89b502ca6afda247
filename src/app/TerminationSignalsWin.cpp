// Windows has no SIGTERM: the end of the session, when the system asks each program to save its
// data, becomes terminationRequested, so it closes the main window like its close box and the
// settings are stored. Closing the window needs nothing here.
#include <QGuiApplication>
#include <QSessionManager>

#include "app/TerminationSignals.h"

namespace zorva {

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr) {
        return;
    }
    connect(application, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { emit terminationRequested(0); });
}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::readPending() {}

} // namespace zorva
