// The reply parser: framing (split frames, several frames, garbage, checksum errors), error
// and event reports, the firmware date, and replies shorter than their handlers read.
#include <QCoreApplication>

#include "LinkRig.h"
#include "shell/LogFile.h"

namespace zorva::test {
namespace {

class ReplyParser : public LinkTest {
protected:
    QString Prefix() const { return LogLinePrefix(clock.now); }
    // An event report with its code and argument bytes.
    static Bytes Event(std::uint8_t code, const Bytes& args = {})
    {
        return Reply(kRxEvent, Concat({{code}, args}));
    }
};

TEST_F(ReplyParser, AFrameSplitAtEveryByteBoundaryIsDispatchedOnceWhenItsLastByteArrives)
{
    Connect();
    const Bytes frame = Reply(kRxWriteAck, Bytes{0xBB});
    for (std::size_t cut = 1; cut < frame.size(); ++cut) {
        core->ToolButton3Click();
        Feed(Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(cut)));
        ASSERT_EQ(core->Timer1Tag(), 5) << "dispatched early at cut " << cut;
        Feed(Bytes(frame.begin() + static_cast<std::ptrdiff_t>(cut), frame.end()));
        ASSERT_EQ(core->Timer1Tag(), 0) << "not dispatched at cut " << cut;
        ASSERT_EQ(core->lcbuf(), 0);
    }
    // Byte by byte.
    core->ToolButton3Click();
    for (std::uint8_t b : frame) {
        EXPECT_EQ(core->Timer1Tag(), 5);
        Feed(Bytes{b});
    }
    EXPECT_EQ(core->Timer1Tag(), 0);
}

TEST_F(ReplyParser, TwoFramesInOneEventAreDispatchedInOrderAndGarbageIsSkipped)
{
    Connect();
    view.memo2.clear();
    core->ToolButton3Click();
    // Garbage: single FF bytes, a sync pair with a length above 250, then two frames.
    const Bytes garbage{0x00, 0xFF, 0x12, 0xFF, 0xFF, 0xFB, 0x01, 0xFF};
    Feed(Concat({garbage, Reply(kRxWriteAck, Bytes{0xBB}), Reply(kRxWriteAck, Bytes{0xAA})}));
    // The second acknowledgement decided: the write is done and a reset pending.
    EXPECT_FALSE(core->writeit());
    EXPECT_TRUE(core->reset());
    EXPECT_EQ(core->lcbuf(), 0);
    EXPECT_TRUE(view.memo2.isEmpty()); // skipping is silent
    const ReceiveCounters& c = core->Counters();
    EXPECT_EQ(c.received, c.consumed + c.dropped + core->lcbuf());
}

TEST_F(ReplyParser, AChecksumErrorGivesOneLineEachAndTheRestWaitsForTheNextEvent)
{
    Connect();
    view.memo2.clear();
    const auto logBefore = LogFileLines().size();
    Bytes bad = Reply(kRxWriteAck, Bytes{0xAA});
    bad.back() ^= 0x01;
    const Bytes good = Reply(kRxWriteAck, Bytes{0xBB});
    core->ToolButton3Click();
    Feed(Concat({bad, good}));
    const QString line = QStringLiteral("Błąd sumy CRC. : ") + Hex(bad);
    EXPECT_EQ(view.memo2, QStringList{line});
    EXPECT_EQ(LogFileLines().mid(logBefore), QStringList{Prefix() + line});
    EXPECT_EQ(core->Timer1Tag(), 5); // the good frame has not been seen yet
    EXPECT_EQ(core->lcbuf(), bad.size() - 1 + good.size());

    Feed(Bytes{0x00});
    EXPECT_EQ(core->Timer1Tag(), 0);
    EXPECT_EQ(core->imsg(), QStringLiteral("   Nie zapisano danych.   "));
    EXPECT_EQ(view.memo2.size(), 1);

    // A false sync pair inside bad bytes costs one more event and one more pair of lines.
    view.memo2.clear();
    Bytes falsePair{0xFF, 0xFF, 0x03, 0x02, 0xFF, 0xFF, 0x02, 0x07, 0x00};
    Feed(falsePair);
    EXPECT_EQ(view.memo2.size(), 1);
    Feed(Bytes{0x00});
    EXPECT_EQ(view.memo2.size(), 2);
    EXPECT_TRUE(view.memo2[1].startsWith(QStringLiteral("Błąd sumy CRC. : FF FF 02 07 00")));
}

TEST_F(ReplyParser, ErrorReportsPostTheirMessageAndRunAnImmediateStep)
{
    struct Case {
        std::uint8_t code;
        QString emsg;
    };
    const Case cases[] = {
        {0xBB, QStringLiteral("ZORVA_ERROR:  nieznany typ ramki.")},
        {0xDD, QStringLiteral("ZORVA_ERROR:  bledny nr pakietu.")},
        {0x12, QStringLiteral("ZORVA_ERROR: 12")},
        {0x00, QStringLiteral("ZORVA_ERROR: 00")},
    };
    Connect();
    for (const Case& c : cases) {
        core->ToolButton2Click(); // countdown 5: the immediate step shows as 4
        port.TakeWritten();
        Feed(Reply(kRxError, Bytes{c.code}));
        EXPECT_EQ(core->emsg(), c.emsg);
        EXPECT_EQ(core->kto(), c.emsg);
        EXPECT_EQ(core->Timer1Tag(), 4);
        EXPECT_EQ(preview.playClicks, 0); // no picture running
    }

    // 0xCC leaves the message as it was and still runs the step with it as the cause.
    core->ToolButton2Click();
    Feed(Reply(kRxError, Bytes{0xCC}));
    EXPECT_EQ(core->emsg(), QStringLiteral("ZORVA_ERROR: 00"));
    EXPECT_EQ(core->Timer1Tag(), 4);
    core->OnAppIdle();
    EXPECT_EQ(view.messages, QStringList{QStringLiteral("error: ZORVA_ERROR: 00")});
    core->ToolButton2Click();
    Feed(Reply(kRxError, Bytes{0xCC}));
    EXPECT_TRUE(core->emsg().isEmpty());
    EXPECT_TRUE(core->kto().isEmpty());
}

TEST_F(ReplyParser, WrongPacketErrorRestartsThePictureFromPacketZero)
{
    Connect();
    preview.SB_playClick();
    core->Tick();
    Feed(PicturePacket(0x00, 0));
    ASSERT_EQ(core->pictcnt(), 1);
    port.TakeWritten();
    Feed(Reply(kRxError, Bytes{0xDD}));
    EXPECT_EQ(preview.playClicks, 2);
    EXPECT_TRUE(preview.stream.empty());
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 0, 15)});
}

