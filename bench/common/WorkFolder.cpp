#include "common/WorkFolder.h"

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <sys/stat.h>

namespace zorva::bench {

WorkFolder::WorkFolder(const std::string& name)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/zorva-" + name + ".XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    root_ = pattern;
    for (const char* sub : {"config/Nurvo", "home", "tmp", "runtime"}) {
        std::filesystem::create_directories(Path(sub));
    }
    // Qt wants its runtime folder private.
    chmod(Path("runtime").c_str(), 0700);
}

WorkFolder::~WorkFolder()
{
    if (!root_.empty() && std::getenv("ZORVA_BENCH_KEEP") == nullptr) {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
}

void WorkFolder::UseAsUserFolders() const
{
    setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    setenv("HOME", Path("home").c_str(), 1);
    setenv("TMPDIR", Path("tmp").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", Path("runtime").c_str(), 1);
}

bool WorkFolder::PointComOneAt(const std::string& link) const
{
    std::ofstream file(Path("config/Nurvo/QEN.conf"));
    file << "[ports]\nCOM1=" << link << "\n";
    return static_cast<bool>(file);
}

} // namespace zorva::bench
