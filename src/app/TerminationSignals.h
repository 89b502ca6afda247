// Turns SIGTERM and SIGINT into a Qt signal on the user-interface thread, so that a desktop
// logout or a Ctrl+C in a terminal closes the main window the way its close box does. On
// Windows (TerminationSignalsWin.cpp) the end of the session does the same; the signal number
// is then 0 and installed() is false.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace zorva {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; only one instance may exist at a time. When the pipe cannot be
    // made, the handlers are not installed and the signals keep their default action.
    explicit TerminationSignals(QObject* parent = nullptr);
    // Restores the default actions and closes the pipe.
    ~TerminationSignals() override;

    bool installed() const { return notifier_ != nullptr; }

signals:
    // One emission per signal received; `signalNumber` is SIGTERM or SIGINT.
    void terminationRequested(int signalNumber);

private:
    void readPending();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace zorva
