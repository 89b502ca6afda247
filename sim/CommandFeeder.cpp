#include "CommandFeeder.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zorva::sim {

CommandFeeder::CommandFeeder(Simulator& simulator, int fd, bool ownsFd, std::string name)
    : simulator_(simulator), fd_(fd), ownsFd_(ownsFd), name_(std::move(name)),
      stopFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

CommandFeeder::~CommandFeeder()
{
    Stop();
    close(stopFd_);
    if (ownsFd_) {
        close(fd_);
    }
}

void CommandFeeder::Start()
{
    thread_ = std::thread(&CommandFeeder::Run, this);
}

void CommandFeeder::Stop()
{
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(stopFd_, &one, sizeof one);
        thread_.join();
    }
}

bool CommandFeeder::Pause(double seconds)
{
    pollfd p{stopFd_, POLLIN, 0};
    const double whole = std::floor(seconds);
    timespec timeout{static_cast<time_t>(whole), static_cast<long>((seconds - whole) * 1e9)};
    return ppoll(&p, 1, &timeout, nullptr) == 0;
}

void CommandFeeder::HandleLine(const std::string& line, int number)
{
    const ParsedControlLine parsed = ParseControlLine(line);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zorva-sim: %s:%d: %s\n", name_.c_str(), number, parsed.error.c_str());
        return;
    }
    if (parsed.command) {
        simulator_.Post(*parsed.command);
    }
}

void CommandFeeder::Run()
{
    std::string pending;
    int number = 0;
    char chunk[1024];
    for (;;) {
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {fd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        const ssize_t n = read(fd_, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        const bool end = n <= 0;
        if (!end) {
            pending.append(chunk, static_cast<std::size_t>(n));
        } else if (!pending.empty()) {
            pending.push_back('\n'); // a last line without its line end still counts
        }
        std::size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            ++number;
            const ParsedControlLine parsed = ParseControlLine(line);
            if (parsed.command && parsed.command->kind == ControlCommand::Kind::Wait) {
                if (!Pause(parsed.command->number)) {
                    return;
                }
                continue;
            }
            HandleLine(line, number);
        }
        if (end) {
            return;
        }
    }
}

} // namespace zorva::sim
