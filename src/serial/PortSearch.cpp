#include "serial/PortSearch.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "serial/DeviceNames.h"
#include "serial/TComm64.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {
constexpr std::chrono::milliseconds kOpenCheck{10};
} // namespace

struct PortSearch::OpenAttempt {
    std::mutex mutex;
    bool abandoned = false; // the search no longer wants it: the thread closes what it opened
    std::unique_ptr<OpenedDevice> device; // the thread's result, until the search takes it
};

PortLine LineOf(const TComm64& port, bool dtr, bool rts)
{
    return {port.BaudRate(), port.Parity(), port.Stopbits(), port.Databits(), dtr, rts};
}

PortSearch::PortSearch(PortProbe probe, QObject* parent)
    : QObject(parent), probe_(std::move(probe)), opener_(OpenDevice)
{
    openCheck_.setInterval(kOpenCheck);
    connect(&openCheck_, &QTimer::timeout, this, &PortSearch::CheckOpen);
    answerWait_.setSingleShot(true);
    answerWait_.setInterval(kAnswerWait);
    connect(&answerWait_, &QTimer::timeout, this, [this] {
        if (attempt_) {
            PortFailure failure;
            failure.path = opening_;
            failure.systemText =
                Texts().txtPortOpenTooSlow.arg(std::chrono::duration<double>(openWait_).count());
            PassOver(std::move(failure));
            return;
        }
        ClosePort();
        TryNext();
    });
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
        auto attempt = std::make_shared<OpenAttempt>();
        std::thread([attempt, opener = opener_, candidate, path = ResolveDeviceName(candidate)] {
            auto opened = std::make_unique<OpenedDevice>(opener(candidate, path));
            const std::lock_guard lock(attempt->mutex);
            if (!attempt->abandoned) {
                attempt->device = std::move(opened);
            }
        }).detach();
        attempt_ = std::move(attempt);
        opening_ = candidate;
        openCheck_.start();
        answerWait_.start(openWait_);
        return;
    }
    if (running_) {
        running_ = false;
        emit Finished();
    }
}

void PortSearch::CheckOpen()
{
    std::unique_ptr<OpenedDevice> device;
    {
        const std::lock_guard lock(attempt_->mutex);
        device = std::move(attempt_->device);
    }
    if (!device) {
        return;
    }
    openCheck_.stop();
    answerWait_.stop();
    attempt_.reset();
    Probe(std::move(*device));
}

void PortSearch::Probe(OpenedDevice device)
{
    port_ = std::make_unique<TComm64>();
    ApplyPortRSDefaults(*port_);
    port_->setMonitorEvents({evRxChar});
    port_->setBaudRate(line_.baudRate);
    port_->setParity(line_.parity);
    port_->setStopbits(line_.stopbits);
    port_->setDatabits(line_.databits);
    port_->setOnRxCharSignal([this](QObject*, std::int32_t count) { Received(count); });
    port_->Open(std::move(device));
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

void PortSearch::ClosePort()
{
    answerWait_.stop();
    openCheck_.stop();
    if (attempt_) {
        const std::lock_guard lock(attempt_->mutex);
        attempt_->abandoned = true;
        attempt_->device.reset(); // opened after all, but too late
    }
    attempt_.reset();
    port_.reset();
}

} // namespace zorva
