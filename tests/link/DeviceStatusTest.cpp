// The status strip, the firmware check and the status grid's colour rule.
#include "LinkRig.h"
#include "shell/LanguageTexts.h"

namespace zorva::test {
namespace {

using DeviceStatus = LinkTest;

TEST_F(DeviceStatus, StripShowsFirmwareAndTheModulesClock)
{
    core->Tick();
    Feed(Reply(kRxStatus, StatusRecord(2)));
    EXPECT_EQ(view.stripConnected, true);
    EXPECT_EQ(view.left, QStringLiteral("Połączono: moduł ZORVA v1.02"));
    EXPECT_EQ(view.right, QStringLiteral("2011-03-15  14:05:09 "));
    EXPECT_EQ(core->FirmwareVersion(), QStringLiteral("1.02"));

    // The same content does not rewrite the captions; the grid is repainted every time.
    const int leftSets = view.leftSets, rightSets = view.rightSets, repaints = view.gridRepaints;
    Feed(Reply(kRxStatus, StatusRecord(2)));
    EXPECT_EQ(view.leftSets, leftSets);
    EXPECT_EQ(view.rightSets, rightSets);
    EXPECT_EQ(view.gridRepaints, repaints + 1);
    // Only the first status reply after an empty record started a read.
    EXPECT_EQ(WrittenCodes(), (std::vector<int>{kCmdStan, kCmdDane}));
}

// A repeated record skips the strip's texts, but not when what they are made of has changed.
TEST_F(DeviceStatus, RepeatedRecordFollowsLanguageFirmwareDateAndUnsupportedFirmware)
{
    core->Tick();
    Feed(Reply(kRxStatus, StatusRecord(2)));
    SetEnglishTexts();
    Feed(Reply(kRxStatus, StatusRecord(2)));
    EXPECT_EQ(view.left, Texts().txtConnected + QStringLiteral("02"));
    SetPolishTexts();

    Feed(Reply(kRxFirmwareDate, {0x15, 0x03, 0x20, 0x11}));
    EXPECT_EQ(view.left, Texts().txtConnected + QStringLiteral("02 2011-03-15"));
    Feed(Reply(kRxStatus, StatusRecord(2))); // shows the date once more, then forgets it
    Feed(Reply(kRxStatus, StatusRecord(2)));
    EXPECT_EQ(view.left, Texts().txtConnected + QStringLiteral("02"));

    Feed(Reply(kRxStatus, StatusRecord(3)));
    Feed(Reply(kRxStatus, StatusRecord(3)));
    EXPECT_EQ(view.firmwareErrors.size(), 2);
}

TEST_F(DeviceStatus, FirmwareUpToOneZeroTwoIsAcceptedNewerBlocksUntilToolButton4Click)
{
    struct Case {
        std::uint8_t number;
        QString version;
        bool blocks;
    };
    const Case cases[] = {
        {0, QStringLiteral("1.00"), false},   {1, QStringLiteral("1.01"), false},
        {2, QStringLiteral("1.02"), false},   {3, QStringLiteral("1.03"), true},
        {100, QStringLiteral("1.100"), true}, {10, QStringLiteral("1.10"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version.toStdString());
        TearDown();
        view = RecordingView{};
        port = ScriptedPort{};
        SetUp();
        core->Tick();
        const QString leftBefore = view.left;
        Feed(Reply(kRxStatus, StatusRecord(c.number)));
        EXPECT_EQ(core->FirmwareVersion(), c.version);
        port.TakeWritten();
        Ticks(5); // the read's countdown runs out
        if (!c.blocks) {
            EXPECT_TRUE(view.firmwareErrors.isEmpty());
            EXPECT_EQ(view.left, Texts().txtConnected + c.version.mid(2));
            EXPECT_FALSE(port.written.empty());
            continue;
        }
        EXPECT_EQ(view.firmwareErrors,
                  QStringList{Texts().txtConnected + c.version.mid(2) +
                              QStringLiteral("\r\rProgram nie obsługuje tej wersji.")});
        EXPECT_EQ(view.left, leftBefore); // captions left as they were
        EXPECT_TRUE(port.written.empty());
        core->ToolButton4Click();
        EXPECT_EQ(view.settingsShown, 1);
        EXPECT_TRUE(core->FirmwareVersion().isEmpty());
        Ticks(5);
        EXPECT_FALSE(port.TakeWritten().empty());
    }
}

TEST_F(DeviceStatus, LostLinkGreysTheStripButKeepsTheFirmwareBlock)
{
    core->Tick();
    Feed(Reply(kRxStatus, StatusRecord(2)));
    Ticks(6 * 5); // the read runs out and the watchdog ends it
    EXPECT_TRUE(core->StatusEmpty());
    EXPECT_EQ(view.stripConnected, false);
    EXPECT_EQ(view.left, Texts().txtNoConnection);
    EXPECT_EQ(view.right, QString());
    EXPECT_EQ(core->FirmwareVersion(), QStringLiteral("1.02"));
}

} // namespace
} // namespace zorva::test
