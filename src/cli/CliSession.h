// One conversation of zorva-cli with the module: the link core over the serial port component,
// with a main window and a preview that are plain records of what the core shows, and the
// editor's refresh over plain fields, so that the record goes through the same rules as in the
// window program.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include "config/ConfigRecord.h"
#include "config/EditorLink.h"
#include "config/RecordEditing.h"
#include "link/LinkInterfaces.h"
#include "link/ModuleAnswers.h"

namespace zorva {
class ConfigHistory;
class LinkCore;
class TComm64;
class TComm64LinkPort;
} // namespace zorva

namespace zorva::cli {

class CliSession;

// Ends the waits of every session at once; safe to call from a signal handler.
void Interrupt();
// Whether Interrupt was called, or the stop of this thread's command was asked for.
bool Interrupted();

// While it lives, the waits of this thread's sessions end also when `stop` is set, as on
// Ctrl+C: the fleet stops one module's command so.
class StopWaitsWhen {
public:
    explicit StopWaitsWhen(const std::atomic<bool>& stop);
    ~StopWaitsWhen();
    StopWaitsWhen(const StopWaitsWhen&) = delete;
    StopWaitsWhen& operator=(const StopWaitsWhen&) = delete;

private:
    const std::atomic<bool>* outer_;
};

// The main window as the command line sees it: it keeps what the core shows.
class CliView final : public LinkView, public EditorLink {
public:
    explicit CliView(CliSession& session) : session_(session) {}

    void ShowConfig() override;
    QString StatusLeftCaption() const override { return left; }
    void SetStatusLeftCaption(const QString& text) override { left = text; }
    QString StatusRightCaption() const override { return right; }
    void SetStatusRightCaption(const QString& text) override { right = text; }
    void SetStatusStripConnected(bool) override {}
    void SetLabel18ButtonShadow() override {}
    void RepaintStatusGrid() override {}
    void SetLinkButtonsEnabled(bool) override {}
    QString StatusBarText() const override { return statusBar; }
    void SetStatusBarText(const QString& text) override { statusBar = text; }
    void Memo1Add(const QString& line) override { memo1 << line; }
    void Memo1Clear() override {}
    void Memo2Add(const QString& line) override;
    int Memo2LineCount() const override { return 0; }
    void Memo2DeleteFirstLine() override {}
    void ShowErrorMessage(const QString& text) override { errors << text; }
    void ShowInformationMessage(const QString& text) override { information << text; }
    bool AskConfirmation(const QString&) override { return true; } // only asked for `clock`
    void ShowUnsupportedFirmware(const QString& text) override { unsupported = text; }
    bool PortSettingsShowing() const override { return false; }
    void ShowPortSettingsModal() override {}
    bool Polski1Checked() const override { return polish; }
    void ShowWriteCheckNote(const QString& text) override { writeCheckNote = text; }
    void NoteModuleReport(const ModuleReport& report) override { reports.push_back(report); }
    void NoteEventFrame(std::span<const std::uint8_t> frame) override;
    void NoteHistoryProblem(const QString& text) override;

    // What the module said instead of a picture, if anything: a report without a text of its
    // own (0xCC) changes nothing, as in the window; nor does a wrong packet number (0xDD) when
    // `packetNumberRestarts` (the link core starts the picture again).
    std::optional<ModuleReport> PictureRefusal(bool packetNumberRestarts = false) const;

    void ResetPollCounter() override;
    QString FirmwareVersion() const override;
    bool StatusKnown() const override;

    QString left, right, statusBar, unsupported, writeCheckNote;
    QStringList memo1, errors, information;
    std::vector<ModuleReport> reports;
    bool polish = true;
    // Each line of the event list as it is added (event reports and checksum errors).
    std::function<void(const QString&)> onEventLine;
    // Each event report frame, before its line.
    std::function<void(std::span<const std::uint8_t>)> onEventFrame;

private:
    CliSession& session_;
};

// The preview window: collects one picture.
class CliPreview final : public LinkPreview {
public:
    explicit CliPreview(CliSession& session) : session_(session) {}
    std::uint8_t KamNr() const override { return static_cast<std::uint8_t>(1u << camera); }
    std::uint8_t PictWB() const override { return 15; } // 240-byte packets, as the window asks
    void add2Stream(const std::uint8_t* x, int l) override;
    bool Load2pict(std::uint8_t cam) override;
    void SB_playClick() override;
    void FormShow() override { ++noPicture; }
    void ShowPlayButtons(bool) override {}

