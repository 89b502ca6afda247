// The commands of zorva-cli that need no port: show and diff of configuration files, and the
// preparation of a file for write (load, refresh, --set).
#pragma once

#include <QString>
#include <QStringList>

#include "cli/CliOptions.h"
#include "config/ConfigRecord.h"

namespace zorva::cli {

int RunShow(const CliOptions& options);
int RunDiff(const CliOptions& options);
// The configuration history, newest first.
int RunHistory(const CliOptions& options);

// Loads the file as the window's Open does (with its refresh) and applies the --set values in
// order; kDone, or the exit code after printing why.
int PrepareRecord(const QString& file, const QStringList& sets, ConfigRecord& record);

} // namespace zorva::cli
