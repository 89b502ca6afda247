// Each module's work in a fleet command, done by the zorva-cli commands that do it for one
// module, so that the link, its retries and time-outs and the exit codes are theirs: status
// (status --json, then read for the identifier), read, write (read, plan, then write the planned
// configuration) and report. What a module's children ended with is its outcome.
#pragma once

#include <memory>
#include <vector>

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "cli/CliOptions.h"
#include "cli/fleet/FleetPlan.h"
#include "cli/fleet/FleetRunner.h"
#include "cli/fleet/Inventory.h"
#include "config/ConfigRecord.h"

namespace zorva::cli {

struct FleetSettings {
    QString command;      // status, read, write or report
    QStringList common;   // the children's options besides the port: --timeout, --lang, -q
    QString outputFolder; // read, report: where NAME.zrd and NAME.pdf go
    QString workFolder;   // private to this run: what the modules' reads bring, the plans
    bool yes = false;     // write: write, not only plan
    // report: for a module whose row names none
    bool technicianGiven = false;
    QString technician, remarks;
};

// The results that the summary counts apart from the other failures.
inline constexpr char kStateUnknown[] = "state unknown: check it";
inline constexpr char kNotStarted[] = "not started";

struct ModuleOutcome {
    int exit = kDone;
    QString result;       // what happened, in a few words
    QString reason;       // why it failed, in the words of its zorva-cli
    QJsonObject details;  // what the command learned: the status, the file written ...
    bool planned = false; // write: the module was read and `changes` holds its plan
    std::vector<PlannedChange> changes;
};

// The job of module `index` (its files in the work folder are named by the index). `planned`:
// write's configuration for the module. The job writes into `outcome` as it goes.
std::unique_ptr<FleetJob> MakeFleetJob(const FleetSettings& settings, const InventoryModule& module,
                                       std::size_t index, const ConfigRecord* planned,
                                       ModuleOutcome& outcome);

// The module was not started: the fleet was interrupted first.
void NotStarted(ModuleOutcome& outcome);

} // namespace zorva::cli
