// The search for the port a module answers on, over real lines: a silent pseudo-terminal, one
// held by another port component, and the module simulator.
#include "serial/PortSearch.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "PtyPair.h"
#include "link/Frames.h"
#include "link/StatusProbe.h"
#include "serial/TComm64.h"
#include "sim/Simulator.h"
#include "support/WaitUntil.h"

namespace zorva {
namespace {

TEST(PortSearch, FindsTheModuleSendingOneStatusRequestAndPassingOverWhatCannotOpen)
{
    QTemporaryDir dir;
    sim::Options options;
    options.linkPath = dir.filePath(QStringLiteral("module.tty")).toStdString();
    sim::Simulator module(options);
    std::string error;
    ASSERT_TRUE(module.Start(&error)) << error;
    test::PtyPair silent;
    test::PtyPair held;
    TComm64 holder;
    holder.setDeviceName(QString::fromStdString(held.Path()));
    holder.Open();
    ASSERT_TRUE(holder.Enabled());

    const QString silentPath = QString::fromStdString(silent.Path());
    const QString modulePath = QString::fromStdString(options.linkPath);
    PortSearch search(StatusProbe());
    QStringList tried;
    QObject::connect(&search, &PortSearch::Trying, [&](const QString& c) { tried.append(c); });
    const auto run = [&](const QStringList& candidates) {
        tried.clear();
        search.Start(candidates, PortLine{});
        return test::WaitUntil([&] { return !search.Running(); }, 10000);
    };
    const std::vector<std::uint8_t> oneRequest = StanFrame();

    // The first port that answers ends the search.
    const QStringList first{silentPath, holder.DeviceName(), modulePath};
    ASSERT_TRUE(run(first + QStringList{QStringLiteral("/dev/null")}));
    EXPECT_EQ(tried, first);
    EXPECT_EQ(search.Result().found, modulePath);
    ASSERT_EQ(search.Result().passedOver.size(), 1u);
    EXPECT_EQ(search.Result().passedOver[0].deviceName, holder.DeviceName());
    EXPECT_EQ(search.Result().passedOver[0].kind, PortFailure::Kind::kInUse);
    EXPECT_EQ(silent.Receive(oneRequest.size() + 1, std::chrono::milliseconds(200)), oneRequest);

    // No module anywhere: nothing found, the line that cannot be opened named with its reason.
    module.Stop();
    ASSERT_TRUE(run({silentPath, modulePath}));
    EXPECT_EQ(tried.size(), 2);
    EXPECT_TRUE(search.Result().found.isEmpty());
    EXPECT_FALSE(search.Result().cancelled);
    ASSERT_EQ(search.Result().passedOver.size(), 1u);
    EXPECT_EQ(search.Result().passedOver[0].kind, PortFailure::Kind::kMissing);
    EXPECT_EQ(silent.Receive(oneRequest.size() + 1, std::chrono::milliseconds(200)), oneRequest);

    // A cancel ends the search at once, the port closed again for the holder of the line.
    tried.clear();
    search.Start({silentPath}, PortLine{});
    ASSERT_TRUE(test::WaitUntil([&] { return !tried.isEmpty(); }));
    search.Cancel();
    EXPECT_FALSE(search.Running());
    EXPECT_TRUE(search.Result().cancelled);
    holder.setDeviceName(silentPath);
    holder.Open();
    EXPECT_TRUE(holder.Enabled());
}

} // namespace
} // namespace zorva
