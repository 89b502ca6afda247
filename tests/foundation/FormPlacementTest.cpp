#include "shell/FormPlacement.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QWidget>

#include "shell/SettingsStore.h"

namespace zorva {

// For the comparisons and messages of the test cases.
inline bool operator==(const Placement& a, const Placement& b)
{
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

inline void PrintTo(const Placement& p, std::ostream* os)
{
    *os << "{" << p.left << ", " << p.top << ", " << p.width << ", " << p.height << "}";
}

namespace {

TEST(FitToDesktop, MovesPlacementsNearOrBeyondTheFarEdge)
{
    const QRect desktop(0, 0, 1920, 1080);
    struct Case {
        const char* name;
        Placement stored;
        Placement fitted;
    };
    const Case cases[] = {
        {"inside", {100, 200, 800, 600}, {100, 200, 800, 600}},
        {"top exactly 25 from the bottom", {100, 1055, 800, 600}, {100, 1055, 800, 600}},
        {"top 24 from the bottom", {100, 1056, 800, 600}, {100, 240, 800, 600}},
        {"top beyond the desktop", {100, 5000, 800, 601}, {100, 239, 800, 601}},
        {"taller than the desktop", {100, 2000, 800, 1080}, {100, 0, 800, 1080}},
        {"left beyond the desktop", {1896, 10, 400, 300}, {760, 10, 400, 300}},
        {"left 25 from the right edge", {1895, 10, 400, 300}, {1895, 10, 400, 300}},
        {"wider than the desktop", {3000, 10, 2000, 300}, {0, 10, 2000, 300}},
        {"both", {4000, 4000, 1921, 101}, {0, 489, 1921, 101}},
        {"negative positions stay", {-300, -20, 400, 300}, {-300, -20, 400, 300}},
        // An odd difference is halved with truncation.
        {"odd difference", {0, 1070, 0, 1079}, {0, 0, 0, 1079}},
        {"junk sizes",
         {2147483647, 2147483647, -2147483647 - 1, 5},
         {1073742784, 537, -2147483647 - 1, 5}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitToDesktop(c.stored, desktop), c.fitted) << c.name;
    }
}

class FormPlacement : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        settings.clear();
    }
    static std::array<std::int32_t, 4> Stored(const QString& name)
    {
        std::array<std::uint8_t, 16> bytes{};
        EXPECT_TRUE(RegReadBytes(kRegKey, name, bytes.data(), 16));
        std::array<std::int32_t, 4> values{};
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t* p = &bytes[static_cast<std::size_t>(i) * 4];
            values[static_cast<std::size_t>(i)] =
                static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                          std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
        }
        return values;
    }
    static void Store(const QString& name, const std::array<std::int32_t, 4>& values)
    {
        std::array<std::uint8_t, 16> bytes{};
        for (std::size_t i = 0; i < 16; ++i) {
            bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(values[i / 4]) >>
                                                 (8 * (i % 4)));
        }
        RegWriteBytes(kRegKey, name, bytes.data(), 16);
    }
    static QRect Desktop() { return QGuiApplication::primaryScreen()->virtualGeometry(); }
};

TEST_F(FormPlacement, SaveWritesLeftTopWidthHeightUnderTheCaption)
{
    QWidget form;
    form.setWindowTitle(QStringLiteral("ZORVA"));
    form.resize(321, 123);
    form.move(40, 50);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    SaveFormPlacement(&form, kRegKey);
    const QRect frame = form.frameGeometry();
    EXPECT_EQ(Stored(QStringLiteral("ZORVA")),
              (std::array<std::int32_t, 4>{frame.x(), frame.y(), 321, 123}));
}

TEST_F(FormPlacement, RestoreBringsBackPositionAndSize)
{
    {
        QWidget first;
        first.setWindowTitle(QStringLiteral("Podgl\u0105d"));
        first.setGeometry(60, 70, 300, 200);
        first.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
        SaveFormPlacement(&first, kRegKey);
    }
    QWidget second;
    second.setWindowTitle(QStringLiteral("Podgl\u0105d"));
    second.resize(100, 100);
    QString error;
    EXPECT_TRUE(RestoreFormPlacement(&second, kRegKey, &error));
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
    EXPECT_EQ(second.size(), QSize(300, 200));
    const std::array<std::int32_t, 4> stored = Stored(QStringLiteral("Podgl\u0105d"));
    EXPECT_EQ(second.frameGeometry().topLeft(), QPoint(stored[0], stored[1]));
    EXPECT_TRUE(error.isEmpty());
}

// Found by the settings fuzzer: a stored top of -78,174,669 put the window far above the
// desktop, and a stored width of -588,000,000 centred it 294 million pixels to the right.
TEST_F(FormPlacement, WindowWhollyBeforeTheDesktopComesBack)
{
    const QRect desktop = Desktop();
    struct Case {
        const char* name;
        std::array<std::int32_t, 4> stored;
        QPoint placed;
    };
    const Case cases[] = {
        {"far above", {0, -78174669, 300, 200}, {0, (desktop.height() - 200) / 2}},
        {"far to the left", {-5000, 10, 300, 200}, {(desktop.width() - 300) / 2, 10}},
        {"partly visible stays", {-100, -50, 300, 200}, {-100, -50}},
        {"centred far right by a negative stored width",
         {900000, 10, -588000000, 200},
         {(desktop.width() - 0) / 2, 10}},
    };
    for (const Case& c : cases) {
        Store(QStringLiteral("ZORVA"), c.stored);
        QWidget form;
        form.setWindowTitle(QStringLiteral("ZORVA"));
        EXPECT_TRUE(RestoreFormPlacement(&form, kRegKey)) << c.name;
        EXPECT_EQ(form.pos(), c.placed) << c.name;
    }
}

