// zorva-bench-parser [Google Benchmark options]
// Throughput of the reply parser on valid frames: the link core reads them from a port that
// serves them from memory, cuts, checks and dispatches them, and sends its next requests, as
// it does on the line. The main window and the preview only keep what the core asks of them,
// so widget painting is not part of this figure. Each benchmark's bytes per second is printed
// against the limit after Google Benchmark's own table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>

#include <QCoreApplication>

#include "ParserRig.h"
#include "common/Figures.h"

using namespace zorva;
using namespace zorva::bench;

namespace {

constexpr double kLimitMBps = 100.0;
constexpr int kStatusRepliesPerRun = 200;

const ModuleTraffic& Traffic()
{
    static const ModuleTraffic traffic = MakeModuleTraffic(kStatusRepliesPerRun);
    return traffic;
}

// Connected, configuration and network settings read, the picture transfer at packet 0.
void Connect(ParserRig& rig, bool playing)
{
    rig.FeedEvents(Traffic().connect, Traffic().connect.size());
    if (playing) {
        rig.core->setPictcnt(0);
    }
}

// Whether the cycle left the core as it found it: every byte consumed, the next picture
// started, no message, no checksum error.
bool CycleWasClean(const ParserRig& rig, long cycles)
{
    return rig.core->Counters().dropped == 0 && rig.core->pictcnt() == 0 &&
           rig.preview.pictures == cycles && rig.view.messages == 0 && rig.view.memo2Lines == 0;
}

// One picture's packets and the status reply after it; state.range(0) is the size of a receive
// event in bytes, 0 for one event per frame (what the line delivers when the module's answers
// arrive whole).
void PictureTraffic(benchmark::State& state)
{
    const ModuleTraffic& traffic = Traffic();
    ParserRig rig;
    Connect(rig, true);
    const auto eventBytes = static_cast<std::size_t>(state.range(0));
    long cycles = 0;
    for (auto _ : state) {
        if (eventBytes == 0) {
            rig.FeedFrames(traffic.pictureCycle, traffic.cycleFrames);
        } else {
            rig.FeedEvents(traffic.pictureCycle, eventBytes);
        }
        ++cycles;
    }
    if (!CycleWasClean(rig, cycles)) {
        state.SkipWithError("the parser did not take the traffic as valid frames");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(cycles) *
                            static_cast<std::int64_t>(traffic.pictureCycle.size()));
    state.counters["frames"] = benchmark::Counter(
        double(cycles) * double(traffic.cycleFrames.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(PictureTraffic)->ArgName("event_bytes")->Arg(0)->Arg(64)->Arg(2048);

// Status replies only (the idle polling's answers), one receive event each: every one is
// rendered into the status strip's texts.
void StatusReplies(benchmark::State& state)
{
    const ModuleTraffic& traffic = Traffic();
    ParserRig rig;
    Connect(rig, false);
    const std::size_t frame = traffic.statusReplies.size() / kStatusRepliesPerRun;
    for (auto _ : state) {
        rig.FeedEvents(traffic.statusReplies, frame);
    }
    if (rig.core->Counters().dropped != 0 || rig.core->StatusEmpty()) {
        state.SkipWithError("the parser did not take the status replies");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(traffic.statusReplies.size()));
}
BENCHMARK(StatusReplies);

// Keeps Google Benchmark's console table and remembers each run's bytes per second.
class FigureReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal: scripts/bench keeps the output in a file.
    FigureReporter() : ConsoleReporter(isatty(STDOUT_FILENO) != 0 ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (run.error_occurred) {
                errors_ = true;
            } else if (rate != run.counters.end() &&
                       (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")) {
                rates_[run.benchmark_name()] = rate->second.value;
            }
        }
    }
    bool errors() const { return errors_; }
    const std::map<std::string, double>& rates() const { return rates_; }

private:
    std::map<std::string, double> rates_;
    bool errors_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    // The link core's step timer needs an application object.
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const ModuleTraffic& traffic = Traffic();
    ReportInfo(Format("one picture cycle: %zu frames, %zu bytes (picture of %zu bytes in "
                      "240-byte packets, then a status reply)",
                      traffic.cycleFrames.size(), traffic.pictureCycle.size(),
                      traffic.pictureBytes));
    bool pass = !reporter.errors() && !reporter.rates().empty();
    for (const auto& [name, rate] : reporter.rates()) {
        pass =
            ReportFigure("reply parser " + name, rate / 1e6, "MB/s", Limit::AtLeast, kLimitMBps) &&
            pass;
    }
    return reporter.errors() ? 2 : (pass ? 0 : 1);
}
