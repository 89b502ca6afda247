// zorva-cli: the module's configuration, status, clock and pictures from the command line, over
// the window program's link core, without windows.
#include <csignal>
#include <memory>
#include <set>
#include <string>

#include <QCoreApplication>
#include <QGuiApplication>

#include "cli/CliCommand.h"
#include "cli/CliConsole.h"
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/LinkCommands.h"
#include "cli/ReportCommand.h"
#include "cli/fleet/FleetChild.h"
#include "cli/fleet/FleetCommand.h"
#include "cli/fleet/FleetRunner.h"
#include "shell/LanguageTexts.h"

namespace {

extern "C" void OnTerminationSignal(int /*signal*/)
{
    zorva::cli::Interrupt();
}

extern "C" void OnFleetSignal(int /*signal*/)
{
    zorva::cli::NoteFleetInterrupt();
}

// Whether the command is fleet: the fleet itself lays out nothing, whatever its children do.
bool IsFleet(int argc, char* argv[])
{
    const std::set<std::string> withValue = {"--port", "--timeout",    "--lang",
                                             "--set",  "--camera",     "--id",
                                             "--jobs", "--technician", "--remarks"};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            return i + 1 < argc && std::string(argv[i + 1]) == "fleet";
        }
        if (withValue.count(arg) != 0) {
            ++i;
        } else if (arg.empty() || arg[0] != '-') {
            return arg == "fleet";
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    using namespace zorva::cli;
    // The report lays out text with Qt Gui's fonts; the other commands need Qt Core only.
    std::unique_ptr<QCoreApplication> application;
    if (NeedsGui(argc, argv) && !IsFleet(argc, argv)) {
        PrepareGuiPlatform();
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("ZORVA"));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    ParsedCli parsed = ParseCli(args);
    if (parsed.options.help) {
        PrintResult(CliHelpText());
        return kDone;
    }
    if (parsed.options.version) {
        PrintResult(CliVersionText());
        return kDone;
    }
    if (!parsed.error.isEmpty()) {
        PrintError(parsed.error + QStringLiteral(" (zorva-cli --help lists the commands)"));
        return kUsage;
    }
    CliOptions& options = parsed.options;
    if (options.lang.isEmpty()) {
        options.lang = StoredLanguageIsPolish() ? QStringLiteral("pl") : QStringLiteral("en");
    }
    if (options.lang == QLatin1String("pl")) {
        zorva::SetPolishTexts();
    } else {
        zorva::SetEnglishTexts();
    }
    // Ctrl+C ends every wait with the port closed properly, and the program with exit code 130.
    std::signal(SIGINT, OnTerminationSignal);
    std::signal(SIGTERM, OnTerminationSignal);
    // A fleet's child is asked to stop by its fleet as Ctrl+C would.
    InstallStopRequestHandler(OnTerminationSignal);

    if (options.command == QLatin1String("fleet")) {
        // The fleet counts Ctrl+C: the first lets a write finish, the second stops it.
        std::signal(SIGINT, OnFleetSignal);
        std::signal(SIGTERM, OnFleetSignal);
        return RunFleet(options);
    }

    return RunCommand(options);
}
