// zorva-bench-fleet: `zorva-cli fleet read --jobs 32` of 32 simulated modules, each a zorva-sim
// process at 115200 bit/s behind its own tcp:// address, against one module's `read`: the wall
// time of both (median of several runs), and per module the CPU time (the fleet and its children,
// as wait4 counts them) and the peak memory (proportional set size of the fleet and its children
// sampled during a run of its own, and the largest single process's resident set).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "common/ChildProcess.h"
#include "common/Figures.h"
#include "common/WorkFolder.h"

namespace {

using namespace zorva::bench;
using Clock = std::chrono::steady_clock;

constexpr int kModules = 32;
constexpr int kRuns = 5;

struct Run {
    int status = -1;
    double wallSeconds = 0;
    double cpuSeconds = 0; // user + system of the process and the children it waited for
    long maxResidentKiB = 0;
};

// Runs `args` to its end with its output in `output`; `whileRunning` is called every few
// milliseconds with its pid (memory sampling), nothing when empty.
Run RunToEnd(const std::vector<std::string>& args, const std::string& output,
             const std::function<void(pid_t)>& whileRunning = {})
{
    Run run;
    ChildProcess child;
    std::string error;
    const auto start = Clock::now();
    if (!child.Start(args[0], {args.begin() + 1, args.end()}, output, &error)) {
        return run;
    }
    const pid_t pid = child.pid();
    std::function<void()> sample;
    if (whileRunning) {
        sample = [&] { whileRunning(pid); };
    }
    rusage usage{};
    const int status = child.Wait(&usage, sample);
    run.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.maxResidentKiB = usage.ru_maxrss;
    return run;
}

// The tcp:// address that zorva-sim prints as its second line.
std::string AddressIn(const std::string& file)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("tcp://", 0) == 0) {
            return line;
        }
    }
    return {};
}

// Proportional set size (shared pages counted by their share) of the process and its
// children now, in KiB.
long TreePssKiB(pid_t pid)
{
    long total = 0;
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);) {
        if (line.rfind("Pss:", 0) == 0) {
            total += std::atol(line.c_str() + 4);
        }
    }
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                           "/children");
    for (pid_t child = 0; children >> child;) {
        total += TreePssKiB(child);
    }
    return total;
}

struct Figures {
    std::vector<double> oneWall, fleetWall, oneCpu, fleetCpu, startCpu;
    long oneRss = 0, fleetRss = 0, peakPss = 0;
    double sampledWall = 0;
};

