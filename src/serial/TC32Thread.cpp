#include "serial/TC32Thread.h"

namespace zorva {
namespace {

// The wait's time-out only bounds how long a termination request can go unnoticed.
constexpr int kEventWaitMs = 10000;

} // namespace

TC32Thread::TC32Thread(serial::SerialPort& Handle, TC32EventType Events,
                       std::function<void()> wakeUi)
    : FHandle(Handle), waiter_(Handle.CreateEventWaiter(LineEventMask(Events), &waiterError_)),
      wakeUi_(std::move(wakeUi)), hand_(std::make_shared<HandOver>())
{
    // The device reports exactly the chosen events before the body starts. The thread runs at
    // normal priority: the wait returns as soon as bytes arrive, which is what matters here.
    if (waiter_) {
        thread_ = std::thread([this] { Execute(); });
    }
}

TC32Thread::~TC32Thread()
{
    ReleaseThread();
    Terminate();
    WaitFor();
}

void TC32Thread::ReleaseThread()
{
    if (waiter_) {
        waiter_->Release();
    }
    {
        std::lock_guard lock(hand_->mutex);
        hand_->released = true;
    }
    hand_->changed.notify_all();
}

void TC32Thread::WaitFor()
{
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TC32Thread::Execute()
{
    bool hungUp = false;
    for (;;) {
        const serial::WaitResult r = waiter_->Wait(kEventWaitMs);
        if (r.kind == serial::WaitResult::Kind::kClosed) {
            break;
        }
        if (r.kind == serial::WaitResult::Kind::kHangUp) {
            hungUp = true;
            break;
        }
        if (r.kind == serial::WaitResult::Kind::kEvents && !Synchronize(r.events)) {
            break;
        }
        if (terminated_.load()) {
            break;
        }
    }
    if (hungUp) {
        // Nothing to wait for any more: leave the loop instead of waking again and again,
        // and let the user-interface thread close the component.
        ReportHangUp();
        return;
    }
    FHandle.Purge(serial::kPurgeRxAbort | serial::kPurgeRxClear);
}

bool TC32Thread::Synchronize(std::uint32_t status)
{
    std::unique_lock lock(hand_->mutex);
    if (hand_->released) {
        return false;
    }
    hand_->FStatus = status;
    hand_->pending = true;
    lock.unlock();
    wakeUi_();
    lock.lock();
    hand_->changed.wait(lock,
                        [&] { return hand_->released || (!hand_->pending && !hand_->running); });
    return !hand_->released;
}

void TC32Thread::ReportHangUp()
{
    {
        std::lock_guard lock(hand_->mutex);
        hand_->hungUp = true;
    }
    wakeUi_();
}

TC32Thread::Delivery TC32Thread::Deliver()
{
    // Only locals from here on: FOnSignal may destroy this object.
    const std::shared_ptr<HandOver> hand = hand_;
    const TC32Event signal = FOnSignal;
    void* const sender = this;
    std::uint32_t status = 0;
    {
        std::lock_guard lock(hand->mutex);
        if (hand->hungUp) {
            return Delivery::kHungUp;
        }
        if (!hand->pending || hand->released) {
            return Delivery::kNothing;
        }
        hand->pending = false;
        hand->running = true;
        status = hand->FStatus;
    }
    // Releases the thread however FOnSignal ends, also by an exception.
    struct Finish {
        const std::shared_ptr<HandOver>& hand;
        ~Finish()
        {
            {
                std::lock_guard lock(hand->mutex);
                hand->running = false;
            }
            hand->changed.notify_all();
        }
    } finish{hand};
    if (signal) {
        signal(sender, status);
    }
    return Delivery::kDispatched;
}

} // namespace zorva
