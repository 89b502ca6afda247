// The configuration history as the link feeds it: each configuration reply that completes a
// read, and each write the module acknowledged with 0xAA. The history is never required: when
// its folder cannot be written the traffic log and the log file say so once, and the link goes
// on as before.
#include <algorithm>
#include <utility>

#include <QDir>

#include "link/LinkCore.h"
#include "shell/LanguageTexts.h"

namespace zorva {

void LinkCore::KeepRead(std::span<const std::uint8_t> payload)
{
    // What the module sent, over the cleared record the read starts from.
    ConfigRecord read;
    read.FillFromReply(payload);
    latestRead_ = read.FileImage();
    KeepInHistory(HistoryKind::Read, *latestRead_);
}

void LinkCore::KeepWritten()
{
    // The bytes that went to the module, with the rest of the record they were written from.
    ConfigRecord::Image written = config_.FileImage();
    std::copy(sentImage_.begin(), sentImage_.end(), written.begin());
    KeepInHistory(HistoryKind::Written, written);
}

void LinkCore::KeepInHistory(HistoryKind kind, const ConfigRecord::Image& record)
{
    if (history_ == nullptr) {
        return;
    }
    // The identifier may change on the way (a write of another one, a module that stores it
    // otherwise): the history follows the visit from the one before on this connection.
    ConfigRecord kept;
    kept.Load(record);
    const QString former =
        std::exchange(keptIdentifier_, kept.rawText(cfg::id)).value_or(QString());
    if (history_->Keep(kind, record, clock_.Now(), former)) {
        historyProblemShown_ = false;
        return;
    }
    if (historyProblemShown_) {
        return;
    }
    historyProblemShown_ = true;
    const QString line =
        Texts().txtHistoryNotKept.arg(QDir::toNativeSeparators(history_->Folder()));
    view_.Memo1Add(line);
    LogFileStamped(line);
    view_.NoteHistoryProblem(line);
}

} // namespace zorva
