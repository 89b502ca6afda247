// The simulator's trace, read as it grows: "<seconds.micro> <KEYWORD> <hex bytes | text>".
// Times are CLOCK_MONOTONIC seconds, the clock of MonotonicSeconds() in this process.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace zorva::e2e {

struct TraceEntry {
    double time = 0;
    QString keyword;  // RX, TX, RX-BAD, RX-SKIP, RX-IGNORED, TX-CORRUPT, TX-GARBAGE, ..., LINE
    QByteArray bytes; // the frame or the bytes; empty for LINE
    QString text;     // the text of a LINE entry

    // The frame's command or reply code (byte 3), -1 when there is none.
    int code() const { return bytes.size() > 3 ? static_cast<quint8>(bytes[3]) : -1; }
    // Byte `index` of the frame, -1 when it is shorter.
    int at(int index) const
    {
        return index < bytes.size() ? static_cast<quint8>(bytes[index]) : -1;
    }
    bool is(const char* word) const { return keyword == QLatin1String(word); }
};

// Seconds of std::chrono::steady_clock, the trace's clock.
double MonotonicSeconds();

class TraceFile {
public:
    explicit TraceFile(QString path = {}) : path_(std::move(path)) {}
    void setPath(const QString& path) { path_ = path; }

    // Every complete line written so far, oldest first.
    const QList<TraceEntry>& Entries();
    // Entries with the keyword (and the code when >= 0) after `since`.
    QList<TraceEntry> Frames(const char* keyword, int code = -1, double since = 0);
    // The LINE entries whose text contains `text`, after `since`.
    QList<TraceEntry> Notes(const QString& text, double since = 0);

private:
    QString path_;
    qint64 offset_ = 0;
    QByteArray partial_;
    QList<TraceEntry> entries_;
};

// "FF FF 02 03 03" for the bytes; the trace's rendering.
QString Hex(const QByteArray& bytes);

} // namespace zorva::e2e
