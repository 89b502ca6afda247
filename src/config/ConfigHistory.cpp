#include "config/ConfigHistory.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "config/ConfigBlock.h"
#include "config/ConfigComparison.h"
#include "shell/IniFile.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss.zzz");
const QString kExtension = QStringLiteral(".zrd");
const QString kReadWord = QStringLiteral("read");
const QString kWrittenWord = QStringLiteral("written");

QString FileName(const QString& module, const QDateTime& when, HistoryKind kind)
{
    return module + u'_' + when.toString(kDateTimeFormat) + u'_' +
           (kind == HistoryKind::Read ? kReadWord : kWrittenWord) + kExtension;
}

// A file of the history, or nothing for any other file of the folder.
std::optional<HistoryEntry> ParseName(const QFileInfo& file)
{
    QString name = file.fileName();
    if (!name.endsWith(kExtension)) {
        return std::nullopt;
    }
    name.chop(kExtension.size());
    const QString kind = name.section(u'_', -1);
    const QString when = name.section(u'_', -3, -2);
    HistoryEntry entry;
    entry.path = file.filePath();
    entry.module = name.section(u'_', 0, -4);
    entry.identifier = entry.module == kHistoryBlankModule ? QString() : entry.module;
    entry.when = QDateTime::fromString(when, kDateTimeFormat);
    entry.kind = kind == kReadWord ? HistoryKind::Read : HistoryKind::Written;
    if (entry.module.isEmpty() || !entry.when.isValid() ||
        (kind != kReadWord && kind != kWrittenWord)) {
        return std::nullopt;
    }
    return entry;
}

bool Older(const HistoryEntry& a, const HistoryEntry& b)
{
    return std::tie(a.when, a.path) < std::tie(b.when, b.path);
}

} // namespace

ConfigHistory::ConfigHistory(QString folder, int keep) : folder_(std::move(folder)), keep_(keep) {}

std::vector<HistoryEntry> ConfigHistory::List() const
{
    std::vector<HistoryEntry> entries;
    for (const QFileInfo& file : QDir(folder_).entryInfoList(QDir::Files)) {
        if (std::optional<HistoryEntry> entry = ParseName(file)) {
            entries.push_back(std::move(*entry));
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const HistoryEntry& a, const HistoryEntry& b) { return Older(b, a); });
    return entries;
}

std::vector<HistoryEntry> ConfigHistory::ListModule(const QString& identifier) const
{
    std::vector<HistoryEntry> entries = List();
    const QString module = HistoryModuleName(identifier);
    std::erase_if(entries, [&](const HistoryEntry& e) { return e.module != module; });
    return entries;
}

bool ConfigHistory::Keep(HistoryKind kind, const ConfigRecord::Image& record,
                         const QDateTime& when) const
{
    if (keep_ <= 0) {
        return true;
    }
    ConfigRecord kept;
    kept.Load(record);
    const QString module = HistoryModuleName(kept.rawText(cfg::id));
    std::vector<HistoryEntry> mine = ListModule(kept.rawText(cfg::id)); // newest first
    if (kind == HistoryKind::Read) {
        const auto newestRead = std::find_if(mine.begin(), mine.end(), [](const HistoryEntry& e) {
            return e.kind == HistoryKind::Read;
        });
        ConfigRecord::Image newest{};
        if (newestRead != mine.end() && LoadBlock(newestRead->path, newest) &&
            std::equal(newest.begin(), newest.begin() + kWriteImageSize, record.begin())) {
            return true;
        }
    }
    if (!QDir().mkpath(folder_)) {
        return false;
    }
    // A module's names sort in the order its records came, also when two come within one
    // millisecond or the clock was put back.
    const QDateTime at =
        !mine.empty() && when <= mine.front().when ? mine.front().when.addMSecs(1) : when;
    const QString path = QDir(folder_).filePath(FileName(module, at, kind));
    if (!SaveBlock(path, record)) {
        return false;
    }
    // The oldest go first; the new file is the newest.
    for (std::size_t i = static_cast<std::size_t>(keep_) - 1; i < mine.size(); ++i) {
        QFile::remove(mine[i].path);
    }
    return true;
}

QString DefaultHistoryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/history");
}

int HistoryKeepFrom(const QString& iniPath)
{
    bool number = false;
    const int keep =
        ReadIniString(iniPath, QStringLiteral("HISTORY"), QStringLiteral("keep")).toInt(&number);
    return number && keep >= 0 ? keep : kHistoryKeepDefault;
}

QString HistoryModuleName(const QString& identifier)
{
    QString name = QString(identifier).replace(QChar(0), u' ').trimmed();
    if (name.isEmpty()) {
        return kHistoryBlankModule;
    }
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSpace() ||
            QStringLiteral("<>:\"/\\|?*").contains(c)) {
            c = u'_';
        }
    }
    // A leading dot would hide the file on Linux.
    if (name.startsWith(u'.')) {
        name[0] = u'_';
    }
    return name;
}

QStringList CompareWithEditor(const ConfigRecord& kept, const ConfigRecord& editor)
{
    QStringList lines;
    for (const FieldDifference& d : CompareRecords(kept, editor, kWriteImageSize)) {
        lines << Texts().txtKeptEditor.arg(d.caption, d.first, d.second);
    }
    return lines;
}

} // namespace zorva
