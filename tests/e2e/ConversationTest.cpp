// The program's conversations with the module as seen on the line: polling from the start,
// the automatic read, write-reset-read, unplug and replug, and the firmware it refuses.
#include <algorithm>
#include <vector>

#include <QRegularExpression>

#include "E2eTest.h"

namespace zorva::e2e {
namespace {

using ConversationTest = E2eTest;

TEST_F(ConversationTest, PollsEverySecondFromTheStartAndReadsTheModuleOnceItAnswers)
{
    // The shipped program, with the hook's variables set: it must take no notice of them.
    ASSERT_NO_FATAL_FAILURE(
        Start(Build::Shipped, {QStringLiteral("--seed"), QStringLiteral("1")}, {}, true));
    ASSERT_TRUE(
        rig_.SimAndWaitNote(QStringLiteral("silent on"), QStringLiteral("silent on"), kStepsMs));

    // While the module is silent: STAN each second, RdDHCP instead of every fifth.
    QList<TraceEntry> polls;
    ASSERT_TRUE(WaitFor(
        [&] {
            polls = Trace().Frames("RX-IGNORED");
            return polls.size() >= 7;
        },
        kStartMs));
    polls = polls.mid(0, 7);
    QList<int> codes;
    for (const TraceEntry& e : polls) {
        codes << e.code();
    }
    EXPECT_EQ(codes, (QList<int>{kStan, kStan, kStan, kStan, kRdDhcp, kStan, kStan}));
    // One step a second, told by the middle gap: a tick delayed and the next on time leave it.
    std::vector<double> gaps;
    for (qsizetype i = 1; i < polls.size(); ++i) {
        gaps.push_back(polls[i].time - polls[i - 1].time);
    }
    std::nth_element(gaps.begin(), gaps.begin() + 3, gaps.end());
    EXPECT_TRUE(gaps[3] > 0.5 && gaps[3] < 1.8) << gaps[3];

    // The first status reply starts the read: DANE, then RdDHCP as soon as the configuration
    // is in.
    const double answering = MonotonicSeconds();
    rig_.Sim(QStringLiteral("silent off"));
    ASSERT_GT(WaitFrame("TX", kNetworkReply, answering), 0);
    ExpectPollsThenTheRead(answering);
    EXPECT_EQ(Trace().Frames("TX", kConfigReply, answering).size(), 1);

    const QStringList log = rig_.LogLines();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_TRUE(log.first().endsWith(QStringLiteral("  START PROGRAMU ZORVA")))
        << log.first().toStdString();
    EXPECT_FALSE(log.first().startsWith(u' '));

    EXPECT_TRUE(rig_.TerminateProgram());
    if (!rig_.Windows()) { // Windows has no port aliases: COM1 is the device
        EXPECT_EQ(rig_.Stored(QStringLiteral("ports/COM1")).toString(), rig_.LinkPath());
    }
    EXPECT_EQ(rig_.Stored(QStringLiteral("cm")).toByteArray(), OneByte(1));
    EXPECT_FALSE(rig_.RepliesFileExists()) << "the shipped program answered the test hook";
}

TEST_F(ConversationTest, WriteIsAcknowledgedThenTheModuleIsResetAndReadAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start(Build::Test,
                                  {QStringLiteral("--seed"), QStringLiteral("2"),
                                   QStringLiteral("--reset-seconds"), QStringLiteral("0.3")},
                                  {{QStringLiteral("pl"), OneByte(0)}}));
    ASSERT_NO_FATAL_FAILURE(WaitConnected());

    const HookReply typed = rig_.Hook(QStringLiteral("type E_pass newpass1"));
    ASSERT_TRUE(typed.ok) << typed.text.toStdString();
    EXPECT_EQ(typed.text, QStringLiteral("newpass1"));
    const double writing = MonotonicSeconds();
    const HookReply clicked = rig_.HookUntilOk(QStringLiteral("click ToolButton3"), kStepsMs);
    ASSERT_TRUE(clicked.ok) << clicked.text.toStdString();

