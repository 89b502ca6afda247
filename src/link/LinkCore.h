// The link core: the main window's link state, the command sequencer, the user commands, the
// reply parser, the status display and the idle handler's work. Free of widgets; it reaches the
// window, the port and the preview only through the interfaces of LinkInterfaces.h.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "config/ConfigHistory.h"
#include "config/ConfigRecord.h"
#include "link/Frames.h"
#include "link/LinkInterfaces.h"
#include "link/RequestOrder.h"
#include "shell/PictureCounter.h"

namespace zorva {

// Ticks a request waits for its reply.
constexpr int kReplyTicks = 5;
// Reply rounds the watchdog allows before the link counts as lost.
constexpr std::uint8_t kWatchdogRounds = 5;
// Receive buffer: 32,768 bytes of which at most 32,767 are in use.
constexpr std::size_t kRxBufferSize = 32768;
constexpr std::size_t kRxBufferCapacity = kRxBufferSize - 1;
// One read of a receive event takes at most this many bytes.
constexpr int kIntakeChunk = 2048;
// The newest firmware the program supports.
inline const QString kNewestFirmware = QStringLiteral("1.02");

// Where the received bytes went; every byte is either consumed in a frame, dropped, or still
// in the receive buffer.
struct ReceiveCounters {
    std::uint64_t received = 0;
    std::uint64_t consumed = 0; // bytes of frames taken off the buffer and dispatched
    std::uint64_t dropped = 0;  // resynchronisation, checksum errors, overflow
};

class LinkCore : public QObject {
    Q_OBJECT
public:
    LinkCore(LinkPort& port, LinkView& view, LinkPreview& preview, const LinkClock& clock,
             ConfigRecord& config, NetworkRecord& network, QObject* parent = nullptr);
    ~LinkCore() override;

    // The run's log file; empty: no log file.
    void setLogFilePath(const QString& path) { logPath_ = path; }
    // Folder of the language files "zr_pl.ini" and "zr_en.ini"; the executable's folder when
    // empty (the default).
    void setLanguageDir(const QString& dir) { languageDir_ = dir; }
    QString languageDir() const;
    // Where every configuration read and every write acknowledged is kept; none when null.
    void setHistory(const ConfigHistory* history) { history_ = history; }

    // Sequencer.
    QTimer& Timer1() { return timer1_; }
    // One sequencer step; `Sender` is the timer for a tick and nullptr for an immediate step.
    void Timer1Timer(const QObject* Sender);
    void Tick() { Timer1Timer(&timer1_); }
    // Immediate step with its cause: the timer restarts its interval afterwards.
    void ImmediateStep(const QString& cause);

    // User commands.
    void ToolButton2Click();  // read configuration
    void ToolButton3Click();  // write configuration
    void RequestNetwork();    // read network settings
    void ToolButton11Click(); // set the module's clock: ask first
    void Zagar1Click() { ToolButton11Click(); }
    void OpenPort();
    // The port's open, started by OpenPort, has ended: the port is taken and, once open, set up
    // as OpenPort sets it up, with a step at once (the first request goes out then, not a
    // tick later). Nothing while the port settings dialog shows.
    void PortOpenEnded();
    // Puts the reason why the port is closed into the status bar again, in the current language.
    void ShowPortFailure();
    void RS2321Click(); // port settings
    void ToolButton4Click();

    // Idle handler: the preview buttons, then the deferred messages.
    void OnAppIdle();
    void SyncPreviewButtons();
    bool HasPendingMessage() const;
    void ShowPendingMessages();
    void SendClockFrame();

    // Reply parser: the port's receive event.
    void PortRSRxCharSignal(QObject* Sender, int Count);
    // True while a receive event is being handled (also inside a dialog the parser opened).
    bool InParser() const { return inParser_; }
    // One log line for an event report frame (date, time and the decoded text).
    QString DecodeEventFrame(std::span<const std::uint8_t> frame) const;
    // The language file that event reports are decoded with, by the menu's language.
    QString EventLanguageFile() const;
    // Renders the status record in the status strip and checks the firmware.
    void ShowStatus();
    // True when the strip already shows `record` as ShowStatus would render it now.
    bool StatusShownFor(std::span<const std::uint8_t> record) const;

