// A serial device server speaking Telnet with the COM port control option, for one client on the
// loopback: after `answerDelay` (a slow server) it agrees to binary transmission and the option,
// answers the speed asked for with 9600 bit/s, and sends no data. It keeps every byte it
// receives as it came over the wire.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <poll.h>
#include <thread>
#include <vector>

#include "support/LoopbackListener.h"

namespace zorva::test {

class FakeRfc2217Server {
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit FakeRfc2217Server(std::chrono::milliseconds answerDelay = {})
        : thread_([this, answerDelay] { Run(answerDelay); })
    {
    }
    ~FakeRfc2217Server()
    {
        stop_ = true;
        thread_.join();
    }

    int port() const { return listener_.port; }
    bool Received(const Bytes& part)
    {
        const std::lock_guard lock(mutex_);
        return Contains(received_, part);
    }

private:
    void Run(std::chrono::milliseconds answerDelay)
    {
        int client = -1;
        for (pollfd p{listener_.fd, POLLIN, 0}; !stop_ && client < 0;) {
            client = ::poll(&p, 1, 20) > 0 ? ::accept(listener_.fd, nullptr, nullptr) : -1;
        }
        std::this_thread::sleep_for(answerDelay);
        // DO and WILL binary transmission and suppressed go-ahead, DO the COM port option.
        Send(client, {255, 253, 0, 255, 251, 0, 255, 253, 3, 255, 251, 3, 255, 253, 44});
        for (bool answered = false; !stop_ && client >= 0;) {
            pollfd p{client, POLLIN, 0};
            std::uint8_t chunk[512];
            const ssize_t n = ::poll(&p, 1, 20) > 0 ? ::recv(client, chunk, sizeof chunk, 0) : 0;
            if (n < 0 || (n == 0 && p.revents != 0)) {
                break;
            }
            const std::lock_guard lock(mutex_);
            received_.insert(received_.end(), chunk, chunk + n);
            if (!answered && Contains(received_, {255, 250, 44, 1})) {
                answered = true; // SET-BAUDRATE asked: 9600 it is
                Send(client, {255, 250, 44, 101, 0, 0, 0x25, 0x80, 255, 240});
            }
        }
        ::close(client);
    }
    static bool Contains(const Bytes& bytes, const Bytes& part)
    {
        return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
    }
    static void Send(int client, const Bytes& bytes)
    {
        [[maybe_unused]] const ssize_t n = ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

    LoopbackListener listener_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    Bytes received_;
    std::thread thread_;
};

} // namespace zorva::test
