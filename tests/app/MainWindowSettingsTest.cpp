// What the main window restores at creation and stores at close and destruction.
#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

#include "MainWindowFixture.h"
#include "app/PortRSLink.h"
#include "serial/TComm64.h"

namespace zorva::test {
namespace {

QRect VirtualDesktop()
{
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens()) {
        desktop = desktop.united(screen->geometry());
    }
    return desktop;
}

TEST_F(MainWindowTest, FirstRunStartsOnComOneInEnglishWithTheEventAreaClosed)
{
    auto form = Create();
    EXPECT_TRUE(form->CreationError().isEmpty());
    EXPECT_EQ(form->Port().DeviceName(), QStringLiteral("COM1"));
    EXPECT_FALSE(form->Polski1->isChecked());
    EXPECT_TRUE(form->English1->isChecked());
    EXPECT_EQ(form->Plik1->title(), QStringLiteral("File"));
    EXPECT_EQ(form->ClientHeight(), 367);
    EXPECT_TRUE(form->Memo2->isHidden());
    EXPECT_FALSE(form->testAttribute(Qt::WA_Moved)) << "no stored placement: platform default";
    EXPECT_EQ(form->StatusBarText(), QStringLiteral("____"));
    EXPECT_EQ(form->Port().Component().BaudRate(), cbr115200);
}

TEST_F(MainWindowTest, StoredPortNumbersAndWhatTheCloseWritesBack)
{
    const struct {
        std::uint8_t stored;
        const char* deviceAtStart;
        const char* deviceAtClose; // nullptr: unchanged
        std::uint8_t written;
    } cases[] = {
        {9, "COM1", nullptr, 1}, {0, "COM1", nullptr, 1}, {8, "COM8", nullptr, 8},
        {3, "COM3", "COM10", 1}, {3, "COM3", "COM5", 5},
    };
    for (const auto& c : cases) {
        ResetSettings();
        StoreByte(QStringLiteral("cm"), c.stored);
        auto form = Create();
        EXPECT_EQ(form->Port().DeviceName(), QLatin1String(c.deviceAtStart)) << int(c.stored);
        if (c.deviceAtClose != nullptr) {
            form->Port().SetDeviceName(QLatin1String(c.deviceAtClose));
        }
        form->close();
        EXPECT_EQ(Stored(QStringLiteral("cm")).toByteArray(), QByteArray(1, char(c.written)))
            << int(c.stored);
    }
    // COM8 stored at close is COM8 again at the next start.
    ResetSettings();
    StoreByte(QStringLiteral("cm"), 8);
    Create()->close();
    EXPECT_EQ(Create()->Port().DeviceName(), QStringLiteral("COM8"));
}

TEST_F(MainWindowTest, CloseWritesEveryPortValueAndTheLanguage)
{
    auto form = Create();
    form->Port().Component().setBaudRate(cbr9600);
    form->Port().Component().setParity(paEven);
    form->Polski1Click();
    form->close();
    const struct {
        const char* name;
        std::uint8_t value;
    } expected[] = {{"cm", 1},  {"cp", cbr9600}, {"cs", sb1_0}, {"cd", da8},
                    {"cpa", 2}, {"cdtr", 1},     {"crts", 1},   {"pl", 1}};
    for (const auto& e : expected) {
        const QVariant value = Stored(QLatin1String(e.name));
        EXPECT_EQ(value.typeId(), QMetaType::QByteArray) << e.name;
        EXPECT_EQ(value.toByteArray(), QByteArray(1, char(e.value))) << e.name;
    }
    // The baud rate is stored, but the next start runs at the design speed again.
    auto next = Create();
    EXPECT_EQ(next->Port().Component().BaudRate(), cbr115200);
    EXPECT_TRUE(next->Polski1->isChecked());
    EXPECT_EQ(next->Plik1->title(), QStringLiteral("Plik"));
    next->English1Click();
    next->close();
    EXPECT_EQ(Stored(QStringLiteral("pl")).toByteArray(), QByteArray(1, '\0'));
}

TEST_F(MainWindowTest, PlacementOffTheDesktopIsMovedBack)
{
    const QRect desktop = VirtualDesktop();
    const int w = 300, h = 200;
    const struct {
        int left, top;
        QPoint expected;
    } cases[] = {
        {40, desktop.height() + 100, QPoint(40, (desktop.height() - h) / 2)},
        {40, desktop.height() - 24, QPoint(40, (desktop.height() - h) / 2)},
        {40, desktop.height() - 25, QPoint(40, desktop.height() - 25)},
        {desktop.width() + 5, 30, QPoint((desktop.width() - w) / 2, 30)},
        {70, 50, QPoint(70, 50)},
    };
    for (const auto& c : cases) {
        ResetSettings();
        Store(QStringLiteral("ZORVA"), PlacementRecord({c.left, c.top, w, h}));
        auto form = Create();
        EXPECT_EQ(form->pos(), c.expected) << c.left << "," << c.top;
        // A fixed border keeps the window's own size.
        EXPECT_NE(form->height(), h);
    }
}

TEST_F(MainWindowTest, PlacementOfAllZerosIsIgnored)
{
    Store(QStringLiteral("ZORVA"), PlacementRecord({0, 0, 0, 0}));
    auto form = Create();
    EXPECT_FALSE(form->testAttribute(Qt::WA_Moved));
    // The test is on the sum: values that add up to zero count as nothing stored either.
    ResetSettings();
    Store(QStringLiteral("ZORVA"), PlacementRecord({60, 40, -50, -50}));
    EXPECT_FALSE(Create()->testAttribute(Qt::WA_Moved));
    ResetSettings();
    Store(QStringLiteral("ZORVA"), PlacementRecord({60, 40, -50, -49}));
    EXPECT_EQ(Create()->pos(), QPoint(60, 40));
}

TEST_F(MainWindowTest, DestructionSavesThePlacementUnlessMaximised)
{
    {
        auto form = Create();
        form->move(123, 77);
    }
    const QByteArray saved = Stored(QStringLiteral("ZORVA")).toByteArray();
    ASSERT_EQ(saved.size(), 16);
    EXPECT_EQ(saved.left(8), PlacementRecord({123, 77, 0, 0}).left(8));
    {
        auto form = Create();
        EXPECT_EQ(form->pos(), QPoint(123, 77));
        form->move(400, 300);
        form->setWindowState(Qt::WindowMaximized);
    }
    EXPECT_EQ(Stored(QStringLiteral("ZORVA")).toByteArray(), saved);
}

TEST_F(MainWindowTest, WrongTypeValueIsReportedAndEndsTheCreation)
{
    const struct {
        const char* name;
        QVariant value;
        bool languageApplied; // the steps before the failed read ran
    } cases[] = {
        {"cm", QVariant(QStringLiteral("2")), false},
        {"cm", QVariant(QByteArray("\x02\x00", 2)), false},
        {"pl", QVariant(QByteArray("\x00\x00", 2)), false},
        {"ZORVA", QVariant(QByteArray(17, '\x01')), true},
        {"ZORVA", QVariant(42), true},
    };
    for (const auto& c : cases) {
        ResetSettings();
        StoreByte(QStringLiteral("pl"), 0);
        Store(QLatin1String(c.name), c.value);
        ModalBoxWatcher boxes;
        auto form = Create();
        const QString message = QStringLiteral("Invalid data type for '%1'").arg(c.name);
        EXPECT_EQ(boxes.texts, QStringList{message}) << c.name;
        EXPECT_EQ(form->CreationError(), message);
        // The rest of the creation was skipped: the event area is still the design's.
        EXPECT_FALSE(form->Memo2->isHidden()) << c.name;
        EXPECT_EQ(form->ClientHeight(), 517) << c.name;
        // English is stored; the design's Polish item stays checked when the step never ran.
        EXPECT_EQ(form->English1->isChecked(), c.languageApplied) << c.name;
        EXPECT_FALSE(form->Plik1->title().isEmpty()) << "the design's captions stay";
        // The program goes on: closing still stores the values, replacing the wrong one.
        form->close();
        EXPECT_EQ(Stored(QStringLiteral("cm")).typeId(), QMetaType::QByteArray);
    }
}

} // namespace
} // namespace zorva::test
