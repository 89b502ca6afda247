#include "Trace.h"

#include "link/Frames.h"

namespace zorva::sim {

Trace::~Trace()
{
    Flush();
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool Trace::Open(const std::string& path, std::string* error)
{
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        *error = "cannot write the trace file " + path;
        return false;
    }
    return true;
}

std::string Trace::Stamp(TimePoint at)
{
    const auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(at.time_since_epoch()).count();
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%06lld", static_cast<long long>(us / 1'000'000),
                  static_cast<long long>(us % 1'000'000));
    return text;
}

void Trace::Bytes(TimePoint at, const char* keyword, std::span<const std::uint8_t> bytes)
{
    if (file_ == nullptr) {
        return;
    }
    std::string hex = BytesToHex(bytes);
    if (!hex.empty()) {
        hex.pop_back(); // no blank at the end of the line
    }
    pending_ += Stamp(at);
    pending_ += ' ';
    pending_ += keyword;
    pending_ += ' ';
    pending_ += hex;
    pending_ += '\n';
}

void Trace::Note(TimePoint at, const std::string& text)
{
    if (file_ == nullptr) {
        return;
    }
    pending_ += Stamp(at) + " LINE " + text + '\n';
}

void Trace::Flush()
{
    if (file_ == nullptr || pending_.empty()) {
        return;
    }
    std::fwrite(pending_.data(), 1, pending_.size(), file_);
    std::fflush(file_);
    pending_.clear();
}

} // namespace zorva::sim
