#include "cli/fleet/FleetPlan.h"

#include "config/ConfigComparison.h"
#include "config/RecordEditing.h"

namespace zorva::cli {

bool PlanRecord(const ConfigRecord& templ, const InventoryModule& module, ConfigRecord& planned,
                std::vector<InventoryProblem>& problems)
{
    planned = templ;
    NetworkRecord network;
    // The template is prepared without a module, as write prepares its file.
    OfflineEditorLink link;
    RecordEditing editing(planned, network, link);
    editing.ShowConfig();
    bool accepted = true;
    for (const InventoryValue& value : module.values) {
        const QString refused = editing.Set(value.field, value.value);
        if (!refused.isEmpty()) {
            problems.push_back({module.row, value.column, refused});
            accepted = false;
        }
    }
    return accepted;
}

std::vector<PlannedChange> PlannedChanges(const ConfigRecord& held, const ConfigRecord& planned)
{
    std::vector<PlannedChange> changes;
    for (const FieldDifference& d : CompareRecords(held, planned, kWriteImageSize)) {
        if (d.name == QLatin1String("pass")) {
            changes.push_back({d.name, d.caption, {}, {}, true});
        } else {
            changes.push_back({d.name, d.caption, d.first, d.second, false});
        }
    }
    return changes;
}

QString ChangeText(const PlannedChange& change)
{
    const QString name = change.field.isEmpty() ? QString() : change.field + u' ';
    if (change.secret) {
        return QStringLiteral("%1%2: changed").arg(name, change.caption);
    }
    return QStringLiteral("%1%2: %3 -> %4").arg(name, change.caption, change.from, change.to);
}

} // namespace zorva::cli
