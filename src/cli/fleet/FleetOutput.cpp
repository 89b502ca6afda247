#include "cli/fleet/FleetOutput.h"

#include <algorithm>
#include <map>

#include <QJsonArray>
#include <QJsonDocument>

namespace zorva::cli {

namespace {

QString ResultText(const ModuleOutcome& outcome)
{
    if (outcome.exit == kDone) {
        return outcome.result;
    }
    const QString code = QStringLiteral("%1 (%2)").arg(outcome.result).arg(outcome.exit);
    return outcome.reason.isEmpty() ? code : code + QStringLiteral(": ") + outcome.reason;
}

// Rows of cells in aligned columns, two blanks apart; the last column as long as it is.
QString Table(const std::vector<QStringList>& rows)
{
    std::vector<qsizetype> widths;
    for (const QStringList& row : rows) {
        for (qsizetype i = 0; i + 1 < row.size(); ++i) {
            widths.resize(std::max(widths.size(), static_cast<std::size_t>(i + 1)), 0);
            widths[static_cast<std::size_t>(i)] =
                std::max(widths[static_cast<std::size_t>(i)], row[i].size());
        }
    }
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            line += i + 1 < row.size() ? row[i].leftJustified(widths[static_cast<std::size_t>(i)]) +
                                             QStringLiteral("  ")
                                       : row[i];
        }
        text += line.trimmed() + u'\n';
    }
    return text;
}

QString Letters(const QJsonObject& cameras, const char* key)
{
    QStringList letters;
    for (const char* camera : {"A", "B", "C", "D"}) {
        if (cameras[QLatin1String(camera)].toObject()[QLatin1String(key)].toBool()) {
            letters << QLatin1String(camera);
        }
    }
    return letters.isEmpty() ? QStringLiteral("-") : letters.join(u' ');
}

QStringList StatusCells(const ModuleOutcome& outcome)
{
    const QJsonObject& d = outcome.details;
    if (d.isEmpty()) {
        return {QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")};
    }
    const QJsonValue offset = d[QStringLiteral("clockOffset")];
    const QString offsetText = offset.isDouble()
                                   ? QStringLiteral("%1%2 s")
                                         .arg(offset.toInt() >= 0 ? QStringLiteral("+") : QString())
                                         .arg(offset.toInt())
                                   : QStringLiteral("?");
    const QJsonObject cameras = d[QStringLiteral("cameras")].toObject();
    return {d[QStringLiteral("firmware")].toString(),
            d[QStringLiteral("id")].toString(QStringLiteral("?")),
            d[QStringLiteral("clock")].toString(),
            offsetText,
            Letters(cameras, "present"),
            Letters(cameras, "on")};
}

// Where an outcome belongs in the summary's last line.
enum class Kind { Done, Failed, Unknown, Interrupted, NotStarted };

Kind KindOf(const ModuleOutcome& outcome)
{
    if (outcome.exit == kDone) {
        return Kind::Done;
    }
    if (outcome.result == QLatin1String(kNotStarted)) {
        return Kind::NotStarted;
    }
    if (outcome.result == QLatin1String(kStateUnknown)) {
        return Kind::Unknown;
    }
    return outcome.exit == kInterrupted ? Kind::Interrupted : Kind::Failed;
}

int Severity(int exit)
{
    static const int kOrder[] = {kInterrupted, kWriteNotVerified, kFailed, kFileNotReadable,
                                 kNoAnswer,    kPortNotOpened,    kUsage};
    const auto* at = std::find(std::begin(kOrder), std::end(kOrder), exit);
    // A code the list does not know is still a failure, below the known ones.
    return at == std::end(kOrder) ? 1 : static_cast<int>(std::end(kOrder) - at) + 1;
}

} // namespace

QString ProgressLine(std::size_t done, std::size_t total, const InventoryModule& module,
                     const ModuleOutcome& outcome)
{
    return QStringLiteral("[%1/%2] %3: %4")
        .arg(done)
        .arg(total)
        .arg(module.name, ResultText(outcome));
}

QString PlanText(const std::vector<InventoryModule>& modules,
                 const std::vector<ModuleOutcome>& outcomes)
{
    QString text;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        const ModuleOutcome& outcome = outcomes[i];
        if (!outcome.planned) {
            continue;
        }
        const std::size_t n = outcome.changes.size();
        const QString head = n == 0   ? QStringLiteral("already as planned")
                             : n == 1 ? QStringLiteral("1 change")
                                      : QStringLiteral("%1 changes").arg(n);
        text += QStringLiteral("%1 (%2): %3\n").arg(modules[i].name, modules[i].port, head);
        for (const PlannedChange& change : outcome.changes) {
            text += QStringLiteral("  ") + ChangeText(change) + u'\n';
        }
    }
    return text;
}

