// The network port over Winsock, under wine, on the loopback: Telnet bytes both ways (IAC
// doubled, CR NUL before binary transmission is agreed), a dropped connection, a refusal.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include "serial/network/NetworkPort.h"
#include "serial/network/SocketPlatform.h"

namespace zorva::serial {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(NetworkPortWin, TelnetBytesBothWaysThenDroppedThenRefused)
{
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof a;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), len), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    const auto portNumber = ntohs(a.sin_port);

    ConnectFailure failure;
    auto socket = ConnectTcp("127.0.0.1", portNumber, 30000, &failure);
    ASSERT_TRUE(socket) << failure.systemText;
    const SOCKET server = accept(listener, nullptr, nullptr);
    ASSERT_NE(server, INVALID_SOCKET);
    auto port = MakeNetworkPort(std::move(socket), true);

    const std::uint8_t out[] = {0xFF, 0x0D};
    ASSERT_EQ(port->Write(out, 2, 30000), 2);
    const Bytes expected = {0xFF, 0xFB, 0x00, 0xFF, 0xFB, 0x03, 0xFF, 0xFB, 0x2C, 0xFF,
                            0xFD, 0x00, 0xFF, 0xFD, 0x03, 0xFF, 0xFF, 0x0D, 0x00};
    Bytes got;
    char buffer[64];
    for (int n = 1; n > 0 && got.size() < expected.size();) {
        n = recv(server, buffer, sizeof buffer, 0);
        got.insert(got.end(), buffer, buffer + std::max(n, 0));
    }
    EXPECT_EQ(got, expected);

    ASSERT_EQ(send(server, "\xFF\xFF\x41", 3, 0), 3);
    std::uint8_t in[2] = {};
    ASSERT_EQ(port->Read(in, 2, 30000), 2);
    EXPECT_EQ(Bytes(in, in + 2), (Bytes{0xFF, 0x41}));
    closesocket(server);
    EXPECT_EQ(port->Read(in, 1, 30000), -1);

    closesocket(listener);
    EXPECT_FALSE(ConnectTcp("127.0.0.1", portNumber, 30000, &failure));
    EXPECT_EQ(failure.kind, ConnectFailureKind::kRefused) << failure.systemText;
}

} // namespace
} // namespace zorva::serial