// 32 modules at `baud`, each behind its own address; one module's read and the fleet's, `kRuns`
// times each, then one run of the fleet with its memory sampled. False when something failed.
bool Measure(const WorkFolder& folder, const std::string& baud, Figures& f)
{
    const char* given = std::getenv("ZORVA_SIM");
    const std::string sim =
        given != nullptr && *given != 0 ? given : ExecutableFolder() + "/zorva-sim";
    const std::string cli = ExecutableFolder() + "/zorva-cli";
    std::vector<std::unique_ptr<ChildProcess>> modules;
    std::string inventory = "name,port\n";
    std::string first;
    for (int i = 1; i <= kModules; ++i) {
        const std::string n = std::to_string(i);
        const std::string out = folder.Path("sim" + baud + "-" + n + ".out");
        modules.push_back(std::make_unique<ChildProcess>());
        std::string error;
        if (!modules.back()->Start(sim,
                                   {"--link", folder.Path("m" + n + ".tty"), "--listen", "0",
                                    "--baud", baud, "--seed", n},
                                   out, &error)) {
            std::fprintf(stderr, "bench: %s\n", error.c_str());
            return false;
        }
        std::string address;
        for (int wait = 0; wait < 1000 && (address = AddressIn(out)).empty(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (address.empty()) {
            std::fprintf(stderr, "bench: module %d printed no address (%s)\n", i, out.c_str());
            return false;
        }
        inventory += "M" + n + "," + address + "\n";
        first = i == 1 ? address : first;
    }
    std::ofstream(folder.Path("fleet.csv")) << inventory;

    const std::vector<std::string> one = {cli,  "--port", first,
                                          "-q", "read",   folder.Path("one.zrd")};
    const std::vector<std::string> fleet = {
        cli, "fleet", "read", "--jobs", "32", "-q", folder.Path("fleet.csv"), folder.Path("out")};
    // The programs' files into the page cache first, as on a machine that ran them before.
    RunToEnd(one, folder.Path("warm.txt"));
    RunToEnd(fleet, folder.Path("warm.txt"));
    for (int r = 0; r < kRuns; ++r) {
        // What starting and ending a zorva-cli costs by itself.
        f.startCpu.push_back(RunToEnd({cli, "--version"}, folder.Path("version.txt")).cpuSeconds);
        const Run single = RunToEnd(one, folder.Path("one.txt"));
        const Run all = RunToEnd(fleet, folder.Path("fleet.txt"));
        if (single.status != 0 || all.status != 0) {
            std::fprintf(stderr, "bench: a read failed (one: %d, fleet: %d; see %s)\n",
                         single.status, all.status, folder.Path("fleet.txt").c_str());
            return false;
        }
        f.oneWall.push_back(single.wallSeconds);
        f.oneCpu.push_back(single.cpuSeconds);
        f.fleetWall.push_back(all.wallSeconds);
        f.fleetCpu.push_back(all.cpuSeconds);
        f.oneRss = std::max(f.oneRss, single.maxResidentKiB);
        f.fleetRss = std::max(f.fleetRss, all.maxResidentKiB);
    }
    const Run sampled = RunToEnd(fleet, folder.Path("fleet.txt"), [&](pid_t pid) {
        f.peakPss = std::max(f.peakPss, TreePssKiB(pid));
    });
    f.sampledWall = sampled.wallSeconds;
    for (auto& module : modules) {
        module->Stop();
    }
    return sampled.status == 0;
}

int Main()
{
    WorkFolder folder("fleet");
    if (!folder.valid()) {
        std::fprintf(stderr, "bench: no work folder\n");
        return 2;
    }
    folder.UseAsUserFolders();
    Figures f;
    if (!Measure(folder, "115200", f)) {
        return 2;
    }
    const double ratio = Median(f.fleetWall) / Median(f.oneWall);
    ReportFigure("fleet read of 32 modules at 115200 bit/s against one module's read, wall time",
                 ratio, "times", Limit::AtMost, 1.3);
    ReportInfo(Format("one module's read: median %.3f s, CPU %.3f s, peak resident %ld KiB",
                      Median(f.oneWall), Median(f.oneCpu), f.oneRss));
    ReportInfo(Format("fleet read --jobs 32: median %.3f s (%d runs: %.3f to %.3f s); the same "
                      "32 reads one after the other: %.3f s",
                      Median(f.fleetWall), kRuns, Percentile(f.fleetWall, 1),
                      Percentile(f.fleetWall, 100), kModules * Median(f.oneWall)));
    ReportInfo(Format("CPU time per module in the fleet: %.1f ms (the fleet's own share included; "
                      "one read alone: %.1f ms, of which %.1f ms start and end a zorva-cli)",
                      1000 * Median(f.fleetCpu) / kModules, 1000 * Median(f.oneCpu),
                      1000 * Median(f.startCpu)));
    ReportInfo(Format("peak memory per module: %.2f MiB proportional set size (the fleet and its "
                      "children sampled every 5 ms: %.1f MiB at most, in a run of %.3f s); the "
                      "largest single process's peak resident set: %.1f MiB",
                      f.peakPss / 1024.0 / kModules, f.peakPss / 1024.0, f.sampledWall,
                      f.fleetRss / 1024.0));
    // Where the line, not the processors, sets the pace.
    Figures slow;
    if (!Measure(folder, "9600", slow)) {
        return 2;
    }
    ReportInfo(Format("the same at 9600 bit/s: one read %.3f s, the fleet %.3f s: %.2f times",
                      Median(slow.oneWall), Median(slow.fleetWall),
                      Median(slow.fleetWall) / Median(slow.oneWall)));
    return 0;
}

} // namespace

int main()
{
    return Main();
}
