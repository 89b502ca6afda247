// zorva-bench-idle [--seconds N]
// Starts zorva-sim and the real zorva-config (offscreen, private settings with COM1 on the
// simulator's link), waits until the program has connected and read the module's configuration,
// lets it settle and then measures the time its threads spent on a CPU (the scheduler's run time
// of /proc/PID/task/*/schedstat, nanoseconds) over N seconds (60 by default) of plain status
// polling, with each thread's share and wake-ups, the load average, and utime + stime (10 ms
// ticks) for comparison. ZORVA_CONFIG names another zorva-config to measure (an older build,
// run beside this one under the same load).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "common/Figures.h"
#include "common/ProcFigures.h"
#include "common/SimTrace.h"
#include "common/SimulatorProcess.h"

using namespace zorva::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kNetworkCode = 0x06;
constexpr int kStatusCode = 0x03;
constexpr auto kSettle = std::chrono::seconds(3);
constexpr auto kConnectTimeout = std::chrono::seconds(60);

double SecondsOf(Clock::time_point t)
{
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

// Waits until the program has read the network settings: the automatic read is then over.
bool WaitForAutomaticRead(const std::string& trace, const ChildProcess& program)
{
    const auto deadline = Clock::now() + kConnectTimeout;
    std::vector<TraceEntry> entries;
    std::string error;
    while (Clock::now() < deadline && program.Running()) {
        if (ReadTrace(trace, &entries, &error) && CountFrames(entries, "RX", kNetworkCode) > 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

int Fail(const std::string& text)
{
    std::fprintf(stderr, "zorva-bench-idle: %s\n", text.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 60;
    if (argc == 3 && std::string(argv[1]) == "--seconds") {
        seconds = std::atoi(argv[2]);
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: zorva-bench-idle [--seconds N]\n");
        return 2;
    }
    if (seconds <= 0) {
        return Fail("the window must be at least a second");
    }

    WorkFolder folder("bench-idle");
    if (!folder.valid()) {
        return Fail("cannot make a work folder");
    }
    folder.UseAsUserFolders();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    ChildProcess simulator;
    SimulatorPaths paths;
    std::string error;
    if (!StartSimulator(simulator, folder, {}, &paths, &error)) {
        return Fail(error);
    }
    if (!folder.PointComOneAt(paths.link)) {
        return Fail("cannot write the settings");
    }
    const char* given = std::getenv("ZORVA_CONFIG");
    const std::string programPath =
        given != nullptr && *given != 0 ? given : ExecutableFolder() + "/zorva-config";
    ChildProcess program;
    if (!program.Start(programPath, {}, folder.Path("program.out"), &error)) {
        return Fail(error);
    }
    if (!WaitForAutomaticRead(paths.trace, program)) {
        return Fail("the program did not read the module's configuration (see " +
                    folder.Path("program.out") + ")");
    }
    std::this_thread::sleep_for(kSettle);

    const auto cpu0 = CpuSeconds(program.pid());
    const auto sched0 = ScheduledSeconds(program.pid());
    const auto threads0 = ThreadSchedules(program.pid());
    const std::string load0 = LoadAverages();
    const auto sim0 = CpuSeconds(simulator.pid());
    const auto rss0 = ResidentKiB(program.pid());
    const Clock::time_point t0 = Clock::now();
    // The measurement window itself: the program runs on its own meanwhile.
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const auto cpu1 = CpuSeconds(program.pid());
    const auto sched1 = ScheduledSeconds(program.pid());
    const auto threads1 = ThreadSchedules(program.pid());
    const std::string load1 = LoadAverages();
    const auto sim1 = CpuSeconds(simulator.pid());
    const auto rss1 = ResidentKiB(program.pid());
    const Clock::time_point t1 = Clock::now();
    if (!cpu0 || !cpu1 || !program.Running()) {
        return Fail("the program ended during the measurement");
    }
    const pid_t programPid = program.pid();
    program.Stop();
    simulator.Stop();

    std::vector<TraceEntry> trace;
    if (!ReadTrace(paths.trace, &trace, &error)) {
        return Fail(error);
    }
    int polls = 0, requests = 0;
    for (const TraceEntry& e : trace) {
        if (e.keyword == "RX" && e.seconds >= SecondsOf(t0) && e.seconds <= SecondsOf(t1)) {
            ++requests;
            polls += e.code() == kStatusCode ? 1 : 0;
        }
    }

    const double wall = std::chrono::duration<double>(t1 - t0).count();
    if (!sched0 || !sched1) {
        return Fail("the scheduler's figures of the program cannot be read");
    }
    const double share = (*sched1 - *sched0) / wall * 100.0;
    const bool pass = ReportFigure("idle cost", share, "% of one core", Limit::AtMost, 0.5);
    ReportInfo(Format("zorva-config pid %d: %.4f s on a CPU in %.1f s (utime+stime: %.2f s, "
                      "%.3f %%); %d requests (%d status polls) on the line meanwhile",
                      static_cast<int>(programPid), *sched1 - *sched0, wall, *cpu1 - *cpu0,
                      (*cpu1 - *cpu0) / wall * 100.0, requests, polls));
    for (const auto& [tid, end] : threads1) {
        const auto start = threads0.find(tid);
        if (start == threads0.end()) {
            continue;
        }
        const double run = end.runSeconds - start->second.runSeconds;
        const auto slices = end.slices - start->second.slices;
        ReportInfo(Format("thread %s%s: %.1f ms on a CPU, %llu wake-ups, %.1f us each",
                          end.name.c_str(), tid == programPid ? " (main)" : "", run * 1e3, slices,
                          slices > 0 ? run * 1e6 / double(slices) : 0.0));
    }
    ReportInfo("load average at the start of the window " + load0 + ", at its end " + load1);
    if (rss0 && rss1) {
        ReportInfo(Format("resident size %ld KiB at the start of the window, %ld KiB at its end",
                          *rss0, *rss1));
    }
    if (sim0 && sim1) {
        ReportInfo(Format("the simulator's own CPU time meanwhile: %.2f s", *sim1 - *sim0));
    }
    return pass ? 0 : 1;
}
