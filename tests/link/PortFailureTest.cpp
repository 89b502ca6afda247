// Why the port is closed: told once per change in the traffic log and the log file, kept in
// the status bar's second panel in the current language, emptied when the port opens.
#include "LinkRig.h"
#include "shell/LanguageTexts.h"
#include "shell/LogFile.h"

namespace zorva::test {
namespace {

using PortFailureReport = LinkTest;

PortFailure Failure(PortFailure::Kind kind, const QString& path, long pid = 0,
                    const QString& holder = {})
{
    return {kind, QStringLiteral("COM1"), path, QStringLiteral("system text"), pid, holder};
}

QStringList LinesWith(const QStringList& lines, const QString& part)
{
    return lines.filter(part);
}

TEST_F(PortFailureReport, EachReasonIsLoggedOncePerChangeAndTheOpenPortEmptiesThePanel)
{
    SetEnglishTexts();
    port.openFails = true;
    port.failure = Failure(PortFailure::Kind::kMissing, QStringLiteral("/dev/ttyUSB0"));
    const QString missing = QStringLiteral("/dev/ttyUSB0: not present: is the adapter plugged in?");
    Ticks(3);
    EXPECT_EQ(view.portFailure, missing);
    EXPECT_EQ(view.statusBar, QStringLiteral("COM1 closed"));
    EXPECT_EQ(view.memo1, QStringList{QStringLiteral("COM1: ") + missing});
    EXPECT_EQ(LinesWith(LogFileLines(), missing),
              QStringList{LogLinePrefix(clock.now) + QStringLiteral("COM1: ") + missing});

    // Another program takes the device: a new reason, one more line each.
    port.failure = Failure(PortFailure::Kind::kInUse, QStringLiteral("/dev/ttyUSB0"), 4711,
                           QStringLiteral("minicom"));
    const QString inUse = QStringLiteral("/dev/ttyUSB0: in use by minicom (process 4711)");
    Ticks(2);
    EXPECT_EQ(view.portFailure, inUse);
    EXPECT_EQ(view.memo1.size(), 2);
    EXPECT_EQ(LinesWith(LogFileLines(), inUse).size(), 1);

    // A language switch changes the panel's text, not the reason: nothing is logged again.
    SetPolishTexts();
    core->ShowPortFailure();
    EXPECT_EQ(view.portFailure,
              QStringLiteral("/dev/ttyUSB0: używany przez minicom (proces 4711)"));
    Ticks(2);
    EXPECT_EQ(view.memo1.size(), 2);

    port.openFails = false;
    core->Tick();
    EXPECT_TRUE(view.portFailure.isEmpty());
    EXPECT_EQ(view.statusBar, QStringLiteral("COM1 opened"));
    EXPECT_EQ(LinesWith(view.memo1, QStringLiteral("COM1: ")).size(), 2);

    // The same reason after the port has stayed open for a whole tick is a change and is told
    // again.
    Ticks(2);
    port.open = false;
    port.openFails = true;
    core->Tick();
    EXPECT_EQ(LinesWith(view.memo1, QStringLiteral("COM1: ")).size(), 3);
    EXPECT_EQ(LinesWith(LogFileLines(), QStringLiteral("(proces 4711)")).size(), 1);
}

// A server that accepts and drops each connection at once: one episode, told once, however
// often it connects; once a connection has lasted, the next drop is told again.
TEST_F(PortFailureReport, ADropRightAfterEachConnectIsToldOncePerEpisode)
{
    SetEnglishTexts();
    port.device = QStringLiteral("tcp://127.0.0.1:4001");
    PortFailure dropped = Failure(PortFailure::Kind::kDropped, port.device);
    dropped.deviceName = port.device;
    port.failure = dropped;
    const QString text = QStringLiteral("tcp://127.0.0.1:4001: connection dropped");
    for (int i = 0; i < 4; ++i) {
        port.openFails = false;
        core->Tick(); // connects
        EXPECT_TRUE(view.portFailure.isEmpty());
        port.open = false; // and is dropped before the next tick
        port.openFails = true;
        core->Tick();
        EXPECT_EQ(view.portFailure, text);
    }
    EXPECT_EQ(view.memo1.filter(text).size(), 1);
    EXPECT_EQ(LinesWith(LogFileLines(), text).size(), 1);

    port.openFails = false;
    Ticks(3);
    port.open = false;
    port.openFails = true;
    core->Tick();
    EXPECT_EQ(view.memo1.filter(text).size(), 2);
    SetPolishTexts();
}

// The kinds that the simulator tests of the main window cannot bring about; the log line names
// the port once, also where the device has the port's own name.
TEST_F(PortFailureReport, NoAccessAnUnknownHolderAndThePortNamedOnce)
{
    const struct {
        PortFailure failure;
        const char* polish;
        const char* english;
        bool named = false; // the text begins with the port's name
    } cases[] = {
        {Failure(PortFailure::Kind::kPermission, QStringLiteral("/dev/ttyS0")),
         "/dev/ttyS0: brak dostępu; dodaj użytkownika do grupy dialout: sudo usermod -aG dialout "
         "$USER, potem zaloguj się ponownie",
         "/dev/ttyS0: no access; add the user to the group dialout: sudo usermod -aG dialout "
         "$USER, then log in again"},
        {Failure(PortFailure::Kind::kInUse, QStringLiteral("/dev/ttyACM0")),
         "/dev/ttyACM0: używany przez inny program", "/dev/ttyACM0: in use by another program"},
        {Failure(PortFailure::Kind::kNotSerial, QStringLiteral("COM1")),
         "COM1: to nie jest urządzenie szeregowe", "COM1: not a serial device", true},
    };
    port.openFails = true;
    for (const auto& c : cases) {
        SetPolishTexts();
        EXPECT_EQ(PortFailureText(c.failure), QString::fromUtf8(c.polish));
        SetEnglishTexts();
        EXPECT_EQ(PortFailureText(c.failure), QString::fromUtf8(c.english));
        port.failure = c.failure;
        core->Tick();
        EXPECT_EQ(view.memo1.value(view.memo1.size() - 1),
                  (c.named ? "" : "COM1: ") + QString::fromUtf8(c.english));
    }
    SetPolishTexts();
}

} // namespace
} // namespace zorva::test
