// What a write of the fleet makes of each module: the template with the module's values entered
// as write --set enters them (the window's rules and ranges), and the fields in which that
// differs from what the module holds. The password is never shown, only that it changes.
#pragma once

#include <vector>

#include <QString>

#include "cli/fleet/Inventory.h"
#include "config/ConfigRecord.h"

namespace zorva::cli {

struct PlannedChange {
    QString field;   // the name --set takes; empty for a byte outside the named fields
    QString caption; // the window's caption, or the byte's offset in words
    QString from, to;
    bool secret = false; // the password: `from` and `to` are empty
};

// The template (as loaded and refreshed) with the module's values entered in column order.
// A value the window's rules refuse (a field that the template keeps disabled) is added to
// `problems`, named by row and column; false then.
bool PlanRecord(const ConfigRecord& templ, const InventoryModule& module, ConfigRecord& planned,
                std::vector<InventoryProblem>& problems);

// The fields that a write of `planned` changes in a module holding `held`, in the window's
// order: the bytes that travel to the module, as the write's own check compares them.
std::vector<PlannedChange> PlannedChanges(const ConfigRecord& held, const ConfigRecord& planned);

// "ps Port: 8080 -> 8081", "pass Password: changed"
QString ChangeText(const PlannedChange& change);

} // namespace zorva::cli
