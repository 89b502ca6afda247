// zorva-bench-play --mode turnaround|throughput|memory [--pictures N] [--baud N] [--timeout S]
//                  [--floor-median MS] [--via line|tcp|rfc2217] [--server-batches]
// Runs the program's start-up (splash, main window, port settings, preview) in this process on
// the offscreen platform, with COM1 aliased to a zorva-sim process of the same build, plays
// pictures through the real serial component and reads the figures off the simulator's trace
// and this process's /proc entries. --via tcp reaches the simulator through its --listen port,
// --via rfc2217 through Debian's ser2net in front of its pseudo-terminal, both on the loopback.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>

#include "PlayDriver.h"
#include "common/Figures.h"
#include "common/SimulatorProcess.h"
#include "common/TraceAnalysis.h"

using namespace zorva::bench;

namespace {

constexpr double kBitsPerByte = 10.0;

struct Settings {
    std::string mode;
    long pictures = 0;
    long baud = 0;
    int timeoutSeconds = 0;
    double floorMedianMs = 0; // the turnaround floor measured in the same run; 0: unknown
    std::string via = "line";
    bool serverBatches = false; // --server-batches: ser2net's default character delay
};

// A free loopback port: bound to port 0, then let go for the server to take.
int FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
                    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0;
    ::close(fd);
    return ok ? ntohs(a.sin_port) : -1;
}

// What COM1 is aliased to: the simulator's line itself, or a network port in front of it.
bool StartPath(const Settings& s, const WorkFolder& folder, const SimulatorPaths& paths, int port,
               ChildProcess& server, std::string* com1, std::string* error)
{
    if (s.via == "line") {
        *com1 = paths.link;
        return true;
    }
    if (s.via == "tcp") {
        *com1 = "tcp://127.0.0.1:" + std::to_string(port);
        return true;
    }
    std::ofstream yaml(folder.Path("ser2net.yaml"));
    yaml << "connection: &module\n  accepter: telnet(rfc2217),tcp,127.0.0.1," << port
         << "\n  connector: serialdev," << std::filesystem::read_symlink(paths.link).string()
         << ",115200n81,local\n";
    // ser2net holds received bytes back until the line has been quiet for a while (up to
    // 20 ms), to send fewer packets; the module's packets come back to back, so it is off.
    if (!s.serverBatches) {
        yaml << "  options:\n    chardelay: false\n";
    }
    yaml.close();
    *com1 = "rfc2217://127.0.0.1:" + std::to_string(port);
    return server.Start(
        "/usr/sbin/ser2net",
        {"-n", "-d", "-c", folder.Path("ser2net.yaml"), "-P", folder.Path("ser2net.pid")},
        folder.Path("ser2net.out"), error);
}

bool Parse(int argc, char** argv, Settings* s)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--mode" && hasValue) {
            s->mode = argv[++i];
        } else if (arg == "--pictures" && hasValue) {
            s->pictures = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--baud" && hasValue) {
            s->baud = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--floor-median" && hasValue) {
            s->floorMedianMs = std::strtod(argv[++i], nullptr);
        } else if (arg == "--server-batches") {
            s->serverBatches = true;
        } else if (arg == "--via" && hasValue) {
            s->via = argv[++i];
        } else if (arg == "--timeout" && hasValue) {
            s->timeoutSeconds = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    // What each figure needs unless told otherwise.
    if (s->mode == "turnaround") {
        s->pictures = s->pictures > 0 ? s->pictures : 200;
    } else if (s->mode == "throughput") {
        s->pictures = s->pictures > 0 ? s->pictures : 5;
        s->baud = s->baud > 0 ? s->baud : 115200;
    } else if (s->mode == "memory") {
        s->pictures = s->pictures > 0 ? s->pictures : 1000;
    } else {
        return false;
    }
    if (s->timeoutSeconds <= 0) {
        s->timeoutSeconds = 900;
    }
    return s->pictures > 0;
}

int TurnaroundFigures(const std::vector<TraceEntry>& trace, double floorMedianMs)
{
    const Turnarounds t = PictureTurnarounds(trace);
    const std::vector<double> all = t.All();
    if (all.empty()) {
        std::fprintf(stderr, "zorva-bench-play: no picture packets in the trace\n");
        return 2;
    }
    bool pass = ReportFigure("turnaround median", Median(all), "ms", Limit::AtMost, 1.0);
    // Over every packet, the last ones of each picture included: the next request does not
    // wait for the picture to be decoded and shown.
    pass = ReportFigure("turnaround p99", Percentile(all, 99), "ms", Limit::AtMost, 1.0) && pass;
    if (floorMedianMs > 0) {
        pass = ReportFigure("turnaround median over the floor's", Median(all) / floorMedianMs,
                            "times", Limit::AtMost, 1.5) &&
               pass;
    } else {
        ReportInfo("no floor measured in this run: the median is not compared with it");
    }
    ReportInfo(Format("%zu packets: %zu inside pictures, %zu last packets of a picture", all.size(),
                      t.inside.size(), t.last.size()));
    ReportInfo(Format("inside a picture: median %.3f ms, p99 %.3f ms, max %.3f ms",
                      Median(t.inside), Percentile(t.inside, 99), Percentile(t.inside, 100)));
    ReportInfo(
        Format("last packet (picture saved first, then shown after the handler): median %.3f ms, "
               "p99 %.3f ms, max %.3f ms",
               Median(t.last), Percentile(t.last, 99), Percentile(t.last, 100)));
    return pass ? 0 : 1;
}

