// The sequencer's conversations: start-up, polling and the watchdog, reads, writes with the
// reset that follows, the port settings and the immediate step.
#include "LinkRig.h"
#include "shell/LanguageTexts.h"

namespace zorva::test {
namespace {

using Sequencer = LinkTest;

TEST_F(Sequencer, FirstTickOpensThePortRunsTheLostLinkBranchOnceThenPolls)
{
    core->Tick();

    EXPECT_EQ(port.openCalls, 1);
    EXPECT_EQ(port.dtrCalls, std::vector<bool>{true});
    EXPECT_EQ(port.rtsCalls, std::vector<bool>{true});
    // The lost-link branch: grey strip, no-connection text, MAC caption greyed, buttons off.
    EXPECT_EQ(view.label18ShadowCalls, 1);
    EXPECT_EQ(view.stripConnected, false);
    EXPECT_EQ(view.left, Texts().txtNoConnection);
    EXPECT_EQ(view.buttonsEnabled, false);
    EXPECT_EQ(view.statusBar, QStringLiteral("COM1 opened"));
    // The step nested in OpenPort did nothing: exactly one request went out.
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdStan});
    EXPECT_EQ(view.memo1, QStringList{QStringLiteral("Tx STAN: FF FF 02 03 03 ")});
    EXPECT_FALSE(core->Busy());
}

TEST_F(Sequencer, PollsFourStatusRequestsThenTheNetworkSettings)
{
    Ticks(6);
    EXPECT_EQ(WrittenCodes(), (std::vector<int>{3, 3, 3, 3, 6, 3}));
    EXPECT_EQ(view.memo1[4], QStringLiteral("Tx RdDHCP: FF FF 02 06 06 "));
    // The status bar text is written once and not rewritten while it stays the same.
    EXPECT_EQ(view.statusBarSets, 1);

    // The configuration editor sets the counter back to 1: four status polls again.
    core->ResetPollCounter();
    Ticks(5);
    EXPECT_EQ(WrittenCodes(), (std::vector<int>{3, 3, 3, 3, 6}));
}

TEST_F(Sequencer, APortThatCannotBeOpenedIsTriedEveryTickAndNothingIsWritten)
{
    port.openFails = true;
    Ticks(3);
    EXPECT_EQ(port.openCalls, 3);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(view.statusBar, QStringLiteral("COM1 closed"));
    EXPECT_TRUE(port.dtrCalls.empty());

    core->ToolButton2Click();
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(core->readit());

    // While the port settings dialog is showing the step leaves the port alone.
    view.settingsShowing = true;
    Ticks(2);
    // Only the read command tried: once itself, once in the step that its OpenPort runs.
    EXPECT_EQ(port.openCalls, 5);
}

TEST_F(Sequencer, WatchdogDeclaresTheLinkLostAtTheSixthSilentTick)
{
    Connect();
    ASSERT_FALSE(core->StatusEmpty());
    for (int tick = 1; tick <= 5; ++tick) {
        core->Tick();
        EXPECT_FALSE(core->StatusEmpty()) << "tick " << tick;
        EXPECT_EQ(view.buttonsEnabled, true);
    }
    EXPECT_EQ(core->rxcnt(), 0);
    core->Tick();
    EXPECT_TRUE(core->StatusEmpty());
    EXPECT_EQ(view.buttonsEnabled, false);
    EXPECT_EQ(view.left, Texts().txtNoConnection);

    // Every status reply sets the watchdog back to five rounds.
    Feed(Reply(kRxStatus, StatusRecord()));
    EXPECT_EQ(core->rxcnt(), 5);
}

