#include "Pacer.h"

#include <algorithm>

namespace zorva::sim {

void Pacer::SetBaud(std::uint32_t baud)
{
    baud_ = baud;
    byteTime_ = baud == 0 ? std::chrono::nanoseconds(0)
                          : std::chrono::nanoseconds((10'000'000'000LL + baud / 2) / baud);
}

void Pacer::Begin(TimePoint now)
{
    cursor_ = std::max(cursor_, now);
}

std::size_t Pacer::Release(TimePoint now, std::size_t wanted)
{
    if (!paced() || wanted == 0) {
        return wanted;
    }
    if (now < cursor_ + byteTime_) {
        return 0;
    }
    const auto due = static_cast<std::size_t>((now - cursor_) / byteTime_);
    const std::size_t n = std::min(wanted, due);
    cursor_ += byteTime_ * static_cast<std::int64_t>(n);
    return n;
}

void Pacer::Unrelease(std::size_t count)
{
    cursor_ -= byteTime_ * static_cast<std::int64_t>(count);
}

Pacer::TimePoint Pacer::NextRelease(std::size_t remaining) const
{
    if (!paced()) {
        return cursor_;
    }
    const std::int64_t batch =
        std::max<std::int64_t>(1, std::chrono::microseconds(500) / byteTime_);
    const std::int64_t n = std::clamp<std::int64_t>(static_cast<std::int64_t>(remaining), 1, batch);
    return cursor_ + byteTime_ * n;
}

} // namespace zorva::sim
