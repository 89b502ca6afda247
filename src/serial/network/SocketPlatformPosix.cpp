#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "serial/network/SocketPlatform.h"

namespace zorva::serial {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point end)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

class PosixSocket final : public Socket {
public:
    PosixSocket(int fd, int wakeRead, int wakeWrite)
        : fd_(fd), wakeRead_(wakeRead), wakeWrite_(wakeWrite)
    {
    }
    ~PosixSocket() override
    {
        ::close(fd_);
        ::close(wakeRead_);
        ::close(wakeWrite_);
    }

    int Send(const std::uint8_t* buffer, int count) override
    {
        for (;;) {
            const ssize_t n =
                ::send(fd_, buffer, static_cast<size_t>(count), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n >= 0) {
                return static_cast<int>(n);
            }
            if (errno != EINTR) {
                return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
            }
        }
    }

    int Receive(std::uint8_t* buffer, int count) override
    {
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer, static_cast<size_t>(count), MSG_DONTWAIT);
            if (n > 0) {
                // A server that keeps Nagle's algorithm on holds the rest of a packet until the
                // first piece is acknowledged: acknowledge at once, not 40 ms later. The kernel
                // falls back to delayed acknowledgements by itself, so this is set every time.
                const int on = 1;
                ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
                return static_cast<int>(n);
            }
            if (n == 0) {
                return -1; // the server closed the connection
            }
            if (errno != EINTR) {
                return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
            }
        }
    }

    Ready WaitReadable(int timeoutMs) override { return WaitFor(POLLIN, timeoutMs); }
    Ready WaitWritable(int timeoutMs) override { return WaitFor(POLLOUT, timeoutMs); }

    void Wake() override
    {
        // The byte is never drained, so the wake-up stays set.
        const std::uint8_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &one, 1);
    }

private:
    Ready WaitFor(short events, int timeoutMs)
    {
        pollfd p[2] = {{wakeRead_, POLLIN, 0}, {fd_, events, 0}};
        const int ready = ::poll(p, 2, timeoutMs);
        if (ready < 0) {
            return errno == EINTR ? Ready::kTimeout : Ready::kFailed;
        }
        if (p[0].revents != 0) {
            return Ready::kWoken;
        }
        // A hang-up or an error is "ready" too: the next transfer reports it.
        return p[1].revents != 0 ? Ready::kReady : Ready::kTimeout;
    }

    int fd_;
    int wakeRead_;
    int wakeWrite_;
};

ConnectFailure FailureOf(int error)
{
    ConnectFailure f;
    f.systemText = std::strerror(error);
    switch (error) {
    case ECONNREFUSED:
        f.kind = ConnectFailureKind::kRefused;
        break;
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
        f.kind = ConnectFailureKind::kNoAnswer;
        break;
    default:
        f.kind = ConnectFailureKind::kOther;
        break;
    }
    return f;
}

// One address within the time left: the socket, or -1 with *error set.
int ConnectOne(const addrinfo& a, Clock::time_point end, int* error)
{
    const int fd =
        ::socket(a.ai_family, a.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a.ai_protocol);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    if (::connect(fd, a.ai_addr, a.ai_addrlen) != 0 && errno != EINPROGRESS) {
        *error = errno;
        ::close(fd);
        return -1;
    }
    pollfd p{fd, POLLOUT, 0};
    int ready = 0;
    while ((ready = ::poll(&p, 1, RemainingMs(end))) < 0 && errno == EINTR) {
    }
    int soError = 0;
    socklen_t len = sizeof soError;
    if (ready == 0) {
        soError = ETIMEDOUT;
    } else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) {
        soError = errno;
    }
    if (soError != 0) {
        *error = soError;
        ::close(fd);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    return fd;
}

} // namespace

std::vector<Endpoint> ResolveHost(const std::string& host, std::uint16_t port,
                                  ConnectFailure* failure)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (lookup != 0) {
        if (failure != nullptr) {
            failure->kind = lookup == EAI_SYSTEM ? ConnectFailureKind::kOther
                                                 : ConnectFailureKind::kHostNotFound;
            failure->systemText = ::gai_strerror(lookup);
        }
        return {};
    }
    std::vector<Endpoint> endpoints;
    for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
        char text[NI_MAXHOST];
        if (::getnameinfo(a->ai_addr, a->ai_addrlen, text, sizeof text, nullptr, 0,
                          NI_NUMERICHOST) == 0) {
            endpoints.push_back({text, port});
        }
    }
    ::freeaddrinfo(list);
    return endpoints;
}

std::unique_ptr<Socket> ConnectEndpoint(const Endpoint& endpoint, int timeoutMs,
                                        ConnectFailure* failure)
{
    ConnectFailure local;
    ConnectFailure& f = failure != nullptr ? *failure : local;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const int parsed = ::getaddrinfo(endpoint.address.c_str(),
                                     std::to_string(endpoint.port).c_str(), &hints, &list);
    if (parsed != 0) {
        f.kind = ConnectFailureKind::kHostNotFound;
        f.systemText = ::gai_strerror(parsed);
        return nullptr;
    }
    int error = ETIMEDOUT;
    int fd = ConnectOne(*list, end, &error);
    ::freeaddrinfo(list);
    int wake[2];
    if (fd >= 0 && ::pipe2(wake, O_CLOEXEC) != 0) {
        error = errno;
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        f = FailureOf(error);
        return nullptr;
    }
    return std::make_unique<PosixSocket>(fd, wake[0], wake[1]);
}

} // namespace zorva::serial