TEST_F(Sequencer, ReadWithASilentModuleRepeatsEveryFiveTicksUntilTheWatchdogEndsIt)
{
    core->Tick();
    port.TakeWritten();
    config.setByte(7, 0x55);
    Feed(Reply(kRxStatus, StatusRecord())); // the first status reply starts a read
    EXPECT_EQ(config.byte(7), 0);
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdDane});
    EXPECT_TRUE(core->readit());
    EXPECT_EQ(core->Timer1Tag(), 5);

    std::vector<int> daneTicks;
    for (int tick = 1; tick <= 30; ++tick) {
        core->Tick();
        for (int code : WrittenCodes()) {
            if (code == kCmdDane) {
                daneTicks.push_back(tick);
            } else {
                EXPECT_EQ(tick, 30) << "only the lost link lets a poll through";
            }
        }
    }
    // Six rounds in all: the first DANE and five repeats; the sixth silent round drops the read.
    EXPECT_EQ(daneTicks, (std::vector<int>{5, 10, 15, 20, 25}));
    EXPECT_FALSE(core->readit());
    EXPECT_TRUE(core->StatusEmpty());
}

TEST_F(Sequencer, ReadEndToEndFillsBothRecordsAndEndsTheCountdown)
{
    core->Tick();
    Feed(Reply(kRxStatus, StatusRecord()));
    port.TakeWritten();
    const int shownBefore = view.showConfigCalls;

    Bytes image(175);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i + 1);
    }
    Feed(Reply(kRxConfig, image));
    EXPECT_FALSE(core->readit());
    for (std::size_t i = 0; i < image.size(); ++i) {
        ASSERT_EQ(config.byte(i), image[i]) << i;
    }
    EXPECT_EQ(config.byte(175), 0);
    // The network request went out at once, with the network record cleared and both shown.
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdRdDhcp});
    EXPECT_EQ(view.showConfigCalls, shownBefore + 2);
    EXPECT_EQ(core->Timer1Tag(), 5);

    Feed(Reply(kRxNetwork, Bytes{1, 0, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}));
    EXPECT_EQ(core->Timer1Tag(), 0);
    EXPECT_TRUE(network.linkUp());
    EXPECT_EQ(network.mac()[0], 0x0A);
    EXPECT_EQ(view.showConfigCalls, shownBefore + 3);

    core->Tick();
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdStan});
}

TEST_F(Sequencer, ConfigurationReplyWithLessThanTwoBytesIsLoggedAndAskedAgain)
{
    core->Tick();
    Feed(Reply(kRxStatus, StatusRecord()));
    port.TakeWritten();
    view.memo1.clear();

    Feed(Reply(kRxConfig, Bytes{0x42}));
    EXPECT_EQ(view.memo1, QStringList{QStringLiteral("Rx01 : za mało daych")});
    EXPECT_TRUE(core->readit());
    EXPECT_EQ(config.byte(0), 0);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(Sequencer, WriteAcknowledgedWithAAResetsTheModuleAndReadsAgain)
{
    Connect();
    for (std::size_t i = 0; i < kWriteImageSize; ++i) {
        config.setByte(i, static_cast<std::uint8_t>(0xF0 - i));
    }
    core->ToolButton3Click();
    const std::vector<Bytes> sent = port.TakeWritten();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], WriteConfigFrame(config.WriteImage()));
    EXPECT_EQ(sent[0].size(), 180u);
    EXPECT_EQ(view.memo1.last(), QStringLiteral("Tx: ") + Hex(sent[0]));
    EXPECT_TRUE(core->writeit());
    EXPECT_EQ(core->Timer1Tag(), 5);

    Feed(Reply(kRxWriteAck, Bytes{0xAA}));
    EXPECT_EQ(core->Timer1Tag(), 0);
    EXPECT_FALSE(core->writeit());
    EXPECT_TRUE(core->reset());
    EXPECT_EQ(core->imsg(), Texts().txtWritten + QLatin1Char('\r') + Texts().txtResetting);
    EXPECT_EQ(core->imsg(),
              QStringLiteral("      Zapisano dane.      \r    Resetuję urządzenie.  "));
    EXPECT_TRUE(port.written.empty());

    core->Tick();
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{ResetFrame()});
    EXPECT_EQ(view.memo1.last(), QStringLiteral("Tx  RESET: FF FF 02 05 05 "));

    Feed(Reply(kRxResetAck));
    EXPECT_FALSE(core->reset());
    EXPECT_TRUE(core->readit());
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdDane});
    // The module holds what was written: the check of the write adds no error.
    Feed(Reply(kRxConfig, Bytes(sent[0].begin() + 4, sent[0].end() - 1)));
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdRdDhcp});
    Feed(Reply(kRxNetwork, Bytes(16, 0)));
    EXPECT_EQ(core->Timer1Tag(), 0);

    core->OnAppIdle();
    EXPECT_EQ(view.messages, QStringList{QStringLiteral("information: ") + Texts().txtWritten +
                                         u'\r' + Texts().txtResetting});
}

