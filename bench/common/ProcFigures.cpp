#include "common/ProcFigures.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace zorva::bench {

namespace {
std::string ProcPath(pid_t pid, const char* name)
{
    return pid == 0 ? std::string("/proc/self/") + name
                    : "/proc/" + std::to_string(pid) + "/" + name;
}
} // namespace

std::optional<double> CpuSeconds(pid_t pid)
{
    std::ifstream file(ProcPath(pid, "stat"));
    std::string text;
    if (!std::getline(file, text)) {
        return std::nullopt;
    }
    // The command name may hold blanks and parentheses: the fields start after the last ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Field 3 (state) comes first; utime and stime are fields 14 and 15.
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14) {
            utime = std::stoull(field);
        } else if (number == 15) {
            stime = std::stoull(field);
        }
    }
    if (!fields) {
        return std::nullopt;
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

std::optional<double> ScheduledSeconds(pid_t pid)
{
    std::error_code error;
    std::filesystem::directory_iterator tasks(ProcPath(pid, "task"), error);
    if (error) {
        return std::nullopt;
    }
    unsigned long long runNs = 0;
    for (const auto& task : tasks) {
        std::ifstream file(task.path() / "schedstat");
        unsigned long long ns = 0;
        if (file >> ns) {
            runNs += ns;
        }
    }
    return double(runNs) / 1e9;
}

std::map<pid_t, ThreadSchedule> ThreadSchedules(pid_t pid)
{
    std::map<pid_t, ThreadSchedule> threads;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(ProcPath(pid, "task"), error)) {
        std::ifstream stats(task.path() / "schedstat");
        std::ifstream comm(task.path() / "comm");
        ThreadSchedule thread;
        unsigned long long runNs = 0, waitNs = 0;
        if (stats >> runNs >> waitNs >> thread.slices && std::getline(comm, thread.name)) {
            thread.runSeconds = double(runNs) / 1e9;
            threads[static_cast<pid_t>(std::stol(task.path().filename().string()))] = thread;
        }
    }
    return threads;
}

std::string LoadAverages()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

std::optional<long> ResidentKiB(pid_t pid)
{
    std::ifstream file(ProcPath(pid, "status"));
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return std::nullopt;
}

} // namespace zorva::bench
