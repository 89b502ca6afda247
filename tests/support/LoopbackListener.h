// A TCP listener on the loopback, on a free port it picks by binding to port 0. Closed when
// destroyed; `Release` closes it early, leaving the port free (or refused) for a test.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zorva::test {

struct LoopbackListener {
    explicit LoopbackListener(int backlog = 4)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0 &&
            ::listen(fd, backlog) == 0) {
            port = ntohs(a.sin_port);
        }
    }
    ~LoopbackListener() { Release(); }
    void Release()
    {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }

    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = -1;
};

} // namespace zorva::test