TEST_F(ReplyParser, EventReportsAreDecodedInTheLanguageOfTheMenu)
{
    struct Case {
        Bytes frame;
        bool polish;
        QString text;
    };
    const Case cases[] = {
        {Event(0x01, {0x02, 0x05, 0, 0, 0}), true, QStringLiteral("Alarm: kamera C, wejście nr 5")},
        {Event(0x01, {0x02, 0x05, 0, 0, 0}), false, QStringLiteral("Alarm: camera C, input no. 5")},
        {Event(0x02), true, QStringLiteral("Sabotaż obudowy modułu")},
        {Event(0x03), false, QStringLiteral("Power lost")},
        {Event(0x04), true, QStringLiteral("Powrót zasilania")},
        {Event(0x05, {0x2C, 0x01, 0, 0}), false, QStringLiteral("Test transmission no. 300")},
        {Event(0x06, {0x03}), true, QStringLiteral("Utrata sygnału wideo, kamera D")},
        {Event(0x07, {0x07}), false, QStringLiteral("Video restored, camera ?")},
        {Event(0x08, {0x02, 0, 0, 0}), true, QStringLiteral("Awaria modemu nr 2")},
        {Event(0x09), false, QStringLiteral("Module configuration changed")},
        {Event(0x0A, {0xFF, 0xFF, 0xFF, 0xFF}), true,
         QStringLiteral("Start modułu, oprogramowanie nr -1")},
        // An undescribed code: the whole frame in hexadecimal.
        {Event(0x7E, {0x01}), true, QStringLiteral("FF FF 04 09 7E 01 8A ")},
    };
    Connect();
    for (const Case& c : cases) {
        view.polish = c.polish;
        const auto logBefore = LogFileLines().size();
        Feed(c.frame);
        EXPECT_EQ(view.memo2.last(), Prefix() + c.text);
        EXPECT_EQ(LogFileLines().mid(logBefore), QStringList{Prefix() + c.text});
    }
}

