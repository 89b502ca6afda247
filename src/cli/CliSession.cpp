#include "cli/CliSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "cli/PortProblem.h"
#include "link/LinkCore.h"
#include "link/TComm64LinkPort.h"
#include "serial/TComm64.h"
#include "shell/LogFile.h"

namespace zorva::cli {

namespace {
// Set by the SIGINT and SIGTERM handlers of main.cpp through Interrupt().
std::atomic<bool> gInterrupted{false};
constexpr int kCheckMs = 10;
} // namespace

void Interrupt()
{
    gInterrupted = true;
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
    return port_._Write_(buffer, count);
}

CliSession::CliSession(const QString& portName, std::function<void(const QString&)> progress)
    : progress_(std::move(progress)), view_(*this), preview_(*this),
      editing_(config_, network_, view_), comm_(std::make_unique<TComm64>())
{
    ApplyPortRSDefaults(*comm_);
    comm_->setDeviceName(portName);
    commPort_ = std::make_unique<TComm64LinkPort>(*comm_);
    port_ = std::make_unique<CountingPort>(*commPort_);
    core_ = std::make_unique<LinkCore>(*port_, view_, preview_, clock_, config_, network_);
    // The window program's log file: its ini file sits beside this program.
    const QString windowProgram =
        QCoreApplication::applicationDirPath() + QStringLiteral("/zorva-config");
    core_->setLogFilePath(
        StartLogFileFrom(IniPathForProgram(windowProgram), QDateTime::currentDateTime()));
    comm_->setOnRxCharSignal(
        [this](QObject* sender, std::int32_t count) { core_->PortRSRxCharSignal(sender, count); });
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
    if (!port_->Enabled()) {
        if (reason != nullptr) {
            *reason = PortOpenProblem(comm_->DeviceName());
        }
        return false;
    }
    core_->Timer1().start();
    return true;
}

bool CliSession::Interrupted()
{
    return gInterrupted;
}

bool CliSession::RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        TakeMessages();
        if (done() || gInterrupted) {
            loop.quit();
        }
    });
    check.start(kCheckMs);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    TakeMessages();
    return done();
}

bool CliSession::Connected() const
{
    return !core_->StatusEmpty();
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
