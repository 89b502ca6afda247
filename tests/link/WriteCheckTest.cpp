// The check of an acknowledged write against the configuration that the module reads back after
// its restart: differing fields are reported by caption with both values, a faithful module gets
// a short confirmation, a module that does not come back gets "could not be verified", and
// conversations that are no such read-back are left alone.
#include <algorithm>
#include <functional>

#include <QDir>
#include <QFile>

#include "LinkRig.h"
#include "shell/LanguageTexts.h"

namespace zorva::test {
namespace {

// What the program writes: the port 8080, camera A in use, an identifier.
Bytes WrittenImage()
{
    ConfigRecord record;
    record.setPort(8080);
    record.setCamera(0, true);
    record.setText(cfg::id, QStringLiteral("ZORVA01 "));
    record.setByte(cfg::dz, 5);
    const auto image = record.WriteImage();
    return Bytes(image.begin(), image.end());
}

class WriteCheckRig : public LinkTest {
public:
    // The conversations of the tables drive the rig from outside.
    using LinkTest::core;
    using LinkTest::Feed;

    void SetUp() override
    {
        LinkTest::SetUp();
        SetPolishTexts();
        Connect();
        const Bytes image = WrittenImage();
        for (std::size_t i = 0; i < image.size(); ++i) {
            config.setByte(i, image[i]);
        }
    }
    void TearDown() override { SetPolishTexts(); }

    // Write acknowledged with 0xAA, the RESET at the next tick and its acknowledgement.
    void WriteAndRestart()
    {
        core->ToolButton3Click();
        Feed(Reply(kRxWriteAck, {0xAA}));
        core->Tick();
        Feed(Reply(kRxResetAck));
        ASSERT_TRUE(core->readit());
    }

