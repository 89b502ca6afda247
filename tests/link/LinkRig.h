// Shared set-up of the link core tests: a scripted port, a recording main window and preview,
// a fixed clock, the records and a log file in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include <QStringList>
#include <QTemporaryDir>

#include "config/ConfigRecord.h"
#include "link/Frames.h"
#include "link/LinkCore.h"

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& lines, std::ostream* os)
{
    *os << '{';
    for (const QString& line : lines) {
        *os << "\n  \"" << line.toStdString() << '"';
    }
    *os << " }";
}

namespace zorva::test {

class ScriptedPort : public LinkPort {
public:
    bool Enabled() const override { return open; }
    void Open() override;
    void Close() override;
    QString DeviceName() const override { return device; }
    int _Write_(const std::uint8_t* buffer, int count) override;
    int _Read_(std::uint8_t* buffer, int count) override;
    bool DTR(bool state) override;
    bool RTS(bool state) override;
    std::optional<PortFailure> OpenFailure() const override
    {
        return open ? std::nullopt : failure;
    }

    // Everything written since the last call, one entry per write.
    std::vector<Bytes> TakeWritten();

    bool open = false;
    bool openFails = false;
    std::optional<PortFailure> failure; // why the open fails
    int openCalls = 0;
    int closeCalls = 0;
    QString device = QStringLiteral("com1");
    std::vector<Bytes> written;
    std::deque<std::uint8_t> incoming;
    int readFailures = 0; // the next reads that fail with -1
    std::vector<bool> dtrCalls, rtsCalls;
    std::vector<int> readSizes;
};

class RecordingView : public LinkView {
public:
    void ShowConfig() override { ++showConfigCalls; }
    QString StatusLeftCaption() const override { return left; }
    void SetStatusLeftCaption(const QString& text) override;
    QString StatusRightCaption() const override { return right; }
    void SetStatusRightCaption(const QString& text) override;
    void SetStatusStripConnected(bool connected) override { stripConnected = connected; }
    void SetLabel18ButtonShadow() override { ++label18ShadowCalls; }
    void RepaintStatusGrid() override { ++gridRepaints; }
    void SetLinkButtonsEnabled(bool enabled) override { buttonsEnabled = enabled; }
    QString StatusBarText() const override { return statusBar; }
    void SetStatusBarText(const QString& text) override;
    void SetPortFailureText(const QString& text) override { portFailure = text; }
    void Memo1Add(const QString& line) override { memo1 << line; }
    void Memo1Clear() override { memo1.clear(); }
    void Memo2Add(const QString& line) override { memo2 << line; }
    int Memo2LineCount() const override { return static_cast<int>(memo2.size()); }
    void Memo2DeleteFirstLine() override { memo2.removeFirst(); }
    void ShowErrorMessage(const QString& text) override;
    void ShowErrorMessageWithDetails(const QString& text, const QString& d) override
    {
        details << d;
        ShowErrorMessage(text);
    }
    void ShowInformationMessage(const QString& text) override;
    bool AskConfirmation(const QString& text) override;
    void ShowUnsupportedFirmware(const QString& text) override;
    bool PortSettingsShowing() const override { return settingsShowing; }
    void ShowPortSettingsModal() override;
    bool Polski1Checked() const override { return polish; }
    void ShowWriteCheckNote(const QString& text) override { writeCheckNote = text; }

    int showConfigCalls = 0;
    QString left, right;
    int leftSets = 0, rightSets = 0;
    std::optional<bool> stripConnected;
    int label18ShadowCalls = 0;
    int gridRepaints = 0;
    std::optional<bool> buttonsEnabled;
    QString statusBar = QStringLiteral("____");
    int statusBarSets = 0;
    QString portFailure;
    QStringList memo1, memo2;
    QStringList messages; // "error: text", "information: text", "question: text"
    QStringList details;  // of the errors shown with a detailed text
    QStringList firmwareErrors;
    bool confirmAnswer = true;
    bool settingsShowing = false;
    int settingsShown = 0;
    bool polish = true;
    QString writeCheckNote;
    // Called as a message box opens.
    std::function<void()> onMessage;
    // Called while a modal dialog is showing (its event loop may deliver other events).
    std::function<void()> duringModal;
};

class RecordingPreview : public LinkPreview {
public:
    std::uint8_t KamNr() const override { return camera; }
    std::uint8_t PictWB() const override { return packetSize; }
    void add2Stream(const std::uint8_t* x, int l) override;
    bool Load2pict(std::uint8_t cam) override;
    void SB_playClick() override;
    void FormShow() override { ++formShows; }
    void ShowPlayButtons(bool playing) override { playShown = playing; }

    LinkCore* core = nullptr;
    std::uint8_t camera = 1;
    std::uint8_t packetSize = 15;
    Bytes stream;
    std::vector<Bytes> loaded; // the stream at each Load2pict
    std::vector<int> loadedTags;
    bool saveSucceeds = true;
    int playClicks = 0;
    int formShows = 0;
    std::optional<bool> playShown;
};

class FixedClock : public LinkClock {
public:
    QDateTime Now() const override { return now; }
    QDateTime now{QDate(2011, 3, 15), QTime(14, 5, 9)};
};

// The folder with the shipped language files.
QString LanguageDir();

// A reply frame of the given type.
Bytes Reply(std::uint8_t type, const Bytes& payload = {});
// A status record: 2011-03-15 14:05:09, the given firmware number, 18 bytes or `length`.
Bytes StatusRecord(std::uint8_t firmware = 2, std::uint8_t channels = 0x13,
                   std::uint8_t inputs = 0x21, std::size_t length = 18);
// A picture packet with flags, number and size code, followed by 16 x size data bytes derived
// from the number.
Bytes PicturePacket(std::uint8_t flags, std::uint8_t number, std::uint8_t size = 15);
Bytes PictureData(std::uint8_t number, std::uint8_t size = 15);
Bytes Concat(std::initializer_list<Bytes> parts);
QString Hex(const Bytes& bytes);

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override;

    // One receive event bringing `bytes`.
    void Feed(const Bytes& bytes);
    // Opens the port with the first tick and answers one status poll: the module is connected,
    // its configuration read (config and network replies) and the traffic so far discarded.
    void Connect(const Bytes& status = StatusRecord());
    // Ticks `n` times.
    void Ticks(int n);
    QStringList LogFileLines() const;
    // The code bytes of the frames written since the last call.
    std::vector<int> WrittenCodes();

    ScriptedPort port;
    RecordingView view;
    RecordingPreview preview;
    FixedClock clock;
    ConfigRecord config;
    NetworkRecord network;
    QTemporaryDir dir;
    QString logPath;
    std::unique_ptr<LinkCore> core;
};

} // namespace zorva::test
