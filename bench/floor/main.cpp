// zorva-bench-floor [--pictures N]
// Plays N pictures (200 by default) from zorva-sim with the least a program can do: one
// blocking loop that reads a packet and writes the next request at once, no event loop, no
// threads. Its turnaround, read off the trace exactly as the program's, is the floor of the
// measurement on this machine at this moment; the program's own share is what it adds.
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "common/Figures.h"
#include "common/SimulatorProcess.h"
#include "common/TraceAnalysis.h"
#include "link/Frames.h"

using namespace zorva;
using namespace zorva::bench;

namespace {

constexpr int kReplyTimeoutMs = 5000;

int Fail(const std::string& text)
{
    std::fprintf(stderr, "zorva-bench-floor: %s\n", text.c_str());
    return 2;
}

class Responder {
public:
    explicit Responder(int fd) : fd_(fd) {}

    bool Send(const Bytes& frame)
    {
        return write(fd_, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
    }

    // The next whole frame with a right checksum; false on a time-out or a line error.
    bool Receive(Bytes* frame)
    {
        for (;;) {
            std::size_t skip = 0;
            FrameCut cut{};
            while ((cut = CutFrame(std::span(buffer_).subspan(skip))).kind == FrameCut::Skip) {
                ++skip;
            }
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(skip));
            if (cut.kind == FrameCut::BadChecksum) {
                buffer_.erase(buffer_.begin());
                continue;
            }
            if (cut.kind == FrameCut::Frame) {
                frame->assign(buffer_.begin(),
                              buffer_.begin() + static_cast<std::ptrdiff_t>(cut.length));
                buffer_.erase(buffer_.begin(),
                              buffer_.begin() + static_cast<std::ptrdiff_t>(cut.length));
                return true;
            }
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, kReplyTimeoutMs) <= 0) {
                return false;
            }
            std::uint8_t chunk[4096];
            const ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0) {
                return false;
            }
            buffer_.insert(buffer_.end(), chunk, chunk + n);
        }
    }

private:
    int fd_;
    Bytes buffer_;
};

} // namespace

int main(int argc, char** argv)
{
    long pictures = 200;
    if (argc == 3 && std::string(argv[1]) == "--pictures") {
        pictures = std::strtol(argv[2], nullptr, 10);
    } else if (argc != 1 || pictures <= 0) {
        std::fprintf(stderr, "usage: zorva-bench-floor [--pictures N]\n");
        return 2;
    }
    WorkFolder folder("bench-floor");
    if (!folder.valid()) {
        return Fail("cannot make a work folder");
    }
    ChildProcess simulator;
    SimulatorPaths paths;
    std::string error;
    if (!StartSimulator(simulator, folder, {}, &paths, &error)) {
        return Fail(error);
    }
    const int fd = open(paths.link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return Fail("cannot open " + paths.link);
    }
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);

    Responder line(fd);
    Bytes frame;
    for (long played = 0; played < pictures;) {
        for (std::uint8_t packet = 0;; ++packet) {
            if (!line.Send(PictFrame(1, packet, 15)) || !line.Receive(&frame) ||
                frame[3] != kRxPicture) {
                return Fail("the module did not answer a picture request");
            }
            if ((frame[4] >> 4) == 0xF) {
                break;
            }
        }
        ++played;
        // As the program does between pictures: one status poll.
        if (!line.Send(StanFrame()) || !line.Receive(&frame)) {
            return Fail("the module did not answer the status request");
        }
    }
    close(fd);
    simulator.Stop();

    std::vector<TraceEntry> trace;
    if (!ReadTrace(paths.trace, &trace, &error)) {
        return Fail(error);
    }
    const std::vector<double> all = PictureTurnarounds(trace).All();
    ReportInfo(Format("turnaround floor (a minimal blocking responder in the program's place, "
                      "%zu packets): median %.3f ms, p99 %.3f ms, max %.3f ms",
                      all.size(), Median(all), Percentile(all, 99), Percentile(all, 100)));
    return all.empty() ? 2 : 0;
}
