#include "config/ConfigHistory.h"

#include <algorithm>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>
#include <utility>

#include <QDir>
#include <QDirIterator>
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
constexpr int kClaimTries = 100;

QString FileName(const QString& module, const QDateTime& when, HistoryKind kind, int made)
{
    return module + u'_' + when.toString(kDateTimeFormat) + u'_' + QString::number(made) + u'_' +
           (kind == HistoryKind::Read ? kReadWord : kWrittenWord) + kExtension;
}

// The time of a name, read by position as FileName writes it, with one conversion from local
// time: the general parser converts at every field, each time under a lock that all the
// program's threads share (a fleet's modules list the history at once), and every read lists
// it. Any other text goes through the general parser.
QDateTime NameTime(const QString& text)
{
    const auto number = [&](qsizetype at, qsizetype digits) {
        int value = 0;
        for (qsizetype i = at; i < at + digits; ++i) {
            const char16_t digit = text[i].unicode();
            if (digit < u'0' || digit > u'9') {
                return -1;
            }
            value = value * 10 + (digit - u'0');
        }
        return value;
    };
    if (text.size() == kDateTimeFormat.size() && text[4] == u'-' && text[7] == u'-' &&
        text[10] == u'_' && text[13] == u'-' && text[16] == u'-' && text[19] == u'.') {
        const QDate date(number(0, 4), number(5, 2), number(8, 2));
        const QTime time(number(11, 2), number(14, 2), number(17, 2), number(20, 3));
        if (date.isValid() && time.isValid()) {
            return QDateTime(date, time);
        }
    }
    return QDateTime::fromString(text, kDateTimeFormat);
}

// A file of the history, or nothing for any other file of the folder.
std::optional<HistoryEntry> ParseName(const QFileInfo& file)
{
    QString name = file.fileName();
    if (!name.endsWith(kExtension)) {
        return std::nullopt;
    }
    name.chop(kExtension.size());
    HistoryEntry entry;
    const QString kind = name.section(u'_', -1);
    name = name.section(u'_', 0, -2);
    bool numbered = false;
    entry.made = name.section(u'_', -1).toInt(&numbered);
    if (numbered) {
        name = name.section(u'_', 0, -2);
    }
    const QString when = name.section(u'_', -2, -1);
    entry.path = file.filePath();
    entry.module = name.section(u'_', 0, -3);
    entry.identifier = entry.module == kHistoryBlankModule ? QString() : entry.module;
    entry.when = NameTime(when);
    entry.kind = kind == kReadWord ? HistoryKind::Read : HistoryKind::Written;
    if (entry.module.isEmpty() || !entry.when.isValid() || entry.made < 0 ||
        (kind != kReadWord && kind != kWrittenWord)) {
        return std::nullopt;
    }
    return entry;
}

bool Older(const HistoryEntry& a, const HistoryEntry& b)
{
    return std::tie(a.made, a.when, a.path) < std::tie(b.made, b.when, b.path);
}

// Whether a contact at `later` belongs to the visit of one at `earlier`.
bool OneVisit(const QDateTime& earlier, const QDateTime& later)
{
    return earlier.secsTo(later) < kVisitGapSeconds;
}

// The files of one module (by its name part), the newest made first.
std::vector<HistoryEntry> Named(std::vector<HistoryEntry> entries, const QString& module)
{
    std::erase_if(entries, [&](const HistoryEntry& e) { return e.module != module; });
    std::sort(entries.begin(), entries.end(),
              [](const HistoryEntry& a, const HistoryEntry& b) { return Older(b, a); });
    return entries;
}

struct FormerName {
    QString module;
    int made = 0;
};

// The identifier changes noted in the folder, by the new name part and the written file's number.
std::map<std::pair<QString, int>, FormerName> IdentifierChanges(const QString& folder)
{
    std::map<std::pair<QString, int>, FormerName> changes;
    QFile file(QDir(folder).filePath(kHistoryIdentifierChanges));
    if (!file.open(QIODevice::ReadOnly)) {
        return changes;
    }
    while (!file.atEnd()) {
        const QStringList parts = QString::fromUtf8(file.readLine()).trimmed().split(u'\t');
        bool made = false, formerMade = false;
        if (parts.size() == 4) {
            const int m = parts[1].toInt(&made);
            const int f = parts[3].toInt(&formerMade);
            if (made && formerMade) {
                changes[{parts[0], m}] = {parts[2], f};
            }
        }
    }
    return changes;
}

} // namespace

ConfigHistory::ConfigHistory(QString folder, int keep) : folder_(std::move(folder)), keep_(keep) {}