TEST_F(FormPlacement, FixedSizeAndToolWindowsKeepTheirSize)
{
    Store(QStringLiteral("Konfiguracja"), {30, 40, 500, 400});
    QWidget fixed;
    fixed.setWindowTitle(QStringLiteral("Konfiguracja"));
    fixed.setFixedSize(200, 100);
    EXPECT_TRUE(RestoreFormPlacement(&fixed, kRegKey));
    EXPECT_EQ(fixed.pos(), QPoint(30, 40));
    EXPECT_EQ(fixed.size(), QSize(200, 100));

    QWidget tool(nullptr, Qt::Tool);
    tool.setWindowTitle(QStringLiteral("Konfiguracja"));
    tool.resize(210, 110);
    EXPECT_TRUE(RestoreFormPlacement(&tool, kRegKey));
    EXPECT_EQ(tool.pos(), QPoint(30, 40));
    EXPECT_EQ(tool.size(), QSize(210, 110));
}

TEST_F(FormPlacement, PlacementBeyondTheDesktopIsCentred)
{
    const QRect desktop = Desktop();
    Store(QStringLiteral("ZORVA"), {desktop.width() + 100, desktop.height() - 24, 300, 200});
    QWidget form;
    form.setWindowTitle(QStringLiteral("ZORVA"));
    EXPECT_TRUE(RestoreFormPlacement(&form, kRegKey));
    EXPECT_EQ(form.pos(), QPoint((desktop.width() - 300) / 2, (desktop.height() - 200) / 2));
    EXPECT_EQ(form.size(), QSize(300, 200));
}

TEST_F(FormPlacement, NothingOrAllZerosStoredLeavesTheWindowAlone)
{
    Store(QStringLiteral("zeros"), {0, 0, 0, 0});
    for (const char* name : {"zeros", "never stored"}) {
        QWidget form;
        form.setWindowTitle(QString::fromLatin1(name));
        form.setGeometry(77, 88, 222, 111);
        EXPECT_TRUE(RestoreFormPlacement(&form, kRegKey)) << name;
        EXPECT_EQ(form.geometry(), QRect(77, 88, 222, 111)) << name;
    }
}

TEST_F(FormPlacement, WrongTypeIsReportedAndChangesNothing)
{
    RegWriteString(kRegKey, QStringLiteral("ZORVA"), QStringLiteral("10,10,300,200"));
    const std::array<std::uint8_t, 17> tooLong{1, 1, 1, 1};
    RegWriteBytes(kRegKey, QStringLiteral("Long"), tooLong.data(), 17);
    for (const char* name : {"ZORVA", "Long"}) {
        QWidget form;
        form.setWindowTitle(QString::fromLatin1(name));
        form.setGeometry(77, 88, 222, 111);
        QString error;
        EXPECT_FALSE(RestoreFormPlacement(&form, kRegKey, &error)) << name;
        EXPECT_EQ(error, QStringLiteral("Invalid data type for '%1'").arg(name));
        EXPECT_EQ(form.geometry(), QRect(77, 88, 222, 111)) << name;
    }
}

TEST_F(FormPlacement, MaximisedWindowSavesNothing)
{
    Store(QStringLiteral("ZORVA"), {11, 12, 313, 214});
    QWidget form;
    form.setWindowTitle(QStringLiteral("ZORVA"));
    form.showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(form.isMaximized());
    SaveFormPlacement(&form, kRegKey);
    EXPECT_EQ(Stored(QStringLiteral("ZORVA")), (std::array<std::int32_t, 4>{11, 12, 313, 214}));
}

TEST_F(FormPlacement, HintInsideTheCaptionNamesTheValue)
{
    QWidget form;
    form.setWindowTitle(QStringLiteral("zorva - config.zrd"));
    form.setToolTip(QStringLiteral("ZORVA"));
    form.setGeometry(20, 30, 240, 130);
    SaveFormPlacement(&form, kRegKey);
    EXPECT_EQ(Stored(QStringLiteral("ZORVA"))[2], 240);
    int count = -1;
    std::array<std::uint8_t, 16> bytes{};
    EXPECT_TRUE(RegReadBytesCounted(kRegKey, QStringLiteral("zorva - config.zrd"), bytes.data(), 16,
                                    &count));
    EXPECT_EQ(count, 0);

    // A hint that is not part of the caption is not used.
    form.setToolTip(QStringLiteral("other"));
    SaveFormPlacement(&form, kRegKey);
    EXPECT_TRUE(RegReadBytesCounted(kRegKey, QStringLiteral("zorva - config.zrd"), bytes.data(), 16,
                                    &count));
    EXPECT_EQ(count, 16);
}

} // namespace
} // namespace zorva