TEST_F(Sequencer, UnacknowledgedResetIsRepeatedEveryFiveTicks)
{
    Connect();
    core->ToolButton3Click();
    Feed(Reply(kRxWriteAck, Bytes{0xAA}));
    port.TakeWritten();
    std::vector<int> resetTicks;
    for (int tick = 1; tick <= 11; ++tick) {
        core->Tick();
        for (int code : WrittenCodes()) {
            EXPECT_EQ(code, kCmdReset);
            resetTicks.push_back(tick);
        }
    }
    EXPECT_EQ(resetTicks, (std::vector<int>{1, 6, 11}));
}

TEST_F(Sequencer, WriteRefusedWithBBIsSentAgainAtTheNextTick)
{
    Connect();
    core->ToolButton3Click();
    port.TakeWritten();
    Feed(Reply(kRxWriteAck, Bytes{0xBB}));
    EXPECT_EQ(core->imsg(), Texts().txtNotWritten);
    EXPECT_TRUE(core->writeit());
    EXPECT_FALSE(core->reset());
    core->Tick();
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdWrite});

    // Any other acknowledgement byte only ends the countdown.
    Feed(Reply(kRxWriteAck, Bytes{0x17}));
    EXPECT_EQ(core->imsg(), Texts().txtNotWritten);
    EXPECT_TRUE(core->writeit());
    EXPECT_EQ(core->Timer1Tag(), 0);
}

TEST_F(Sequencer, PortSettingsCloseTheOpenPortAndReopenIt)
{
    Connect();
    Feed(Bytes{0xFF, 0xFF, 0x20}); // a partial frame in the receive buffer
    ASSERT_EQ(core->lcbuf(), 3);
    bool closedWhileShowing = false;
    view.duringModal = [&] { closedWhileShowing = !port.open; };
    core->RS2321Click();
    EXPECT_TRUE(closedWhileShowing);
    EXPECT_EQ(port.closeCalls, 1);
    EXPECT_EQ(port.openCalls, 2);
    EXPECT_TRUE(port.open);
    EXPECT_EQ(core->lcbuf(), 0);
    EXPECT_EQ(port.dtrCalls.size(), 2u);

    // With the port closed the dialog only shows; the next tick opens the port.
    port.Close();
    core->setDtrFlag(false);
    core->setRtsFlag(false);
    core->RS2321Click();
    EXPECT_EQ(view.settingsShown, 2);
    EXPECT_EQ(port.openCalls, 2);
    core->Tick();
    EXPECT_EQ(port.openCalls, 3);
    EXPECT_EQ(port.dtrCalls.back(), false);
    EXPECT_EQ(port.rtsCalls.back(), false);
}

TEST_F(Sequencer, AReopenedPortForgetsTheCountdownAndTheWatchdog)
{
    Connect();
    core->ToolButton2Click();
    ASSERT_EQ(core->Timer1Tag(), 5);
    ASSERT_GT(core->rxcnt(), 0);
    port.TakeWritten();
    port.Close(); // the line went away
    core->Tick();
    EXPECT_EQ(port.openCalls, 2);
    // No countdown left and the watchdog run out: the link is lost, the read is not repeated,
    // and the same step polls.
    EXPECT_EQ(core->Timer1Tag(), 0);
    EXPECT_FALSE(core->readit());
    EXPECT_TRUE(core->StatusEmpty());
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdStan});
}

TEST_F(Sequencer, OpenPortForgetsAPendingReset)
{
    Connect();
    core->ToolButton3Click();
    Feed(Reply(kRxWriteAck, Bytes{0xAA}));
    ASSERT_TRUE(core->reset());
    core->OpenPort();
    EXPECT_FALSE(core->reset());
}

