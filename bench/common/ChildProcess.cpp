#include "common/ChildProcess.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zorva::bench {

namespace {
using Clock = std::chrono::steady_clock;
// How often a deadline wait looks again; the benchmarks' waits are seconds long.
constexpr auto kLookAgain = std::chrono::milliseconds(20);
} // namespace

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::string& outputPath, std::string* error)
{
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        *error = "cannot start " + program + ": " + std::strerror(rc);
        return false;
    }
    return true;
}

bool ChildProcess::Running() const
{
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    return waitpid(pid_, &status, WNOHANG) == 0;
}

int ChildProcess::Stop(std::chrono::milliseconds grace)
{
    if (pid_ <= 0) {
        return -1;
    }
    kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + grace;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_ || (done < 0 && errno != EINTR)) {
            break;
        }
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(kLookAgain);
    }
    pid_ = -1;
    return status;
}

int ChildProcess::Wait(rusage* usage, const std::function<void()>& whileRunning)
{
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    for (;;) {
        const pid_t done = wait4(pid_, &status, whileRunning ? WNOHANG : 0, usage);
        if (done == pid_ || (done < 0 && errno != EINTR)) {
            break;
        }
        if (done == 0) {
            whileRunning();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    pid_ = -1;
    return status;
}

bool WaitForPath(const std::string& path, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    struct stat info {};
    while (lstat(path.c_str(), &info) != 0) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kLookAgain);
    }
    return true;
}

std::string ExecutableFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return ".";
    }
    std::string text(path, static_cast<std::size_t>(n));
    return text.substr(0, text.find_last_of('/'));
}

} // namespace zorva::bench
