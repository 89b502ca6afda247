// Which checksum-error lines the program must write, worked out from the bytes the simulator
// sent. The program cuts frames as the module does: a frame whose checksum is wrong costs one
// line and one byte, and the search goes on inside its remaining bytes. So a spoilt frame gives
// one line, plus one more for each false sync pair with a plausible length that its remaining
// bytes (or the bytes after it) make up. Replaying the traced byte stream through the same
// cutting rule gives the exact list, false pairs included.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "TraceFile.h"

namespace zorva::e2e {

struct ExpectedChecksumLine {
    QString hex;           // the frame's bytes as the line renders them
    double time = 0;       // when its last byte left the simulator
    bool injected = false; // the spoilt frame itself, not a false sync pair
    // Sent so shortly before an unplug that the line's hang-up may have discarded it unread.
    bool optional = false;
};

// Replays the traced transmissions (TX, TX-CORRUPT, TX-GARBAGE) through the frame cutter; the
// receiver's buffer is emptied when the line is unplugged. Frames sent within `inFlight`
// seconds before an unplug are optional.
QList<ExpectedChecksumLine> PredictChecksumLines(const QList<TraceEntry>& trace,
                                                 double inFlight = 0.25);

// The frames of the log file's checksum-error lines ("Błąd sumy CRC. : " and the bytes).
QStringList ChecksumLinesOfLog(const QStringList& logLines);

struct ChecksumComparison {
    int injected = 0;        // TX-CORRUPT frames in the trace
    int logged = 0;          // checksum-error lines in the log file
    int predicted = 0;       // lines the replay expects, optional ones included
    int falseSyncLines = 0;  // of those, lines for false sync pairs
    int optionalMissing = 0; // optional lines the program did not write
    QStringList problems;    // lines missing, unexplained or out of order
    bool ok() const { return problems.isEmpty(); }
    QString Summary() const;
};

// Compares the log's lines with the prediction, in order.
ChecksumComparison CompareChecksumLines(const QList<TraceEntry>& trace,
                                        const QStringList& logLines);

} // namespace zorva::e2e
