// A real pseudo-terminal for the serial tests: the test holds the controlling side, the code
// under test opens the device side by its path.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <termios.h>
#include <thread>
#include <vector>

namespace zorva::test {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return master_ >= 0; }
    int Master() const { return master_; }
    // The device side, e.g. "/dev/pts/3".
    const std::string& Path() const { return path_; }

    // Sends bytes to the device side; false when they could not all be written.
    bool Send(const std::vector<std::uint8_t>& bytes);
    bool Send(const std::string& text);
    // Collects what the device side wrote until `count` bytes are there or the time is up.
    std::vector<std::uint8_t> Receive(std::size_t count, std::chrono::milliseconds within);
    // The device side's line settings (the controlling side reports them).
    termios DeviceTermios() const;
    // From now on writes back every byte the device side writes, as a loopback plug or a
    // modem's AT port does.
    void Echo();
    // Closes the controlling side: the device side is hung up.
    void Hangup();

private:
    int master_ = -1;
    std::atomic<bool> echoing_{false};
    std::thread echo_;
    std::string path_;
};

} // namespace zorva::test
