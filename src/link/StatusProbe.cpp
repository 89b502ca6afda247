#include "link/StatusProbe.h"

#include "link/Frames.h"

namespace zorva {

PortProbe StatusProbe()
{
    return {StanFrame(), HoldsStatusReply};
}

} // namespace zorva
