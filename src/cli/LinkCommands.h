// The commands of zorva-cli that talk to the module: status, read, write, clock, picture and
// events. Each opens the port, waits for the module as the window program does (a status reply,
// then the configuration read that it starts) and runs its conversation through the link core.
#pragma once

#include <memory>

#include "cli/CliOptions.h"
#include "cli/CliSession.h"

namespace zorva::cli {

// The port the window program has stored ("cm"), as its COM name.
QString StoredPortName();
// Whether the window program's stored language is Polish ("pl").
bool StoredLanguageIsPolish();

int RunStatus(const CliOptions& options);
int RunRead(const CliOptions& options);
int RunWrite(const CliOptions& options);
int RunClock(const CliOptions& options);
int RunPicture(const CliOptions& options);
int RunEvents(const CliOptions& options);

// The report's use of the steps above: a session connected with the configuration read (*code
// kDone), or the exit code after printing why; and why a wait ended without its result.
std::unique_ptr<CliSession> ConnectForReport(const CliOptions& options, int* code);
int ReportWaitFailed(CliSession& session, const CliOptions& options, WaitEnd end);

} // namespace zorva::cli
