#include "TraceFile.h"

#include <chrono>

#include <QFile>

namespace zorva::e2e {

double MonotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

const QList<TraceEntry>& TraceFile::Entries()
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset_)) {
        return entries_;
    }
    const QByteArray fresh = file.readAll();
    offset_ += fresh.size();
    partial_ += fresh;
    qsizetype end = 0;
    while ((end = partial_.indexOf('\n')) >= 0) {
        const QByteArray line = partial_.left(end);
        partial_.remove(0, end + 1);
        const qsizetype first = line.indexOf(' ');
        const qsizetype second = line.indexOf(' ', first + 1);
        if (first <= 0) {
            continue;
        }
        TraceEntry entry;
        entry.time = line.left(first).toDouble();
        entry.keyword = QString::fromLatin1(second > 0 ? line.mid(first + 1, second - first - 1)
                                                       : line.mid(first + 1));
        const QByteArray rest = second > 0 ? line.mid(second + 1) : QByteArray();
        if (entry.keyword == QLatin1String("LINE")) {
            entry.text = QString::fromUtf8(rest);
        } else {
            entry.bytes = QByteArray::fromHex(rest);
        }
        entries_.append(entry);
    }
    return entries_;
}

QList<TraceEntry> TraceFile::Frames(const char* keyword, int code, double since)
{
    QList<TraceEntry> found;
    for (const TraceEntry& e : Entries()) {
        if (e.time > since && e.is(keyword) && (code < 0 || e.code() == code)) {
            found.append(e);
        }
    }
    return found;
}

QList<TraceEntry> TraceFile::Notes(const QString& text, double since)
{
    QList<TraceEntry> found;
    for (const TraceEntry& e : Entries()) {
        if (e.time > since && e.is("LINE") && e.text.contains(text)) {
            found.append(e);
        }
    }
    return found;
}

} // namespace zorva::e2e