    QStringList Errors()
    {
        core->OnAppIdle();
        QStringList errors;
        for (const QString& m : view.messages) {
            if (m.startsWith(QStringLiteral("error: "))) {
                errors << m.mid(7);
            }
        }
        return errors;
    }
};

bool LogHas(const QStringList& log, const QString& line)
{
    return std::any_of(log.begin(), log.end(),
                       [&](const QString& l) { return l.endsWith(QStringLiteral("  ") + line); });
}

struct ReadBackCase {
    const char* name;
    std::function<void(Bytes&)> spoil; // what the module stored differently
    std::function<void()> language;
    QStringList lines; // the differences listed; empty: the write is confirmed
};

const ReadBackCase kReadBackCases[] = {
    {"Faithful", [](Bytes&) {}, SetPolishTexts, {}},
    {"Port",
     [](Bytes& b) { b[cfg::ps + 1] = static_cast<std::uint8_t>(b[cfg::ps + 1] + 1); },
     SetPolishTexts,
     {QStringLiteral("Port: zapisano 8080, odczytano 8081")}},
    {"PortInEnglish",
     [](Bytes& b) { b[cfg::ps + 1] = static_cast<std::uint8_t>(b[cfg::ps + 1] + 1); },
     SetEnglishTexts,
     {QStringLiteral("Port: written 8080, read 8081")}},
    {"CameraBitAndACount",
     [](Bytes& b) {
         b[cfg::kamery] |= 0x04;
         b[cfg::dz] = 4;
     },
     SetPolishTexts,
     {QStringLiteral("Kamery C: zapisano nie, odczytano tak"),
      QStringLiteral("Zapis przed zdarzeniem: zapisano 5, odczytano 4")}},
    {"IdentifierFillUnusedByteAndBits",
     [](Bytes& b) {
         b[cfg::id.offset + 7] = 0x00;
         b[120] = 0x01;
         b[cfg::links] |= 0x80;
     },
     SetEnglishTexts,
     {QStringLiteral("Device identifier: written 5A 4F 52 56 41 30 31 20, read 5A 4F 52 56 "
                     "41 30 31 00"),
      QStringLiteral("byte 29: written 00, read 80"),
      QStringLiteral("byte 120: written 00, read 01")}},
};

class ReadBack : public WriteCheckRig, public ::testing::WithParamInterface<ReadBackCase> {};

TEST_P(ReadBack, IsComparedFieldByField)
{
    const ReadBackCase& c = GetParam();
    c.language();
    WriteAndRestart();
    Bytes readBack = WrittenImage();
    c.spoil(readBack);
    Feed(Reply(kRxConfig, readBack));
    EXPECT_EQ(core->writeCheck(), LinkCore::WriteCheck::None);
    const QStringList errors = Errors();
    if (c.lines.isEmpty()) {
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        EXPECT_EQ(view.writeCheckNote, Texts().txtWriteVerified);
        EXPECT_TRUE(view.memo1.contains(Texts().txtWriteVerified));
        config.setByte(cfg::dz, 6);
        core->OnAppIdle();
        EXPECT_TRUE(view.writeCheckNote.isEmpty()) << "an edit ends the note";
        return;
    }
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], (QStringList{Texts().txtWriteDiffers} + c.lines).join(u'\r'));
    EXPECT_TRUE(view.writeCheckNote.isEmpty());
    // The same list in the log file, each line after the date and time.
    const QStringList log = LogFileLines();
    for (const QString& line : c.lines) {
        EXPECT_TRUE(LogHas(log, line)) << line.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(WriteCheck, ReadBack, ::testing::ValuesIn(kReadBackCases),
                         [](const auto& info) { return std::string(info.param.name); });

using WriteCheck = WriteCheckRig;

TEST_F(WriteCheck, ALongListIsCutInTheMessageAndWholeInTheLogFile)
{
    WriteAndRestart();
    Feed(Reply(kRxConfig, Bytes(kWriteImageSize, 0x77)));
    const QStringList errors = Errors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_LE(errors[0].size(), 255);
    EXPECT_TRUE(errors[0].startsWith(Texts().txtWriteDiffers + u'\r'));
    EXPECT_TRUE(errors[0].contains(QStringLiteral(" innych (cała lista pod Show Details...)")));
    // Every unused byte 111..174 is listed in the log file.
    const QStringList log = LogFileLines();
    for (int offset : {73, 111, 174}) {
        EXPECT_TRUE(LogHas(log, QStringLiteral("bajt %1: zapisano 00, odczytano 77").arg(offset)))
            << offset;
    }
    EXPECT_TRUE(view.details.value(0).contains(u"bajt 174: zapisano 00, odczytano 77"));
}

TEST_F(WriteCheck, ADroppedResetEndsTheCheckAtOnce)
{
    core->ToolButton3Click();
    Feed(Reply(kRxWriteAck, {0xAA}));
    core->RS2321Click();
    EXPECT_EQ(Errors(), QStringList{Texts().txtWriteNotVerified});
}

Bytes OtherImage()
{
    Bytes other = WrittenImage();
    other[cfg::ps + 1] ^= 0x01;
    return other;
}

// A file where the history's folder should be: the reads go on, and it is said once.
TEST_F(WriteCheck, AnUnwritableHistoryIsReportedOnceAndTheReadsGoOn)
{
    QFile blocked(dir.filePath(QStringLiteral("blocked")));
    ASSERT_TRUE(blocked.open(QIODevice::WriteOnly));
    const ConfigHistory unwritable(blocked.fileName(), kHistoryKeepDefault);
    core->setHistory(&unwritable);
    port.TakeWritten();
    for (int i = 0; i < 2; ++i) {
        core->ToolButton2Click();
        Feed(Reply(kRxConfig, i == 0 ? OtherImage() : WrittenImage()));
    }
    EXPECT_EQ(WrittenCodes(), (std::vector<int>{kCmdDane, kCmdRdDhcp, kCmdDane, kCmdRdDhcp}));
    const QString line =
        Texts().txtHistoryNotKept.arg(QDir::toNativeSeparators(blocked.fileName()));
    EXPECT_EQ(view.memo1.count(line), 1);
    const QStringList log = LogFileLines();
    EXPECT_EQ(
        std::count_if(log.begin(), log.end(), [&](const QString& l) { return l.endsWith(line); }),
        1);
}

struct LeftAloneCase {
    const char* name;
    std::function<void(WriteCheckRig&)> conversation;
};

const LeftAloneCase kLeftAloneCases[] = {
    {"WriteRefusedWithBB",
     [](WriteCheckRig& t) {
         t.core->ToolButton3Click();
         t.Feed(Reply(kRxWriteAck, {0xBB}));
         t.core->ToolButton2Click();
         t.Feed(Reply(kRxConfig, OtherImage()));
     }},
    {"WriteNotYetAcknowledged",
     [](WriteCheckRig& t) {
         t.core->ToolButton3Click();
         t.Feed(Reply(kRxResetAck));
         t.Feed(Reply(kRxConfig, OtherImage()));
     }},
    {"ReadByHandBeforeTheRestart",
     [](WriteCheckRig& t) {
         t.core->ToolButton3Click();
         t.Feed(Reply(kRxWriteAck, {0xAA}));
         t.core->ToolButton2Click();
         t.Feed(Reply(kRxConfig, OtherImage()));
     }},
    {"ReadByHandWithoutAWrite",
     [](WriteCheckRig& t) {
         t.core->ToolButton2Click();
         t.Feed(Reply(kRxConfig, OtherImage()));
     }},
};

class LeftAlone : public WriteCheckRig, public ::testing::WithParamInterface<LeftAloneCase> {};

TEST_P(LeftAlone, ChecksNothing)
{
    GetParam().conversation(*this);
    EXPECT_TRUE(Errors().isEmpty());
    EXPECT_TRUE(view.writeCheckNote.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(WriteCheck, LeftAlone, ::testing::ValuesIn(kLeftAloneCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SilenceCase {
    const char* name;
    std::function<void(WriteCheckRig&)> conversation;
};

const SilenceCase kSilenceCases[] = {
    // No reset acknowledgement: RESET is repeated until the watchdog gives up.
    {"NoResetAcknowledgement",
     [](WriteCheckRig& t) {
         t.core->ToolButton3Click();
         t.Feed(Reply(kRxWriteAck, {0xAA}));
     }},
    // The reset is acknowledged but the read after it gets no answer.
    {"NoReplyToTheRead", [](WriteCheckRig& t) { t.WriteAndRestart(); }},
};

class Silence : public WriteCheckRig, public ::testing::WithParamInterface<SilenceCase> {};

TEST_P(Silence, LeavesTheWriteUnverified)
{
    GetParam().conversation(*this);
    Ticks(40);
    EXPECT_TRUE(core->StatusEmpty());
    EXPECT_EQ(Errors(), QStringList{Texts().txtWriteNotVerified});
    EXPECT_TRUE(LogHas(LogFileLines(), Texts().txtWriteNotVerified));
    // Said once: the lost link's later rounds say nothing more.
    view.messages.clear();
    Ticks(10);
    EXPECT_TRUE(Errors().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(WriteCheck, Silence, ::testing::ValuesIn(kSilenceCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zorva::test
