// Figures of a running process from /proc: CPU time and resident size.
#pragma once

#include <optional>
#include <sys/types.h>

namespace zorva::bench {

// utime + stime of /proc/PID/stat in seconds (clock-tick resolution, usually 10 ms).
std::optional<double> CpuSeconds(pid_t pid);
// Time the threads that the process has now spent on a CPU, from /proc/PID/task/*/schedstat
// (nanosecond resolution).
std::optional<double> ScheduledSeconds(pid_t pid);
// VmRSS of /proc/PID/status in KiB; pid 0 means this process.
std::optional<long> ResidentKiB(pid_t pid = 0);

} // namespace zorva::bench
