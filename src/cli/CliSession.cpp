#include "cli/CliSession.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "cli/CliOutput.h"
#include "config/ConfigHistory.h"
#include "link/LinkCore.h"
#include "link/TComm64LinkPort.h"
#include "serial/DeviceNames.h"
#include "serial/TComm64.h"
#include "serial/network/NetworkNames.h"
#include "shell/LogFile.h"

namespace zorva::cli {

namespace {
// Set by the SIGINT and SIGTERM handlers of main.cpp through Interrupt().
std::atomic<bool> gInterrupted{false};
thread_local const std::atomic<bool>* tStop = nullptr;
constexpr int kCheckMs = 10;
} // namespace

void Interrupt()
{
    gInterrupted = true;
}

bool Interrupted()
{
    return gInterrupted || (tStop != nullptr && tStop->load());
}

StopWaitsWhen::StopWaitsWhen(const std::atomic<bool>& stop) : outer_(tStop)
{
    tStop = &stop;
}

StopWaitsWhen::~StopWaitsWhen()
{
    tStop = outer_;
}

void CliView::ShowConfig()
{
    session_.editing_.ShowConfig();
}

void CliView::Memo2Add(const QString& line)
{
    if (onEventLine) {
        onEventLine(line);
    }
}

void CliView::NoteEventFrame(std::span<const std::uint8_t> frame)
{
    if (onEventFrame) {
        onEventFrame(frame);
    }
}

void CliView::NoteHistoryProblem(const QString& text)
{
    // Said also with --quiet: what a script keeps is at stake.
    PrintProgress(false, text);
}

std::optional<ModuleReport> CliView::PictureRefusal(bool packetNumberRestarts) const
{
    constexpr std::uint8_t kErrorNoMessage = 0xCC;
    constexpr std::uint8_t kErrorPacketNumber = 0xDD;
    for (const ModuleReport& report : reports) {
        const bool error = report.kind == ModuleReport::Kind::kError;
        if (!(error && (report.code == kErrorNoMessage ||
                        (packetNumberRestarts && report.code == kErrorPacketNumber)))) {
            return report;
        }
    }
    return std::nullopt;
}

void CliView::ResetPollCounter()
{
    if (session_.core_) {
        session_.core_->ResetPollCounter();
    }
}

QString CliView::FirmwareVersion() const
{
    return session_.core_ ? session_.core_->FirmwareVersion() : QString();
}

bool CliView::StatusKnown() const
{
    return session_.core_ && !session_.core_->StatusEmpty();
}

void CliPreview::add2Stream(const std::uint8_t* x, int l)
{
    stream.append(reinterpret_cast<const char*>(x), l);
    ++packets;
}

bool CliPreview::Load2pict(std::uint8_t /*cam*/)
{
    picture = stream;
    return true;
}

void CliPreview::SB_playClick()
{
    stream.clear();
    packets = 0;
    if (session_.core_) {
        session_.core_->setPictcnt(0);
    }
}

int CountingPort::_Write_(const std::uint8_t* buffer, int count)
{
    if (count >= 4 && buffer[3] == kCmdDane) {
        ++configRequests;
    }
    const int written = port_._Write_(buffer, count);
    if (count > 0) {
        answers.Sent({buffer, static_cast<std::size_t>(count)});
        if (onRequest_) {
            onRequest_();
        }
    }
    return written;
}

int CountingPort::_Read_(std::uint8_t* buffer, int count)
{
    const int got = port_._Read_(buffer, count);
    if (got > 0) {
        answers.Received({buffer, static_cast<std::size_t>(got)});
    }
    return got;
}

CliSession::CliSession(const QString& portName, int silenceLimitMs,
                       std::function<void(const QString&)> progress)
    : progress_(std::move(progress)), silenceLimitMs_(silenceLimitMs), view_(*this),
      preview_(*this), editing_(config_, network_, view_), comm_(std::make_unique<TComm64>())
{
    sinceStart_.start();
    ApplyPortRSDefaults(*comm_);
    comm_->setDeviceName(portName);
    commPort_ = std::make_unique<TComm64LinkPort>(*comm_);
    port_ = std::make_unique<CountingPort>(*commPort_, [this] { NoteRequest(); });
    core_ = std::make_unique<LinkCore>(*port_, view_, preview_, clock_, config_, network_);
    // The window program's log file: its ini file sits beside this program.
    const QString windowProgram =
        QCoreApplication::applicationDirPath() + QStringLiteral("/zorva-config");
    core_->setLogFilePath(
        StartLogFileFrom(IniPathForProgram(windowProgram), QDateTime::currentDateTime()));
    // The window program's configuration history, with its bound.
    history_ = std::make_unique<ConfigHistory>(DefaultHistoryFolder(),
                                               HistoryKeepFrom(IniPathForProgram(windowProgram)));
    core_->setHistory(history_.get());
    comm_->setOnPortNote([this](const QString& line) {
        core_->NotePortLine(line);
        // Said also with --quiet: it may be why the module stays silent.
        PrintProgress(false, line);
    });
    comm_->setOnRxCharSignal(
        [this](QObject* sender, std::int32_t count) { ReceiveEvent(sender, count); });
    // Until the port is open the core's own tick does nothing useful; Open starts it.
    core_->Timer1().stop();
}

CliSession::~CliSession()
{
    // The core stops its timer before the port goes.
    core_.reset();
}

bool CliSession::Open(QString* reason)
{
    core_->OpenPort();
    // The port opens in the background; the core takes the result as soon as it is there.
    if (comm_->Opening()) {
        if (serial::IsNetworkName(ResolveDeviceName(DeviceName()).toStdString())) {
            Progress(QStringLiteral("%1 connecting").arg(DeviceName()));
        }
        if (RunUntil([this] { return !comm_->Opening(); }, true) == WaitEnd::kInterrupted) {
            comm_->Close();
            if (reason != nullptr) {
                *reason = QStringLiteral("interrupted");
            }
            return false;
        }
    }
    if (!port_->Enabled()) {
        const std::optional<PortFailure>& failure = comm_->OpenFailure();
        if (reason != nullptr && failure) {
            *reason = PortFailureText(*failure);
        }
        return false;
    }
    core_->Timer1().start();
    return true;
}

void CliSession::CountSilence()
{
    const qint64 now = sinceStart_.elapsed();
    if (!port_->Enabled()) {
        silenceMs_ += now - countedUpTo_;
    } else if (requests_ > answered_) {
        const qint64 from = std::max(countedUpTo_, lastRequestAt_);
        const qint64 to = std::min(now, lastRequestAt_ + core_->Timer1().interval());
        silenceMs_ += std::max<qint64>(0, to - from);
    }
    countedUpTo_ = now;
}

void CliSession::NoteRequest()
{
    CountSilence();
    ++requests_;
    lastRequestAt_ = countedUpTo_;
}

void CliSession::ReceiveEvent(QObject* sender, int count)
{
    const std::uint64_t requestsBefore = requests_;
    const std::uint64_t answersBefore = port_->answers.Answers();
    core_->PortRSRxCharSignal(sender, count);
    if (port_->answers.Answers() != answersBefore) {
        // Requests written while the frames were handled still wait for their answers.
        CountSilence();
        silenceMs_ = 0;
        answered_ = requestsBefore;
    }
}

WaitEnd CliSession::RunUntil(const std::function<bool()>& done, bool untilDoneOnly)
{
    const auto end = [&] {
        TakeMessages();
        CountSilence();
        if (done()) {
            return std::optional(WaitEnd::kDone);
        }
        if (Interrupted()) {
            return std::optional(WaitEnd::kInterrupted);
        }
        if (!untilDoneOnly && silenceMs_ >= silenceLimitMs_) {
            return std::optional(WaitEnd::kSilent);
        }
        return std::optional<WaitEnd>();
    };
    std::optional<WaitEnd> ended = end();
    if (ended) {
        return *ended;
    }
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        ended = end();
        if (ended) {
            loop.quit();
        }
    });
    check.start(kCheckMs);
    loop.exec();
    return *ended;
}

bool CliSession::Connected() const
{
    return !core_->StatusEmpty();
}

bool CliSession::PortOpen() const
{
    return port_->Enabled();
}

QString CliSession::PortReason() const
{
    const std::optional<PortFailure>& failure = comm_->OpenFailure();
    return failure ? PortFailureText(*failure) : QStringLiteral("closed");
}

bool CliSession::StatusAnsweredAfterClock() const
{
    return core_->ClockFrameSequence() > 0 &&
           core_->StatusAnswerSequence() > core_->ClockFrameSequence();
}

bool CliSession::ConfigurationRead() const
{
    // The read that the first status reply starts has had its reply (the watchdog would have
    // emptied the status record instead).
    return Connected() && port_->configRequests > 0 && !core_->readit() && core_->Timer1Tag() == 0;
}

void CliSession::TakeMessages()
{
    if (core_->HasPendingMessage()) {
        core_->ShowPendingMessages();
    }
}

QString CliSession::DeviceName() const
{
    return comm_->DeviceName();
}

void CliSession::Progress(const QString& text) const
{
    if (progress_) {
        progress_(text);
    }
}

} // namespace zorva::cli
