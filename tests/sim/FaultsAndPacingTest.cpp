// The named faults and the line pacing, checked without a line.
#include <gtest/gtest.h>

#include <numeric>

#include "link/Frames.h"
#include "sim/Faults.h"
#include "sim/Pacer.h"

namespace zorva::sim {
namespace {

using namespace std::chrono_literals;

Bytes SampleFrame()
{
    Bytes payload(60);
    std::iota(payload.begin(), payload.end(), std::uint8_t{1});
    return BuildFrame(kRxConfig, payload);
}

TEST(Faults, NoFaultsLeaveTheFrameWhole)
{
    FaultInjector faults(FaultSettings{}, 1);
    const ShapedFrame s = faults.Shape(SampleFrame());
    EXPECT_FALSE(s.dropped);
    EXPECT_FALSE(s.corrupted);
    EXPECT_TRUE(s.garbage.empty());
    EXPECT_EQ(s.frame, SampleFrame());
    EXPECT_EQ(s.pieces, (std::vector<std::size_t>{SampleFrame().size()}));
    EXPECT_EQ(s.delay, 0ms);
}

TEST(Faults, SplitCutsEveryFrameIntoPiecesThatAddUp)
{
    FaultSettings settings;
    settings.split = true;
    FaultInjector faults(settings, 7);
    for (int i = 0; i < 200; ++i) {
        const ShapedFrame s = faults.Shape(SampleFrame());
        ASSERT_GE(s.pieces.size(), 2u);
        ASSERT_LE(s.pieces.size(), 6u);
        EXPECT_EQ(std::accumulate(s.pieces.begin(), s.pieces.end(), std::size_t{0}),
                  SampleFrame().size());
        for (std::size_t piece : s.pieces) {
            EXPECT_GT(piece, 0u);
        }
        EXPECT_EQ(s.frame, SampleFrame());
    }
    // Even the shortest frame splits.
    EXPECT_EQ(faults.Shape(StanFrame()).pieces.size() >= 2, true);
}

struct RateCase {
    const char* name;
    double garbage, corrupt, drop;
};

class FaultRates : public ::testing::TestWithParam<RateCase> {};

TEST_P(FaultRates, HappenAtTheirRate)
{
    const RateCase& c = GetParam();
    FaultSettings settings;
    settings.garbageRate = c.garbage;
    settings.corruptRate = c.corrupt;
    settings.dropRate = c.drop;
    FaultInjector faults(settings, 12345);
    const int trials = 4000;
    int garbage = 0, corrupt = 0, dropped = 0, sent = 0;
    for (int i = 0; i < trials; ++i) {
        const ShapedFrame s = faults.Shape(SampleFrame());
        if (s.dropped) {
            ++dropped;
            continue;
        }
        ++sent;
        if (!s.garbage.empty()) {
            ++garbage;
            EXPECT_LE(s.garbage.size(), 8u);
            // Noise never holds FF, so it cannot hide the next frame behind a false sync.
            EXPECT_EQ(std::count(s.garbage.begin(), s.garbage.end(), 0xFF), 0);
        }
        if (s.corrupted) {
            ++corrupt;
            EXPECT_EQ(CutFrame(s.frame).kind, FrameCut::BadChecksum);
            EXPECT_TRUE(std::equal(s.frame.begin(), s.frame.end() - 1, SampleFrame().begin()));
        } else {
            EXPECT_EQ(s.frame, SampleFrame());
        }
    }
    // Binomial spread at 4000 trials is under 1 %; 4 % leaves no room for flakiness.
    EXPECT_NEAR(double(dropped) / trials, c.drop, 0.04);
    EXPECT_NEAR(double(garbage) / std::max(sent, 1), c.garbage, 0.04);
    EXPECT_NEAR(double(corrupt) / std::max(sent, 1), c.corrupt, 0.04);
}

INSTANTIATE_TEST_SUITE_P(Cases, FaultRates,
                         ::testing::Values(RateCase{"none", 0, 0, 0}, RateCase{"all", 1, 1, 0},
                                           RateCase{"drop_all", 0, 0, 1},
                                           RateCase{"mixed", 0.3, 0.1, 0.2},
                                           RateCase{"half", 0.5, 0.5, 0.5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Faults, DelayIsFixed)
{
    FaultSettings settings;
    settings.delayMs = 25;
    FaultInjector faults(settings, 1);
    EXPECT_EQ(faults.Shape(SampleFrame()).delay, 25ms);
}

TEST(Faults, SameSeedSameFaults)
{
    FaultSettings settings{true, 0.5, 0.5, 0.2, 0};
    FaultInjector a(settings, 99), b(settings, 99);
    for (int i = 0; i < 50; ++i) {
        const ShapedFrame x = a.Shape(SampleFrame()), y = b.Shape(SampleFrame());
        EXPECT_EQ(x.dropped, y.dropped);
        EXPECT_EQ(x.garbage, y.garbage);
        EXPECT_EQ(x.frame, y.frame);
        EXPECT_EQ(x.pieces, y.pieces);
    }
}

TEST(Pacer, UnpacedReleasesEverythingAtOnce)
{
    Pacer pacer(0);
    const auto now = std::chrono::steady_clock::now();
    pacer.Begin(now);
    EXPECT_EQ(pacer.Release(now, 10000), 10000u);
}

TEST(Pacer, ReleasesBytesAsARealLineDeliversThem)
{
    Pacer pacer(115200);
    EXPECT_EQ(pacer.byteTime(), 86806ns); // 10 bits at 115200 bit/s
    const auto t0 = std::chrono::steady_clock::now();
    pacer.Begin(t0);
    EXPECT_EQ(pacer.Release(t0, 100), 0u); // the first byte is not through yet
    EXPECT_EQ(pacer.NextRelease(1), t0 + 86806ns);
    EXPECT_EQ(pacer.NextRelease(100), t0 + 5 * 86806ns); // a batch of up to 0.5 ms
    EXPECT_EQ(pacer.Release(t0 + 1ms, 100), 11u);
    // A late wake-up catches up on the absolute schedule instead of stretching the burst.
    EXPECT_EQ(pacer.Release(t0 + 100ms, 10000), 1151u - 11u);
    // Bytes that could not be written go back to the schedule.
    pacer.Unrelease(41);
    EXPECT_EQ(pacer.Release(t0 + 100ms, 10000), 41u);
    // After a pause the line starts afresh from the moment bytes are ready.
    const auto later = t0 + 5s;
    pacer.Begin(later);
    EXPECT_EQ(pacer.Release(later + 868060ns, 100000), 10u);
}

TEST(Pacer, BurstTakesTheLinesTime)
{
    Pacer pacer(9600);
    EXPECT_EQ(pacer.byteTime(), 1041667ns);
    const auto t0 = std::chrono::steady_clock::now();
    pacer.Begin(t0);
    EXPECT_EQ(pacer.Release(t0 + 1001ms, 5000), 960u);
}

} // namespace
} // namespace zorva::sim
