// The main window against the module simulator when the port cannot be opened: each reason in
// the status bar's second panel, the port settings dialog, the traffic log and once in the log
// file, in both languages; a device picked by its own name reached again after a restart; and a
// port that takes seconds to open while the window goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ModalDriver.h"
#include "app/PortRSLink.h"
#include "app/TForm1.h"
#include "config/ui/ConfigPanel.h"
#include "link/LinkCore.h"
#include "serial/TComm64.h"
#include "serial/ui/TFormKonf.h"
#include "shell/LanguageTexts.h"
#include "sim/Simulator.h"

namespace zorva {
namespace {

using testing::WhenModalShows;

constexpr int kDeadlineMs = 30000;

// Lets the event loop run until `done` holds or the deadline passes; the caller checks.
bool WaitUntil(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(kDeadlineMs);
    while (!done() && !deadline.hasExpired()) {
        QTest::qWait(10);
    }
    return done();
}

class PortReasonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear();
        sim::Options options;
        options.linkPath = dir_.filePath(QStringLiteral("module.tty")).toStdString();
        options.seed = 1;
        simulator_ = std::make_unique<sim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(simulator_->Start(&error)) << error;
        link_ = QString::fromStdString(simulator_->linkPath());
    }
    void TearDown() override
    {
        simulator_->Stop();
        QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear();
    }

