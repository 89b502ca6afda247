// Plays pictures in the running program the way a user does: waits until the module is
// connected and its configuration read, opens the preview window, presses play, lets the given
// number of pictures arrive, presses stop and closes the main window. It notes the program's
// resident size when it starts playing and when it stops.
#pragma once

#include <optional>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "app/Program.h"

namespace zorva::bench {

// What a run gave, kept after the windows are gone.
struct PlayResult {
    long pictures = 0;
    std::optional<long> rssStart, rssFirst, rssEnd; // KiB
};

class PlayDriver : public QObject {
    Q_OBJECT
public:
    PlayDriver(const ProgramWindows& windows, long pictures, int timeoutSeconds);

    bool connected() const { return connected_; }
    bool timedOut() const { return timedOut_; }
    PlayResult result() const { return {shown_, rssStart_, rssFirst_, rssEnd_}; }

private:
    void Look();
    void Play();
    void Finish();

    ProgramWindows windows_;
    long wanted_;
    QTimer look_;
    QElapsedTimer sinceStart_;
    int timeoutMs_;
    bool connected_ = false;
    bool settling_ = false;
    bool playing_ = false;
    bool timedOut_ = false;
    int lastNumber_ = 0;
    long shown_ = 0;
    std::optional<long> rssStart_, rssFirst_, rssEnd_;
};

} // namespace zorva::bench
