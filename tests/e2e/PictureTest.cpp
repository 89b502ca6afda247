// The picture loop of the preview window against the simulator's known JPEG pictures, and a
// module that falls silent in the middle of a picture.
#include <set>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "E2eTest.h"
#include "TestPictures.h"

namespace zorva::e2e {
namespace {

class PictureTest : public E2eTest {
protected:
    void StartWithPictures(const QStringList& more)
    {
        const QString folder = rig_.Folder(QStringLiteral("module-pictures"));
        sources_ = WriteTestPictures(folder, 3);
        ASSERT_NO_FATAL_FAILURE(
            Start(Build::Test, QStringList{QStringLiteral("--pictures"), folder} + more));
        ASSERT_NO_FATAL_FAILURE(WaitConnected());
    }
    QStringList SavedPictures() const
    {
        return QDir(rig_.PictureFolder())
            .entryList({QStringLiteral("zr_p*.jpg")}, QDir::Files, QDir::Name);
    }
    QByteArray Saved(const QString& name) const
    {
        QFile file(rig_.PictureFolder() + u'/' + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QList<QByteArray> sources_;
};

TEST_F(PictureTest, PlayingCameraBSavesEveryPictureAsTheModuleSentIt)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPictures({QStringLiteral("--seed"), QStringLiteral("7")}));
    ASSERT_TRUE(rig_.Hook(QStringLiteral("click ToolButton7")).ok);
    ASSERT_TRUE(rig_.Hook(QStringLiteral("camera B")).ok);
    ASSERT_TRUE(rig_.Hook(QStringLiteral("play")).ok);
    ASSERT_TRUE(WaitFor([&] { return SavedPictures().size() >= 4; }, kStartMs));
    ASSERT_TRUE(rig_.Hook(QStringLiteral("stop")).ok);
    const double stopped = MonotonicSeconds();

    // After the stop only polls go out.
    ASSERT_TRUE(WaitFor(
        [&] {
            return Trace().Frames("RX", kStan, stopped).size() +
                       Trace().Frames("RX", kRdDhcp, stopped).size() >=
                   2;
        },
        kStepsMs));
    double firstPoll = 0;
    for (const TraceEntry& e : Trace().Frames("RX", -1, stopped)) {
        if (e.code() == kStan || e.code() == kRdDhcp) {
            firstPoll = e.time;
            break;
        }
    }
    EXPECT_TRUE(Trace().Frames("RX", kPict, firstPoll).isEmpty());

    // Every file: camera B's tag, a running number, a picture the module sent with the zero
    // fill of its last packet, and a JPEG that decodes.
    const QStringList files = SavedPictures();
    const QRegularExpression name(QStringLiteral("^zr_p01_(\\d{3})\\.jpg$"));
    std::set<int> seen;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QRegularExpressionMatch match = name.match(files[i]);
        ASSERT_TRUE(match.hasMatch()) << files[i].toStdString();
        EXPECT_EQ(match.captured(1).toInt(), i + 1);
        const QByteArray saved = Saved(files[i]);
        const int source = SourceOf(saved, sources_);
        EXPECT_GE(source, 0) << files[i].toStdString() << " is no picture the module sent";
        EXPECT_TRUE(DecodesAsJpeg(saved)) << files[i].toStdString();
        seen.insert(source);
    }
    // The module's pictures go round: all three came, the one needing no fill among them.
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2}));

    // Requests: camera B (mask 2), 15 units a packet; each picture after the first starts only
    // after a status or network reply.
    double lastStart = -1;
    for (const TraceEntry& e : Trace().Frames("RX", kPict)) {
        EXPECT_EQ(e.at(4), 0x02);
        EXPECT_EQ(e.at(6), 0x0F);
        if (e.at(5) != 0) {
            continue;
        }
        if (lastStart > 0) {
            const QList<TraceEntry> polls = Trace().Frames("TX", 0x03, lastStart) +
                                            Trace().Frames("TX", kNetworkReply, lastStart);
            bool pollBetween = false;
            for (const TraceEntry& p : polls) {
                pollBetween = pollBetween || p.time < e.time;
            }
            EXPECT_TRUE(pollBetween) << "picture restarted without a poll reply at " << e.time;
        }
        lastStart = e.time;
    }

    ASSERT_TRUE(rig_.Hook(QStringLiteral("quit")).ok);
    EXPECT_TRUE(rig_.WaitProgramFinished());
}

