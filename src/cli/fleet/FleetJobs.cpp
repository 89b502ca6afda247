#include "cli/fleet/FleetJobs.h"

#include <algorithm>
#include <cmath>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include "config/ConfigBlock.h"
#include "config/ConfigFields.h"

namespace zorva::cli {

namespace {

// What a child said on standard error, without its "zorva-cli: ", on one line. What stands
// before its first message is not its own (a library's warning).
QString ChildReason(const ChildResult& result)
{
    QStringList lines = result.err.split(u'\n');
    const auto own = std::find_if(lines.cbegin(), lines.cend(), [](const QString& line) {
        return line.startsWith(QLatin1String("zorva-cli: "));
    });
    if (own != lines.cend()) {
        lines.erase(lines.cbegin(), own);
    }
    QString reason;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1String("zorva-cli: "))) {
            line = line.mid(11);
        }
        if (!line.isEmpty()) {
            if (!reason.isEmpty()) {
                reason += reason.endsWith(u':') ? QStringLiteral(" ") : QStringLiteral("; ");
            }
            reason += line;
        }
    }
    if (result.exit < 0 && !result.stopped) {
        const QString abnormal = QStringLiteral("zorva-cli ended abnormally");
        reason = reason.isEmpty() ? abnormal : abnormal + QStringLiteral(": ") + reason;
    }
    if (reason.isEmpty()) {
        // Ended by the fleet before it could say anything (Windows without a console).
        return result.stopped ? QStringLiteral("stopped")
                              : QStringLiteral("exit code %1").arg(result.exit);
    }
    return reason;
}

void Fail(ModuleOutcome& outcome, const ChildResult& result)
{
    outcome.reason = ChildReason(result);
    if (result.stopped) {
        outcome.exit = kInterrupted;
        outcome.result = QStringLiteral("interrupted");
    } else {
        outcome.exit = result.exit < 0 ? kFailed : result.exit;
        outcome.result = QStringLiteral("failed");
    }
}

void Interrupted(ModuleOutcome& outcome, const QString& what)
{
    outcome.exit = kInterrupted;
    outcome.result = QStringLiteral("interrupted");
    outcome.reason = what;
}

// The module's clock against this computer's, in whole seconds: the status shows whole seconds
// of a clock that runs on, so its middle is half a second on; the child printed it at once.
std::optional<int> ClockOffset(const QString& clock, const QDateTime& printedAt)
{
    const QDateTime module = QDateTime::fromString(clock, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!module.isValid() || !printedAt.isValid()) {
        return std::nullopt;
    }
    const double seconds = static_cast<double>(printedAt.msecsTo(module) + 500) / 1000.0;
    return static_cast<int>(std::lround(seconds));
}

class Job : public FleetJob {
public:
    Job(const FleetSettings& settings, const InventoryModule& module, std::size_t index,
        ModuleOutcome& outcome)
        : settings_(settings), module_(module), index_(index), outcome_(outcome)
    {
    }

protected:
    // The port as one word: a name that starts with "-" stays a value.
    ChildStep Step(const QStringList& command, bool writes = false) const
    {
        return {QStringList{QStringLiteral("--port=") + module_.port} + settings_.common + command,
                writes};
    }
    QString WorkFile(const char* kind) const
    {
        return QDir(settings_.workFolder)
            .filePath(QStringLiteral("module-%1.%2.zrd").arg(index_).arg(QLatin1String(kind)));
    }
    QString OutputFile(const char* extension) const
    {
        return QDir(settings_.outputFolder)
            .filePath(module_.name + u'.' + QLatin1String(extension));
    }
    // The end of a command that makes one file of the output folder: "`what` FILE", or why not.
    std::optional<ChildStep> FileMade(const ChildResult& result, const char* extension,
                                      const char* what)
    {
        if (result.exit != kDone) {
            Fail(outcome_, result);
            return std::nullopt;
        }
        const QString file = QDir::toNativeSeparators(OutputFile(extension));
        outcome_.result = QLatin1String(what) + u' ' + file;
        outcome_.details.insert(QStringLiteral("file"), file);
        return std::nullopt;
    }

    const FleetSettings& settings_;
    const InventoryModule& module_;
    const std::size_t index_;
    ModuleOutcome& outcome_;
};

// status --json for what the module shows, then read for its identifier.
class StatusJob final : public Job {
public:
    using Job::Job;
    ChildStep First() override
    {
        return Step({QStringLiteral("status"), QStringLiteral("--json")});
    }
    std::optional<ChildStep> After(const ChildResult& result, bool mayGoOn) override
    {
        if (result.exit != kDone) {
            Fail(outcome_, result);
            return std::nullopt;
        }
        if (!statusDone_) {
            statusDone_ = true;
            QJsonObject status = QJsonDocument::fromJson(result.out.toUtf8()).object();
            if (const auto offset =
                    ClockOffset(status[QStringLiteral("clock")].toString(), result.outputAt)) {
                status.insert(QStringLiteral("clockOffset"), *offset);
            }
            status.remove(QStringLiteral("port"));
            outcome_.details = status;
            if (!mayGoOn) {
                Interrupted(outcome_, QStringLiteral("identifier not read"));
                return std::nullopt;
            }
            return Step({QStringLiteral("read"), WorkFile("status")});
        }
        ConfigRecord::Image image{};
        if (LoadBlock(WorkFile("status"), image)) {
            ConfigRecord record;
            record.Load(image);
            outcome_.details.insert(
                QStringLiteral("id"),
                FieldValue(*FindRecordField(QStringLiteral("id")), record).toString().trimmed());
        }
        outcome_.result = QStringLiteral("answers");
        return std::nullopt;
    }

private:
    bool statusDone_ = false;
};