TEST_F(ReplyParser, EventLanguageFilesAreInTheProgramsFolderWhenNoneIsSet)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    struct Case {
        QString dir;
        bool polish;
        QString file;
    };
    const Case cases[] = {
        {QString(), true, programDir + QStringLiteral("/zr_pl.ini")},
        {QString(), false, programDir + QStringLiteral("/zr_en.ini")},
        {QStringLiteral("/opt/texts"), true, QStringLiteral("/opt/texts/zr_pl.ini")},
    };
    for (const Case& c : cases) {
        core->setLanguageDir(c.dir);
        view.polish = c.polish;
        EXPECT_EQ(core->EventLanguageFile(), c.file) << c.dir.toStdString();
    }
}

TEST_F(ReplyParser, EventListKeepsAtMostSixtyOneLinesAndLinesAreCut)
{
    Connect();
    for (int i = 0; i < 70; ++i) {
        Feed(Event(0x05, {static_cast<std::uint8_t>(i), 0, 0, 0}));
        EXPECT_LE(view.memo2.size(), 61);
    }
    EXPECT_EQ(view.memo2.size(), 61);
    EXPECT_TRUE(view.memo2.first().endsWith(QStringLiteral(" 9")));
    EXPECT_TRUE(view.memo2.last().endsWith(QStringLiteral(" 69")));

    // A long undescribed report gives its frame cut to 255 characters.
    Feed(Event(0x7F, Bytes(200, 0x11)));
    EXPECT_EQ(view.memo2.last().size(), 255);
    EXPECT_EQ(LogFileLines().last().size(), 255);
}

TEST_F(ReplyParser, FirmwareDateReportIsShownUntilTheStatusReplyAfterNext)
{
    Connect();
    Feed(Reply(kRxFirmwareDate, Bytes{0x15, 0x03, 0x20, 0x11}));
    EXPECT_EQ(core->FmwDate(), QStringLiteral("2011-03-15"));
    EXPECT_EQ(view.left, QStringLiteral("Połączono: moduł ZORVA v1.02 2011-03-15"));
    Feed(Reply(kRxStatus, StatusRecord()));
    EXPECT_EQ(view.left, QStringLiteral("Połączono: moduł ZORVA v1.02 2011-03-15"));
    EXPECT_TRUE(core->FmwDate().isEmpty());
    Feed(Reply(kRxStatus, StatusRecord()));
    EXPECT_EQ(view.left, QStringLiteral("Połączono: moduł ZORVA v1.02"));
}

