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

// Started one after another and ending at once, as the opener's threads do while a port is
// missing, on a machine whose two cores are busy: a thread that ends while it is being detached
// must not cost a later one its work. Plain detached threads lost one within the first hundred.
TEST(DetachedThreadWin, EveryThreadRunsItsWork)
{
    std::vector<std::jthread> busy; // spin until the test ends, however it ends
    for (int i = 0; i < 2; ++i) {
        busy.emplace_back([](const std::stop_token& stop) {
            while (!stop.stop_requested()) {
            }
        });
    }
    constexpr int kThreads = 1000;
    const auto ran = std::make_shared<std::atomic<int>>(0); // outlives a failed test
    for (int i = 0; i < kThreads; ++i) {
        StartDetached([ran] { ++*ran; });
        const auto end = std::chrono::steady_clock::now() + 30s;
        while (*ran == i && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(200us);
        }
        ASSERT_EQ(*ran, i + 1) << "thread " << i + 1 << " of " << kThreads << " never ran its work";
    }
}

} // namespace
} // namespace zorva::serial
