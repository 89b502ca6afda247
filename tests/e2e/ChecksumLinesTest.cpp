// The prediction of checksum-error lines that the soak and the checksum case compare the log
// file with: spoilt frames, false sync pairs inside them, unplugs and the end of the stream.
#include "ChecksumLines.h"

#include <gtest/gtest.h>

#include "link/Frames.h"

namespace zorva::e2e {
namespace {

TraceEntry Sent(double time, const char* keyword, const Bytes& bytes)
{
    TraceEntry e;
    e.time = time;
    e.keyword = QLatin1String(keyword);
    e.bytes = QByteArray(reinterpret_cast<const char*>(bytes.data()),
                         static_cast<qsizetype>(bytes.size()));
    return e;
}

TraceEntry Note(double time, const char* text)
{
    TraceEntry e;
    e.time = time;
    e.keyword = QStringLiteral("LINE");
    e.text = QLatin1String(text);
    return e;
}

Bytes Spoilt(Bytes frame)
{
    frame.back() = static_cast<std::uint8_t>(frame.back() + 1);
    return frame;
}

QString HexOf(const Bytes& bytes)
{
    return Sent(0, "TX", bytes).bytes.toHex(' ').toUpper();
}

const Bytes kStatus = BuildFrame(0x03, std::vector<std::uint8_t>(18, 0x11));
// A payload with a false sync pair: FF FF 04 and four more bytes make a frame of 7 bytes.
const Bytes kHidesPair =
    BuildFrame(0x07, std::vector<std::uint8_t>{1, 0xFF, 0xFF, 0x04, 9, 9, 9, 9, 9, 9});

TEST(ChecksumLines, PredictionFollowsTheCuttingRule)
{
    const Bytes falsePair(kHidesPair.begin() + 5, kHidesPair.begin() + 12);
    const struct {
        const char* name;
        QList<TraceEntry> trace;
        QStringList lines;
        QList<bool> injected;
        QList<bool> optional;
    } cases[] = {
        {"good frames and noise give no line",
         {Sent(1, "TX-GARBAGE", {1, 2, 0xFE}), Sent(1, "TX", kStatus), Sent(2, "TX", kStatus)},
         {},
         {},
         {}},
        {"a spoilt frame gives one line",
         {Sent(1, "TX-CORRUPT", Spoilt(kStatus)), Sent(2, "TX", kStatus)},
         {HexOf(Spoilt(kStatus))},
         {true},
         {false}},
        {"a false pair inside a spoilt frame gives one more",
         {Sent(1, "TX-CORRUPT", Spoilt(kHidesPair)), Sent(2, "TX", kStatus)},
         {HexOf(Spoilt(kHidesPair)), HexOf(falsePair)},
         {true, false},
         {false, false}},
        {"a second line from the stream's last bytes may never be looked at",
         {Sent(1, "TX", kStatus), Sent(2, "TX-CORRUPT", Spoilt(kHidesPair))},
         {HexOf(Spoilt(kHidesPair)), HexOf(falsePair)},
         {true, false},
         {false, true}},
        {"a frame sent just before an unplug may be lost in the hang-up",
         {Sent(1, "TX-CORRUPT", Spoilt(kStatus)), Sent(5, "TX", kStatus),
          Sent(5.9, "TX-CORRUPT", Spoilt(kStatus)), Note(6, "unplugged"), Sent(8, "TX", kStatus)},
         {HexOf(Spoilt(kStatus)), HexOf(Spoilt(kStatus))},
         {true, true},
         {false, true}},
        {"an unplug empties the receiver: half a frame does not join the next",
         {Sent(1, "TX-GARBAGE", {0xFF, 0xFF, 0x10}), Note(2, "unplugged"), Sent(3, "TX", kStatus),
          Sent(4, "TX", kStatus)},
         {},
         {},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QList<ExpectedChecksumLine> expected = PredictChecksumLines(c.trace);
        ASSERT_EQ(expected.size(), c.lines.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(expected[i].hex, c.lines[i]);
            EXPECT_EQ(expected[i].injected, c.injected[i]);
            EXPECT_EQ(expected[i].optional, c.optional[i]);
        }
    }
}

TEST(ChecksumLines, ComparisonNamesMissingAndUnexplainedLines)
{
    const QList<TraceEntry> trace = {Sent(1, "TX-CORRUPT", Spoilt(kStatus)),
                                     Sent(2, "TX", kStatus)};
    const QString line =
        QStringLiteral("8 Dec 2026 10:00:00  Błąd sumy CRC. : ") + HexOf(Spoilt(kStatus)) + u' ';
    const QString event = QStringLiteral("8 Dec 2026 10:00:01  Power lost");

    EXPECT_TRUE(CompareChecksumLines(trace, {line, event}).ok());
    const ChecksumComparison missing = CompareChecksumLines(trace, {event});
    EXPECT_EQ(missing.problems.size(), 1);
    const ChecksumComparison twice = CompareChecksumLines(trace, {line, line});
    ASSERT_EQ(twice.problems.size(), 1);
    EXPECT_TRUE(twice.problems.first().startsWith(QStringLiteral("unexplained")));
    EXPECT_EQ(twice.injected, 1);
    EXPECT_EQ(twice.logged, 2);
}

} // namespace
} // namespace zorva::e2e