TEST_F(ReplyParser, RepliesShorterThanTheirHandlersReadNeverReadPastTheFrame)
{
    Connect();
    // A write acknowledgement without its byte only ends the countdown.
    core->ToolButton3Click();
    Feed(Reply(kRxWriteAck));
    EXPECT_EQ(core->Timer1Tag(), 0);
    EXPECT_TRUE(core->writeit());
    EXPECT_TRUE(core->imsg().isEmpty());

    // An error report without its byte changes no message but still runs its step.
    core->ToolButton2Click();
    Feed(Reply(kRxError));
    EXPECT_TRUE(core->emsg().isEmpty());
    EXPECT_EQ(core->Timer1Tag(), 4);

    // A firmware date report shorter than 4 bytes does nothing.
    const int leftSets = view.leftSets;
    Feed(Reply(kRxFirmwareDate, Bytes{0x15, 0x03, 0x20}));
    EXPECT_TRUE(core->FmwDate().isEmpty());
    EXPECT_EQ(view.leftSets, leftSets);

    // A status record shorter than 8 bytes reads its missing bytes as 0.
    Feed(Reply(kRxStatus, Bytes{0xDB, 0x07, 0x03}));
    EXPECT_EQ(view.left, QStringLiteral("Połączono: moduł ZORVA v1.00"));
    EXPECT_EQ(view.right, QStringLiteral("2011-03-00  00:00:00 "));
    EXPECT_EQ(core->FirmwareVersion(), QStringLiteral("1.00"));

    // An event report shorter than its argument kinds: the checksum byte is an argument byte,
    // the missing ones read as 0.
    Feed(Event(0x01)); // FF FF 03 09 01 0B: camera from the checksum 0x0B, input 0
    EXPECT_EQ(view.memo2.last(), Prefix() + QStringLiteral("Alarm: kamera ?, wejście nr 0"));
    Feed(Event(0x05, {0x01})); // number from 01 and the checksum
    EXPECT_TRUE(view.memo2.last().startsWith(Prefix() + QStringLiteral("Transmisja testowa nr ")));
    Feed(Reply(kRxEvent)); // no event code: read as 00, which has no pattern
    EXPECT_EQ(view.memo2.last(), Prefix() + QStringLiteral("FF FF 02 09 09 "));

    // L of 1: the code position holds the checksum; ignored. L of 0: always a checksum error.
    view.memo2.clear();
    Feed(Bytes{0xFF, 0xFF, 0x01, 0xFF, 0x00});
    EXPECT_TRUE(view.memo2.isEmpty());
    Feed(Bytes{0xFF, 0xFF, 0x00, 0x00, 0x00});
    EXPECT_EQ(view.memo2, QStringList{QStringLiteral("Błąd sumy CRC. : FF FF 00 ")});
}

TEST_F(ReplyParser, TheReceiveBufferNeverExceedsItsCapacity)
{
    Connect();
    // Frames with a wrong checksum end each intake after one byte is dropped, so a long stream
    // of them piles up; a receive event larger than one intake is read in several.
    Bytes bad = Reply(kRxNetwork, Bytes(200, 0x44));
    bad.back() ^= 0x55;
    Bytes stream;
    while (stream.size() < 50000) {
        stream.insert(stream.end(), bad.begin(), bad.end());
    }
    stream.back() = 0x99;
    port.readSizes.clear();
    Feed(stream);
    EXPECT_EQ(port.readSizes.front(), 2048);
    // Full, less what resynchronisation skipped after the oldest bytes went; the newest kept.
    EXPECT_LE(core->lcbuf(), kRxBufferCapacity);
    EXPECT_GT(core->lcbuf(), kRxBufferCapacity - bad.size());
    EXPECT_EQ(core->ReceiveBuffer().back(), 0x99);
    const ReceiveCounters& c = core->Counters();
    EXPECT_EQ(c.received, c.consumed + c.dropped + core->lcbuf());
    EXPECT_TRUE(port.incoming.empty());
}

TEST_F(ReplyParser, AFailedReadEndsTheHandlerWithoutTouchingTheBuffers)
{
    Connect();
    Feed(Bytes{0xFF, 0xFF});
    port.readFailures = 1;
    Feed(Bytes{0x04});
    EXPECT_EQ(core->lcbuf(), 2);
    EXPECT_EQ(port.incoming.size(), 1u);
}

TEST_F(ReplyParser, AReceiveEventDuringTheFirmwareDialogIsHandledAfterTheCurrentOne)
{
    Connect();
    const Bytes ack = Reply(kRxWriteAck, Bytes{0xBB});
    bool nestedReturned = false;
    view.duringModal = [&] {
        // The dialog's event loop delivers the next receive event.
        port.incoming.insert(port.incoming.end(), ack.begin(), ack.end());
        core->PortRSRxCharSignal(nullptr, static_cast<int>(ack.size()));
        nestedReturned = true;
        EXPECT_TRUE(core->imsg().isEmpty()); // not yet handled
    };
    const Bytes status = Reply(kRxStatus, StatusRecord(3));
    Feed(status);
    EXPECT_TRUE(nestedReturned);
    EXPECT_EQ(view.firmwareErrors.size(), 1);
    EXPECT_EQ(core->imsg(), QStringLiteral("   Nie zapisano danych.   "));
    EXPECT_EQ(core->lcbuf(), 0);
}

} // namespace
} // namespace zorva::test
