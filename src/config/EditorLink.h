// What the configuration editor needs from the device link. The application adapts its link
// core to this, so the editor stays free of the sequencer and its timers.
#pragma once

#include <QString>

namespace zorva {

struct EditorLink {
    virtual ~EditorLink() = default;
    // Sets the idle poll's counter to 1: an edit holds back the next network request, whose
    // refresh would otherwise overwrite the field the user is typing into.
    virtual void ResetPollCounter() = 0;
    // The module's firmware version text ("1.02"); empty until a status reply gave one.
    virtual QString FirmwareVersion() const = 0;
    // True while the status record holds a reply (a module answers).
    virtual bool StatusKnown() const = 0;
};

// No module: a file prepared on its own, with no firmware version and no status.
struct OfflineEditorLink final : EditorLink {
    void ResetPollCounter() override {}
    QString FirmwareVersion() const override { return {}; }
    bool StatusKnown() const override { return false; }
};

} // namespace zorva
