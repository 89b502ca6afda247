// What the fleet prints: a line on standard error as each module finishes, the plan of a write,
// and the summary table on standard output (with --json one object a module and a summary
// object instead); and the exit code that sums the modules up.
#pragma once

#include <cstddef>
#include <vector>

#include <QString>

#include "cli/fleet/FleetJobs.h"
#include "cli/fleet/Inventory.h"

namespace zorva::cli {

// "[12/32] SITE-07: written, verified"
QString ProgressLine(std::size_t done, std::size_t total, const InventoryModule& module,
                     const ModuleOutcome& outcome);

// Per module, in the inventory's order, each field that the write changes, from what to what;
// or that the module is already as planned.
QString PlanText(const std::vector<InventoryModule>& modules,
                 const std::vector<ModuleOutcome>& outcomes);

// Every module with its result (and, for status, what it shows), a failure with its reason;
// then a line that names every module that failed.
QString SummaryText(const QString& command, const std::vector<InventoryModule>& modules,
                    const std::vector<ModuleOutcome>& outcomes);

QString ModuleJson(const InventoryModule& module, const ModuleOutcome& outcome);
QString SummaryJson(const std::vector<InventoryModule>& modules,
                    const std::vector<ModuleOutcome>& outcomes, int exit);

// 0 when every module succeeded; 130 when interrupted; otherwise the most serious of the
// modules' codes: 5 (written, not as planned), 1, 6, 4, 3, 2.
int FleetExitCode(const std::vector<ModuleOutcome>& outcomes, bool interrupted);

} // namespace zorva::cli
