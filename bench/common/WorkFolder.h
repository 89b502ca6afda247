// A private folder for one benchmark: the simulator's link and trace, the program's settings
// (XDG_CONFIG_HOME), home and temporary folder, so that nothing of the machine's own settings
// is read or written. Removed at the end unless ZORVA_BENCH_KEEP is set.
#pragma once

#include <string>

namespace zorva::bench {

class WorkFolder {
public:
    // Creates the folder under $TMPDIR (or /tmp) and its config, home, tmp and runtime
    // subfolders.
    explicit WorkFolder(const std::string& name);
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    ~WorkFolder();

    bool valid() const { return !root_.empty(); }
    const std::string& root() const { return root_; }
    std::string Path(const std::string& name) const { return root_ + "/" + name; }

    // Points XDG_CONFIG_HOME, HOME, TMPDIR and XDG_RUNTIME_DIR of this process (and of the programs
    // it starts afterwards) at the subfolders.
    void UseAsUserFolders() const;
    // Writes the program's settings file with COM1 aliased to `link`.
    bool PointComOneAt(const std::string& link) const;

private:
    std::string root_;
};

} // namespace zorva::bench
