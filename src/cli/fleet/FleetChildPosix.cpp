#include <csignal>
#include <unistd.h>

#include <QProcess>

#include "cli/fleet/FleetChild.h"

namespace zorva::cli {

void KeepFromTerminalInterrupts(QProcess& child)
{
    // The terminal signals its foreground process group: the fleet's, no longer the child's.
    child.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void AskToStop(QProcess& child)
{
    const qint64 pid = child.processId();
    if (pid > 0) {
        ::kill(static_cast<pid_t>(pid), SIGTERM);
    }
}

void InstallStopRequestHandler(void (*)(int))
{
    // SIGTERM, which main handles already.
}

} // namespace zorva::cli
