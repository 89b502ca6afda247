// Detached threads with mingw-w64's threads, run under wine by windows-serial.sh.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "serial/platform/DetachedThread.h"

namespace zorva::serial {
namespace {

using namespace std::chrono_literals;

// Threads that keep both cores of a 2-core machine busy while they live.
class BusyCores {
public:
    BusyCores()
    {
        for (int i = 0; i < 2; ++i) {
            spinning_.emplace_back([this] {
                while (!stop_.load(std::memory_order_relaxed)) {
                }
            });
        }
    }
    ~BusyCores()
    {
        stop_ = true;
        for (std::thread& t : spinning_) {
            t.join();
        }
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> spinning_;
};

// Started one after another and ending at once, as the opener's threads do while a port is
// missing: a thread that ends while it is being detached must not cost a later one its work.
// Plain detached threads lost one within the first hundred here.
TEST(DetachedThreadWin, EveryThreadRunsItsWork)
{
    const BusyCores busy;
    constexpr int kThreads = 1000;
    // Counted by threads that may outlive a failed test.
    const auto ran = std::make_shared<std::atomic<int>>(0);
    for (int i = 0; i < kThreads; ++i) {
        StartDetached([ran] { ++*ran; });
        // Looked at as the opener's caller does, in short sleeps.
        const auto end = std::chrono::steady_clock::now() + 30s;
        while (*ran == i && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(200us);
        }
        ASSERT_EQ(*ran, i + 1) << "thread " << i + 1 << " of " << kThreads << " never ran its work";
    }
}

} // namespace
} // namespace zorva::serial
