#include "cli/CliCommand.h"

#include "cli/CliOutput.h"
#include "cli/FileCommands.h"
#include "cli/LinkCommands.h"
#include "cli/PortAuto.h"
#include "cli/ReportCommand.h"

namespace zorva::cli {

int RunCommand(const CliOptions& given)
{
    CliOptions options = given;
    if (IsAutoPort(options.port)) {
        const int found = FindModulePort(options);
        if (found != kDone) {
            return found;
        }
    }

    const QString& command = options.command;
    if (command == QLatin1String("show")) {
        return RunShow(options);
    }
    if (command == QLatin1String("diff")) {
        return RunDiff(options);
    }
    if (command == QLatin1String("history")) {
        return RunHistory(options);
    }
    if (command == QLatin1String("status")) {
        return RunStatus(options);
    }
    if (command == QLatin1String("read")) {
        return RunRead(options);
    }
    if (command == QLatin1String("write")) {
        return RunWrite(options);
    }
    if (command == QLatin1String("clock")) {
        return RunClock(options);
    }
    if (command == QLatin1String("picture")) {
        return RunPicture(options);
    }
    if (command == QLatin1String("report")) {
        return RunReport(options);
    }
    return RunEvents(options);
}

int RunCommandLine(const QStringList& args)
{
    const ParsedCli parsed = ParseCli(args);
    if (!parsed.error.isEmpty()) {
        PrintError(parsed.error);
        return kUsage;
    }
    const CliOptions& options = parsed.options;
    if (options.help || options.version || options.command == QLatin1String("fleet")) {
        PrintError(QStringLiteral("not a module's command: ") + args.join(u' '));
        return kUsage;
    }
    return RunCommand(options);
}

} // namespace zorva::cli
