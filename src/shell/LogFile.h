// The log file named in the program ini file, and the date-and-time prefix of log lines.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zorva {

// The system locale's short date, a blank, its long time without any time-zone part.
QString LogDateTime(const QDateTime& when);
// LogDateTime(when) followed by two blanks: the prefix of every dated log line.
QString LogLinePrefix(const QDateTime& when);
// A QLocale time format without its time-zone fields ("t") and the blanks beside them;
// quoted literal text is kept.
QString StripTimeZoneField(const QString& timeFormat);

// The program ini file: the executable's path with its extension replaced by ".ini"
// (zorva-config -> zorva-config.ini in the same folder).
QString ProgramIniPath();
// The ini path that belongs to the program file at `programPath` (the rule of ProgramIniPath).
QString IniPathForProgram(const QString& programPath);
// ReadIniString over the program ini file; empty when it, the section or the key is missing.
QString ReadProgramIni(const QString& section, const QString& key);

// Appends `text` and CR LF to the file as 8-bit text, opening and closing it for this one line.
// A missing file is created when `create` is true. Every failure is silent: the line is lost.
void AppendLine(const QString& path, const QString& text, bool create = true);

// A file the program could not write, and the system's words for why.
struct FileProblem {
    QString path;
    QString reason;
};

// Writes the start line to the file named in the program ini file ([LOGFILE] filename) and
// returns that path when the file exists afterwards; otherwise the empty path (no log file).
// A named file that cannot be written is described in *problem (when given).
QString StartLogFile(const QDateTime& now = QDateTime::currentDateTime(),
                     FileProblem* problem = nullptr);
// StartLogFile with the log file named in the ini file at `iniPath`.
QString StartLogFileFrom(const QString& iniPath, const QDateTime& now,
                         FileProblem* problem = nullptr);

// The traffic log's save files in the order they are tried: "c:\qen.log", then "qen.log" in the
// user's documents folder on Windows; "qen.log" in the user's home folder elsewhere (one file
// per platform, TrafficLogPath*.cpp).
QStringList TrafficLogSavePaths();

struct SavedFile {
    QString path;        // where the bytes went; empty when no path took them
    FileProblem problem; // the last path's failure when none took them
};
// Writes `bytes` whole to the first of `paths` that takes them; a path that fails keeps what it
// held before, except an existing file in a folder where no temporary file can be made, which
// is written in place.
SavedFile SaveToFirstWritable(const QStringList& paths, const QByteArray& bytes);

// How many lines the event list may keep before a new event line is added: while it holds
// more than this, its first line is deleted.
constexpr int kEventListKeep = 60;

} // namespace zorva