int ThroughputFigures(const std::vector<TraceEntry>& trace, long baud, const std::string& via)
{
    const std::vector<PictureTransfer> transfers = PictureTransfers(trace);
    if (transfers.empty()) {
        std::fprintf(stderr, "zorva-bench-play: no whole picture in the trace\n");
        return 2;
    }
    const double byteSeconds = kBitsPerByte / double(baud);
    std::vector<double> ratios, literal, moduleBusy;
    for (const PictureTransfer& p : transfers) {
        const double packets = double(p.packetBytes) * byteSeconds;
        const double requests = double(p.requestBytes) * byteSeconds;
        // The pseudo-terminal carries the program's requests at once; a real line would take
        // their line time too, so it is added to the wall time as well.
        ratios.push_back((packets + requests) / (p.wallSeconds + requests));
        literal.push_back((packets + requests) / p.wallSeconds);
        moduleBusy.push_back(packets / p.wallSeconds);
    }
    const std::string path = via == "line" ? std::string() : " via " + via;
    const bool pass = ReportFigure(Format("picture throughput at %ld bit/s%s", baud, path.c_str()),
                                   Median(ratios), "of the line", Limit::AtLeast, 0.95);
    const PictureTransfer& first = transfers.front();
    ReportInfo(Format("%zu pictures of %ld packets (%ld packet bytes, %ld request bytes), "
                      "%.3f s each (median)",
                      transfers.size(), first.packets, first.packetBytes, first.requestBytes, [&] {
                          std::vector<double> w;
                          for (const PictureTransfer& p : transfers) {
                              w.push_back(p.wallSeconds);
                          }
                          return Median(w);
                      }()));
    ReportInfo(Format("per picture: worst %.4f, best %.4f; requests at pty speed (line time "
                      "counted, no wall time added): %.4f; module's line busy: %.4f",
                      *std::min_element(ratios.begin(), ratios.end()),
                      *std::max_element(ratios.begin(), ratios.end()), Median(literal),
                      Median(moduleBusy)));
    return pass ? 0 : 1;
}

int MemoryFigures(const PlayResult& played)
{
    if (!played.rssStart || !played.rssEnd) {
        std::fprintf(stderr, "zorva-bench-play: no resident size read\n");
        return 2;
    }
    const long start = *played.rssStart;
    const long end = *played.rssEnd;
    const double growthMb = double(end - start) * 1024.0 / 1e6;
    const bool pass = ReportFigure(Format("memory growth over %ld pictures", played.pictures),
                                   growthMb, "MB", Limit::AtMost, 2.0);
    ReportInfo(Format("resident: %ld KiB after start, %ld KiB after the first picture, %ld KiB "
                      "after %ld pictures",
                      start, played.rssFirst.value_or(-1), end, played.pictures));
    return pass ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!Parse(argc, argv, &settings)) {
        std::fprintf(stderr, "usage: zorva-bench-play --mode turnaround|throughput|memory "
                             "[--pictures N] [--baud N] [--timeout SECONDS] "
                             "[--via line|tcp|rfc2217]\n");
        return 2;
    }
    WorkFolder folder("bench-" + settings.mode);
    if (!folder.valid()) {
        std::fprintf(stderr, "zorva-bench-play: cannot make a work folder\n");
        return 2;
    }
    // Before the first settings access: the program's settings, home and pictures stay private.
    folder.UseAsUserFolders();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    ChildProcess simulator;
    ChildProcess server;
    SimulatorPaths paths;
    std::string error;
    std::vector<std::string> extra;
    if (settings.baud > 0) {
        extra = {"--baud", std::to_string(settings.baud)};
    }
    const int port = FreeLoopbackPort();
    if (settings.via == "tcp") {
        extra.insert(extra.end(), {"--listen", "127.0.0.1:" + std::to_string(port)});
    }
    std::string com1;
    if (!StartSimulator(simulator, folder, extra, &paths, &error) ||
        !StartPath(settings, folder, paths, port, server, &com1, &error) ||
        !folder.PointComOneAt(com1)) {
        std::fprintf(stderr, "zorva-bench-play: %s\n", error.c_str());
        return 2;
    }

    PlayResult played;
    {
        std::unique_ptr<PlayDriver> driver;
        // The program sees only its own name on the command line, as a user starts it.
        char name[] = "zorva-config";
        char* programArgs[] = {name, nullptr};
        int programArgc = 1;
        QApplication application(programArgc, programArgs);
        zorva::RunProgram(application, [&](const zorva::ProgramWindows& windows) {
            driver =
                std::make_unique<PlayDriver>(windows, settings.pictures, settings.timeoutSeconds);
        });
        if (!driver || !driver->connected() || driver->timedOut()) {
            std::fprintf(stderr, "zorva-bench-play: %s (work folder %s)\n",
                         !driver || !driver->connected() ? "the program did not connect"
                                                         : "timed out while playing",
                         folder.root().c_str());
            return 2;
        }
        played = driver->result();
    }
    server.Stop();
    simulator.Stop();

    std::vector<TraceEntry> trace;
    if (!ReadTrace(paths.trace, &trace, &error)) {
        std::fprintf(stderr, "zorva-bench-play: %s\n", error.c_str());
        return 2;
    }
    if (settings.mode == "turnaround") {
        return TurnaroundFigures(trace, settings.floorMedianMs);
    }
    if (settings.mode == "throughput") {
        return ThroughputFigures(trace, settings.baud, settings.via);
    }
    return MemoryFigures(played);
}
