// The module's end of the line: a pseudo-terminal pair whose device side is published under a
// stable symbolic link. The simulator keeps only the master side; the device side is the
// program's to open and close as it likes.
#pragma once

#include <string>

namespace zorva::sim {

class PtyLine {
public:
    PtyLine() = default;
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;
    ~PtyLine() { Close(); }

    // Opens a new pair in raw mode and points `linkPath` at its device side. Refuses to replace
    // anything at `linkPath` that is not a symbolic link.
    bool Open(const std::string& linkPath, std::string* error);
    // Closes the master side (the program sees a hang-up) and removes the link if it still
    // points at this line's device.
    void Close();

    bool isOpen() const { return master_ >= 0; }
    int fd() const { return master_; } // non-blocking, -1 when closed
    const std::string& devicePath() const { return device_; }

    // True while no program holds the device side open: the master then reports a hang-up
    // on every poll, so the loop must not wait on it.
    bool HungUp() const;

private:
    int master_ = -1;
    std::string device_;
    std::string link_;
};

} // namespace zorva::sim
