// The configuration history: every configuration read from a module and every write the module
// acknowledged, each kept as an ordinary configuration file in one folder, so that any change
// can be undone. A name sorts by module and time and says what the file was, and the order in
// which the module's files were made (a computer's clock can be put back, or was once ahead):
//   <identifier>_<yyyy-MM-dd>_<HH-mm-ss.zzz>_<made>_<read|written>.zrd
// Files named without <made> (kept by earlier versions) count as made before all others.
// Characters of the identifier that a Windows or Linux file name cannot hold (and blanks) become
// '_'; a blank identifier is kHistoryBlankModule. A module that comes with another identifier
// than at the file before (a write of another one) is noted in kHistoryIdentifierChanges, so that
// a visit can be followed across it.
// No widgets here: the window and the command line list and keep through it.
#pragma once

#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "config/ConfigRecord.h"

namespace zorva {

enum class HistoryKind { Read, Written };

struct HistoryEntry {
    QString path;       // the file
    QString module;     // the identifier as the name holds it
    QString identifier; // the device identifier; empty when it is blank
    QDateTime when;     // local time
    HistoryKind kind = HistoryKind::Read;
    int made = 0; // the module's files in the order they were made; 0 for the oldest form
};

// How many files of one module are kept when the program ini file does not say.
constexpr int kHistoryKeepDefault = 100;
// The name part of a module whose identifier is blank.
inline const QString kHistoryBlankModule = QStringLiteral("_blank_");
// One line per file whose module had another identifier at the file before: the new name part,
// the file's <made>, the former name part and the <made> of that name's newest file then, by tabs.
inline const QString kHistoryIdentifierChanges = QStringLiteral("identifier-changes.txt");
// Contacts with a module none of which comes this long after the one before are one visit.
constexpr qint64 kVisitGapSeconds = 8 * 3600;

class ConfigHistory {
public:
    // `keep`: at most this many files per module, the oldest going first; 0 keeps nothing.
    ConfigHistory(QString folder, int keep);

    const QString& Folder() const { return folder_; }

    // Keeps the record as read or as written at `when`. A read whose configuration bytes (the
    // 175 that travel to the module) equal those of the module's newest file, when that is a
    // read of the same visit, adds nothing; a read after a write always counts (it says what the
    // module holds), and so does the first of a visit (what the module held when it began).
    // `formerIdentifier`: the identifier of the module's record kept before on the same connection
    // (null: none).
    // False when the folder or the file cannot be written.
    bool Keep(HistoryKind kind, const ConfigRecord::Image& record, const QDateTime& when,
              const QString& formerIdentifier = {}) const;

    // Every kept configuration, the newest made first.
    std::vector<HistoryEntry> List() const;
    // Those of the module with this identifier, newest first.
    std::vector<HistoryEntry> ListModule(const QString& identifier) const;
    // The files of the visit to the module that goes on at `now`, in the order they were made:
    // back from the module's newest file as long as each comes less than kVisitGapSeconds
    // after the one before it (a clock put back makes no gap), and through a change of the
    // identifier to the files of the former one. Empty when the newest file is older.
    std::vector<HistoryEntry> Visit(const QString& identifier, const QDateTime& now) const;

private:
    QString folder_;
    int keep_;
};

// The folder "history" in the user's folder for the program's data.
QString DefaultHistoryFolder();
// [HISTORY] keep of the ini file at `iniPath`; kHistoryKeepDefault when it is absent or no
// number.
int HistoryKeepFrom(const QString& iniPath);
// The name part of a module's files for its device identifier.
QString HistoryModuleName(const QString& identifier);
// The device identifier that the kept file holds (its name has it in a form a file name can
// hold); the name's form when the file cannot be read.
QString HistoryIdentifier(const HistoryEntry& entry);

// The fields in which a kept configuration differs from the editor's, one line each
// ("Port: kept 8080, in the editor 8081"), in the current language.
QStringList CompareWithEditor(const ConfigRecord& kept, const ConfigRecord& editor);

} // namespace zorva
