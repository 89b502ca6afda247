// The idle handler: order of its work, the Qt hook that runs it when the event loop goes idle,
// and the clock frame it sends.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "LinkRig.h"
#include "link/ClockFrame.h"
#include "link/IdleHook.h"
#include "shell/LanguageTexts.h"

namespace zorva::test {
namespace {

using IdleWork = LinkTest;

TEST_F(IdleWork, ShowsErrorThenInformationThenTheQuestionAndSyncsThePreviewButtons)
{
    core->ToolButton11Click();
    core->PostInformation(QStringLiteral("info"));
    core->PostError(QString(300, u'x'));
    view.confirmAnswer = false;
    core->OnAppIdle();
    EXPECT_EQ(view.messages,
              (QStringList{QStringLiteral("error: ") + QString(255, u'x'),
                           QStringLiteral("information: info"),
                           QStringLiteral("question: ") + Texts().txtSetClockPrompt}));
    EXPECT_FALSE(core->HasPendingMessage());
    EXPECT_EQ(preview.playShown, false);

    core->setPictcnt(kPictComplete);
    core->OnAppIdle();
    EXPECT_EQ(preview.playShown, true);
    EXPECT_EQ(view.messages.size(), 3);
}

TEST(ClockFrame, CarriesTheLocalDateAndTime)
{
    EXPECT_EQ(ClockFrame(QDateTime(QDate(2011, 3, 15), QTime(14, 5, 9, 999))),
              (Bytes{0xFF, 0xFF, 0x09, 0x04, 0xDB, 0x07, 0x03, 0x0F, 0x0E, 0x05, 0x09, 0x1B}));
    const Bytes y2000 = ClockFrame(QDateTime(QDate(2000, 12, 31), QTime(23, 59, 58)));
    EXPECT_EQ(Bytes(y2000.begin() + 4, y2000.end() - 1), (Bytes{0xD0, 0x07, 12, 31, 23, 59, 58}));
}

class IdleHookTest : public LinkTest {
protected:
    // Runs a real event loop (which goes idle between events) until `done` or a generous
    // deadline; a slow timer checks the condition.
    template <typename Pred> bool RunUntil(Pred done)
    {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done()) {
                loop.quit();
            }
        });
        check.start(20);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        return done();
    }
};

TEST_F(IdleHookTest, MessagesAreShownOutsideTheDispatcherCallbackAndAnIdleLoopDoesNotSpin)
{
    IdleHook hook(*core);
    bool shownInsideCallback = false;
    view.onMessage = [&] {
        shownInsideCallback = shownInsideCallback || hook.InDispatcherCallback();
    };

    core->PostError(QStringLiteral("błąd"));
    core->PostInformation(QStringLiteral("informacja"));
    ASSERT_TRUE(RunUntil([&] { return view.messages.size() == 2; }));
    EXPECT_FALSE(shownInsideCallback);
    EXPECT_EQ(view.messages, (QStringList{QStringLiteral("error: błąd"),
                                          QStringLiteral("information: informacja")}));
    EXPECT_EQ(preview.playShown, false);

    // The buttons follow the picture counter at the next idle moment.
    core->setPictcnt(0);
    ASSERT_TRUE(RunUntil([&] { return preview.playShown == true; }));

    // Nothing pending: an event loop that waits 300 ms for a single timer goes idle a handful
    // of times, not thousands.
    const quint64 before = hook.IdleCount();
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_GT(hook.IdleCount(), before);
    EXPECT_LT(hook.IdleCount() - before, 50u);
    EXPECT_EQ(view.messages.size(), 2);
}

TEST_F(IdleHookTest, PendingMessagesWaitUntilTheParserHasReturned)
{
    IdleHook hook(*core);
    core->PostError(QStringLiteral("błąd"));
    core->PostInformation(QStringLiteral("informacja"));
    core->ToolButton11Click();
    // The unsupported-firmware message runs an event loop inside the parser: let it go idle
    // several times there.
    QStringList shownInsideParser;
    view.duringModal = [&] {
        const quint64 before = hook.IdleCount();
        ASSERT_TRUE(RunUntil([&] { return hook.IdleCount() >= before + 5; }));
        shownInsideParser = view.messages;
    };
    Feed(Reply(kRxStatus, StatusRecord(3)));
    ASSERT_EQ(view.firmwareErrors.size(), 1);
    EXPECT_EQ(shownInsideParser, QStringList{});

    ASSERT_TRUE(RunUntil([&] { return view.messages.size() == 3; }));
    EXPECT_EQ(view.messages,
              (QStringList{QStringLiteral("error: błąd"), QStringLiteral("information: informacja"),
                           QStringLiteral("question: ") + Texts().txtSetClockPrompt}));
}

} // namespace
} // namespace zorva::test
