#include <csignal>
#include <windows.h>

#include <QProcess>

#include "cli/fleet/FleetChild.h"

namespace zorva::cli {

void KeepFromTerminalInterrupts(QProcess& child)
{
    // A new process group ignores the console's Ctrl+C; Ctrl+Break can still be sent to it.
    child.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
        arguments->flags |= CREATE_NEW_PROCESS_GROUP;
    });
}

void AskToStop(QProcess& child)
{
    const qint64 pid = child.processId();
    // A child without the fleet's console (the fleet started without one) cannot be sent the
    // break: it is ended instead, and the system closes its port.
    if (pid <= 0 || !GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(pid))) {
        child.kill();
    }
}

void InstallStopRequestHandler(void (*handler)(int))
{
    std::signal(SIGBREAK, handler);
}

} // namespace zorva::cli
