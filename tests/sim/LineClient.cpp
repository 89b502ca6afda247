#include "LineClient.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace zorva::sim::testing {

LineClient::LineClient(const std::string& path)
{
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0) {
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
    }
}

LineClient::~LineClient()
{
    Close();
}

void LineClient::Close()
{
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

bool LineClient::Write(const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else {
            pollfd p{fd_, POLLOUT, 0};
            poll(&p, 1, 100);
        }
    }
    return true;
}

bool LineClient::ReadSome(SteadyClock::time_point deadline)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() < 0) {
            return false;
        }
        pollfd p{fd_, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()) + 1);
        if (ready <= 0) {
            continue;
        }
        std::uint8_t chunk[4096];
        const ssize_t n = read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            buffer_.insert(buffer_.end(), chunk, chunk + n);
            ++readsForLast_;
            return true;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            return false; // hang-up
        }
    }
}

std::optional<Bytes> LineClient::ReadFrame(std::chrono::milliseconds timeout)
{
    const auto deadline = SteadyClock::now() + timeout;
    readsForLast_ = 0;
    for (;;) {
        const FrameCut cut = CutFrame(buffer_);
        if (cut.kind == FrameCut::Skip) {
            skipped_.push_back(buffer_.front());
            buffer_.erase(buffer_.begin());
            continue;
        }
        if (cut.kind == FrameCut::Frame || cut.kind == FrameCut::BadChecksum) {
            Bytes frame(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(cut.length));
            buffer_.erase(buffer_.begin(),
                          buffer_.begin() + static_cast<std::ptrdiff_t>(cut.length));
            lastBad_ = cut.kind == FrameCut::BadChecksum;
            return frame;
        }
        if (!ReadSome(deadline)) {
            return std::nullopt;
        }
    }
}

std::optional<Bytes> LineClient::Ask(const Bytes& request, std::chrono::milliseconds timeout)
{
    if (!Write(request)) {
        return std::nullopt;
    }
    return ReadFrame(timeout);
}

Bytes LineClient::ReadBytes(std::size_t count, std::chrono::milliseconds timeout)
{
    const auto deadline = SteadyClock::now() + timeout;
    while (buffer_.size() < count && ReadSome(deadline)) {
    }
    const std::size_t n = std::min(count, buffer_.size());
    Bytes out(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
    return out;
}

bool LineClient::WaitHangUp(std::chrono::milliseconds timeout)
{
    const auto deadline = SteadyClock::now() + timeout;
    while (SteadyClock::now() < deadline) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
            if ((p.revents & POLLHUP) != 0) {
                return true;
            }
            std::uint8_t chunk[256];
            if (read(fd_, chunk, sizeof chunk) <= 0 && errno != EAGAIN) {
                return true;
            }
        }
    }
    return false;
}

bool WaitForPath(const std::string& path, std::chrono::milliseconds timeout)
{
    const auto deadline = SteadyClock::now() + timeout;
    struct stat st {};
    while (stat(path.c_str(), &st) != 0) {
        if (SteadyClock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

} // namespace zorva::sim::testing
