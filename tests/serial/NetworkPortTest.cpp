// The port component on network ports of the loopback: connecting while the event loop runs,
// the reasons a server cannot be reached, and a connection that drops.
#include <gtest/gtest.h>

#include <functional>

#include "serial/TComm64.h"
#include "shell/LanguageTexts.h"
#include "support/LoopbackListener.h"
#include "support/WaitUntil.h"

namespace zorva {
namespace {

using test::LoopbackListener;

// Opens as the link's reopen does, once a second at most, until the connect has ended.
void OpenAsTheLinkDoes(TComm64& port)
{
    port.Open();
    ASSERT_TRUE(port.Connecting());
    ASSERT_TRUE(test::WaitUntil([&] { return port.ConnectEnded(); }, 20000));
    port.Open();
    EXPECT_FALSE(port.Connecting());
}

TEST(NetworkPort, ReasonsAreTheNetworksAndTheNameStaysAsTyped)
{
    LoopbackListener refusing;
    refusing.Release();
    // Its queue full (the one connection it takes is never accepted), a listener stays silent.
    LoopbackListener silent(0);
    TComm64 filler;
    filler.setDeviceName(QStringLiteral("tcp://127.0.0.1:%1").arg(silent.port));
    OpenAsTheLinkDoes(filler);
    ASSERT_TRUE(filler.Enabled());
    const struct {
        QString name;
        PortFailure::Kind kind;
        const char* text;
    } cases[] = {
        {QStringLiteral("rfc2217://127.0.0.1:%1").arg(refusing.port), PortFailure::Kind::kRefused,
         ": connection refused"},
        {QStringLiteral("tcp://127.0.0.1:%1").arg(silent.port), PortFailure::Kind::kNoAnswer,
         ": no answer"},
        {QStringLiteral("Socket://no-port-given"), PortFailure::Kind::kHostNotFound,
         ": host not found"},
    };
    struct English {
        English() { SetEnglishTexts(); }
        ~English() { SetPolishTexts(); }
    } english;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        TComm64 port;
        port.setDeviceName(c.name);
        if (c.kind == PortFailure::Kind::kNoAnswer) {
            port.Open();
            port.Open(); // a reopen while connecting leaves the connect alone
            EXPECT_TRUE(port.Connecting());
        }
        OpenAsTheLinkDoes(port);
        EXPECT_FALSE(port.Enabled());
        ASSERT_TRUE(port.OpenFailure().has_value());
        EXPECT_EQ(port.OpenFailure()->kind, c.kind);
        EXPECT_TRUE(PortFailureLine(*port.OpenFailure()).startsWith(c.name + c.text))
            << PortFailureLine(*port.OpenFailure()).toStdString();
    }
}

TEST(NetworkPort, ADroppedConnectionClosesThePortWithItsReason)
{
    LoopbackListener server;
    TComm64 port;
    int received = 0;
    port.setOnRxCharSignal([&](QObject*, std::int32_t count) {
        std::uint8_t buffer[8];
        received += port._Read_(buffer, count);
    });
    port.setDeviceName(QStringLiteral("tcp://127.0.0.1:%1").arg(server.port));
    OpenAsTheLinkDoes(port);
    ASSERT_TRUE(port.Enabled());
    const int client = ::accept(server.fd, nullptr, nullptr);
    ASSERT_GE(client, 0);
    const std::uint8_t bytes[] = {0xFF, 0xFF, 0x0D};
    ASSERT_EQ(::write(client, bytes, sizeof bytes), 3);
    ASSERT_TRUE(test::WaitUntil([&] { return received == 3; }));
    ::close(client);
    ASSERT_TRUE(test::WaitUntil([&] { return !port.Enabled(); }));
    ASSERT_TRUE(port.OpenFailure().has_value());
    EXPECT_EQ(port.OpenFailure()->kind, PortFailure::Kind::kDropped);
}

} // namespace
} // namespace zorva
