// zorva-sim: a ZORVA module on a pseudo-terminal. See --help.
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

#include "CommandFeeder.h"
#include "SimOptions.h"
#include "Simulator.h"
#include "TcpBridge.h"

int main(int argc, char** argv)
{
    using namespace zorva::sim;
    const ParsedCommandLine parsed =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zorva-sim: %s (try --help)\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }

    int scriptFd = -1;
    if (!parsed.options.scriptFile.empty()) {
        scriptFd = open(parsed.options.scriptFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (scriptFd < 0) {
            std::fprintf(stderr, "zorva-sim: cannot open the script %s\n",
                         parsed.options.scriptFile.c_str());
            return 1;
        }
    }

    // SIGINT and SIGTERM arrive through a descriptor, so every thread started below inherits
    // the block and the main thread alone decides how to stop.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);

    Simulator simulator(parsed.options);
    std::string error;
    if (!simulator.Start(&error)) {
        std::fprintf(stderr, "zorva-sim: %s\n", error.c_str());
        return 1;
    }
    TcpBridge bridge;
    if (parsed.options.listenPort >= 0) {
        if (!bridge.Listen(parsed.options.listenHost, parsed.options.listenPort, &error)) {
            std::fprintf(stderr, "zorva-sim: %s\n", error.c_str());
            simulator.Stop();
            return 1;
        }
        bridge.Start(simulator.linkPath());
    }
    std::printf("%s\n", simulator.linkPath().c_str());
    if (parsed.options.listenPort >= 0) {
        std::printf("%s\n", bridge.address().c_str());
    }
    std::fflush(stdout);
    std::fprintf(stderr, "zorva-sim: module on %s, link %s\n", simulator.devicePath().c_str(),
                 simulator.linkPath().c_str());

    CommandFeeder input(simulator, STDIN_FILENO, false, "stdin");
    input.Start();
    std::unique_ptr<CommandFeeder> script;
    if (scriptFd >= 0) {
        script =
            std::make_unique<CommandFeeder>(simulator, scriptFd, true, parsed.options.scriptFile);
        script->Start();
    }

    pollfd fds[2] = {{signalFd, POLLIN, 0}, {simulator.finishedFd(), POLLIN, 0}};
    while (poll(fds, 2, -1) < 0) {
    }
    if (script) {
        script->Stop();
    }
    input.Stop();
    bridge.Stop();
    simulator.Stop();
    close(signalFd);
    return 0;
}
