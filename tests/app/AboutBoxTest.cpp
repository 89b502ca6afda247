#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QTest>

#include "app/TForm3.h"
#include "shell/LanguageTexts.h"

namespace zorva {
namespace {

TEST(AboutBox, LayoutTextsAndVersionLine)
{
    SetPolishTexts();
    TForm3 about;
    about.show();
    EXPECT_EQ(about.size(), QSize(403, 320));
    EXPECT_EQ(about.Image1->geometry().size(), QSize(204, 304));
    EXPECT_EQ(about.Label1->geometry(), QRect(214, 64, 182, 96));
    EXPECT_EQ(about.Label3->geometry(), QRect(233, 208, 137, 77));
    EXPECT_EQ(about.Label2->pos(), QPoint(276, 162));
    EXPECT_EQ(about.Label2->text(), QStringLiteral("ZORVA"));
    EXPECT_EQ(about.Label1->text(),
              QStringLiteral("Program konfiguracyjny modułu weryfikacji wideo"));
    EXPECT_EQ(about.Label3->text(), QStringLiteral("Zorva v 1.02.000 \n\nNurvo 2026"));
    EXPECT_TRUE(about.windowFlags().testFlag(Qt::FramelessWindowHint));
    about.hide();

    // The title is filled again at each showing, in the language then in force.
    SetEnglishTexts();
    about.show();
    EXPECT_EQ(about.Label1->text(),
              QStringLiteral("Configuration software for video verification module"));
    about.hide();
    SetPolishTexts();
}

TEST(AboutBox, AClickOnAnyPartClosesIt)
{
    TForm3 about;
    for (QWidget* part : {static_cast<QWidget*>(about.Panel1), static_cast<QWidget*>(about.Image1),
                          static_cast<QWidget*>(about.Label1), static_cast<QWidget*>(about.Label2),
                          static_cast<QWidget*>(about.Label3)}) {
        about.show();
        ASSERT_TRUE(about.isVisible());
        QTest::mouseClick(part, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_FALSE(about.isVisible()) << part->objectName().toStdString();
    }
}

TEST(AboutBox, PictureIsDrawn)
{
    TForm3 about;
    const QPixmap picture = about.Image1->pixmap();
    ASSERT_FALSE(picture.isNull());
    const QImage image = picture.toImage();
    // Blue sky at the top of the picture.
    const QColor sky = image.pixelColor(image.width() / 4, 5);
    EXPECT_GT(sky.blue(), sky.red() + 60);
}

} // namespace
} // namespace zorva
