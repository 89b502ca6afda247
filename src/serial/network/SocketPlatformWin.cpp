#include <atomic>
#include <chrono>
#include <string>
#include <vector>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "serial/network/SocketPlatform.h"

namespace zorva::serial {
namespace {

using Clock = std::chrono::steady_clock;

// A wait looks at the wake-up flag this often: select cannot wait on an event object.
constexpr int kWakeSliceMs = 20;
// Acknowledge every segment (Windows 8 and later; refused harmlessly before).
constexpr DWORD kSetAckFrequency = _WSAIOW(IOC_VENDOR, 23);

bool StartWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

std::string SystemText(int error)
{
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = n > 0 && text != nullptr ? std::string(text, n) : std::to_string(error);
    LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) {
        result.pop_back();
    }
    return result;
}

// select on one socket for at most timeoutMs: >0 ready, 0 not, <0 failed.
int SelectOne(SOCKET s, bool write, int timeoutMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(s, &failed);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int n = select(0, write ? nullptr : &set, write ? &set : nullptr, &failed, &tv);
    return n == SOCKET_ERROR ? -1 : n;
}

class WinSocket final : public Socket {
public:
    explicit WinSocket(SOCKET s) : s_(s) {}
    ~WinSocket() override { closesocket(s_); }

    int Send(const std::uint8_t* buffer, int count) override
    {
        const int n = send(s_, reinterpret_cast<const char*>(buffer), count, 0);
        if (n != SOCKET_ERROR) {
            return n;
        }
        return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    }

    int Receive(std::uint8_t* buffer, int count) override
    {
        const int n = recv(s_, reinterpret_cast<char*>(buffer), count, 0);
        if (n > 0) {
            return n;
        }
        if (n == 0) {
            return -1; // the server closed the connection
        }
        return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    }

    Ready WaitReadable(int timeoutMs) override { return WaitFor(false, timeoutMs); }
    Ready WaitWritable(int timeoutMs) override { return WaitFor(true, timeoutMs); }
    void Wake() override { woken_.store(true); }

private:
    Ready WaitFor(bool write, int timeoutMs)
    {
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (woken_.load()) {
                return Ready::kWoken;
            }
            int slice = kWakeSliceMs;
            if (timeoutMs >= 0) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
                if (left.count() <= 0) {
                    return Ready::kTimeout;
                }
                slice = std::min<int>(slice, static_cast<int>(left.count()));
            }
            const int n = SelectOne(s_, write, slice);
            if (n < 0) {
                return Ready::kFailed;
            }
            if (n > 0) {
                return Ready::kReady;
            }
        }
    }

    SOCKET s_;
    std::atomic<bool> woken_{false};
};

ConnectFailure FailureOf(int error)
{
    ConnectFailure f;
    f.systemText = SystemText(error);
    switch (error) {
    case WSAECONNREFUSED:
        f.kind = ConnectFailureKind::kRefused;
        break;
    case WSAETIMEDOUT:
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
        f.kind = ConnectFailureKind::kNoAnswer;
        break;
    default:
        f.kind = ConnectFailureKind::kOther;
        break;
    }
    return f;
}

SOCKET ConnectOne(const addrinfo& a, Clock::time_point end, int* error)
{
    const SOCKET s = socket(a.ai_family, a.ai_socktype, a.ai_protocol);
    if (s == INVALID_SOCKET) {
        *error = WSAGetLastError();
        return INVALID_SOCKET;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (connect(s, a.ai_addr, static_cast<int>(a.ai_addrlen)) == SOCKET_ERROR &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        *error = WSAGetLastError();
        closesocket(s);
        return INVALID_SOCKET;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    const int ready = SelectOne(s, true, std::max<int>(0, static_cast<int>(left.count())));
    int soError = 0;
    int len = sizeof soError;
    if (ready == 0) {
        soError = WSAETIMEDOUT;
    } else if (ready < 0 ||
               getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) != 0) {
        soError = WSAGetLastError();
    }
    if (soError != 0) {
        *error = soError;
        closesocket(s);
        return INVALID_SOCKET;
    }
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
    // A server that keeps Nagle's algorithm on holds the rest of a packet until the first piece
    // is acknowledged: acknowledge at once, not after the delayed acknowledgement's wait.
    DWORD frequency = 1;
    DWORD returned = 0;
    WSAIoctl(s, kSetAckFrequency, &frequency, sizeof frequency, nullptr, 0, &returned, nullptr,
             nullptr);
    return s;
}

} // namespace

std::vector<Endpoint> ResolveHost(const std::string& host, std::uint16_t port,
                                  ConnectFailure* failure)
{
    if (!StartWinsock()) {
        if (failure != nullptr) {
            *failure = FailureOf(WSAGetLastError());
        }
        return {};
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* list = nullptr;
    const int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (lookup != 0) {
        if (failure != nullptr) {
            failure->kind = ConnectFailureKind::kHostNotFound;
            failure->systemText = SystemText(lookup);
        }
        return {};
    }
    std::vector<Endpoint> endpoints;
    for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
        char text[NI_MAXHOST];
        if (getnameinfo(a->ai_addr, static_cast<socklen_t>(a->ai_addrlen), text, sizeof text,
                        nullptr, 0, NI_NUMERICHOST) == 0) {
            endpoints.push_back({text, port});
        }
    }
    freeaddrinfo(list);
    return endpoints;
}

std::unique_ptr<Socket> ConnectEndpoint(const Endpoint& endpoint, int timeoutMs,
                                        ConnectFailure* failure)
{
    ConnectFailure local;
    ConnectFailure& f = failure != nullptr ? *failure : local;
    if (!StartWinsock()) {
        f = FailureOf(WSAGetLastError());
        return nullptr;
    }
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* list = nullptr;
    const int parsed =
        getaddrinfo(endpoint.address.c_str(), std::to_string(endpoint.port).c_str(), &hints, &list);
    if (parsed != 0) {
        f.kind = ConnectFailureKind::kHostNotFound;
        f.systemText = SystemText(parsed);
        return nullptr;
    }
    int error = WSAETIMEDOUT;
    const SOCKET s = ConnectOne(*list, end, &error);
    freeaddrinfo(list);
    if (s == INVALID_SOCKET) {
        f = FailureOf(error);
        return nullptr;
    }
    return std::make_unique<WinSocket>(s);
}

} // namespace zorva::serial
