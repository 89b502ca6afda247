// The technician's name in the user's settings: a user without administrator rights can write
// them, unlike the program's ini file beside the executable.
#include "report/ServiceReport.h"
#include "shell/SettingsStore.h"

namespace zorva {

namespace {
const QString kTechnician = QStringLiteral("technik");
} // namespace

QString StoredTechnician()
{
    return RegReadString(kRegKey, kTechnician);
}

void StoreTechnician(const QString& name)
{
    RegWriteString(kRegKey, kTechnician, name);
}

} // namespace zorva
