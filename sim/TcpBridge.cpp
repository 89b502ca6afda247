#include "TcpBridge.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace zorva::sim {
namespace {

// Copies what is readable on `from` to `to`; false when either end has gone.
bool Relay(int from, int to)
{
    char buffer[4096];
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n <= 0) {
        return n < 0 && errno == EAGAIN;
    }
    ssize_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(to, buffer + done, static_cast<size_t>(n - done));
        if (w < 0 && errno == EAGAIN) {
            pollfd p{to, POLLOUT, 0};
            ::poll(&p, 1, 1000);
            continue;
        }
        if (w <= 0) {
            return false;
        }
        done += w;
    }
    return true;
}

} // namespace

bool TcpBridge::Listen(const std::string& host, int port, std::string* error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* list = nullptr;
    const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (lookup != 0) {
        *error = "--listen " + host + ": " + ::gai_strerror(lookup);
        return false;
    }
    listen_ = ::socket(list->ai_family, list->ai_socktype | SOCK_CLOEXEC, list->ai_protocol);
    const int on = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const bool ok = listen_ >= 0 && ::bind(listen_, list->ai_addr, list->ai_addrlen) == 0 &&
                    ::listen(listen_, 1) == 0;
    ::freeaddrinfo(list);
    if (!ok) {
        *error = "--listen " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&bound), &len);
    const int boundPort =
        ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                          : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    const bool v6 = host.find(':') != std::string::npos;
    address_ = "tcp://" + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(boundPort);
    stop_ = ::eventfd(0, EFD_CLOEXEC);
    return true;
}

void TcpBridge::Start(const std::string& linkPath)
{
    linkPath_ = linkPath;
    thread_ = std::thread([this] { Run(); });
}

void TcpBridge::Stop()
{
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(stop_, &one, sizeof one);
        thread_.join();
    }
    for (int* fd : {&listen_, &stop_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

void TcpBridge::Run()
{
    for (;;) {
        pollfd p[2] = {{stop_, POLLIN, 0}, {listen_, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (p[0].revents != 0) {
            return;
        }
        if (p[1].revents != 0) {
            const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client >= 0) {
                Serve(client);
                ::close(client);
            }
        }
    }
}

void TcpBridge::Serve(int client)
{
    const int on = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // While the module is unplugged there is no line: the client is let go at once.
    const int line = ::open(linkPath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (line < 0) {
        return;
    }
    termios t{};
    if (::tcgetattr(line, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(line, TCSANOW, &t);
    }
    for (;;) {
        pollfd p[3] = {{stop_, POLLIN, 0}, {client, POLLIN, 0}, {line, POLLIN, 0}};
        if (::poll(p, 3, -1) < 0 && errno != EINTR) {
            break;
        }
        if (p[0].revents != 0 || (p[1].revents != 0 && !Relay(client, line)) ||
            (p[2].revents != 0 && !Relay(line, client))) {
            break;
        }
    }
    ::close(line);
}

} // namespace zorva::sim
