#include "shell/LogFile.h"

#include <mutex>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include "shell/IniFile.h"
#include "shell/Text8Bit.h"

namespace zorva {

// Every run of 't' outside quotes is one time-zone field; the blanks before it go with it (or
// the blanks after it, for a field at the start), so no double or trailing blank is left.
QString StripTimeZoneField(const QString& format)
{
    QString out;
    out.reserve(format.size());
    bool quoted = false;
    bool dropBlanksAfter = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            out.append(c);
            dropBlanksAfter = false;
            continue;
        }
        if (!quoted && c == u't') {
            while (i + 1 < format.size() && format.at(i + 1) == u't') {
                ++i;
            }
            // Drop the blank before the field; a field at the very start drops the one after.
            const qsizetype before = out.size();
            while (!out.isEmpty() && out.back().isSpace()) {
                out.chop(1);
            }
            dropBlanksAfter = out.isEmpty() || out.size() == before;
            continue;
        }
        if (dropBlanksAfter && c.isSpace()) {
            continue;
        }
        dropBlanksAfter = false;
        out.append(c);
    }
    return out.trimmed();
}

QString LogDateTime(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    const QString format = locale.dateFormat(QLocale::ShortFormat) + u' ' +
                           StripTimeZoneField(locale.timeFormat(QLocale::LongFormat));
    return locale.toString(when, format);
}

QString LogLinePrefix(const QDateTime& when)
{
    return LogDateTime(when) + QStringLiteral("  ");
}

QString ProgramIniPath()
{
    if (QCoreApplication::instance() == nullptr) {
        return {};
    }
    return IniPathForProgram(QCoreApplication::applicationFilePath());
}

QString IniPathForProgram(const QString& programPath)
{
    if (programPath.isEmpty()) {
        return {};
    }
    const QFileInfo info(programPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    // A leading dot belongs to the name (".zorva" has no extension).
    const QString base = dot > 0 ? name.first(dot) : name;
    return info.dir().filePath(base + QStringLiteral(".ini"));
}

QString ReadProgramIni(const QString& section, const QString& key)
{
    return ReadIniString(ProgramIniPath(), section, key);
}

namespace {

bool AppendOneLine(const QString& path, const QString& text, bool create, QString* error)
{
    // One line at a time within the program (a fleet's modules log at once): on Windows an
    // append seeks to the end and then writes, so that two lines could land on one place.
    static std::mutex appending;
    const std::lock_guard lock(appending);
    QFile file(path);
    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Append;
    if (!create) {
        mode |= QIODevice::ExistingOnly;
    }
    // One write per line, so that a line is either on disk whole or lost whole.
    const QByteArray line = ToCp1250(text) + QByteArrayLiteral("\r\n");
    if (!file.open(mode) || file.write(line) != line.size()) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

} // namespace

void AppendLine(const QString& path, const QString& text, bool create)
{
    if (!path.isEmpty()) {
        AppendOneLine(path, text, create, nullptr);
    }
}

QString StartLogFileFrom(const QString& iniPath, const QDateTime& now, FileProblem* problem)
{
    const QString path =
        ReadIniString(iniPath, QStringLiteral("LOGFILE"), QStringLiteral("filename"));
    if (path.isEmpty()) {
        return {};
    }
    QString error;
    if (!AppendOneLine(path, LogDateTime(now) + QStringLiteral("  START PROGRAMU ZORVA"), true,
                       &error)) {
        if (problem != nullptr) {
            *problem = {path, error};
        }
        return {};
    }
    // A device that takes the line (/dev/null) is no log file, and no fault either.
    return QFileInfo(path).isFile() ? path : QString();
}

QString StartLogFile(const QDateTime& now, FileProblem* problem)
{
    return StartLogFileFrom(ProgramIniPath(), now, problem);
}

SavedFile SaveToFirstWritable(const QStringList& paths, const QByteArray& bytes)
{
    SavedFile saved;
    for (const QString& path : paths) {
        QSaveFile file(path);
        // A folder where no temporary file may be made (C:\ to a user without administrator
        // rights) can still hold a writable file of that name: it is written in place.
        file.setDirectWriteFallback(true);
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
            saved.path = path;
            saved.problem = {};
            break;
        }
        saved.problem = {path, file.errorString()};
    }
    return saved;
}

} // namespace zorva