    // "newpass1" with its eight zero bytes of fill goes out and comes back after the restart.
    const QString stored = QStringLiteral("6E 65 77 70 61 73 73 31 00 00 00 00 00 00 00 00");
    const double written = WaitFrame("RX", kWrite, writing);
    ASSERT_GT(written, 0);
    EXPECT_TRUE(Hex(Trace().Frames("RX", kWrite, writing).first().bytes).contains(stored));
    const QList<TraceEntry> acks = Trace().Frames("TX", kWriteAck, written);
    ASSERT_FALSE(acks.isEmpty());
    EXPECT_EQ(acks.first().at(4), 0xAA);
    const double reset = WaitFrame("RX", kReset, written);
    ASSERT_GT(reset, 0);
    const double resetAck = WaitFrame("TX", 0x05, reset);
    ASSERT_GT(resetAck, 0);
    const double readAgain = WaitFrame("RX", kDane, resetAck);
    ASSERT_GT(readAgain, 0);
    ASSERT_GT(WaitFrame("TX", kConfigReply, readAgain), 0);
    EXPECT_TRUE(Hex(Trace().Frames("TX", kConfigReply, readAgain).first().bytes).contains(stored));
    ASSERT_GT(WaitFrame("RX", kRdDhcp, readAgain), 0);
    // Between the write and the read only the restart (and polls) went out.
    for (const TraceEntry& e : Trace().Frames("RX", -1, written)) {
        if (e.time >= readAgain) {
            break;
        }
        EXPECT_TRUE(e.code() == kReset || e.code() == kStan || e.code() == kRdDhcp) << e.code();
    }

    // The user is told, once the program is idle.
    const HookReply box = rig_.HookUntilOk(QStringLiteral("box"), kStepsMs);
    ASSERT_TRUE(box.ok) << box.text.toStdString();
    EXPECT_EQ(box.text, QStringLiteral("      Data written.      \\n    Reseting device...  "));

    ASSERT_TRUE(rig_.Hook(QStringLiteral("quit")).ok);
    EXPECT_TRUE(rig_.WaitProgramFinished());
}

TEST_F(ConversationTest, UnpluggedLineIsReopenedAndTheModuleReadAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start(Build::Shipped, {QStringLiteral("--seed"), QStringLiteral("3")}));
    ASSERT_NO_FATAL_FAILURE(WaitConnected());

    const double cpuBefore = rig_.ProgramCpuSeconds();
    const double unplugged = MonotonicSeconds();
    rig_.Sim(QStringLiteral("unplug 1.5"));
    QList<TraceEntry> opened;
    ASSERT_TRUE(WaitFor(
        [&] {
            opened = Trace().Notes(QStringLiteral("program opened the line"), unplugged);
            return !opened.isEmpty();
        },
        kStepsMs));
    ASSERT_FALSE(Trace().Notes(QStringLiteral("unplugged"), unplugged).isEmpty());
    // While the line was gone the program waited for it instead of spinning: far less CPU time
    // than wall time.
    const double wall = MonotonicSeconds() - unplugged;
    EXPECT_LT(rig_.ProgramCpuSeconds() - cpuBefore, 0.5 * wall);

    // Nothing was said while the line was gone; afterwards the link was lost, so the first
    // status reply reads the module again.
    const double reopened = opened.first().time;
    ASSERT_GT(WaitFrame("TX", kNetworkReply, WaitFrame("RX", kDane, reopened)), 0);
    ExpectPollsThenTheRead(reopened);
    EXPECT_TRUE(rig_.ProgramRunning());
    EXPECT_TRUE(rig_.TerminateProgram());
}

