// More than a megabyte through a pseudo-terminal in pieces of random size: every byte arrives,
// in order, through the receive events and _Read_.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include <QTest>

#include "PtyPair.h"
#include "serial/TComm64.h"
#include "support/OpenNow.h"

namespace zorva {
namespace {

TEST(SerialStress, EveryByteArrivesInOrder)
{
    test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    constexpr std::size_t kTotal = (1u << 20) + 12345;
    std::mt19937 random(20240601);
    std::vector<std::uint8_t> sent(kTotal);
    for (auto& b : sent) {
        b = static_cast<std::uint8_t>(random());
    }

    TComm64 port;
    ApplyPortRSDefaults(port);
    port.setDeviceName(QString::fromStdString(pty.Path()));
    std::vector<std::uint8_t> received;
    received.reserve(kTotal);
    int failedReads = 0;
    port.setOnRxCharSignal([&](QObject*, std::int32_t Count) {
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(Count));
        const int n = port._Read_(buffer.data(), Count);
        if (n != Count) {
            ++failedReads;
            return;
        }
        received.insert(received.end(), buffer.begin(), buffer.end());
    });
    test::OpenNow(port);
    ASSERT_TRUE(port.Enabled());

    std::atomic<bool> sendOk{true};
    std::thread writer([&] {
        std::mt19937 sizes(7);
        std::size_t done = 0;
        while (done < kTotal && sendOk) {
            const std::size_t piece = std::min<std::size_t>(1 + sizes() % 3000, kTotal - done);
            sendOk = pty.Send(
                std::vector<std::uint8_t>(sent.begin() + done, sent.begin() + done + piece));
            done += piece;
        }
    });
    const bool complete = QTest::qWaitFor([&] { return received.size() >= kTotal; }, 120000);
    writer.join();
    EXPECT_TRUE(sendOk);
    EXPECT_TRUE(complete) << received.size();
    EXPECT_EQ(failedReads, 0);
    ASSERT_EQ(received.size(), kTotal);
    EXPECT_TRUE(received == sent);
}

} // namespace
} // namespace zorva