std::vector<HistoryEntry> ConfigHistory::List() const
{
    std::vector<HistoryEntry> entries;
    // Unsorted: the entries are sorted below.
    for (QDirIterator it(folder_, QDir::Files); it.hasNext();) {
        if (std::optional<HistoryEntry> entry = ParseName(it.nextFileInfo())) {
            entries.push_back(std::move(*entry));
        }
    }
    // Modules by the time in their names; within one module, the order its files were made,
    // in the places its files take.
    std::sort(entries.begin(), entries.end(), [](const HistoryEntry& a, const HistoryEntry& b) {
        return std::tie(b.when, b.path) < std::tie(a.when, a.path);
    });
    std::map<QString, std::vector<std::size_t>> places;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        places[entries[i].module].push_back(i);
    }
    for (const auto& [module, at] : places) {
        std::vector<HistoryEntry> mine;
        for (std::size_t i : at) {
            mine.push_back(std::move(entries[i]));
        }
        std::sort(mine.begin(), mine.end(),
                  [](const HistoryEntry& a, const HistoryEntry& b) { return Older(b, a); });
        for (std::size_t k = 0; k < at.size(); ++k) {
            entries[at[k]] = std::move(mine[k]);
        }
    }
    return entries;
}

std::vector<HistoryEntry> ConfigHistory::ListModule(const QString& identifier) const
{
    std::vector<HistoryEntry> entries = List();
    const QString module = HistoryModuleName(identifier);
    std::erase_if(entries, [&](const HistoryEntry& e) { return e.module != module; });
    return entries;
}

std::vector<HistoryEntry> ConfigHistory::Visit(const QString& identifier,
                                               const QDateTime& now) const
{
    const std::vector<HistoryEntry> all = List();
    const auto changes = IdentifierChanges(folder_);
    std::vector<HistoryEntry> visit;
    QString module = HistoryModuleName(identifier);
    int upTo = std::numeric_limits<int>::max();
    QDateTime next = now;
    // Each turn follows one identifier; a name met again comes with a lower bound, so the turns
    // end, and there are never more of them than files.
    for (std::size_t turn = 0; turn <= all.size(); ++turn) {
        std::optional<FormerName> former;
        for (const HistoryEntry& e : Named(all, module)) {
            if (e.made > upTo) {
                continue;
            }
            if (!OneVisit(e.when, next)) {
                break;
            }
            visit.push_back(e);
            next = e.when;
            const auto change = changes.find({module, e.made});
            if (change != changes.end()) {
                former = change->second;
                break;
            }
        }
        if (!former) {
            break;
        }
        module = former->module;
        upTo = former->made;
    }
    std::reverse(visit.begin(), visit.end());
    return visit;
}

bool ConfigHistory::Keep(HistoryKind kind, const ConfigRecord::Image& record, const QDateTime& when,
                         const QString& formerIdentifier) const
{
    if (keep_ <= 0) {
        return true;
    }
    ConfigRecord kept;
    kept.Load(record);
    const QString module = HistoryModuleName(kept.rawText(cfg::id));
    std::vector<HistoryEntry> mine = ListModule(kept.rawText(cfg::id)); // newest first
    ConfigRecord::Image newest{};
    if (kind == HistoryKind::Read && !mine.empty() && mine.front().kind == HistoryKind::Read &&
        OneVisit(mine.front().when, when) && LoadBlock(mine.front().path, newest) &&
        std::equal(newest.begin(), newest.begin() + kWriteImageSize, record.begin())) {
        return true;
    }
    if (!QDir().mkpath(folder_)) {
        return false;
    }
    // Another program (a fleet's other session, the window beside zorva-cli) may keep a file of
    // a module of the same name at the same moment: the name is taken exclusively, or the next.
    int made = mine.empty() ? 1 : mine.front().made + 1;
    QString path;
    for (int tries = 0;; ++tries, ++made) {
        path = QDir(folder_).filePath(FileName(module, when, kind, made));
        QFile claim(path);
        if (claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            break;
        }
        if (!claim.exists() || tries == kClaimTries) {
            return false;
        }
    }
    if (!SaveBlock(path, record)) {
        QFile::remove(path);
        return false;
    }
    const QString former = HistoryModuleName(formerIdentifier);
    if (!formerIdentifier.isNull() && former != module) {
        const std::vector<HistoryEntry> theirs = ListModule(formerIdentifier);
        QFile changes(QDir(folder_).filePath(kHistoryIdentifierChanges));
        const QString line = QStringLiteral("%1\t%2\t%3\t%4\n")
                                 .arg(module)
                                 .arg(made)
                                 .arg(former)
                                 .arg(theirs.empty() ? 0 : theirs.front().made);
        // One line at a time within the program: on Windows an append seeks to the end and then
        // writes, so that a fleet's modules written at once could overwrite each other's line.
        static std::mutex appending;
        const std::lock_guard lock(appending);
        if (!changes.open(QIODevice::Append) || changes.write(line.toUtf8()) < 0) {
            return false;
        }
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

QString HistoryIdentifier(const HistoryEntry& entry)
{
    ConfigRecord::Image image{};
    if (!LoadBlock(entry.path, image)) {
        return entry.identifier;
    }
    ConfigRecord kept;
    kept.Load(image);
    return kept.rawText(cfg::id).replace(QChar(0), u' ').trimmed();
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
