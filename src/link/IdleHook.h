// Runs the link's idle work when the event loop of the current thread has nothing left to do.
// The dispatcher's aboutToBlock callback does only the cheap part (the preview buttons, the note
// on the latest write); pending messages are shown by a zero-time call posted from there, so no
// dialog opens inside the callback, and nothing is posted while no message waits, so an idle
// program does not spin.
#pragma once

#include <QObject>

namespace zorva {

class LinkCore;

class IdleHook : public QObject {
    Q_OBJECT
public:
    // Hooks the event dispatcher of the calling thread (which must have one).
    explicit IdleHook(LinkCore& core, QObject* parent = nullptr);

    // True while the dispatcher's callback runs (dialogs must never open then).
    bool InDispatcherCallback() const { return inCallback_; }
    // How many times the event loop went idle since the hook was made.
    quint64 IdleCount() const { return idleCount_; }

private:
    void OnAboutToBlock();
    void ShowMessages();

    LinkCore& core_;
    bool inCallback_ = false;
    bool scheduled_ = false;
    bool showing_ = false;
    quint64 idleCount_ = 0;
};

} // namespace zorva
