// Picture transfer: each accepted packet requests the next at once; packets that are not
// accepted are asked for again; the time-out lines; the picture size limit.
#include <algorithm>

#include "LinkRig.h"
#include "shell/LogFile.h"

namespace zorva::test {
namespace {

class PictureTransfer : public LinkTest {
protected:
    // Connected, "play" pressed and the request for packet 0 sent by a tick.
    void StartPlaying()
    {
        Connect();
        preview.SB_playClick();
        core->Tick();
        ASSERT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 0, 15)});
        view.memo1.clear();
    }
    // Feeds packets first..last (flags 0x00, the last one with `lastFlags`) and checks that each
    // one requests the next.
    void FeedPackets(int first, int last, std::uint8_t lastFlags = 0x00)
    {
        for (int n = first; n <= last; ++n) {
            const auto number = static_cast<std::uint8_t>(n);
            Feed(PicturePacket(n == last ? lastFlags : 0x00, number));
            if (n != last || (lastFlags >> 4) != 0xF) {
                ASSERT_EQ(port.TakeWritten(),
                          std::vector<Bytes>{PictFrame(1, static_cast<std::uint8_t>(n + 1), 15)})
                    << "after packet " << n;
            }
        }
    }
    QString Prefix() const { return LogLinePrefix(clock.now); }
};

TEST_F(PictureTransfer, EachAcceptedPacketRequestsTheNextAtOnceAndTheLastIsLoaded)
{
    StartPlaying();
    FeedPackets(0, 2, 0xF3);
    EXPECT_EQ(preview.loadedTags, std::vector<int>{3});
    ASSERT_EQ(preview.loaded.size(), 1u);
    EXPECT_EQ(preview.loaded[0], Concat({PictureData(0), PictureData(1), PictureData(2)}));
    EXPECT_EQ(core->pictcnt(), kPictComplete);
    EXPECT_EQ(core->rxcnt(), 5 - 2); // reset by the packet, used by the two immediate steps
    // The traffic log was emptied after the picture; the sequencer went back to polling.
    EXPECT_FALSE(view.memo1.join(u'\n').contains(QStringLiteral("PICT")));
    for (int code : WrittenCodes()) {
        EXPECT_TRUE(code == kCmdStan || code == kCmdRdDhcp) << code;
    }

    // The next status reply starts the next picture at packet 0 at once.
    Feed(Reply(kRxStatus, StatusRecord()));
    EXPECT_EQ(preview.playClicks, 2);
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 0, 15)});
    EXPECT_EQ(core->kto(), QStringLiteral("start podglądu (rx 03)"));

    // ... and so does a network reply after the next picture.
    FeedPackets(0, 0, 0xF1);
    port.TakeWritten();
    Feed(Reply(kRxNetwork, Bytes(8, 0)));
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 0, 15)});
    // Packet 0 was the previous request too, so the cause is logged with the time-out lines.
    EXPECT_TRUE(view.memo1.contains(
        Prefix() + QStringLiteral("wywołanie Timer1Timer: start podglądu (rx05)")));
}

TEST_F(PictureTransfer, WrongPacketNumberIsLoggedAndEndsTheHandler)
{
    StartPlaying();
    FeedPackets(0, 3);
    // The number is checked before the data's length: a short packet with a wrong number gets
    // the line too, and is not asked for again.
    const auto cut = [](const Bytes& packet) {
        return Reply(kRxPicture, Bytes(packet.begin() + 4, packet.end() - 21));
    };
    for (const Bytes& wrong : {PicturePacket(0x00, 9), cut(PicturePacket(0x00, 9))}) {
        const std::uint16_t number = core->pictcnt();
        const auto streamSize = preview.stream.size();
        view.memo1.clear();
        const Bytes good = PicturePacket(0x00, static_cast<std::uint8_t>(number));
        Feed(Concat({wrong, good}));
        EXPECT_EQ(view.memo1, QStringList{QStringLiteral("===========błędny nr ramki============")})
            << Hex(wrong).toStdString();
        EXPECT_TRUE(port.written.empty());
        EXPECT_EQ(preview.stream.size(), streamSize);
        // The packet behind it waits for the next receive event.
        EXPECT_EQ(core->lcbuf(), good.size());
        Feed(Bytes{0x00});
        EXPECT_EQ(core->pictcnt(), number + 1);
        port.TakeWritten();
    }
}

