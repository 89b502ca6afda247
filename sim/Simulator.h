// A simulated ZORVA module on its own thread: the module core behind a pseudo-terminal line,
// with faults, pacing, scheduled reports and a trace. The executable zorva-sim and the tests
// both drive it through this class; control commands are posted to the module's thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ControlCommand.h"
#include "SimOptions.h"

namespace zorva::sim {

class SimLoop;

class Simulator {
public:
    explicit Simulator(Options options);
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    ~Simulator();

    // Loads the configuration and pictures, opens the line, publishes the link and starts the
    // module's thread. False with a reason when any of it fails.
    bool Start(std::string* error);
    // Ends the thread, closes the line and removes the link. Safe to call twice.
    void Stop();

    // The symbolic link that the program opens; stays the same across unplug and replug.
    std::string linkPath() const;
    // The device the link points at now; empty while unplugged.
    std::string devicePath() const;
    // Counts published lines: 1 after Start, one more after each replug.
    unsigned lineGeneration() const;
    // Waits until at least `generation` lines have been published.
    bool WaitForLine(unsigned generation, std::chrono::milliseconds timeout) const;

    // One control command line; "" when accepted, else the reason. "wait" is for readers of
    // command streams and is refused here.
    std::string Execute(const std::string& line);
    void Post(const ControlCommand& command);

    // Control commands as calls.
    void SendEvent(const std::vector<std::uint8_t>& payload); // code, then argument bytes
    void SendError(std::uint8_t code);
    void SendFirmwareDate();
    void SetSilent(bool on);
    void Unplug(double seconds);
    void SetFirmware(int number);
    void SetCameras(std::uint8_t bits);
    void SetInputs(std::uint8_t bits);
    void Quit();

    // True once the module's thread has ended (quit command or Stop).
    bool finished() const;
    // An eventfd that becomes readable when the module's thread ends.
    int finishedFd() const { return finishedFd_; }
    // Waits for the module's thread to end.
    bool WaitFinished(std::chrono::milliseconds timeout) const;

private:
    friend class SimLoop;
    void Run();
    void PublishLine(const std::string& device);
    void LineGone();

    Options options_;
    std::unique_ptr<SimLoop> loop_;
    std::thread thread_;
    int wakeFd_ = -1;     // commands posted or stop requested
    int finishedFd_ = -1; // written when the thread ends
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<ControlCommand> commands_;
    std::string device_;
    unsigned generation_ = 0;
    bool finished_ = false;
};

} // namespace zorva::sim
