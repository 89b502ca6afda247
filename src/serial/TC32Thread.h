// The serial port's event thread. It only waits for line events and hands each one to the
// user-interface thread, where FOnSignal runs while this thread waits for it to finish.
//
// Hand-over: the thread stores the event mask under a std::mutex, marks it pending and asks the
// user-interface thread to call Deliver (a queued call); then it sleeps on a condition
// variable until Deliver has run FOnSignal or until ReleaseThread. ReleaseThread wakes it from
// either wait (device wait and hand-over), so a pending hand-over is discarded instead of
// being left waiting, and joining the thread never needs the user-interface thread's help.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "serial/CommTypes.h"
#include "serial/platform/SerialPlatform.h"

namespace zorva {

class TC32Thread {
public:
    enum class Delivery {
        kNothing,    // no hand-over was waiting (a late or repeated wake-up)
        kDispatched, // FOnSignal ran
        kHungUp,     // the device went away; the thread has ended its loop
    };

    // Starts the thread at once. The device (borrowed, not owned) reports exactly Events;
    // wakeUi is called on the event thread to have the user-interface thread call Deliver.
    // When the device cannot report events no thread starts: see Running.
    TC32Thread(serial::SerialPort& Handle, TC32EventType Events, std::function<void()> wakeUi);
    // ReleaseThread, Terminate and WaitFor.
    ~TC32Thread();
    TC32Thread(const TC32Thread&) = delete;
    TC32Thread& operator=(const TC32Thread&) = delete;

    // Sets the close signal: the thread leaves its loop within one pass, also from a hand-over.
    void ReleaseThread();
    void Terminate() { terminated_.store(true); }
    void WaitFor();

    // Whether the thread started; when it did not, WaiterError holds the system's error number
    // for the event wait that could not be set up.
    bool Running() const { return thread_.joinable(); }
    int WaiterError() const { return waiterError_; }

    // User-interface thread: runs FOnSignal for the hand-over the thread is blocked in, if any.
    // FOnSignal may close the component and so destroy this object; Deliver touches nothing of
    // it after FOnSignal has been called.
    Delivery Deliver();

    // The component's dispatch; read on the user-interface thread only.
    TC32Event FOnSignal;

private:
    struct HandOver {
        std::mutex mutex;
        std::condition_variable changed;
        bool pending = false;  // FStatus waits for Deliver
        bool running = false;  // Deliver is running FOnSignal
        bool released = false; // ReleaseThread was called
        bool hungUp = false;
        std::uint32_t FStatus = 0;
    };

    void Execute();
    bool Synchronize(std::uint32_t status);
    void ReportHangUp();

    serial::SerialPort& FHandle;
    int waiterError_ = 0;
    std::unique_ptr<serial::EventWaiter> waiter_;
    std::function<void()> wakeUi_;
    std::shared_ptr<HandOver> hand_;
    std::atomic<bool> terminated_{false};
    std::thread thread_;
};

} // namespace zorva
