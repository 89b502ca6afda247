#include "cli/FileCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/CliOutput.h"
#include "config/ConfigBlock.h"
#include "config/ConfigComparison.h"
#include "config/ConfigFields.h"
#include "config/ConfigHistory.h"
#include "config/RecordEditing.h"

namespace zorva::cli {

namespace {

bool Load(const QString& file, ConfigRecord& record)
{
    ConfigRecord::Image image{};
    if (!LoadBlock(file, image)) {
        const QFileInfo info(file);
        if (!info.exists()) {
            PrintError(QStringLiteral("%1: not found").arg(file));
        } else if (info.isDir()) {
            PrintError(QStringLiteral("%1: is a folder").arg(file));
        } else if (info.size() < static_cast<qint64>(image.size())) {
            PrintError(QStringLiteral("%1: not a configuration file (%2 bytes, not 2048)")
                           .arg(file)
                           .arg(info.size()));
        } else {
            PrintError(QStringLiteral("%1: cannot be read").arg(file));
        }
        return false;
    }
    record.Load(image);
    return true;
}

} // namespace

int PrepareRecord(const QString& file, const QStringList& sets, ConfigRecord& record)
{
    // Every value is checked before the file is even read.
    for (const QString& set : sets) {
        const qsizetype eq = set.indexOf(u'=');
        const QString refused = RecordEditing::CheckValue(set.left(eq), set.mid(eq + 1));
        if (!refused.isEmpty()) {
            PrintError(refused);
            return kUsage;
        }
    }
    if (!Load(file, record)) {
        return kFileNotReadable;
    }
    NetworkRecord network;
    OfflineEditorLink link;
    RecordEditing editing(record, network, link);
    editing.ShowConfig();
    for (const QString& set : sets) {
        const qsizetype eq = set.indexOf(u'=');
        const QString refused = editing.Set(set.left(eq), set.mid(eq + 1));
        if (!refused.isEmpty()) {
            PrintError(refused);
            return kUsage;
        }
    }
    return kDone;
}

int RunShow(const CliOptions& options)
{
    ConfigRecord record;
    if (!Load(options.files[0], record)) {
        return kFileNotReadable;
    }
    NetworkRecord network;
    OfflineEditorLink link;
    RecordEditing editing(record, network, link);
    editing.ShowConfig();
    // JSON: each value typed, under the name that --set takes it back by.
    QJsonObject fields;
    for (const RecordField& field : RecordFields()) {
        if (!FieldShownInWindow(field)) {
            continue;
        }
        if (options.json) {
            fields.insert(QLatin1String(field.name),
                          QJsonValue::fromVariant(FieldValue(field, record)));
        } else {
            PrintResult(QStringLiteral("%1 %2 %3")
                            .arg(QLatin1String(field.name), -6)
                            .arg(FieldCaption(field) + u':', -40)
                            .arg(FieldValueText(field, record)));
        }
    }
    if (options.json) {
        PrintResult(
            QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("file"), options.files[0]},
                                                        {QStringLiteral("fields"), fields}})
                                  .toJson(QJsonDocument::Indented)
                                  .trimmed()));
    }
    return kDone;
}

int RunDiff(const CliOptions& options)
{
    ConfigRecord a;
    ConfigRecord b;
    if (!Load(options.files[0], a) || !Load(options.files[1], b)) {
        return kFileNotReadable;
    }
    // The files as they are: bytes that a refresh would rewrite count too.
    const std::vector<FieldDifference> differences = CompareRecords(a, b, kRecordSize);
    for (const FieldDifference& d : differences) {
        const QString name = d.name.isEmpty() ? QString() : d.name + u' ';
        PrintResult(QStringLiteral("%1%2: %3 -> %4").arg(name, d.caption, d.first, d.second));
    }
    if (differences.empty()) {
        PrintProgress(options.quiet, QStringLiteral("no differences"));
        return kDone;
    }
    // As diff(1): 1 when the files differ.
    return kFailed;
}

int RunHistory(const CliOptions& options)
{
    const ConfigHistory history(DefaultHistoryFolder(), kHistoryKeepDefault);
    const std::vector<HistoryEntry> entries =
        options.idGiven ? history.ListModule(options.id) : history.List();
    QJsonArray list;
    for (const HistoryEntry& entry : entries) {
        const QString kind =
            entry.kind == HistoryKind::Read ? QStringLiteral("read") : QStringLiteral("written");
        const QString file = QDir::toNativeSeparators(entry.path);
        if (options.json) {
            // Local time, as in the file's name.
            list.append(
                QJsonObject{{QStringLiteral("time"), entry.when.toString(Qt::ISODateWithMs)},
                            {QStringLiteral("id"), HistoryIdentifier(entry)},
                            {QStringLiteral("kind"), kind},
                            {QStringLiteral("file"), file}});
        } else {
            PrintResult(QStringLiteral("%1  %2 %3 %4")
                            .arg(entry.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
                            .arg(entry.module, -8)
                            .arg(kind, -7)
                            .arg(file));
        }
    }
    if (options.json) {
        PrintResult(
            QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented).trimmed()));
    } else if (entries.empty()) {
        const QString of = options.idGiven ? QStringLiteral(" of ") + options.id : QString();
        PrintProgress(options.quiet, QStringLiteral("no configurations%1 kept in %2")
                                         .arg(of, QDir::toNativeSeparators(history.Folder())));
    }
    return kDone;
}

} // namespace zorva::cli
