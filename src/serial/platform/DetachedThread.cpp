#include "serial/platform/DetachedThread.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace zorva::serial {

void StartDetached(std::function<void()> work)
{
    struct Start {
        std::mutex mutex;
        std::condition_variable changed;
        bool detached = false;
    };
    auto start = std::make_shared<Start>();
    std::thread thread([start, work = std::move(work)] {
        {
            std::unique_lock lock(start->mutex);
            start->changed.wait(lock, [&] { return start->detached; });
        }
        work();
    });
    thread.detach();
    {
        const std::lock_guard lock(start->mutex);
        start->detached = true;
    }
    start->changed.notify_one();
}

} // namespace zorva::serial
