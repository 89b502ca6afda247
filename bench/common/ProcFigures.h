// Figures of a running process from /proc: CPU time, the scheduler's figures per thread and the
// resident size.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <sys/types.h>

namespace zorva::bench {

// utime + stime of /proc/PID/stat in seconds (clock-tick resolution, usually 10 ms).
std::optional<double> CpuSeconds(pid_t pid);
// Time the threads that the process has now spent on a CPU, from /proc/PID/task/*/schedstat
// (nanosecond resolution).
std::optional<double> ScheduledSeconds(pid_t pid);
// One thread's scheduler figures from /proc/PID/task/TID/schedstat and its name (comm).
struct ThreadSchedule {
    std::string name;
    double runSeconds = 0;         // time spent on a CPU
    unsigned long long slices = 0; // times it was put on a CPU (about one per wake-up)
};
// Every thread of the process now, by thread id.
std::map<pid_t, ThreadSchedule> ThreadSchedules(pid_t pid);
// The three load averages of /proc/loadavg as printed there.
std::string LoadAverages();
// VmRSS of /proc/PID/status in KiB; pid 0 means this process.
std::optional<long> ResidentKiB(pid_t pid = 0);

} // namespace zorva::bench
