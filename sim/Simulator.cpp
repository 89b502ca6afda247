// The simulator's life: start (configuration, pictures, line, thread), stop, and the line
// published under its stable link.
#include "Simulator.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "SimLoop.h"

namespace zorva::sim {

Simulator::Simulator(Options options) : options_(std::move(options))
{
    if (options_.linkPath.empty()) {
        options_.linkPath = DefaultLinkPath();
    }
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    finishedFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Simulator::~Simulator()
{
    Stop();
    close(wakeFd_);
    close(finishedFd_);
}

bool Simulator::Start(std::string* error)
{
    if (thread_.joinable() || wakeFd_ < 0 || finishedFd_ < 0) {
        *error = "the simulator is already running or has no event descriptors";
        return false;
    }
    ModuleSettings settings;
    settings.config = DefaultConfig();
    if (!options_.configFile.empty() &&
        !LoadConfigFile(options_.configFile, settings.config, error)) {
        return false;
    }
    settings.firmware = options_.firmware;
    settings.cameras = options_.cameras;
    settings.inputs = options_.inputs;
    settings.resetSilence =
        std::chrono::milliseconds(static_cast<std::int64_t>(options_.resetSeconds * 1000.0 + 0.5));
    settings.eventEvery = std::chrono::milliseconds(
        static_cast<std::int64_t>(options_.eventEverySeconds * 1000.0 + 0.5));
    settings.rejectWrite = options_.rejectWrite;
    settings.storeSkew = options_.storeSkew;
    settings.fmwDay = options_.fmwDay;
    settings.fmwMonth = options_.fmwMonth;
    settings.fmwYear = options_.fmwYear;

    std::unique_ptr<PictureSource> pictures;
    if (!options_.picturesDir.empty()) {
        pictures = FolderPictures::Open(options_.picturesDir, error);
        if (!pictures) {
            return false;
        }
    }
    const std::uint64_t seed =
        options_.seed != 0 ? options_.seed
                           : static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
    loop_ = std::make_unique<SimLoop>(*this, options_, settings, std::move(pictures), seed);
    if (!loop_->OpenTrace(options_.traceFile, error) || !loop_->OpenLine(error)) {
        loop_.reset();
        return false;
    }
    stop_ = false;
    {
        std::lock_guard lock(mutex_);
        finished_ = false;
    }
    thread_ = std::thread(&Simulator::Run, this);
    return true;
}

void Simulator::Run()
{
    loop_->Run();
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
    SignalEventFd(finishedFd_);
}

void Simulator::Stop()
{
    if (thread_.joinable()) {
        stop_ = true;
        SignalEventFd(wakeFd_);
        thread_.join();
    }
    loop_.reset();
}

void Simulator::PublishLine(const std::string& device)
{
    {
        std::lock_guard lock(mutex_);
        device_ = device;
        ++generation_;
    }
    changed_.notify_all();
}

void Simulator::LineGone()
{
    std::lock_guard lock(mutex_);
    device_.clear();
}

std::string Simulator::linkPath() const
{
    return options_.linkPath;
}

std::string Simulator::devicePath() const
{
    std::lock_guard lock(mutex_);
    return device_;
}

unsigned Simulator::lineGeneration() const
{
    std::lock_guard lock(mutex_);
    return generation_;
}

bool Simulator::WaitForLine(unsigned generation, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return generation_ >= generation; });
}

bool Simulator::finished() const
{
    std::lock_guard lock(mutex_);
    return finished_;
}

bool Simulator::WaitFinished(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return finished_; });
}

} // namespace zorva::sim
