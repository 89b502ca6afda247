// zorva-cli fleet: status, read, write or report of every module of an inventory, several at
// once, each by the zorva-cli command that does it for one module.
#pragma once

#include "cli/CliOptions.h"

namespace zorva::cli {

// options.files: the subcommand, then its files. The exit code.
int RunFleet(const CliOptions& options);

} // namespace zorva::cli