    static void SetAlias(const QString& name, const QString& path)
    {
        QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        settings.setValue(QStringLiteral("ports/") + name, path);
        settings.sync();
    }
    static std::unique_ptr<TFormKonf> DialogFor(TForm1& form, PortSource ports = PlatformDevices)
    {
        auto dialog = std::make_unique<TFormKonf>(form.Port().Component(), DtrFlagOf(*form.Link()),
                                                  RtsFlagOf(*form.Link()), &form, std::move(ports));
        form.SetPortSettingsDialog(dialog.get());
        return dialog;
    }
    // What the dialog says under the port list, opened from the menu as the user opens it.
    static QString ReasonInDialog(TForm1& form)
    {
        QString shown;
        WhenModalShows<TFormKonf>([&](TFormKonf* dialog) {
            shown = dialog->LabelReason->isVisible() ? dialog->LabelReason->text() : QString();
            dialog->accept();
        });
        form.Link()->RS2321Click();
        return shown;
    }
    // One tick of the link, and the open it starts run to its end while the event loop runs.
    static bool TickAndOpen(TForm1& form)
    {
        form.Link()->Tick();
        return WaitUntil([&] { return !form.Port().Component().Opening(); });
    }
    static int CountContaining(const QStringList& lines, const QString& part)
    {
        return static_cast<int>(lines.filter(part).size());
    }
    QStringList LogFileLines() const
    {
        QFile file(dir_.filePath(QStringLiteral("run.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).split(u'\n')
                                              : QStringList{};
    }

    QTemporaryDir dir_;
    QString link_;
    std::unique_ptr<sim::Simulator> simulator_;
};

TEST_F(PortReasonTest, EachReasonIsShownWhereTheUserLooksAndLoggedOnce)
{
    const QString absent = dir_.filePath(QStringLiteral("absent.tty"));
    std::string ownName;
    std::getline(std::ifstream("/proc/self/comm"), ownName);
    const QString own = QString::fromStdString(ownName);
    const QString pid = QString::number(::getpid());
    const struct {
        QString alias;
        bool locked; // a second program holds the simulator's line
        QString english;
        QString polish;
    } cases[] = {
        {absent, false, absent + QStringLiteral(": not present: is the adapter plugged in?"),
         absent + QStringLiteral(": brak urządzenia: czy adapter jest podłączony?")},
        {QStringLiteral("/dev/null"), false, QStringLiteral("/dev/null: not a serial device"),
         QStringLiteral("/dev/null: to nie jest urządzenie szeregowe")},
        {link_, true, link_ + QStringLiteral(": in use by %1 (process %2)").arg(own, pid),
         link_ + QStringLiteral(": używany przez %1 (proces %2)").arg(own, pid)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.english.toStdString());
        QFile::remove(dir_.filePath(QStringLiteral("run.log")));
        SetAlias(QStringLiteral("COM1"), c.alias);
        int holder = -1;
        if (c.locked) {
            holder = ::open(QFile::encodeName(link_).constData(), O_RDWR | O_NOCTTY);
            ASSERT_GE(holder, 0);
            ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
        }
        TForm1 form({QStringLiteral("zorva-config"), QStringLiteral("/serw")});
        auto dialog = DialogFor(form);
        form.Link()->Timer1().stop(); // the test ticks by itself
        form.Link()->setLogFilePath(dir_.filePath(QStringLiteral("run.log")));
        for (int tick = 0; tick < 3; ++tick) {
            ASSERT_TRUE(TickAndOpen(form));
        }
        EXPECT_EQ(form.StatusBarText(), QStringLiteral("COM1 closed"));
        EXPECT_EQ(form.StatusBarPanel1Text(), c.english);
        EXPECT_EQ(CountContaining(form.Memo1->toPlainText().split(u'\n'), c.english), 1);
        EXPECT_EQ(CountContaining(LogFileLines(), c.english), 1);
        EXPECT_EQ(ReasonInDialog(form), c.english);

        form.Polski1Click();
        EXPECT_EQ(form.StatusBarPanel1Text(), c.polish);
        EXPECT_EQ(ReasonInDialog(form), c.polish);

        if (c.locked) {
            // The other program lets go: the port opens and the panel empties.
            ::close(holder);
            ASSERT_TRUE(TickAndOpen(form));
            EXPECT_EQ(form.StatusBarText(), QStringLiteral("COM1 opened"));
            EXPECT_TRUE(form.StatusBarPanel1Text().isEmpty());
        }
        form.English1Click();
    }
}

TEST_F(PortReasonTest, WriteVerifiedNoteStandsInThePanelInItsLanguageUntilTheLinkIsLost)
{
    SetAlias(QStringLiteral("COM1"), link_);
    TForm1 form({QStringLiteral("zorva-config")});
    ASSERT_TRUE(WaitUntil([&] { return !form.Link()->StatusEmpty(); }));
    form.Link()->ToolButton3Click();
    EXPECT_TRUE(WaitUntil([&] { return form.StatusBarPanel1Text() == Texts().txtWriteVerified; }));
    form.Polski1Click();
    EXPECT_EQ(form.StatusBarPanel1Text(), "Zapis sprawdzony: moduł ma zapisane dane.");
    simulator_->Unplug(2);
    EXPECT_TRUE(WaitUntil([&] { return form.StatusBarPanel1Text().startsWith(link_); }));
    EXPECT_TRUE(WaitUntil([&] { return !form.Link()->StatusEmpty(); }));
    EXPECT_EQ(form.StatusBarPanel1Text(), QString());
}

TEST_F(PortReasonTest, DevicePickedByItsOwnNameIsReachedAgainAfterARestart)
{
    // The platform offers the simulator's line by its own name, beside ttyS0 and ttyS1, whose
    // COM names (COM1, COM2) must stay theirs.
    const PortSource devices = [this] {
        return std::vector<PortEntry>{
            {QStringLiteral("ttyS0"), {}, QStringLiteral("/dev/ttyS0")},
            {QStringLiteral("ttyS1"), {}, QStringLiteral("/dev/ttyS1")},
            {QStringLiteral("module.tty"), QStringLiteral("ZORVA simulator"), link_},
        };
    };
    {
        TForm1 form({QStringLiteral("zorva-config")});
        auto dialog = DialogFor(form, devices);
        WhenModalShows<TFormKonf>([](TFormKonf* d) {
            const int target = d->CCB1->findData(QStringLiteral("module.tty"));
            while (target >= 0 && d->CCB1->currentIndex() < target) {
                QTest::keyClick(d->CCB1, Qt::Key_Down);
            }
            QTest::keyClick(d, Qt::Key_Return);
        });
        form.Link()->RS2321Click();
        EXPECT_EQ(form.Port().DeviceName(), QStringLiteral("COM3"));
        form.close();
    }
    QSettings stored(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    EXPECT_EQ(stored.value(QStringLiteral("cm")).toByteArray(), QByteArray(1, '\x03'));
    EXPECT_EQ(stored.value(QStringLiteral("ports/COM3")).toString(), link_);

    TForm1 restarted({QStringLiteral("zorva-config")});
    EXPECT_EQ(restarted.Port().DeviceName(), QStringLiteral("COM3"));
    EXPECT_TRUE(WaitUntil([&] {
        return restarted.Label16->text().startsWith(Texts().txtConnected);
    })) << restarted.Label16->text().toStdString();
    restarted.close();
}

// The open runs off the window's thread (a Bluetooth port whose device is off takes seconds):
// timers and typing go on meanwhile, the reopen every second leaves the one open alone, and the
// module answers once the port is open.
TEST_F(PortReasonTest, TheWindowRunsOnWhileThePortTakesFiveSecondsToOpen)
{
    SetAlias(QStringLiteral("COM1"), link_);
    TForm1 form({QStringLiteral("zorva-config")});
    std::atomic<bool> blocked{false};
    std::atomic<int> opens{0};
    form.Port().Component().setOpener([&](const QString& name, const QString& path) {
        ++opens;
        blocked = true;
        std::this_thread::sleep_for(std::chrono::seconds(5));
        blocked = false;
        return OpenPortNamed(name, path);
    });
    ASSERT_TRUE(WaitUntil([&] { return blocked.load(); }));
    int timerRuns = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++timerRuns; });
    timer.start(50);
    auto* password = form.Panel5->findChild<QLineEdit*>(QStringLiteral("E_pass"));
    password->setFocus();
    password->clear();
    for (const auto& [key, text] : {std::pair{Qt::Key_A, "a"}, std::pair{Qt::Key_B, "b"}}) {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) { // as typed
            QCoreApplication::postEvent(password, new QKeyEvent(type, key, Qt::NoModifier, text));
        }
    }
    bool blockedMeanwhile = false;
    ASSERT_TRUE(WaitUntil([&] {
        blockedMeanwhile = blocked.load();
        return timerRuns >= 10 && password->text() == QStringLiteral("ab");
    }));
    EXPECT_TRUE(blockedMeanwhile) << "timers and typing waited for the open";
    EXPECT_TRUE(WaitUntil([&] { return !form.Link()->StatusEmpty(); }));
    EXPECT_EQ(opens.load(), 1);
}

} // namespace
} // namespace zorva
