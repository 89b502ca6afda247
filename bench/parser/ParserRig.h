// The link core with a port that serves a recorded byte stream from memory, a main window and
// a preview that only keep what they must: what the reply parser needs to run on its own.
#pragma once

#include <memory>
#include <span>

#include "config/ConfigRecord.h"
#include "link/Frames.h"
#include "link/LinkCore.h"

namespace zorva::bench {

class MemoryPort : public LinkPort {
public:
    void Serve(std::span<const std::uint8_t> bytes) { incoming_ = bytes; }
    std::size_t left() const { return incoming_.size(); }
    std::size_t written() const { return written_; }

    bool Enabled() const override { return true; }
    void Open() override {}
    void Close() override {}
    QString DeviceName() const override { return QStringLiteral("com1"); }
    int _Write_(const std::uint8_t*, int count) override;
    int _Read_(std::uint8_t* buffer, int count) override;
    bool DTR(bool) override { return false; }
    bool RTS(bool) override { return false; }

private:
    std::span<const std::uint8_t> incoming_;
    std::size_t written_ = 0;
};

class QuietView : public LinkView {
public:
    void ShowConfig() override {}
    QString StatusLeftCaption() const override { return left_; }
    void SetStatusLeftCaption(const QString& text) override { left_ = text; }
    QString StatusRightCaption() const override { return right_; }
    void SetStatusRightCaption(const QString& text) override { right_ = text; }
    void SetStatusStripConnected(bool) override {}
    void SetLabel18ButtonShadow() override {}
    void RepaintStatusGrid() override {}
    void SetLinkButtonsEnabled(bool) override {}
    QString StatusBarText() const override { return bar_; }
    void SetStatusBarText(const QString& text) override { bar_ = text; }
    void Memo1Add(const QString&) override {}
    void Memo1Clear() override {}
    void Memo2Add(const QString&) override { ++memo2Lines; }
    int Memo2LineCount() const override { return memo2Lines; }
    void Memo2DeleteFirstLine() override { --memo2Lines; }
    void ShowErrorMessage(const QString&) override { ++messages; }
    void ShowInformationMessage(const QString&) override { ++messages; }
    bool AskConfirmation(const QString&) override { return true; }
    void ShowUnsupportedFirmware(const QString&) override { ++messages; }
    bool PortSettingsShowing() const override { return false; }
    void ShowPortSettingsModal() override {}
    bool Polski1Checked() const override { return true; }

    int memo2Lines = 0; // checksum error and event lines: none on valid frames
    int messages = 0;

private:
    QString left_, right_, bar_;
};

// Assembles the picture as the preview window does and starts the next one on play.
class AssemblingPreview : public LinkPreview {
public:
    AssemblingPreview() { stream_.reserve(64 * 1024); }
    std::uint8_t KamNr() const override { return 1; }
    std::uint8_t PictWB() const override { return 15; }
    void add2Stream(const std::uint8_t* x, int l) override
    {
        stream_.insert(stream_.end(), x, x + l);
    }
    bool Load2pict(std::uint8_t) override;
    void SB_playClick() override;
    void FormShow() override {}
    void ShowPlayButtons(bool) override {}

    LinkCore* core = nullptr;
    long pictures = 0;
    std::size_t lastPictureBytes = 0;

private:
    Bytes stream_;
};

// The module's answers for the traffic of the benchmarks, made by the simulator's module core.
struct ModuleTraffic {
    Bytes connect;       // status, configuration and network replies: connected, nothing pending
    Bytes pictureCycle;  // every packet of one picture, then the status reply that starts the next
    Bytes statusReplies; // status replies only
    std::vector<std::size_t> cycleFrames; // frame lengths of pictureCycle
    std::size_t pictureBytes = 0;         // the JPEG the packets carry
};
ModuleTraffic MakeModuleTraffic(int statusReplies);

class ParserRig {
public:
    ParserRig();
    // One receive event per frame (frameLengths) or events of `eventBytes` each.
    void FeedFrames(std::span<const std::uint8_t> bytes, const std::vector<std::size_t>& lengths);
    void FeedEvents(std::span<const std::uint8_t> bytes, std::size_t eventBytes);

    MemoryPort port;
    QuietView view;
    AssemblingPreview preview;
    SystemClock clock;
    ConfigRecord config;
    NetworkRecord network;
    std::unique_ptr<LinkCore> core;
};

} // namespace zorva::bench
