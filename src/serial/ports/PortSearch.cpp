#include "serial/ports/PortSearch.h"

#include <algorithm>
#include <utility>

#include "serial/DeviceNames.h"
#include "serial/NetworkOpen.h"
#include "serial/TComm64.h"
#include "serial/network/NetworkNames.h"
#include "shell/LanguageTexts.h"

namespace zorva {

PortLine LineOf(const TComm64& port, bool dtr, bool rts)
{
    return {port.BaudRate(), port.Parity(), port.Stopbits(), port.Databits(), dtr, rts};
}

PortSearch::PortSearch(PortProbe probe, QObject* parent)
    : QObject(parent), probe_(std::move(probe)), opener_(OpenPortNamed), openLimit_(kOpenWait)
{
    answerWait_.setSingleShot(true);
    answerWait_.setInterval(kAnswerWait);
    connect(&answerWait_, &QTimer::timeout, this, &PortSearch::OpenWaitEnded);
}

PortSearch::~PortSearch()
{
    ClosePort();
}

void PortSearch::setOpener(Opener opener, std::chrono::milliseconds openWait)
{
    opener_ = std::move(opener);
    openWait_ = openWait;
}

void PortSearch::Start(const QStringList& candidates, const PortLine& line)
{
    Cancel();
    candidates_ = candidates;
    line_ = line;
    next_ = 0;
    result_ = {};
    tried_.clear();
    running_ = true;
    answered_ = false;
    QTimer::singleShot(0, this, [this, gen = ++generation_] {
        if (gen == generation_) {
            TryNext();
        }
    });
}

void PortSearch::Cancel()
{
    if (!running_) {
        return;
    }
    ++generation_;
    ClosePort();
    running_ = false;
    result_.cancelled = true;
    emit Finished();
}

void PortSearch::TryNext()
{
    while (running_ && next_ < candidates_.size()) {
        const QString candidate = candidates_.at(next_++);
        const QString device = DevicePathOf(candidate);
        if (std::any_of(tried_.begin(), tried_.end(),
                        [&](const QString& path) { return SameDevice(path, device); })) {
            continue; // COM1 and ttyS0 alike
        }
        tried_.append(device);
        emit Trying(candidate);
        if (!running_) {
            return; // cancelled from a slot
        }
        port_ = std::make_unique<TComm64>();
        ApplyPortRSDefaults(*port_);
        port_->setMonitorEvents({evRxChar});
        port_->setBaudRate(line_.baudRate);
        port_->setParity(line_.parity);
        port_->setStopbits(line_.stopbits);
        port_->setDatabits(line_.databits);
        port_->setOnRxCharSignal([this](QObject*, std::int32_t count) { Received(count); });
        port_->setOpener(opener_);
        port_->setOnOpenEnded([this] { Probe(); });
        port_->setDeviceName(candidate);
        port_->Open();
        opening_ = candidate;
        // A network port bounds its own open, name look-up and connect alike.
        openLimit_ =
            serial::IsNetworkName(device.toStdString())
                ? std::max(openWait_, std::chrono::milliseconds(kNetworkOpenLimitMs) + kAnswerWait)
                : openWait_;
        answerWait_.start(openLimit_);
        return;
    }
    if (running_) {
        running_ = false;
        emit Finished();
    }
}

void PortSearch::OpenWaitEnded()
{
    if (port_ && port_->Opening()) {
        PortFailure failure;
        failure.path = opening_;
        failure.systemText =
            Texts().txtPortOpenTooSlow.arg(std::chrono::duration<double>(openLimit_).count());
        PassOver(std::move(failure));
        return;
    }
    ClosePort();
    TryNext();
}

void PortSearch::Probe()
{
    answerWait_.stop();
    port_->Open();
    if (!port_->Enabled()) {
        PassOver(port_->OpenFailure().value_or(PortFailure{}));
        return;
    }
    port_->DTR(line_.dtr);
    port_->RTS(line_.rts);
    port_->PurgeIn();
    received_.clear();
    const int size = static_cast<int>(probe_.request.size());
    if (port_->_Write_(probe_.request.data(), size) != size) {
        PortFailure failure;
        failure.path = port_->DeviceName();
        failure.systemText = Texts().txtProbeNotWritten;
        PassOver(std::move(failure));
        return;
    }
    answerWait_.start(kAnswerWait);
}

void PortSearch::PassOver(PortFailure failure)
{
    failure.deviceName = opening_;
    result_.passedOver.push_back(std::move(failure));
    ClosePort();
    TryNext();
}

// Runs inside the port component's event hand-over, so the port is closed later, not here.
void PortSearch::Received(int count)
{
    if (answered_ || !port_ || count <= 0) {
        return;
    }
    const std::size_t had = received_.size();
    received_.resize(had + static_cast<std::size_t>(count));
    const int got = port_->_Read_(received_.data() + had, count);
    received_.resize(had + static_cast<std::size_t>(got > 0 ? got : 0));
    if (probe_.answered && probe_.answered(received_)) {
        answered_ = true;
        answerWait_.stop();
        QTimer::singleShot(0, this, [this, gen = generation_] {
            if (gen == generation_) {
                Conclude();
            }
        });
    }
}

void PortSearch::Conclude()
{
    result_.found = port_ ? port_->DeviceName() : QString();
    ClosePort();
    running_ = false;
    emit Finished();
}

// An open still running is abandoned with the port: what it brings later is closed.
void PortSearch::ClosePort()
{
    answerWait_.stop();
    port_.reset();
}

} // namespace zorva
