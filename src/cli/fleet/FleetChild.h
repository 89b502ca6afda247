// The fleet's children, one zorva-cli a module, each in a process group of its own: Ctrl+C in
// the terminal reaches the fleet alone, which decides which child to stop and when (a write is
// let finish). One file per system.
#pragma once

class QProcess;

namespace zorva::cli {

// Before the child starts.
void KeepFromTerminalInterrupts(QProcess& child);
// Asks a running child to stop as Ctrl+C would stop it: it closes its port, says what it had
// done and ends with exit code 130.
void AskToStop(QProcess& child);
// In every zorva-cli: the request that AskToStop sends runs `handler` (the one of SIGINT).
void InstallStopRequestHandler(void (*handler)(int));

} // namespace zorva::cli