QString SummaryText(const QString& command, const std::vector<InventoryModule>& modules,
                    const std::vector<ModuleOutcome>& outcomes)
{
    const bool status = command == QLatin1String("status");
    std::vector<QStringList> rows;
    rows.push_back(status ? QStringList{QStringLiteral("name"), QStringLiteral("port"),
                                        QStringLiteral("firmware"), QStringLiteral("id"),
                                        QStringLiteral("clock"), QStringLiteral("offset"),
                                        QStringLiteral("present"), QStringLiteral("on"),
                                        QStringLiteral("result")}
                          : QStringList{QStringLiteral("name"), QStringLiteral("port"),
                                        QStringLiteral("result")});
    std::map<Kind, QStringList> names;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        QStringList row{modules[i].name, modules[i].port};
        if (status) {
            row << StatusCells(outcomes[i]);
        }
        rows.push_back(row << ResultText(outcomes[i]));
        names[KindOf(outcomes[i])] << modules[i].name;
    }
    QString last =
        QStringLiteral("%1 modules: %2 done").arg(modules.size()).arg(names[Kind::Done].size());
    const std::pair<Kind, const char*> kinds[] = {{Kind::Failed, "failed"},
                                                  {Kind::Unknown, "state unknown"},
                                                  {Kind::Interrupted, "interrupted"}};
    for (const auto& [kind, word] : kinds) {
        if (!names[kind].isEmpty()) {
            last += QStringLiteral(", %1 %2: %3")
                        .arg(names[kind].size())
                        .arg(QLatin1String(word), names[kind].join(QStringLiteral(", ")));
        }
    }
    if (!names[Kind::NotStarted].isEmpty()) {
        last += QStringLiteral(", %1 not started").arg(names[Kind::NotStarted].size());
    }
    return Table(rows) + last;
}

QString ModuleJson(const InventoryModule& module, const ModuleOutcome& outcome)
{
    QJsonObject object{{QStringLiteral("name"), module.name},
                       {QStringLiteral("row"), module.row},
                       {QStringLiteral("port"), module.port},
                       {QStringLiteral("exit"), outcome.exit},
                       {QStringLiteral("result"), outcome.result}};
    if (outcome.exit != kDone) {
        object.insert(QStringLiteral("reason"), outcome.reason);
    }
    for (auto it = outcome.details.begin(); it != outcome.details.end(); ++it) {
        object.insert(it.key(), it.value());
    }
    if (outcome.planned) {
        QJsonArray changes;
        for (const PlannedChange& change : outcome.changes) {
            QJsonObject c{{QStringLiteral("field"), change.field},
                          {QStringLiteral("caption"), change.caption}};
            if (change.secret) {
                c.insert(QStringLiteral("changed"), true);
            } else {
                c.insert(QStringLiteral("from"), change.from);
                c.insert(QStringLiteral("to"), change.to);
            }
            changes.append(c);
        }
        object.insert(QStringLiteral("changes"), changes);
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString SummaryJson(const std::vector<InventoryModule>& modules,
                    const std::vector<ModuleOutcome>& outcomes, int exit)
{
    QJsonArray failed;
    int done = 0;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        if (outcomes[i].exit == kDone) {
            ++done;
        } else {
            failed.append(modules[i].name);
        }
    }
    const QJsonObject summary{{QStringLiteral("modules"), static_cast<int>(modules.size())},
                              {QStringLiteral("done"), done},
                              {QStringLiteral("failed"), failed},
                              {QStringLiteral("exit"), exit}};
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("summary"), summary}})
                                 .toJson(QJsonDocument::Compact));
}

int FleetExitCode(const std::vector<ModuleOutcome>& outcomes, bool interrupted)
{
    if (interrupted) {
        return kInterrupted;
    }
    int worst = kDone;
    for (const ModuleOutcome& outcome : outcomes) {
        if (outcome.exit != kDone && (worst == kDone || Severity(outcome.exit) > Severity(worst))) {
            worst = outcome.exit;
        }
    }
    return worst;
}

} // namespace zorva::cli
