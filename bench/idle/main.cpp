// zorva-bench-idle [--seconds N]
// Starts zorva-sim and the real zorva-config (offscreen, private settings with COM1 on the
// simulator's link), waits until the program has connected and read the module's configuration,
// lets it settle and then measures its CPU time (utime + stime of /proc/PID/stat) over N
// seconds (60 by default) of plain status polling.
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
    const auto sim0 = CpuSeconds(simulator.pid());
    const auto rss0 = ResidentKiB(program.pid());
    const Clock::time_point t0 = Clock::now();
    // The measurement window itself: the program runs on its own meanwhile.
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const auto cpu1 = CpuSeconds(program.pid());
    const auto sched1 = ScheduledSeconds(program.pid());
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
    const double share = (*cpu1 - *cpu0) / wall * 100.0;
    const bool pass = ReportFigure("idle cost", share, "% of one core", Limit::AtMost, 0.5);
    ReportInfo(Format("zorva-config pid %d: %.2f s CPU (utime+stime) in %.1f s; %d requests "
                      "(%d status polls) on the line meanwhile",
                      static_cast<int>(programPid), *cpu1 - *cpu0, wall, requests, polls));
    if (sched0 && sched1) {
        ReportInfo(Format("scheduler's run time of its threads: %.4f s, %.3f %% of one core",
                          *sched1 - *sched0, (*sched1 - *sched0) / wall * 100.0));
    }
    if (rss0 && rss1) {
        ReportInfo(Format("resident size %ld KiB at the start of the window, %ld KiB at its end",
                          *rss0, *rss1));
    }
    if (sim0 && sim1) {
        ReportInfo(Format("the simulator's own CPU time meanwhile: %.2f s", *sim1 - *sim0));
    }
    return pass ? 0 : 1;
}