TEST_F(Sequencer, NetworkRequestClearsTheWholeNetworkRecord)
{
    Connect();
    network.FillFromReply(Bytes(kRecordSize, 0x5A));
    core->RequestNetwork();
    EXPECT_EQ(network.bytes(), NetworkRecord::Image{});
    EXPECT_EQ(WrittenCodes(), std::vector<int>{kCmdRdDhcp});
}

TEST_F(Sequencer, ConfigurationReplyLeavesTheBytesBeyondItsPayload)
{
    core->Tick();
    for (std::size_t length : {2u, 175u, 248u}) { // 248: the longest reply
        for (std::size_t i = 0; i < kRecordSize; ++i) {
            config.setByte(i, static_cast<std::uint8_t>(0x80 | (i % 0x7F)));
        }
        Feed(Reply(kRxConfig, Bytes(length, 0x11)));
        for (std::size_t i = 0; i < kRecordSize; ++i) {
            const int expected = i < length ? 0x11 : (0x80 | (i % 0x7F));
            ASSERT_EQ(config.byte(i), expected) << "payload " << length << ", byte " << i;
        }
    }
}

TEST_F(Sequencer, OnlyTheToolButtonForgetsTheFirmwareVersion)
{
    struct Case {
        const char* command;
        void (LinkCore::*click)();
        QString firmwareAfter;
    };
    const Case cases[] = {
        {"RS-232 menu item", &LinkCore::RS2321Click, QStringLiteral("1.02")},
        {"RS-232 tool button", &LinkCore::ToolButton4Click, QString()},
    };
    Connect();
    for (const Case& c : cases) {
        Feed(Reply(kRxStatus, StatusRecord()));
        ASSERT_EQ(core->FirmwareVersion(), QStringLiteral("1.02"));
        (core.get()->*c.click)();
        EXPECT_EQ(core->FirmwareVersion(), c.firmwareAfter) << c.command;
    }
}

TEST_F(Sequencer, ImmediateStepCountsDownAndRestartsTheTimerInterval)
{
    Connect();
    core->ToolButton2Click();
    ASSERT_EQ(core->Timer1Tag(), 5);
    core->ImmediateStep(QStringLiteral("przyczyna"));
    EXPECT_EQ(core->Timer1Tag(), 4);
    EXPECT_EQ(core->kto(), QStringLiteral("przyczyna"));
    EXPECT_TRUE(core->Timer1().isActive());
    EXPECT_EQ(core->Timer1().interval(), 1000);
    EXPECT_GT(core->Timer1().remainingTime(), 500);
    core->Timer1().stop();
}

TEST_F(Sequencer, ClockQuestionIsAskedOnceAndYesSendsTheFrame)
{
    Connect();
    core->ToolButton11Click();
    core->Zagar1Click(); // asked twice before the idle handler runs
    EXPECT_TRUE(port.written.empty());
    core->OnAppIdle();
    EXPECT_EQ(view.messages, QStringList{QStringLiteral("question: ") + Texts().txtSetClockPrompt});
    const Bytes expected{0xFF, 0xFF, 0x09, 0x04, 0xDB, 0x07, 0x03, 0x0F, 0x0E, 0x05, 0x09, 0x1B};
    EXPECT_EQ(port.TakeWritten(), std::vector<Bytes>{expected});
    EXPECT_EQ(view.memo1.last(), QStringLiteral("Tx ZEGAR: FF FF 09 04 DB 07 03 0F 0E 05 09 1B "));
    EXPECT_EQ(core->Timer1Tag(), 0);

    // No leaves the line and the log untouched.
    view.confirmAnswer = false;
    const auto memoLines = view.memo1.size();
    core->ToolButton11Click();
    core->OnAppIdle();
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(view.memo1.size(), memoLines);

    // Yes on a closed port: the write fails, the frame is still logged.
    port.Close();
    view.confirmAnswer = true;
    core->ToolButton11Click();
    core->OnAppIdle();
    EXPECT_EQ(view.memo1.last(), QStringLiteral("Tx ZEGAR: FF FF 09 04 DB 07 03 0F 0E 05 09 1B "));
}

} // namespace
} // namespace zorva::test
