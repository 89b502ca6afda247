#include "common/TraceAnalysis.h"

namespace zorva::bench {

namespace {
constexpr int kPictureCode = 0x07;
bool IsLastPacket(const TraceEntry& e)
{
    return (e.payload(0) >> 4) == 0xF;
}
} // namespace

std::vector<double> Turnarounds::All() const
{
    std::vector<double> all = inside;
    all.insert(all.end(), last.begin(), last.end());
    return all;
}

Turnarounds PictureTurnarounds(const std::vector<TraceEntry>& entries)
{
    Turnarounds result;
    const TraceEntry* packet = nullptr;
    for (const TraceEntry& e : entries) {
        if (e.keyword == "TX" && e.code() == kPictureCode) {
            packet = &e;
        } else if (e.keyword == "RX" && packet != nullptr) {
            const double ms = (e.seconds - packet->seconds) * 1000.0;
            (IsLastPacket(*packet) ? result.last : result.inside).push_back(ms);
            packet = nullptr;
        } else if (e.keyword != "TX" && e.keyword != "LINE") {
            // Anything else on the line (a bad frame, skipped bytes) breaks the pair.
            packet = nullptr;
        }
    }
    return result;
}

std::vector<PictureTransfer> PictureTransfers(const std::vector<TraceEntry>& entries)
{
    std::vector<PictureTransfer> result;
    bool inPicture = false;
    double start = 0;
    PictureTransfer current;
    for (const TraceEntry& e : entries) {
        if (e.keyword == "RX" && e.code() == kPictureCode) {
            if (e.payload(1) == 0) {
                inPicture = true;
                start = e.seconds;
                current = PictureTransfer{};
            } else if (inPicture) {
                current.requestBytes += static_cast<long>(e.bytes.size());
            }
        } else if (e.keyword == "TX" && e.code() == kPictureCode && inPicture) {
            current.packetBytes += static_cast<long>(e.bytes.size());
            ++current.packets;
            if (IsLastPacket(e)) {
                current.wallSeconds = e.seconds - start;
                result.push_back(current);
                inPicture = false;
            }
        } else if (e.keyword != "TX" && e.keyword != "LINE" && e.keyword != "RX") {
            inPicture = false; // a fault on the line: this picture does not count
        }
    }
    return result;
}

} // namespace zorva::bench
