// The configuration history of a service call: what was read and what was written is kept, and
// the history dialog lists and compares it.
#include <QDir>
#include <QFile>

#include "E2eTest.h"

namespace zorva::e2e {
namespace {

using HistoryTest = E2eTest;

QByteArray Configuration(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(175) : QByteArray();
}

TEST_F(HistoryTest, ReadWriteAndReadBackAreKeptOnceAndComparedWithTheEditor)
{
    const QDir history(rig_.HistoryFolder());
    ASSERT_TRUE(QDir(history).removeRecursively()); // under wine the prefix outlives the runs
    ASSERT_NO_FATAL_FAILURE(Start(Build::Test,
                                  {QStringLiteral("--seed"), QStringLiteral("7"),
                                   QStringLiteral("--reset-seconds"), QStringLiteral("0.3")},
                                  {{QStringLiteral("pl"), OneByte(0)}}));
    ASSERT_NO_FATAL_FAILURE(WaitConnected());
    ASSERT_TRUE(rig_.Hook(QStringLiteral("type E_pass newpass1")).ok);
    const double writing = MonotonicSeconds();
    ASSERT_TRUE(rig_.HookUntilOk(QStringLiteral("click ToolButton3"), kStepsMs).ok);
    const double readAgain = WaitFrame("RX", kDane, WaitFrame("TX", 0x05, writing));
    ASSERT_GT(readAgain, writing);
    ASSERT_GT(WaitFrame("RX", kRdDhcp, readAgain), 0);
    ASSERT_TRUE(rig_.HookUntilOk(QStringLiteral("box"), kStepsMs).ok); // "Data written."

    rig_.Hook(QStringLiteral("trigger Historiakonfiguracji1"), 300); // answers once closed
    const HookReply listed = rig_.HookUntilOk(QStringLiteral("history"), kStepsMs);
    const QStringList files = listed.text.split(u' ');
    ASSERT_EQ(files.size(), 3) << listed.text.toStdString();
    EXPECT_TRUE(files[0].endsWith(QStringLiteral("_read.zrd"))) << files[0].toStdString();
    EXPECT_TRUE(files[1].endsWith(QStringLiteral("_written.zrd"))) << files[1].toStdString();
    EXPECT_TRUE(files[2].endsWith(QStringLiteral("_read.zrd"))) << files[2].toStdString();
    const QByteArray readBack = Configuration(history.filePath(files[0]));
    EXPECT_EQ(readBack.size(), 175);
    EXPECT_EQ(readBack, Configuration(history.filePath(files[1])));
    EXPECT_NE(readBack, Configuration(history.filePath(files[2])));
    const HookReply compared = rig_.Hook(QStringLiteral("history compare 2"));
    EXPECT_EQ(compared.text.toStdString(),
              R"(Password: kept "serwis12", in the editor "newpass1")");
    ASSERT_TRUE(rig_.Hook(QStringLiteral("dialog")).ok);
    ASSERT_TRUE(rig_.Hook(QStringLiteral("quit")).ok);
    ASSERT_TRUE(rig_.WaitProgramFinished());

    // A second call on the unchanged module adds nothing.
    const double again = MonotonicSeconds();
    ASSERT_TRUE(rig_.StartProgram(Build::Test)) << rig_.Error().toStdString();
    const double readThird = WaitFrame("RX", kDane, again, kStartMs);
    ASSERT_GT(readThird, again);
    ASSERT_GT(WaitFrame("RX", kRdDhcp, readThird), 0);
    EXPECT_EQ(history.entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(rig_.TerminateProgram());
}

} // namespace
} // namespace zorva::e2e
