// The link figures read off the simulator's trace.
#pragma once

#include <vector>

#include "common/SimTrace.h"

namespace zorva::bench {

// From the TX stamp of a picture packet to the RX stamp of the next request, in milliseconds;
// split into packets inside a picture and the last packet of each picture (after which the
// program saves and shows the picture before it asks for the status).
struct Turnarounds {
    std::vector<double> inside;
    std::vector<double> last;
    std::vector<double> All() const;
};
Turnarounds PictureTurnarounds(const std::vector<TraceEntry>& entries);

// One whole picture: from the RX stamp of the request for packet 0 to the TX stamp of the last
// packet.
struct PictureTransfer {
    double wallSeconds = 0;
    long packets = 0;
    long packetBytes = 0;  // every packet, 0 to the last
    long requestBytes = 0; // the requests inside the window (packet 1 to the last)
};
std::vector<PictureTransfer> PictureTransfers(const std::vector<TraceEntry>& entries);

} // namespace zorva::bench
