#include "app/CentredMessage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>

#include "ModalBoxWatcher.h"

namespace zorva {
namespace {

TEST(CentredMessage, PositionRule)
{
    const struct {
        QRect owner;
        int widest;
        QPoint expected;
    } cases[] = {
        {QRect(100, 200, 875, 400), 120, QPoint(100 + 437 - 100, 200 + 200 - 50)},
        // Odd sums are halved with truncation.
        {QRect(0, 0, 801, 301), 101, QPoint(400 - 90, 150 - 50)},
        // Off the left or top edge: 10.
        {QRect(-500, -300, 200, 100), 300, QPoint(10, 10)},
        {QRect(0, 20, 100, 40), 400, QPoint(10, 10)},
        // Exactly 0 stays 0.
        {QRect(0, 0, 120, 100), 40, QPoint(0, 0)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CentredMessagePosition(c.owner, c.widest), c.expected);
    }
}

TEST(CentredMessage, LinesSkipLeadingReturnsAndSplitOnRuns)
{
    EXPECT_EQ(LinesToMeasure(QStringLiteral("\r\rfirst\r\r\rsecond\rthird")),
              (QStringList{"first", "second", "third"}));
    EXPECT_EQ(LinesToMeasure(QStringLiteral("one line")), QStringList{"one line"});

    const QFontMetrics metrics(QApplication::font());
    const QString wide = QStringLiteral("a much wider line than the first");
    EXPECT_EQ(WidestLineWidth(QStringLiteral("\r\rshort\r\r") + wide, metrics),
              metrics.horizontalAdvance(wide));
}

TEST(CentredMessage, BoxOpensAtTheRulesPositionAndReturnsTheButton)
{
    QWidget owner;
    owner.setGeometry(300, 200, 869, 400);
    owner.show();
    const QString text = QStringLiteral("Send system date and time to device?");
    const QPoint expected = CentredMessagePosition(
        owner.frameGeometry(), WidestLineWidth(text, QFontMetrics(owner.font())));

    {
        test::ModalBoxWatcher no(QMessageBox::No);
        EXPECT_EQ(ShowCentredMessage(text, QMessageBox::Question,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, &owner),
                  QMessageBox::No);
        ASSERT_EQ(no.texts.size(), 1);
        EXPECT_EQ(no.texts[0], text);
        EXPECT_EQ(no.positions[0], expected);
    }

    {
        test::ModalBoxWatcher byDefault;
        EXPECT_EQ(ShowCentredMessage(text, QMessageBox::Question,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, &owner),
                  QMessageBox::Yes);
    }
}

TEST(CentredMessage, ReturnsShowAsLineBreaks)
{
    QWidget owner;
    owner.setGeometry(0, 0, 400, 300);
    test::ModalBoxWatcher ok;
    ShowCentredMessage(QStringLiteral("Data written.\r\rResetting"), QMessageBox::Information,
                       QMessageBox::Ok, QMessageBox::Ok, &owner);
    ASSERT_EQ(ok.texts.size(), 1);
    EXPECT_EQ(ok.texts[0], QStringLiteral("Data written.\n\nResetting"));
}

} // namespace
} // namespace zorva