TEST_F(PictureTest, SilentModuleTimesOutThePacketUntilTheWatchdogStopsTheTransfer)
{
    // A paced line, so that a picture takes over a second and the silence falls inside one.
    ASSERT_NO_FATAL_FAILURE(StartWithPictures({QStringLiteral("--seed"), QStringLiteral("8"),
                                               QStringLiteral("--baud"), QStringLiteral("38400")}));
    ASSERT_TRUE(rig_.Hook(QStringLiteral("play")).ok);
    ASSERT_TRUE(WaitFor(
        [&] {
            for (const TraceEntry& e : Trace().Frames("TX", kPicturePacket)) {
                if (e.at(5) >= 2 && (e.at(4) & 0xF0) == 0) {
                    return true;
                }
            }
            return false;
        },
        kStepsMs));
    // The log lines from here on (the first request of a transfer may already count as a
    // repeat, as the last requested packet starts at 0).
    const qsizetype logBefore = rig_.LogLines().size();
    ASSERT_TRUE(
        rig_.SimAndWaitNote(QStringLiteral("silent on"), QStringLiteral("silent on"), kStepsMs));
    const double silent = Trace().Notes(QStringLiteral("silent on")).first().time;

    // The packet is asked for again each second until the watchdog runs out; then only polls.
    QList<TraceEntry> ignored;
    const auto pollsAfterLastPict = [&] {
        ignored = Trace().Frames("RX-IGNORED", -1, silent);
        int polls = 0;
        for (const TraceEntry& e : ignored) {
            polls = e.code() == kPict ? 0 : polls + 1;
        }
        return polls;
    };
    ASSERT_TRUE(WaitFor([&] { return pollsAfterLastPict() >= 2; }, kStepsMs));
    QList<TraceEntry> picts;
    for (const TraceEntry& e : ignored) {
        if (e.code() == kPict) {
            picts << e;
        }
    }
    ASSERT_GE(picts.size(), 1);
    EXPECT_LE(picts.size(), 7);
    for (const TraceEntry& e : picts) {
        EXPECT_EQ(e.at(5), picts.first().at(5)) << "the same packet each time";
    }
    // Each repeat follows a time-out line in the log file naming the packet.
    const QString timeout =
        QStringLiteral("TIMEOUT, FRAME no.") +
        QStringLiteral("%1").arg(picts.first().at(5), 2, 16, QLatin1Char('0')).toUpper() +
        QStringLiteral("h, RxBuffer : ");
    int timeouts = 0;
    for (const QString& line : rig_.LogLines().mid(logBefore)) {
        if (line.contains(QStringLiteral("TIMEOUT, FRAME no."))) {
            ++timeouts;
            EXPECT_TRUE(line.contains(timeout)) << line.toStdString();
        }
    }
    // The first ignored request may itself be a repeat: the packet's request before the silence
    // can time out too when a loaded machine lets a tick pass before its answer is taken in.
    EXPECT_GE(timeouts, picts.size() - 1);
    EXPECT_LE(timeouts, picts.size());

    // The link was lost: when the module answers again the program reads it anew and the
    // transfer stays stopped.
    const double answering = MonotonicSeconds();
    rig_.Sim(QStringLiteral("silent off"));
    ASSERT_GT(WaitFrame("TX", kNetworkReply, WaitFrame("RX", kDane, answering)), 0);
    EXPECT_TRUE(Trace().Frames("RX", kPict, answering).isEmpty());

    ASSERT_TRUE(rig_.Hook(QStringLiteral("quit")).ok);
    EXPECT_TRUE(rig_.WaitProgramFinished());
}

// The module takes a new picture whenever packet 0 is asked for. A late answer makes the program
// ask for packet 0 again, and two packets 0 come; the picture saved is still one of the module's.
TEST_F(PictureTest, PacketZeroAskedForTwiceStillGivesOneOfTheModulesPictures)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPictures({QStringLiteral("--seed"), QStringLiteral("9")}));
    const double slow = MonotonicSeconds();
    rig_.Sim(QStringLiteral("delay 1300"));
    ASSERT_TRUE(rig_.Hook(QStringLiteral("play")).ok);
    // Two requests for packet 0 while the answers are late, then the answers on time again.
    const auto packetZeroRequests = [&] {
        int count = 0;
        for (const TraceEntry& e : Trace().Frames("RX", kPict, slow)) {
            count += e.at(5) == 0 ? 1 : 0;
        }
        return count;
    };
    ASSERT_TRUE(WaitFor([&] { return packetZeroRequests() >= 2; }, kStepsMs));
    rig_.Sim(QStringLiteral("delay 0"));
    const qsizetype before = SavedPictures().size();
    ASSERT_TRUE(WaitFor([&] { return SavedPictures().size() >= before + 2; }, kStartMs));
    ASSERT_TRUE(rig_.Hook(QStringLiteral("stop")).ok);
    for (const QString& file : SavedPictures()) {
        EXPECT_GE(SourceOf(Saved(file), sources_), 0)
            << file.toStdString() << " is no picture the module sent";
    }
}

} // namespace
} // namespace zorva::e2e
