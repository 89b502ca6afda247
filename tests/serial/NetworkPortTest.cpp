// The port component on network ports of the loopback: connecting while the event loop runs,
// the reasons a server cannot be reached or a name is refused, a connection that drops, and a
// Telnet server's answers.
#include <gtest/gtest.h>

#include <functional>

#include "serial/TComm64.h"
#include "serial/network/SocketPlatform.h"
#include "shell/LanguageTexts.h"
#include "support/FakeRfc2217Server.h"
#include "support/LoopbackListener.h"
#include "support/OpenNow.h"
#include "support/WaitUntil.h"

namespace zorva {
namespace {

using test::LoopbackListener;

// Opens as the link's reopen does, once a second at most, until the open has ended.
void OpenAsTheLinkDoes(TComm64& port)
{
    port.Open();
    ASSERT_TRUE(port.Opening());
    ASSERT_TRUE(test::WaitUntil([&] { return port.OpenEnded(); }, 30000));
    port.Open();
    EXPECT_FALSE(port.Opening());
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
        {QStringLiteral("Socket://no-port-given"), PortFailure::Kind::kBadAddress,
         ": malformed address: no port number after the host (tcp://HOST:PORT)"},
        {QStringLiteral("tcp://127.0.0.1:0"), PortFailure::Kind::kBadAddress,
         ": malformed address: the port is a number from 1 to 65535"},
        {QStringLiteral("rfc2217://:4001"), PortFailure::Kind::kBadAddress,
         ": malformed address: no host before the port (tcp://HOST:PORT)"},
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
            port.Open(); // a reopen while connecting leaves the open alone
            EXPECT_TRUE(port.Opening());
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

// A server slow to agree to binary transmission: the port is handed on only once it has, so
// that the first request goes out as binary data (a CR in it gains no NUL). A speed the server
// refuses is named as soon as its answer comes, though no data ever does.
TEST(NetworkPort, TelnetPortIsBinaryFromTheFirstRequestAndARefusalIsNamedWithoutData)
{
    SetEnglishTexts();
    test::FakeRfc2217Server server(std::chrono::milliseconds(300));
    TComm64 port;
    ApplyPortRSDefaults(port);
    QStringList notes;
    port.setOnPortNote([&](const QString& note) { notes.append(note); });
    port.setDeviceName(QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port()));
    ASSERT_TRUE(test::OpenNow(port));
    const std::uint8_t request[] = {0xFF, 0xFF, 0x02, 0x0D, 0x0D};
    ASSERT_EQ(port._Write_(request, 5), 5);
    EXPECT_TRUE(test::WaitUntil([&] { return server.Received({255, 255, 255, 255, 2, 13, 13}); }));
    const QString refused = port.DeviceName() + ": the port server refused a setting: 115200 bit/s";
    EXPECT_TRUE(test::WaitUntil([&] { return notes.contains(refused); }))
        << notes.join(u'\n').toStdString();
    SetPolishTexts();
}

// Each address of a name gets its share of the connect limit: one that goes nowhere (here a
// listener whose queue is full) leaves time for the next.
TEST(NetworkPort, EveryAddressGetsItsOwnTry)
{
    LoopbackListener silent(0);
    LoopbackListener good;
    auto filler =
        serial::ConnectTcp({{"127.0.0.1", static_cast<std::uint16_t>(silent.port)}}, 4000, nullptr);
    ASSERT_TRUE(filler);
    serial::ConnectFailure failure;
    const auto socket = serial::ConnectTcp({{"127.0.0.1", static_cast<std::uint16_t>(silent.port)},
                                            {"127.0.0.1", static_cast<std::uint16_t>(good.port)}},
                                           4000, &failure);
    EXPECT_TRUE(socket) << failure.systemText;
}

} // namespace
} // namespace zorva
