// The module's side of the port search: one status request, answered by a valid status reply.
#pragma once

#include "serial/ports/PortSearch.h"

namespace zorva {

PortProbe StatusProbe();

} // namespace zorva