class ReadJob final : public Job {
public:
    using Job::Job;
    ChildStep First() override { return Step({QStringLiteral("read"), OutputFile("zrd")}); }
    std::optional<ChildStep> After(const ChildResult& result, bool) override
    {
        return FileMade(result, "zrd", "read into");
    }
};

// Read, compare with the plan; with --yes write the planned configuration when it differs.
class WriteJob final : public Job {
public:
    WriteJob(const FleetSettings& settings, const InventoryModule& module, std::size_t index,
             const ConfigRecord& planned, ModuleOutcome& outcome)
        : Job(settings, module, index, outcome), planned_(planned)
    {
    }
    ChildStep First() override { return Step({QStringLiteral("read"), WorkFile("read")}); }
    std::optional<ChildStep> After(const ChildResult& result, bool mayGoOn) override
    {
        return writing_ ? AfterWrite(result) : AfterRead(result, mayGoOn);
    }

private:
    std::optional<ChildStep> AfterRead(const ChildResult& result, bool mayGoOn)
    {
        if (result.exit != kDone) {
            Fail(outcome_, result);
            return std::nullopt;
        }
        ConfigRecord::Image image{};
        if (!LoadBlock(WorkFile("read"), image)) {
            outcome_.exit = kFailed;
            outcome_.result = QStringLiteral("failed");
            outcome_.reason = QStringLiteral("the configuration read could not be loaded again");
            return std::nullopt;
        }
        ConfigRecord held;
        held.Load(image);
        outcome_.changes = PlannedChanges(held, planned_);
        outcome_.planned = true;
        const auto count = static_cast<int>(outcome_.changes.size());
        if (count == 0) {
            outcome_.result = QStringLiteral("already as planned");
            return std::nullopt;
        }
        const QString changes =
            count == 1 ? QStringLiteral("1 change") : QStringLiteral("%1 changes").arg(count);
        if (!settings_.yes) {
            outcome_.result = changes + QStringLiteral(" planned");
            return std::nullopt;
        }
        if (!mayGoOn) {
            Interrupted(outcome_, QStringLiteral("not written"));
            return std::nullopt;
        }
        if (!SaveBlock(WorkFile("planned"), planned_.FileImage())) {
            outcome_.exit = kFailed;
            outcome_.result = QStringLiteral("failed");
            outcome_.reason = QStringLiteral("%1 could not be written").arg(WorkFile("planned"));
            return std::nullopt;
        }
        writing_ = true;
        // The planned file holds the module's values already: no --set, so that no password
        // stands in the list of processes.
        return Step({QStringLiteral("write"), WorkFile("planned")}, true);
    }

    std::optional<ChildStep> AfterWrite(const ChildResult& result)
    {
        outcome_.details.insert(QStringLiteral("written"), result.exit == kDone);
        if (result.exit == kDone) {
            outcome_.result = QStringLiteral("written, verified");
        } else if (result.stopped || result.exit < 0) {
            // Stopped or gone between the write frame and the read-back: nobody knows what the
            // module holds now.
            outcome_.exit = result.stopped ? kInterrupted : kFailed;
            outcome_.result = QLatin1String(kStateUnknown);
            outcome_.reason = ChildReason(result);
        } else {
            Fail(outcome_, result);
        }
        return std::nullopt;
    }

    const ConfigRecord& planned_;
    bool writing_ = false;
};

class ReportJob final : public Job {
public:
    using Job::Job;
    ChildStep First() override
    {
        QStringList command{QStringLiteral("report"), OutputFile("pdf")};
        const QString technician =
            module_.technician.isEmpty() ? settings_.technician : module_.technician;
        if (!module_.technician.isEmpty() || settings_.technicianGiven) {
            command << QStringLiteral("--technician=") + technician;
        }
        const QString remarks = module_.remarks.isEmpty() ? settings_.remarks : module_.remarks;
        if (!remarks.isEmpty()) {
            command << QStringLiteral("--remarks=") + remarks;
        }
        // The report lays out its pages with Qt Gui, which the fleet does not load.
        ChildStep step = Step(command);
        step.ownProcess = true;
        return step;
    }
    std::optional<ChildStep> After(const ChildResult& result, bool) override
    {
        return FileMade(result, "pdf", "report in");
    }
};

} // namespace

std::unique_ptr<FleetJob> MakeFleetJob(const FleetSettings& settings, const InventoryModule& module,
                                       std::size_t index, const ConfigRecord* planned,
                                       ModuleOutcome& outcome)
{
    if (settings.command == QLatin1String("status")) {
        return std::make_unique<StatusJob>(settings, module, index, outcome);
    }
    if (settings.command == QLatin1String("read")) {
        return std::make_unique<ReadJob>(settings, module, index, outcome);
    }
    if (settings.command == QLatin1String("write")) {
        return std::make_unique<WriteJob>(settings, module, index, *planned, outcome);
    }
    return std::make_unique<ReportJob>(settings, module, index, outcome);
}

void NotStarted(ModuleOutcome& outcome)
{
    outcome.exit = kInterrupted;
    outcome.result = QLatin1String(kNotStarted);
    outcome.reason = QStringLiteral("interrupted first");
}

} // namespace zorva::cli
