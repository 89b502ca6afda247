// zorva-sim of the same build as a process of its own, tracing to the work folder.
#pragma once

#include <string>
#include <vector>

#include "common/ChildProcess.h"
#include "common/WorkFolder.h"

namespace zorva::bench {

struct SimulatorPaths {
    std::string link;  // what COM1 points at
    std::string trace; // the trace file
};

// Starts zorva-sim (from $ZORVA_SIM, else next to this executable) with --link and --trace in
// `folder` and the `extra` options, and waits for its link to appear.
bool StartSimulator(ChildProcess& process, const WorkFolder& folder,
                    const std::vector<std::string>& extra, SimulatorPaths* paths,
                    std::string* error);

} // namespace zorva::bench
