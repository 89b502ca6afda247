// The search for the port a module answers on, over real lines: a silent pseudo-terminal, one
// held by another port component, the module simulator, and the simulator behind a network
// address.
#include "serial/ports/PortSearch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "PtyPair.h"
#include "link/Frames.h"
#include "link/StatusProbe.h"
#include "serial/TComm64.h"
#include "shell/LanguageTexts.h"
#include "sim/Simulator.h"
#include "sim/TcpBridge.h"
#include "support/LoopbackListener.h"
#include "support/OpenNow.h"
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
    test::OpenNow(holder);
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
    test::OpenNow(holder);
    EXPECT_TRUE(holder.Enabled());
}

// Every candidate is answered for and none freezes the search: an echoing line is not the module,
// an open that blocks is passed over and the handle it brings later closed, a port that takes no
// request is named with that reason, and a device listed under two names is tried once.
TEST(PortSearch, AnswersForEveryCandidateWithoutWaitingForABlockedOpen)
{
    QTemporaryDir dir;
    sim::Options options;
    options.linkPath = dir.filePath(QStringLiteral("module.tty")).toStdString();
    sim::Simulator module(options);
    std::string error;
    ASSERT_TRUE(module.Start(&error)) << error;
    test::PtyPair echo, slow, deaf;
    echo.Echo();
    const QString echoPath = QString::fromStdString(echo.Path());
    const QString slowPath = QString::fromStdString(slow.Path());
    const QString deafPath = QString::fromStdString(deaf.Path());
    const QString modulePath = QString::fromStdString(options.linkPath);
    const QString echoAgain = dir.filePath(QStringLiteral("echo-again"));
    ASSERT_TRUE(QFile::link(echoPath, echoAgain));

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> lateOpen{false};
    PortSearch search(StatusProbe());
    search.setOpener(
        [&, released](const QString& candidate, const QString& path) {
            if (candidate == slowPath) {
                released.wait();
            }
            OpenedDevice device = OpenDevice(candidate, path);
            if (candidate == deafPath) {
                deaf.Hangup(); // the adapter goes between the open and the request
            }
            lateOpen = candidate == slowPath;
            return device;
        },
        std::chrono::milliseconds(2000));
    QStringList tried;
    QObject::connect(&search, &PortSearch::Trying, [&](const QString& c) { tried.append(c); });
    search.Start({slowPath, echoPath, echoAgain, deafPath, modulePath}, PortLine{});
    ASSERT_TRUE(test::WaitUntil([&] { return !search.Running(); }, 10000));
    EXPECT_EQ(tried, (QStringList{slowPath, echoPath, deafPath, modulePath}));
    EXPECT_EQ(search.Result().found, modulePath);
    ASSERT_EQ(search.Result().passedOver.size(), 2u);
    EXPECT_EQ(search.Result().passedOver[0].deviceName, slowPath);
    EXPECT_EQ(PortFailureText(search.Result().passedOver[0]),
              slowPath + QStringLiteral(": ") + Texts().txtPortOpenTooSlow.arg(2));
    EXPECT_EQ(search.Result().passedOver[1].deviceName, deafPath);
    EXPECT_EQ(search.Result().passedOver[1].systemText, Texts().txtProbeNotWritten);

    // The blocked open ends after the search: what it opened is closed again.
    release.set_value();
    ASSERT_TRUE(test::WaitUntil([&] { return lateOpen.load(); }));
    TComm64 holder;
    holder.setDeviceName(slowPath);
    EXPECT_TRUE(test::WaitUntil([&] {
        test::OpenNow(holder);
        return holder.Enabled();
    }));

    // Stop ends a search whose open blocks at once, and so does its end.
    std::promise<void> never;
    std::shared_future<void> stuck = never.get_future().share();
    auto blocked = std::make_unique<PortSearch>(StatusProbe());
    blocked->setOpener([stuck](const QString& candidate, const QString& path) {
        stuck.wait();
        return OpenDevice(candidate, path);
    });
    int opening = 0;
    QObject::connect(blocked.get(), &PortSearch::Trying, [&] { ++opening; });
    blocked->Start({echoPath}, PortLine{});
    ASSERT_TRUE(test::WaitUntil([&] { return opening == 1; }));
    blocked->Cancel();
    EXPECT_FALSE(blocked->Running());
    EXPECT_TRUE(blocked->Result().cancelled);
    blocked->Start({echoPath}, PortLine{});
    ASSERT_TRUE(test::WaitUntil([&] { return opening == 2; }));
    blocked.reset();
    never.set_value();
}

// A COM name whose alias is a network address is opened as the link opens it: the module behind
// the serial device server is found under that name, after a port that refuses the connection.
TEST(PortSearch, FindsTheModuleBehindAnAliasNamingANetworkAddress)
{
    QTemporaryDir dir;
    sim::Options options;
    options.linkPath = dir.filePath(QStringLiteral("module.tty")).toStdString();
    sim::Simulator module(options);
    std::string error;
    ASSERT_TRUE(module.Start(&error)) << error;
    sim::TcpBridge bridge;
    ASSERT_TRUE(bridge.Listen("127.0.0.1", 0, &error)) << error;
    bridge.Start(module.linkPath());
    test::LoopbackListener refusing;
    refusing.Release();
    QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    settings.setValue(QStringLiteral("ports/COM3"),
                      QStringLiteral("tcp://127.0.0.1:%1").arg(refusing.port));
    settings.setValue(QStringLiteral("ports/COM4"), QString::fromStdString(bridge.address()));
    settings.sync();

    PortSearch search(StatusProbe());
    search.Start({QStringLiteral("COM3"), QStringLiteral("COM4")}, PortLine{});
    ASSERT_TRUE(test::WaitUntil([&] { return !search.Running(); }, 30000));
    EXPECT_EQ(search.Result().found, QStringLiteral("COM4"));
    ASSERT_EQ(search.Result().passedOver.size(), 1u);
    EXPECT_EQ(search.Result().passedOver[0].kind, PortFailure::Kind::kRefused);
    settings.remove(QStringLiteral("ports"));
}

} // namespace
} // namespace zorva
