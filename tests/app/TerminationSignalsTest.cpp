#include "app/TerminationSignals.h"

#include <gtest/gtest.h>

#include <csignal>

#include <QSignalSpy>
#include <QTest>

#include "support/WaitUntil.h"

using zorva::test::WaitUntil;

namespace zorva {
namespace {

TEST(TerminationSignals, TermAndIntArriveOnTheEventLoop)
{
    TerminationSignals termination;
    ASSERT_TRUE(termination.installed());
    QSignalSpy spy(&termination, &TerminationSignals::terminationRequested);

    ASSERT_EQ(std::raise(SIGTERM), 0);
    // The handler only writes to the pipe; the emission waits for the event loop.
    EXPECT_EQ(spy.count(), 0);
    WaitUntil([&] { return spy.count() == 1; }, 5000);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), SIGTERM);

    ASSERT_EQ(std::raise(SIGINT), 0);
    ASSERT_EQ(std::raise(SIGTERM), 0);
    WaitUntil([&] { return spy.count() == 3; }, 5000);
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(1).at(0).toInt(), SIGINT);
    EXPECT_EQ(spy.at(2).at(0).toInt(), SIGTERM);
}

TEST(TerminationSignals, DefaultActionsComeBackAfterwards)
{
    {
        TerminationSignals termination;
        ASSERT_TRUE(termination.installed());
    }
    struct sigaction current = {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
    ASSERT_EQ(sigaction(SIGINT, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

} // namespace
} // namespace zorva
