#include "cli/fleet/FleetCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "cli/CliCommand.h"
#include "cli/CliOutput.h"
#include "cli/FileCommands.h"
#include "cli/fleet/FleetJobs.h"
#include "cli/fleet/FleetOutput.h"
#include "cli/fleet/FleetPlan.h"
#include "cli/fleet/FleetRunner.h"
#include "cli/fleet/Inventory.h"
#include "serial/DeviceNames.h"

namespace zorva::cli {

namespace {

// Far beyond any site's list; a file this size is not an inventory.
constexpr qint64 kLargestInventory = 16 * 1024 * 1024;

// The device a port name stands for on this computer, so that an alias and its device, or two
// links to one device, count as one port. COM names and Windows paths are the same in any case.
QString PortIdentity(const QString& port)
{
    const QString path = DevicePathOf(port);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return (canonical.isEmpty() ? path : canonical).toLower();
}

QString Names(const std::vector<InventoryModule>& modules, const std::vector<std::size_t>& jobs)
{
    QStringList names;
    for (const std::size_t job : jobs) {
        names << modules[job].name;
    }
    return names.join(QStringLiteral(", "));
}

// The inventory read and checked, and for write each module's planned configuration; kDone, or
// the exit code after naming every problem.
int Prepare(const CliOptions& options, const QString& file, Inventory& inventory,
            std::vector<ConfigRecord>& planned)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        PrintError(QStringLiteral("%1: cannot be read: %2").arg(file, input.errorString()));
        return kUsage;
    }
    if (input.size() > kLargestInventory) {
        PrintError(QStringLiteral("%1: larger than %2 MB: not an inventory")
                       .arg(file)
                       .arg(kLargestInventory >> 20));
        return kUsage;
    }
    inventory = ReadInventory(input.readAll(), PortIdentity);
    if (options.files[0] == QLatin1String("write") && inventory.problems.empty()) {
        ConfigRecord templ;
        if (const int code = PrepareRecord(options.files[1], {}, templ); code != kDone) {
            return code;
        }
        planned.resize(inventory.modules.size());
        for (std::size_t i = 0; i < inventory.modules.size(); ++i) {
            PlanRecord(templ, inventory.modules[i], planned[i], inventory.problems);
        }
    }
    if (inventory.problems.empty()) {
        return kDone;
    }
    for (const InventoryProblem& problem : inventory.problems) {
        PrintError(QStringLiteral("%1: %2").arg(file, ProblemText(problem)));
    }
    PrintError(QStringLiteral("%1: nothing was done: %2 to mend in the inventory")
                   .arg(file, inventory.problems.size() == 1
                                  ? QStringLiteral("1 problem")
                                  : QStringLiteral("%1 problems").arg(inventory.problems.size())));
    return kUsage;
}

} // namespace

int RunFleet(const CliOptions& options)
{
    const QString command = options.files[0];
    const bool write = command == QLatin1String("write");
    const QString inventoryFile = options.files[write ? 2 : 1];
    Inventory inventory;
    std::vector<ConfigRecord> planned;
    if (const int code = Prepare(options, inventoryFile, inventory, planned); code != kDone) {
        return code;
    }

    FleetSettings settings;
    settings.command = command;
    settings.yes = options.yes;
    settings.technicianGiven = options.technicianGiven;
    settings.technician = options.technician;
    settings.remarks = options.remarks;
    settings.common = {QStringLiteral("--timeout=%1").arg(options.timeoutSeconds),
                       QStringLiteral("--lang=") + options.lang, QStringLiteral("--quiet")};
    if (command == QLatin1String("read") || command == QLatin1String("report")) {
        settings.outputFolder = QDir(options.files[2]).absolutePath();
        if (!QDir().mkpath(settings.outputFolder)) {
            PrintError(QStringLiteral("%1: the folder cannot be made")
                           .arg(QDir::toNativeSeparators(settings.outputFolder)));
            return kFailed;
        }
    }
    // The modules' configurations (passwords included) stay in a folder of this user only.
    QTemporaryDir work;
    if (!work.isValid()) {
        PrintError(QStringLiteral("no temporary folder: %1").arg(work.errorString()));
        return kFailed;
    }
    settings.workFolder = work.path();

    const std::vector<InventoryModule>& modules = inventory.modules;
    std::vector<ModuleOutcome> outcomes(modules.size());
    std::vector<std::unique_ptr<FleetJob>> jobs;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        jobs.push_back(
            MakeFleetJob(settings, modules[i], i, write ? &planned[i] : nullptr, outcomes[i]));
    }
    const int atOnce = std::min(options.jobs, static_cast<int>(modules.size()));
    PrintProgress(options.quiet, QStringLiteral("fleet %1: %2 modules, %3 at once")
                                     .arg(command)
                                     .arg(modules.size())
                                     .arg(atOnce));

    std::size_t finished = 0;
    FleetRunner::Events events;
    events.stepStarted = [&](std::size_t job, const ChildStep& step) {
        if (step.writes) {
            PrintProgress(options.quiet, modules[job].name + QStringLiteral(": writing"));
        }
    };
    events.done = [&](std::size_t job) {
        PrintProgress(options.quiet,
                      ProgressLine(++finished, modules.size(), modules[job], outcomes[job]));
        if (options.json) {
            PrintResult(ModuleJson(modules[job], outcomes[job]));
        }
    };
    // Said also with --quiet: the user waits for these.
    events.interrupted = [&](int count, const std::vector<std::size_t>& writing) {
        if (count == 1) {
            PrintError(QStringLiteral("interrupted: no further module is started") +
                       (writing.empty() ? QString()
                                        : QStringLiteral("; the write of %1 goes on to its "
                                                         "read-back (Ctrl+C again stops it, and "
                                                         "leaves its state unknown)")
                                              .arg(Names(modules, writing))));
        } else if (!writing.empty()) {
            PrintError(QStringLiteral("interrupted again: the write of %1 is stopped")
                           .arg(Names(modules, writing)));
        }
    };
    FleetRunner runner(QCoreApplication::applicationFilePath(), RunCommandLine, atOnce, events);
    std::vector<bool> started;
    const bool whole = runner.Run(jobs, started);
    for (std::size_t i = 0; i < modules.size(); ++i) {
        if (!started[i]) {
            NotStarted(outcomes[i]);
            if (options.json) {
                PrintResult(ModuleJson(modules[i], outcomes[i]));
            }
        }
    }
    const int exit = FleetExitCode(outcomes, !whole);
    if (options.json) {
        PrintResult(SummaryJson(modules, outcomes, exit));
        return exit;
    }
    if (write) {
        if (const QString plan = PlanText(modules, outcomes); !plan.isEmpty()) {
            PrintResult(plan);
        }
    }
    PrintResult(SummaryText(command, modules, outcomes));
    return exit;
}

} // namespace zorva::cli
