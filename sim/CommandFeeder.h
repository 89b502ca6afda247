// Feeds control commands from a stream (standard input or a script file) to the simulator on
// a thread of its own. "wait SECONDS" pauses the stream; the end of the stream only ends the
// feeder, never the simulator.
#pragma once

#include <string>
#include <thread>

#include "Simulator.h"

namespace zorva::sim {

class CommandFeeder {
public:
    // `name` prefixes error messages (for example "stdin" or the script's path).
    CommandFeeder(Simulator& simulator, int fd, bool ownsFd, std::string name);
    CommandFeeder(const CommandFeeder&) = delete;
    CommandFeeder& operator=(const CommandFeeder&) = delete;
    ~CommandFeeder();

    void Start();
    void Stop();

private:
    void Run();
    void HandleLine(const std::string& line, int number);
    bool Pause(double seconds); // false when stopped meanwhile

    Simulator& simulator_;
    int fd_;
    bool ownsFd_;
    std::string name_;
    int stopFd_;
    std::thread thread_;
};

} // namespace zorva::sim
