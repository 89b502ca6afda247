// The check of a write against what the module reads back: the image of a write acknowledged
// with 0xAA is kept; the configuration reply of the read that the reset acknowledgement starts
// is compared with it field by field. A module that stored something else, or that does not
// come back before the watchdog gives up, is reported as an error message and in the log file.
#include <algorithm>

#include "config/ConfigComparison.h"
#include "link/LinkCore.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {
// What the idle handler shows of a message.
constexpr qsizetype kMessageMax = 255;
} // namespace

void LinkCore::NoteWriteSent(std::span<const std::uint8_t, kWriteImageSize> image)
{
    std::copy(image.begin(), image.end(), sentImage_.begin());
    // A write sent anew replaces the check of an earlier one; a retry of an unacknowledged
    // write has nothing to check yet.
    writeCheck_ = WriteCheck::None;
}

void LinkCore::OnWriteDone()
{
    checkedImage_ = sentImage_;
    writeCheck_ = WriteCheck::AwaitingReset;
    writeCheckLines_.clear();
    verified_ = false;
    RefreshWriteCheckNote();
}

void LinkCore::OnResetDone()
{
    if (writeCheck_ == WriteCheck::AwaitingReset) {
        writeCheck_ = WriteCheck::AwaitingReread;
    }
}

// The reset that the check waits for will never be acknowledged as such, so nothing could be
// verified: said now rather than at some later loss of the link.
void LinkCore::OnResetDropped()
{
    if (writeCheck_ == WriteCheck::AwaitingReset) {
        OnWriteCheckLost();
    }
}

void LinkCore::CheckReadBack(std::span<const std::uint8_t> payload)
{
    if (writeCheck_ != WriteCheck::AwaitingReread) {
        return;
    }
    writeCheck_ = WriteCheck::None;
    ConfigRecord written;
    written.FillFromReply(checkedImage_);
    // Bytes that a short reply lacks read as 0, as the cleared record holds them.
    ConfigRecord read;
    read.FillFromReply(payload.first(std::min(payload.size(), kWriteImageSize)));
    writeCheckLines_ = WriteCheckLines(CompareRecords(written, read, kWriteImageSize));
    const QStringList& lines = writeCheckLines_;
    const LanguageTexts& texts = Texts();
    verified_ = lines.isEmpty();
    RefreshWriteCheckNote();
    if (lines.isEmpty()) {
        view_.Memo1Add(texts.txtWriteVerified);
        return;
    }
    // The message shows as many lines as fit; its detailed text and the log file get them all.
    QString message = texts.txtWriteDiffers;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString more = texts.txtMoreDifferences.arg(lines.size() - i);
        const bool last = i + 1 == lines.size();
        if (message.size() + 1 + lines[i].size() + (last ? 0 : 1 + more.size()) > kMessageMax) {
            message += QLatin1Char('\r') + more;
            break;
        }
        message += QLatin1Char('\r') + lines[i];
    }
    emsg_ = message;
    emsgDetails_ = lines.join(u'\n');
    emsgDetailed_ = message;
    view_.Memo1Add(texts.txtWriteDiffers);
    LogFileStamped(texts.txtWriteDiffers);
    for (const QString& line : lines) {
        view_.Memo1Add(line);
        LogFileStamped(line);
    }
}

void LinkCore::OnWriteCheckLost()
{
    if (writeCheck_ == WriteCheck::None) {
        return;
    }
    writeCheck_ = WriteCheck::None;
    emsg_ = Texts().txtWriteNotVerified;
    view_.Memo1Add(emsg_);
    LogFileStamped(emsg_);
}

void LinkCore::RefreshWriteCheckNote()
{
    // A lost link may come back with another module: what was verified no longer counts.
    if (statbuf_.empty()) {
        verified_ = false;
    }
    const auto record = config_.WriteImage();
    const bool holds = verified_ && std::equal(record.begin(), record.end(), checkedImage_.begin());
    const QString note = holds ? Texts().txtWriteVerified : QString();
    if (note != shownNote_) {
        shownNote_ = note;
        view_.ShowWriteCheckNote(note);
    }
}

} // namespace zorva
