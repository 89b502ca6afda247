// A serial device server speaking Telnet with the COM port control option, on the loopback, for
// one client: it agrees to binary transmission and the option (after `answerDelay`, as a slow
// server would), answers each line setting with the value asked for unless `baudAnswer` says
// otherwise, and keeps the data bytes it receives as they came over the wire. It sends no data.
#pragma once

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

    explicit FakeRfc2217Server(std::uint32_t baudAnswer = 0,
                               std::chrono::milliseconds answerDelay = {})
        : baudAnswer_(baudAnswer), answerDelay_(answerDelay), thread_([this] { Run(); })
    {
    }
    ~FakeRfc2217Server()
    {
        stop_ = true;
        thread_.join();
    }

    int port() const { return listener_.port; }
    // The data bytes received so far (Telnet commands left out, a CR's NUL kept).
    Bytes Data()
    {
        const std::lock_guard lock(mutex_);
        return data_;
    }

private:
    static constexpr std::uint8_t kIac = 255, kSb = 250, kSe = 240, kComPort = 44;

    void Run()
    {
        int client = -1;
        while (!stop_ && client < 0) {
            pollfd p{listener_.fd, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                client = ::accept(listener_.fd, nullptr, nullptr);
            }
        }
        if (client < 0) {
            return;
        }
        std::this_thread::sleep_for(answerDelay_);
        const std::uint8_t agree[] = {kIac, 253,  0,   kIac, 251,  0,   kIac,    253,
                                      3,    kIac, 251, 3,    kIac, 253, kComPort};
        Send(client, Bytes(agree, agree + sizeof agree));
        Bytes sub;
        int state = 0; // 0 data, 1 after IAC, 2 option byte, 3 subnegotiation, 4 IAC in it
        while (!stop_) {
            pollfd p{client, POLLIN, 0};
            std::uint8_t chunk[512];
            const ssize_t n = ::poll(&p, 1, 20) > 0 ? ::recv(client, chunk, sizeof chunk, 0) : 0;
            if (n < 0 || (n == 0 && (p.revents & POLLIN))) {
                break;
            }
            for (ssize_t i = 0; i < n; ++i) {
                const std::uint8_t b = chunk[i];
                if (state == 0 && b == kIac) {
                    state = 1;
                } else if (state == 0) {
                    const std::lock_guard lock(mutex_);
                    data_.push_back(b);
                } else if (state == 1) {
                    state = b == kSb ? 3 : (b >= 251 && b <= 254 ? 2 : 0);
                    sub.clear();
                    if (b == kIac) {
                        const std::lock_guard lock(mutex_);
                        data_.push_back(b);
                    }
                } else if (state == 2) {
                    state = 0;
                } else if (state == 3) {
                    state = b == kIac ? 4 : 3;
                    if (b != kIac) {
                        sub.push_back(b);
                    }
                } else if (b == kSe) {
                    Answer(client, sub);
                    state = 0;
                } else {
                    sub.push_back(b);
                    state = 3;
                }
            }
        }
        ::close(client);
    }

    void Answer(int client, Bytes sub)
    {
        if (sub.size() < 3 || sub[0] != kComPort) {
            return;
        }
        if (sub[1] == 1 && baudAnswer_ != 0) {
            sub = {kComPort,
                   1,
                   static_cast<std::uint8_t>(baudAnswer_ >> 24),
                   static_cast<std::uint8_t>(baudAnswer_ >> 16),
                   static_cast<std::uint8_t>(baudAnswer_ >> 8),
                   static_cast<std::uint8_t>(baudAnswer_)};
        }
        sub[1] += 100;
        Bytes reply = {kIac, kSb};
        reply.insert(reply.end(), sub.begin(), sub.end());
        reply.insert(reply.end(), {kIac, kSe});
        Send(client, reply);
    }

    static void Send(int client, const Bytes& bytes)
    {
        [[maybe_unused]] const ssize_t n = ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

    LoopbackListener listener_;
    const std::uint32_t baudAnswer_;
    const std::chrono::milliseconds answerDelay_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    Bytes data_;
    std::thread thread_;
};

} // namespace zorva::test