    // For the preview window (SB_playClick, SB_stopClick).
    std::uint16_t pictcnt() const { return pictcnt_; }
    // 0 starts a picture: packets asked for before it are never taken into it.
    void setPictcnt(std::uint16_t value);
    // For the configuration editor.
    void ResetPollCounter() { pollCounter_ = 1; }
    QString FirmwareVersion() const { return fmwVersion_; }
    bool StatusEmpty() const { return statbuf_.empty(); }
    // Deferred messages posted by other parts of the program (the configuration file).
    void PostError(const QString& text) { emsg_ = text; }
    void PostInformation(const QString& text) { imsg_ = text; }
    // Line flags applied after each open (port settings dialog).
    bool DtrFlag() const { return dtrFlag_; }
    void setDtrFlag(bool on) { dtrFlag_ = on; }
    bool RtsFlag() const { return rtsFlag_; }
    void setRtsFlag(bool on) { rtsFlag_ = on; }

    // The status record as last received, for the status grid.
    const Bytes& statbuf() const { return statbuf_; }

    // Read-only view of the sequencer's and parser's state for diagnostics: tests, benchmarks
    // and the fuzz target look inside through these; the windows do not need them.
    int Timer1Tag() const { return tag_; }
    bool readit() const { return readit_; }
    bool writeit() const { return writeit_; }
    bool reset() const { return reset_; }
    std::uint8_t rxcnt() const { return rxcnt_; }
    QString kto() const { return kto_; }
    QString emsg() const { return emsg_; }
    QString imsg() const { return imsg_; }
    std::uint16_t lcbuf() const { return lcbuf_; }
    std::span<const std::uint8_t> ReceiveBuffer() const { return {cbuf_.data(), lcbuf_}; }
    const Bytes& sbuf() const { return sbuf_; }
    QString FmwDate() const { return fmwDate_; }
    // The latest configuration reply as the module sent it (over a cleared record), before any
    // refresh of the editor; nothing before the first.
    const std::optional<ConfigRecord::Image>& LatestRead() const { return latestRead_; }
    // The firmware date the module last reported on this link (FmwDate empties at once).
    QString ReportedFmwDate() const { return reportedFmwDate_; }
    bool Busy() const { return busy_; }
    // The sequence number (RequestOrder) of the latest clock frame written, 0 before the first;
    // and of the request that the latest status reply answered.
    std::uint64_t ClockFrameSequence() const { return clockFrameSent_; }
    std::uint64_t StatusAnswerSequence() const { return statusAnswered_; }

    // The check of an acknowledged write against the configuration read after the restart.
    enum class WriteCheck { None, AwaitingReset, AwaitingReread };
    WriteCheck writeCheck() const { return writeCheck_; }
    // The differences the latest check found, one line each; empty after a match.
    const QStringList& WriteCheckDifferences() const { return writeCheckLines_; }
    // Shows the note "write verified" in the current language while it holds: the link is up
    // since the check and the record still equals the image verified; removes it otherwise.
    void RefreshWriteCheckNote();
    const ReceiveCounters& Counters() const { return counters_; }
    // A line about the port (a setting its server refused) for the traffic log and the log file.
    void NotePortLine(const QString& line);

private:
    enum class Flow { Continue, EndHandler };

    void EndStep() { busy_ = false; }
    // Writes and logs a request; its sequence number.
    std::uint64_t Send(const Bytes& frame);
    void LogFileLine(const QString& text) const;
    // After an open: a new reason why the port is closed goes to the status bar, the traffic log
    // and the log file once; an open port empties the status bar's panel. A port that closes
    // again before it has stayed open for two ticks (a server that accepts and drops at once)
    // is one episode: its reason, the same each time, is logged once.
    void NotePortFailure();
    // Sets up a port just opened (line flags, receive buffer) and runs a step.
    void PortOpened();
    // The line with the date-and-time prefix; the prefix is made only when there is a log file.
    void LogFileStamped(const QString& text) const;
    QString Stamp() const;

