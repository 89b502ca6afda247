// `--port auto`: before the command, the port search of the port settings dialog's "Find module"
// over the port list finds the port the module answers on.
#pragma once

#include "cli/CliOptions.h"

namespace zorva::cli {

// Names the candidates instead of the port list, separated as in PATH: for tests, which must not
// probe the machine's serial ports.
inline constexpr char kPortCandidatesVariable[] = "ZORVA_PORT_CANDIDATES";

bool IsAutoPort(const QString& port);

// Sets options.port to the port found and names it on standard error: kDone. Otherwise prints
// that no module answered, with the ports that could not be opened and why (kNoAnswer), or that
// the search was interrupted (kInterrupted).
int FindModulePort(CliOptions& options);

} // namespace zorva::cli