// The module takes a new picture at every request for packet 0; a tick that repeats that request
// before the answer came brings a second packet 0, and the packets after it are the new picture's.
TEST_F(PictureTransfer, ASecondPacketZeroStartsThePictureAgainFromIt)
{
    StartPlaying();
    core->Tick();
    ASSERT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 0, 15)});
    FeedPackets(0, 0);
    view.memo1.clear();
    Bytes other = PictureData(0);
    std::reverse(other.begin(), other.end());
    // The request for packet 1 is already out: nothing more is written; one line says why.
    Feed(Reply(kRxPicture, Concat({{0x00, 0x00, 0x0F}, other})));
    EXPECT_EQ(core->pictcnt(), 1);
    EXPECT_EQ(preview.stream, other);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(view.memo1, QStringList{QStringLiteral("===========ponowna ramka 0============")});
    Feed(PicturePacket(0xF2, 1));
    ASSERT_EQ(preview.loaded.size(), 1u);
    EXPECT_EQ(preview.loaded[0], Concat({other, PictureData(1)}));
    EXPECT_EQ(view.memo1.value(0), QStringLiteral("===========ponowna ramka 0============"));

    // Later in a picture, a packet 0 asks at once for the packet after it.
    Feed(Reply(kRxStatus, StatusRecord()));
    port.TakeWritten();
    FeedPackets(0, 3);
    Feed(PicturePacket(0x00, 0));
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 1, 15)});
    EXPECT_EQ(preview.stream, PictureData(0));
    // Other numbers out of turn are still refused.
    Feed(PicturePacket(0x00, 3));
    EXPECT_EQ(view.memo1.last(), QStringLiteral("===========błędny nr ramki============"));
    EXPECT_EQ(core->pictcnt(), 1);
}

TEST_F(PictureTransfer, PacketsThatAreNotAcceptedAreAskedForAgainWithTheWrongFrameLine)
{
    StartPlaying();
    FeedPackets(0, 0);
    const QStringList before = LogFileLines();
    view.memo1.clear();

    const Bytes wrongSize = PicturePacket(0x00, 1, 14);
    Feed(wrongSize);
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 1, 15)});
    EXPECT_EQ(view.memo1,
              (QStringList{Prefix() + QStringLiteral("wywołanie Timer1Timer: po analizie ramki "
                                                     "podglądu"),
                           QStringLiteral("TIMEOUT, RxBuffer : "),
                           QStringLiteral("Tx PICT: FF FF 05 07 01 01 0F 1B ")}));
    const QStringList after = LogFileLines().mid(before.size());
    EXPECT_EQ(after,
              (QStringList{Prefix() + QStringLiteral("wywołanie Timer1Timer: po analizie ramki "
                                                     "podglądu"),
                           Prefix() + QStringLiteral("WRONG FRAME no.01h, RxBuffer : ") +
                               Hex(wrongSize)}));
    EXPECT_TRUE(core->kto().isEmpty());

    // Flags that are not used, and packets too short for their size, are asked for again too.
    const Bytes unusedFlags = PicturePacket(0x50, 1);
    Bytes shortData = PicturePacket(0x00, 1);
    shortData.resize(shortData.size() - 20);
    shortData = Reply(kRxPicture, Bytes(shortData.begin() + 4, shortData.end()));
    for (const Bytes& frame : {unusedFlags, shortData, Reply(kRxPicture, Bytes{0x00, 0x01}),
                               Reply(kRxPicture, Bytes{0x00}), Reply(kRxPicture)}) {
        Feed(Reply(kRxStatus, StatusRecord())); // keeps the watchdog up
        Feed(frame);
        EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 1, 15)})
            << Hex(frame).toStdString();
        EXPECT_EQ(core->pictcnt(), 1);
        EXPECT_EQ(preview.stream, PictureData(0));
        EXPECT_EQ(LogFileLines().last(),
                  Prefix() + QStringLiteral("WRONG FRAME no.01h, RxBuffer : ") + Hex(frame));
    }
}

TEST_F(PictureTransfer, SilentModuleGivesNoFrameAndTimeoutLinesUntilTheWatchdogStopsIt)
{
    StartPlaying();
    FeedPackets(0, 0);
    view.memo1.clear();
    const auto logBefore = LogFileLines().size();
    Feed(Bytes{0xFF, 0xFF, 0x10}); // a partial frame: shown in the time-out line

    core->Tick();
    EXPECT_EQ(view.memo1,
              (QStringList{QStringLiteral("____________NO FRAME_______________"),
                           Prefix() + QStringLiteral("wywołanie Timer1Timer: po analizie ramki "
                                                     "podglądu"),
                           QStringLiteral("TIMEOUT, RxBuffer : FF FF 10 "),
                           QStringLiteral("Tx PICT: FF FF 05 07 01 01 0F 1B ")}));
    EXPECT_EQ(
        LogFileLines().mid(logBefore),
        (QStringList{Prefix() + QStringLiteral("wywołanie Timer1Timer: po analizie ramki "
                                               "podglądu"),
                     Prefix() + QStringLiteral("TIMEOUT, FRAME no.01h, RxBuffer : FF FF 10 ")}));
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 1, 15)});

    // The cause is logged once; the next ticks give the time-out lines only.
    view.memo1.clear();
    core->Tick();
    EXPECT_EQ(view.memo1.size(), 3);
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdPict});

    // The packet reset the watchdog to 5 and the immediate step used one round: four more
    // silent ticks request the packet again, the next one stops the transfer.
    Ticks(2);
    EXPECT_EQ(WrittenCodes(), (std::vector<int>{kCmdPict, kCmdPict}));
    core->Tick();
    EXPECT_EQ(core->pictcnt(), kPictStopped);
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdStan});
}

