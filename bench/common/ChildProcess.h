// A program the benchmark starts and ends: the simulator or the configuration program, run
// with standard input from /dev/null and its output in files of the work folder.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

namespace zorva::bench {

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { Stop(); }

    // Starts `program` with `args`; its standard output and error go to `outputPath`. The
    // environment is this process's own.
    bool Start(const std::string& program, const std::vector<std::string>& args,
               const std::string& outputPath, std::string* error);
    // SIGTERM, then SIGKILL if it has not ended within `grace`. Returns the exit status as
    // waitpid gives it, -1 when nothing ran.
    int Stop(std::chrono::milliseconds grace = std::chrono::seconds(10));
    // Waits for its end, calling `whileRunning` every 5 ms meanwhile (when given). Its exit
    // status as waitpid gives it, -1 when nothing ran; `usage` gets its resource use, the
    // children it waited for included.
    int Wait(rusage* usage, const std::function<void()>& whileRunning = {});
    bool Running() const;

    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// Waits until `path` exists (a file or a symbolic link); false at the deadline.
bool WaitForPath(const std::string& path, std::chrono::milliseconds timeout);

// The folder of the running executable (the build's bin folder, where zorva-sim and
// zorva-config are too).
std::string ExecutableFolder();

} // namespace zorva::bench
