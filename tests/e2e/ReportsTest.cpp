// What the program writes into its log file: the module's event reports in the language of
// the moment, and one line per frame with a wrong checksum.
#include <QDir>
#include <QFile>

#include "ChecksumLines.h"
#include "E2eTest.h"

namespace zorva::e2e {
namespace {

using ReportsTest = E2eTest;

TEST_F(ReportsTest, EventReportsAreLoggedInTheLanguageChosenAtTheTime)
{
    ASSERT_NO_FATAL_FAILURE(Start(Build::Test, {QStringLiteral("--seed"), QStringLiteral("5")},
                                  {{QStringLiteral("pl"), OneByte(0)}}));
    ASSERT_NO_FATAL_FAILURE(WaitConnected());

    const struct {
        const char* command;
        QString english; // empty: not described, the line shows the frame's bytes
        QString polish;
    } events[] = {
        {"event 01 B 3", QStringLiteral("Alarm: camera B, input no. 3"),
         QStringLiteral("Alarm: kamera B, wejście nr 3")},
        {"event 06 C", QStringLiteral("Video lost, camera C"),
         QStringLiteral("Utrata sygnału wideo, kamera C")},
        {"event 0A 2", QStringLiteral("Module started, firmware no. 2"),
         QStringLiteral("Start modułu, oprogramowanie nr 2")},
        {"event 3F 01 02", QString(), QString()},
    };
    for (const bool polish : {false, true}) {
        SCOPED_TRACE(polish ? "Polish" : "English");
        if (polish) {
            ASSERT_TRUE(rig_.Hook(QStringLiteral("language pl")).ok);
        }
        const qsizetype before = rig_.LogLines().size();
        const double sent = MonotonicSeconds();
        for (const auto& event : events) {
            rig_.Sim(QLatin1String(event.command));
        }
        ASSERT_TRUE(WaitFor([&] { return rig_.LogLines().size() >= before + 4; }, kStepsMs));
        const QStringList lines = rig_.LogLines().mid(before);
        const QList<TraceEntry> frames = Trace().Frames("TX", kEventReport, sent);
        ASSERT_EQ(frames.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QString expected = polish ? events[i].polish : events[i].english;
            if (expected.isEmpty()) {
                expected = Hex(frames[i].bytes) + u' ';
            }
            EXPECT_TRUE(lines[i].endsWith(QStringLiteral("  ") + expected))
                << lines[i].toStdString() << " / " << expected.toStdString();
            EXPECT_GT(lines[i].size(), expected.size() + 10) << "no date and time";
        }
    }

    // The language chosen last is stored when the program ends.
    ASSERT_TRUE(rig_.Hook(QStringLiteral("quit")).ok);
    EXPECT_TRUE(rig_.WaitProgramFinished());
    EXPECT_EQ(rig_.Stored(QStringLiteral("pl")).toByteArray(), OneByte(1));
}

TEST_F(ReportsTest, EveryFrameWithAWrongChecksumGivesALogLine)
{
    ASSERT_NO_FATAL_FAILURE(Start(
        Build::Shipped, {QStringLiteral("--seed"), QStringLiteral("6"), QStringLiteral("--corrupt"),
                         QStringLiteral("0.4"), QStringLiteral("--garbage"), QStringLiteral("0.3"),
                         QStringLiteral("--event-every"), QStringLiteral("0.3")}));
    ASSERT_TRUE(WaitFor([&] { return Trace().Frames("TX-CORRUPT").size() >= 6; }, kStartMs));
    // Once the module is silent and the program has asked again, everything sent before has
    // been read and cut.
    ASSERT_TRUE(
        rig_.SimAndWaitNote(QStringLiteral("silent on"), QStringLiteral("silent on"), kStepsMs));
    const double silent = MonotonicSeconds();
    ASSERT_TRUE(
        WaitFor([&] { return !Trace().Frames("RX-IGNORED", -1, silent).isEmpty(); }, kStepsMs));

    const ChecksumComparison result = CompareChecksumLines(Trace().Entries(), rig_.LogLines());
    EXPECT_TRUE(result.ok()) << result.Summary().toStdString() << "\n"
                             << result.problems.join(u'\n').toStdString();
    EXPECT_GE(result.injected, 6);
    EXPECT_GE(result.logged, result.injected);
    EXPECT_EQ(result.logged, result.predicted - result.optionalMissing);
    EXPECT_TRUE(rig_.TerminateProgram());
}

// "Save log" where c:\qen.log cannot be written (a folder of that name, as C:\ is to a user
// without administrator rights) goes to the documents, and the traffic log says so, which the
// second save carries along.
TEST_F(ReportsTest, SavedLogGoesToTheDocumentsWhereDriveCRefusesIt)
{
    if (!rig_.Windows()) {
        GTEST_SKIP() << "a Windows user's folders: under wine only";
    }
    const QStringList files = rig_.TrafficLogFiles();
    QFile::remove(files[1]);
    ASSERT_TRUE(QDir().mkpath(files[0]));
    ASSERT_NO_FATAL_FAILURE(Start(Build::Test, {}, {}, false, {QStringLiteral("/serw")}));
    for (int save = 0; save < 2; ++save) {
        EXPECT_TRUE(rig_.Hook(QStringLiteral("click Button1")).ok);
    }
    QDir(files[0]).removeRecursively();
    QFile saved(files[1]);
    EXPECT_TRUE(saved.open(QIODevice::ReadOnly) && saved.readAll().contains("c:\\qen.log"));
}

} // namespace
} // namespace zorva::e2e