    // Reply parser parts.
    void Intake(int count);
    void AppendReceived(std::span<const std::uint8_t> bytes);
    void DropFront(std::size_t count);
    Flow FrameLoop();
    Flow Dispatch(std::span<const std::uint8_t> frame);
    Flow OnPicturePacket(std::span<const std::uint8_t> payload);
    void OnErrorReport(std::span<const std::uint8_t> payload);
    void OnEventReport(std::span<const std::uint8_t> frame);

    // Write check (WriteCheck.cpp).
    void NoteWriteSent(std::span<const std::uint8_t, kWriteImageSize> image);
    void OnWriteDone();
    void OnResetDone();
    void OnResetDropped();
    void CheckReadBack(std::span<const std::uint8_t> payload);
    void OnWriteCheckLost();

    // Configuration history (HistoryKeeping.cpp).
    void KeepRead(std::span<const std::uint8_t> payload);
    void KeepWritten();
    void KeepInHistory(HistoryKind kind, const ConfigRecord::Image& record);

    LinkPort& port_;
    LinkView& view_;
    LinkPreview& preview_;
    const LinkClock& clock_;
    ConfigRecord& config_;
    NetworkRecord& network_;
    QString logPath_;
    QString languageDir_;

    // Transaction state.
    QTimer timer1_;
    int tag_ = 0;
    bool readit_ = false;
    bool writeit_ = false;
    bool reset_ = false;
    std::uint8_t rxcnt_ = 0;
    std::uint16_t pictcnt_ = kPictStopped;
    QString kto_;
    QString emsg_, imsg_, pmsg_;
    // The detailed text of one error message: shown with it only while `emsg_` is still that
    // message.
    QString emsgDetails_, emsgDetailed_;
    bool busy_ = false;
    std::uint8_t pollCounter_ = 1;
    std::uint16_t lastPacket_ = 0;
    bool pictureRestarted_ = false; // the picture being received began at a second packet 0
    // The requests in the order written, to tell which one a reply answers.
    RequestOrder order_;
    std::uint64_t pictureFrom_ = 0; // the first request whose packets count for this picture
    std::uint64_t clockFrameSent_ = 0;
    std::uint64_t statusAnswered_ = 0;
    QString fmwVersion_;
    // What the status strip shows: the record in statbuf_, in the language of this caption,
    // with this firmware date.
    bool statusShown_ = false;
    QString shownConnectedText_;
    QString shownFmwDate_;
    bool dtrFlag_ = true;
    bool rtsFlag_ = true;
    std::optional<PortFailure> portFailure_;   // as last reported
    std::optional<PortFailure> loggedFailure_; // as last logged, until the port stays open
    int openTicks_ = 0;                        // ticks in a row that found the port open

    // Receive side.
    std::array<std::uint8_t, kRxBufferSize> cbuf_{};
    std::uint16_t lcbuf_ = 0;
    Bytes sbuf_;
    Bytes statbuf_;
    QString fmwDate_;
    QString reportedFmwDate_;
    bool inParser_ = false;
    int deferredRxCount_ = 0;
    ReceiveCounters counters_;

    // The image of the latest write sent, and of the acknowledged one being checked.
    std::array<std::uint8_t, kWriteImageSize> sentImage_{};
    std::array<std::uint8_t, kWriteImageSize> checkedImage_{};
    WriteCheck writeCheck_ = WriteCheck::None;
    QStringList writeCheckLines_;
    bool verified_ = false; // checkedImage_ was read back from the module on this link
    QString shownNote_;

    const ConfigHistory* history_ = nullptr;
    std::optional<ConfigRecord::Image> latestRead_;
    // The identifier of the record last given to the history on this connection; forgotten when
    // the link is lost, since it may come back with another module.
    std::optional<QString> keptIdentifier_;
    bool historyProblemShown_ = false; // since the history last took a record
};

} // namespace zorva
