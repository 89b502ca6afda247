// The idle handler's work: the preview buttons follow `pictcnt`, the note on the latest write
// follows the record (an edit or a loaded file ends it), then the deferred messages are shown,
// error first, then information, then the clock question.
#include "link/ClockFrame.h"
#include "link/LinkCore.h"

namespace zorva {

namespace {
constexpr qsizetype kMessageMax = 255;
}

void LinkCore::OnAppIdle()
{
    SyncPreviewButtons();
    RefreshWriteCheckNote();
    ShowPendingMessages();
}

void LinkCore::SyncPreviewButtons()
{
    preview_.ShowPlayButtons(pictcnt_ != kPictStopped);
}

bool LinkCore::HasPendingMessage() const
{
    return !emsg_.isEmpty() || !imsg_.isEmpty() || !pmsg_.isEmpty();
}

void LinkCore::ShowPendingMessages()
{
    // The unsupported-firmware message runs its event loop inside the parser; a box or a clock
    // frame from there would land in the middle of a reply.
    if (inParser_) {
        return;
    }
    // Each text is taken before its dialog opens, so a dialog's own event loop never shows it
    // a second time.
    if (!emsg_.isEmpty()) {
        const QString text = emsg_.left(kMessageMax);
        const QString details = emsg_ == emsgDetailed_ ? emsgDetails_ : QString();
        emsg_.clear();
        emsgDetails_.clear();
        emsgDetailed_.clear();
        if (details.isEmpty()) {
            view_.ShowErrorMessage(text);
        } else {
            view_.ShowErrorMessageWithDetails(text, details);
        }
    }
    if (!imsg_.isEmpty()) {
        const QString text = imsg_.left(kMessageMax);
        imsg_.clear();
        view_.ShowInformationMessage(text);
    }
    if (!pmsg_.isEmpty()) {
        const QString text = pmsg_;
        pmsg_.clear();
        if (view_.AskConfirmation(text)) {
            SendClockFrame();
        }
    }
}

// Sent as it is, even on a closed port: nothing waits for an answer, and the log line records
// what was sent.
void LinkCore::SendClockFrame()
{
    clockFrameSent_ = Send(ClockFrame(clock_.Now()));
}

} // namespace zorva