TEST_F(ConversationTest, FirmwareNewerThanSupportedStopsThePollingUntilThePortIsSetUp)
{
    ASSERT_NO_FATAL_FAILURE(
        Start(Build::Test,
              {QStringLiteral("--seed"), QStringLiteral("4"), QStringLiteral("--firmware"),
               QStringLiteral("3"), QStringLiteral("--event-every"), QStringLiteral("0.5"),
               QStringLiteral("--delay"), QStringLiteral("1500")},
              {{QStringLiteral("pl"), OneByte(1)}}));
    const QString refusal =
        QStringLiteral("Połączono: moduł ZORVA v1.03\\n\\nProgram nie obsługuje tej wersji.");
    // Every status reply is refused with a box of its own. The first refusal stops the polls,
    // but the module answers late here (as a loaded machine takes a reply in late), so the next
    // poll can go out before the first reply comes: each reply since `since` gets its box.
    const auto refuseEveryReply = [&](double since) {
        HookReply box = rig_.HookUntilOk(QStringLiteral("box"), kStepsMs);
        ASSERT_TRUE(box.ok) << box.text.toStdString();
        EXPECT_EQ(box.text, refusal);
        const auto replies = [&] { return Trace().Frames("TX", kStan, since).size(); };
        ASSERT_TRUE(WaitFor([&] { return replies() >= Trace().Frames("RX", kStan, since).size(); },
                            kStepsMs));
        for (qsizetype left = replies() - 1; left > 0; --left) {
            box = rig_.HookUntilOk(QStringLiteral("box"), kStepsMs);
            ASSERT_TRUE(box.ok) << left << " refusals left: " << box.text.toStdString();
            EXPECT_EQ(box.text, refusal);
        }
    };
    ASSERT_NO_FATAL_FAILURE(refuseEveryReply(0));
    const double answered = MonotonicSeconds();

    // The module goes on sending event reports, which the program logs; meanwhile it polls no
    // more (the read that the first status reply started may finish).
    const int loggedBefore = static_cast<int>(rig_.LogLines().size());
    ASSERT_TRUE(WaitFor(
        [&] {
            return Trace().Frames("TX", kEventReport, answered).size() >= 5 &&
                   rig_.LogLines().size() >= loggedBefore + 4;
        },
        kStepsMs));
    EXPECT_TRUE(Trace().Frames("RX", kStan, answered).isEmpty());
    EXPECT_TRUE(Trace().Frames("RX", kRdDhcp, answered).size() <= 1);
    EXPECT_FALSE(rig_.Hook(QStringLiteral("box")).ok) << "a second refusal without a status";

    // The port settings dialog releases the sequencer: polling resumes on the port picked there
    // (on Windows one above COM8) and the next status reply is refused again. The click answers
    // only once its modal dialog has closed.
    const double released = MonotonicSeconds();
    rig_.Hook(QStringLiteral("click ToolButton4"), 300);
    const HookReply picked =
        rig_.HookUntilOk(QStringLiteral("port ") + rig_.SecondPortName(), kStepsMs);
    ASSERT_TRUE(picked.ok) << picked.text.toStdString();
    EXPECT_EQ(picked.text.toStdString(), rig_.SecondPortName().toStdString());
    ASSERT_TRUE(rig_.Hook(QStringLiteral("dialog")).ok);
    ASSERT_GT(WaitFrame("RX", kStan, released), 0);
    ASSERT_NO_FATAL_FAILURE(refuseEveryReply(released));

    ASSERT_TRUE(rig_.Hook(QStringLiteral("quit")).ok);
    EXPECT_TRUE(rig_.WaitProgramFinished());
    // The port picked comes back at the next start: its number, and on Windows its full name.
    EXPECT_EQ(rig_.Stored(QStringLiteral("cm")).toByteArray(), OneByte(1));
    if (rig_.Windows()) {
        EXPECT_EQ(rig_.Stored(QStringLiteral("cmn")).toString(), rig_.SecondPortName());
    }
}

} // namespace
} // namespace zorva::e2e
