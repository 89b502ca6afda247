// zorva-cli report: reads the module, fetches one picture from each camera that is on and
// present, and writes the service report as a PDF.
#pragma once

#include "cli/CliOptions.h"

namespace zorva::cli {

int RunReport(const CliOptions& options);

// Whether the command line asks for a command that needs Qt Gui (fonts for the report).
bool NeedsGui(int argc, char* argv[]);

} // namespace zorva::cli