TEST_F(PictureTransfer, NoDataFlagShowsThePlaceholderAndRestarts)
{
    StartPlaying();
    FeedPackets(0, 1);
    const Bytes next = Reply(kRxStatus, StatusRecord());
    Feed(Concat({PicturePacket(0xA0, 2, 0), next}));
    EXPECT_EQ(preview.formShows, 1);
    EXPECT_EQ(preview.playClicks, 2);
    EXPECT_EQ(core->pictcnt(), 0);
    EXPECT_TRUE(preview.stream.empty());
    EXPECT_TRUE(port.written.empty()); // the next tick asks for packet 0
    EXPECT_EQ(core->lcbuf(), next.size());
    core->Tick();
    EXPECT_EQ(port.TakeWritten().back(), PictFrame(1, 0, 15));
}

TEST_F(PictureTransfer, VideoOffFlagStopsTheTransferWithAMessage)
{
    StartPlaying();
    const Bytes next = Reply(kRxStatus, StatusRecord());
    Feed(Concat({PicturePacket(0xB0, 0, 0), next}));
    EXPECT_EQ(core->emsg(), QStringLiteral("Kanał wideo wyłączony."));
    EXPECT_EQ(core->pictcnt(), kPictStopped);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(core->lcbuf(), next.size()); // the handler ended: the reply behind it waits
    core->OnAppIdle();
    EXPECT_EQ(view.messages, QStringList{QStringLiteral("error: Kanał wideo wyłączony.")});
    EXPECT_EQ(preview.playShown, false);
}

TEST_F(PictureTransfer, ExactlyTwoHundredFiftyFivePacketsAreLoaded)
{
    StartPlaying();
    FeedPackets(0, 254, 0xF2);
    ASSERT_EQ(preview.loaded.size(), 1u);
    EXPECT_EQ(preview.loaded[0].size(), 255u * 240u);
    EXPECT_EQ(preview.loadedTags, std::vector<int>{2});
    EXPECT_EQ(core->pictcnt(), kPictComplete);
    EXPECT_TRUE(core->emsg().isEmpty());
}

TEST_F(PictureTransfer, TheTwoHundredFiftySixthPacketIsRefusedWithItsMessage)
{
    StartPlaying();
    FeedPackets(0, 254); // packet 254 is not the last one: packet 255 is requested
    Feed(PicturePacket(0xF1, 255));
    EXPECT_EQ(core->pictcnt(), kPictStopped);
    EXPECT_EQ(core->emsg(), QStringLiteral("Za duży plik obrazu - mie można odebrać."));
    EXPECT_TRUE(preview.loaded.empty());
    for (int code : WrittenCodes()) {
        EXPECT_NE(code, kCmdPict);
    }
}

TEST_F(PictureTransfer, APictureThatCannotBeSavedIsLoggedAndPlayingGoesOn)
{
    StartPlaying();
    preview.saveSucceeds = false;
    FeedPackets(0, 1, 0xF0);
    EXPECT_EQ(core->pictcnt(), kPictComplete);
    // The first line after the traffic log was emptied.
    ASSERT_FALSE(view.memo1.isEmpty());
    EXPECT_EQ(view.memo1.first(), QStringLiteral("Nie zapisano pliku obrazu."));
    port.TakeWritten();
    Feed(Reply(kRxStatus, StatusRecord()));
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 0, 15)});
}

TEST_F(PictureTransfer, PacketsWhileStoppedOnlyGiveTheWrongNumberLine)
{
    Connect();
    Feed(PicturePacket(0x00, 0));
    EXPECT_EQ(view.memo1, QStringList{QStringLiteral("===========błędny nr ramki============")});
    EXPECT_TRUE(preview.stream.empty());
    EXPECT_TRUE(port.written.empty());
}

// The packets name no camera: packets (and reports) asked for before the camera changed, late on
// the line, are never taken into the new camera's picture, nor stop it.
TEST_F(PictureTransfer, APacketAskedForBeforeTheCameraChangedIsNeverTakenIntoTheNewPicture)
{
    StartPlaying();
    core->Tick(); // camera A's packet 0 asked for a second time
    ASSERT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(1, 0, 15)});
    preview.camera = 2;
    preview.SB_playClick();
    core->Tick();
    ASSERT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(2, 0, 15)});
    view.memo1.clear();

    Feed(PicturePacket(0x00, 0));                // camera A's, late
    Feed(Reply(kRxPicture, Bytes{0xB0, 0, 15})); // camera A's second answer: switched off
    EXPECT_EQ(view.memo1, QStringList(2, QStringLiteral("===========błędny nr ramki============")));
    EXPECT_TRUE(preview.stream.empty());
    EXPECT_EQ(core->pictcnt(), 0);
    EXPECT_TRUE(core->emsg().isEmpty());
    EXPECT_TRUE(port.written.empty());

    Bytes cameraB = PictureData(0);
    std::reverse(cameraB.begin(), cameraB.end());
    Feed(Reply(kRxPicture, Concat({{0x00, 0x00, 0x0F}, cameraB})));
    EXPECT_EQ(preview.stream, cameraB);
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{PictFrame(2, 1, 15)});
}

} // namespace
} // namespace zorva::test