    int camera = 0;
    QByteArray stream;
    QByteArray picture; // the latest complete picture
    int packets = 0;
    int noPicture = 0;

private:
    CliSession& session_;
};

// Follows what the core writes and reads, so that the module's answer can be told from no
// answer and from an echo of the requests.
class CountingPort final : public LinkPort {
public:
    CountingPort(LinkPort& port, std::function<void()> onRequest)
        : port_(port), onRequest_(std::move(onRequest))
    {
    }
    bool Enabled() const override { return port_.Enabled(); }
    void Open() override
    {
        answers.Restart();
        port_.Open();
    }
    void Close() override { port_.Close(); }
    void SetOpenEnded(std::function<void()> ended) override
    {
        port_.SetOpenEnded(std::move(ended));
    }
    QString DeviceName() const override { return port_.DeviceName(); }
    int _Write_(const std::uint8_t* buffer, int count) override;
    int _Read_(std::uint8_t* buffer, int count) override;
    bool DTR(bool state) override { return port_.DTR(state); }
    bool RTS(bool state) override { return port_.RTS(state); }
    std::optional<PortFailure> OpenFailure() const override { return port_.OpenFailure(); }

    int configRequests = 0; // DANE frames written
    AnswerWatch answers;

private:
    LinkPort& port_;
    std::function<void()> onRequest_;
};

// How a wait for the module ended: its condition held, the module stayed silent for the
// silence limit (or the port was closed that long), the link was lost while the condition
// waited (the callers tell this one), or an interruption.
enum class WaitEnd { kDone, kSilent, kLinkLost, kInterrupted };

class CliSession {
public:
    // `portName`: a COM name or a device path; `silenceLimitMs`: how long the module may stay
    // silent while a request waits for its answer; `progress` prints a progress line (or
    // nothing).
    CliSession(const QString& portName, int silenceLimitMs,
               std::function<void(const QString&)> progress);
    ~CliSession();

    // Opens the port exclusively, running the event loop while the open runs; false with the
    // reason, in the current language, when it cannot be opened, and with "interrupted" when an
    // interruption came first (Interrupted() tells).
    bool Open(QString* reason);
    // Runs the event loop until `done` holds or an interruption (SIGINT, SIGTERM) came, and,
    // unless `untilDoneOnly`, until the module has stayed silent for the silence limit. Time
    // while the port is closed (a device gone, opened again once a second) counts as silence.
    WaitEnd RunUntil(const std::function<bool()>& done, bool untilDoneOnly = false);

    // Connected: a status reply came and the configuration read that it starts has ended.
    bool Connected() const;
    bool ConfigurationRead() const;
    // Whether the port is open now; the reason of its latest failed open, when it is not.
    bool PortOpen() const;
    QString PortReason() const;
    // A status reply answered a request written after the latest clock frame: the module's
    // clock as it shows now is the one set.
    bool StatusAnsweredAfterClock() const;
    // The firmware is one the program does not support (the core stopped).
    bool Unsupported() const { return !view_.unsupported.isEmpty(); }
    // Shows the core's deferred messages into the view's lists.
    void TakeMessages();

    LinkCore& core() { return *core_; }
    CliView& view() { return view_; }
    CliPreview& preview() { return preview_; }
    ConfigRecord& config() { return config_; }
    NetworkRecord& network() { return network_; }
    RecordEditing& editing() { return editing_; }
    QString DeviceName() const;
    void Progress(const QString& text) const;

private:
    friend class CliView;
    friend class CliPreview;

    // The module's silence counts while a request waits for its answer, for one step of the
    // sequencer after each request written; the rest of the sequencer's wait before it repeats
    // a request, and the wait for its next step, are its own. Any answer of the module (see
    // AnswerWatch) answers every request written before it. While the port is closed all time
    // counts: nothing is written then, and the module cannot answer.
    void CountSilence();
    void NoteRequest();
    void ReceiveEvent(QObject* sender, int count);

    std::function<void(const QString&)> progress_;
    int silenceLimitMs_;
    QElapsedTimer sinceStart_;
    qint64 silenceMs_ = 0;
    qint64 countedUpTo_ = 0;
    qint64 lastRequestAt_ = 0;
    std::uint64_t requests_ = 0;
    std::uint64_t answered_ = 0;
    ConfigRecord config_;
    NetworkRecord network_;
    CliView view_;
    CliPreview preview_;
    SystemClock clock_;
    RecordEditing editing_;
    std::unique_ptr<TComm64> comm_;
    std::unique_ptr<TComm64LinkPort> commPort_;
    std::unique_ptr<CountingPort> port_;
    std::unique_ptr<ConfigHistory> history_;
    std::unique_ptr<LinkCore> core_;
};

} // namespace zorva::cli
