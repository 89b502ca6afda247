// One zorva-cli command, run as main runs it once the options are read: the fleet runs its
// modules' commands through the same path, so each does what the command would.
#pragma once

#include <QStringList>

#include "cli/CliOptions.h"

namespace zorva::cli {

// The command of `options` (the port found first for "--port auto"): its exit code.
int RunCommand(const CliOptions& options);

// zorva-cli's arguments, without the program's name: read, then run as RunCommand. The texts'
// language stays the one already chosen; "fleet", --help and --version are no command here.
int RunCommandLine(const QStringList& args);

} // namespace zorva::cli
