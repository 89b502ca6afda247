#include "common/SimTrace.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zorva::bench {

bool ReadTrace(const std::string& path, std::vector<TraceEntry>* entries, std::string* error)
{
    std::ifstream file(path);
    if (!file) {
        *error = "cannot read the trace " + path;
        return false;
    }
    entries->clear();
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        TraceEntry entry;
        std::string stamp;
        if (!(fields >> stamp >> entry.keyword)) {
            continue;
        }
        char* end = nullptr;
        entry.seconds = std::strtod(stamp.c_str(), &end);
        if (end == stamp.c_str()) {
            continue;
        }
        if (entry.keyword != "LINE") {
            std::string hex;
            while (fields >> hex) {
                entry.bytes.push_back(
                    static_cast<std::uint8_t>(std::strtoul(hex.c_str(), nullptr, 16)));
            }
        }
        entries->push_back(std::move(entry));
    }
    return true;
}

int CountFrames(const std::vector<TraceEntry>& entries, const std::string& keyword, int code)
{
    int count = 0;
    for (const TraceEntry& e : entries) {
        if (e.keyword == keyword && (code < 0 || e.code() == code)) {
            ++count;
        }
    }
    return count;
}

} // namespace zorva::bench
