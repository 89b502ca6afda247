#include "PtyPair.h"

#include <cerrno>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace zorva::test {

PtyPair::PtyPair()
{
    int device = -1;
    char name[128] = {};
    if (::openpty(&master_, &device, name, nullptr, nullptr) != 0) {
        master_ = -1;
        return;
    }
    path_ = name;
    // The code under test opens the device side itself; the pair lives on through the master.
    ::close(device);
}

PtyPair::~PtyPair()
{
    Hangup();
}

bool PtyPair::Send(const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool PtyPair::Send(const std::string& text)
{
    return Send(std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> PtyPair::Receive(std::size_t count, std::chrono::milliseconds within)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + within;
    std::vector<std::uint8_t> got;
    while (got.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) {
            break;
        }
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

termios PtyPair::DeviceTermios() const
{
    termios t{};
    ::tcgetattr(master_, &t);
    return t;
}

void PtyPair::Echo()
{
    echoing_ = true;
    echo_ = std::thread([this] {
        while (echoing_) {
            const std::vector<std::uint8_t> got = Receive(4096, std::chrono::milliseconds(20));
            if (!got.empty() && !Send(got)) {
                return;
            }
        }
    });
}

void PtyPair::Hangup()
{
    echoing_ = false;
    if (echo_.joinable()) {
        echo_.join();
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

} // namespace zorva::test
