#include "ChecksumLines.h"

#include <cstdint>
#include <span>
#include <vector>

#include "link/Frames.h"

namespace zorva::e2e {

namespace {

const QString kChecksumText = QStringLiteral("Błąd sumy CRC. : ");

} // namespace

QList<ExpectedChecksumLine> PredictChecksumLines(const QList<TraceEntry>& trace, double inFlight)
{
    QList<ExpectedChecksumLine> expected;
    std::vector<std::uint8_t> buffer;
    // Where in `buffer` each traced TX-CORRUPT frame starts, to tell the frame's own line from
    // lines of false pairs inside it.
    std::vector<std::size_t> corruptStarts;
    std::size_t dropped = 0; // bytes dropped from the front of `buffer` so far
    // The receiver stops its frame search at a checksum error and takes it up again with the
    // next bytes that arrive. Lines found after the first one of the last replay pass before
    // the stream ends (or the line goes) may therefore never be written.
    qsizetype passStart = 0;
    const auto lastPassOptional = [&expected, &passStart] {
        for (qsizetype i = passStart + 1; i < expected.size(); ++i) {
            expected[i].optional = true;
        }
    };
    for (const TraceEntry& e : trace) {
        if (e.is("LINE")) {
            if (e.text.startsWith(QLatin1String("unplugged"))) {
                lastPassOptional();
                for (ExpectedChecksumLine& line : expected) {
                    if (line.time >= e.time - inFlight) {
                        line.optional = true;
                    }
                }
                dropped += buffer.size();
                buffer.clear();
            }
            continue;
        }
        if (!e.is("TX") && !e.is("TX-CORRUPT") && !e.is("TX-GARBAGE")) {
            continue;
        }
        if (e.is("TX-CORRUPT")) {
            corruptStarts.push_back(dropped + buffer.size());
        }
        buffer.insert(buffer.end(), e.bytes.begin(), e.bytes.end());
        passStart = expected.size();
        std::size_t at = 0;
        for (;;) {
            const FrameCut cut = CutFrame(std::span(buffer.data() + at, buffer.size() - at));
            if (cut.kind == FrameCut::NeedMore) {
                break;
            }
            if (cut.kind == FrameCut::Frame) {
                at += cut.length;
                continue;
            }
            if (cut.kind == FrameCut::BadChecksum) {
                ExpectedChecksumLine line;
                line.hex = Hex(QByteArray(reinterpret_cast<const char*>(buffer.data() + at),
                                          static_cast<qsizetype>(cut.length)));
                line.time = e.time;
                const std::size_t absolute = dropped + at;
                for (std::size_t start : corruptStarts) {
                    line.injected = line.injected || start == absolute;
                }
                expected.append(line);
            }
            ++at; // Skip and BadChecksum both lose one byte
        }
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(at));
        dropped += at;
    }
    lastPassOptional();
    return expected;
}

QStringList ChecksumLinesOfLog(const QStringList& logLines)
{
    QStringList frames;
    for (const QString& line : logLines) {
        const qsizetype at = line.indexOf(kChecksumText);
        if (at >= 0) {
            frames << line.mid(at + kChecksumText.size()).trimmed();
        }
    }
    return frames;
}

ChecksumComparison CompareChecksumLines(const QList<TraceEntry>& trace, const QStringList& logLines)
{
    ChecksumComparison result;
    for (const TraceEntry& e : trace) {
        result.injected += e.is("TX-CORRUPT") ? 1 : 0;
    }
    const QList<ExpectedChecksumLine> expected = PredictChecksumLines(trace);
    const QStringList logged = ChecksumLinesOfLog(logLines);
    result.logged = static_cast<int>(logged.size());
    result.predicted = static_cast<int>(expected.size());
    for (const ExpectedChecksumLine& line : expected) {
        result.falseSyncLines += line.injected ? 0 : 1;
    }
    qsizetype i = 0;
    for (const ExpectedChecksumLine& line : expected) {
        if (i < logged.size() && logged[i] == line.hex) {
            ++i;
        } else if (line.optional) {
            ++result.optionalMissing;
        } else {
            result.problems << QStringLiteral("no log line for the frame %1 sent at %2")
                                   .arg(line.hex)
                                   .arg(line.time, 0, 'f', 6);
        }
    }
    for (; i < logged.size(); ++i) {
        result.problems << QStringLiteral("unexplained log line for %1").arg(logged[i]);
    }
    return result;
}

QString ChecksumComparison::Summary() const
{
    return QStringLiteral("%1 frames spoilt, %2 checksum lines logged, %3 predicted (%4 for false "
                          "sync pairs, %5 optional at an unplug not written), %6 problems")
        .arg(injected)
        .arg(logged)
        .arg(predicted)
        .arg(falseSyncLines)
        .arg(optionalMissing)
        .arg(problems.size());
}

} // namespace zorva::e2e
