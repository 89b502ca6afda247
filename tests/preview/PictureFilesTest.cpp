// File names, the picture counter's cycle, the scaling rule and saving.
#include "preview/PictureFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "preview/PictureScaling.h"

namespace zorva {
namespace {

TEST(PictureFiles, NameCarriesTagInHexAndNumberInThreeDigits)
{
    struct Case {
        std::uint8_t tag;
        int number;
        const char* name;
    };
    const Case cases[] = {
        {1, 1, "zr_p01_001.jpg"},     {1, 7, "zr_p01_007.jpg"},        {1, 500, "zr_p01_500.jpg"},
        {1, 0, "zr_p01_000.jpg"},     {15, 42, "zr_p0F_042.jpg"},      {0, 10, "zr_p00_010.jpg"},
        {0xAB, 99, "zr_pAB_099.jpg"}, {0x1F, 1234, "zr_p1F_1234.jpg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PictureFileName(QString(), c.tag, c.number), QString::fromLatin1(c.name));
        EXPECT_EQ(PictureFileName(QStringLiteral("/tmp/x/"), c.tag, c.number),
                  QStringLiteral("/tmp/x/") + QString::fromLatin1(c.name));
    }
}

TEST(PictureFiles, CounterRunsOneToFiveHundredThenZero)
{
    int number = 0;
    std::vector<int> seen;
    for (int i = 0; i < 502; ++i) {
        number = NextPictureNumber(number);
        seen.push_back(number);
    }
    EXPECT_EQ(seen[0], 1);
    EXPECT_EQ(seen[499], 500);
    EXPECT_EQ(seen[500], 0);
    EXPECT_EQ(seen[501], 1);
}

TEST(PictureFiles, FolderIsTheTemporaryFolderWithASeparator)
{
    EXPECT_EQ(PictureFolder(), QDir::tempPath() + QLatin1Char('/'));
}

TEST(PictureFiles, SaveReplacesAFileOfTheSameName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("zr_p01_001.jpg"));
    const std::vector<std::uint8_t> first(1000, 0x11);
    const std::vector<std::uint8_t> second{1, 2, 3};
    ASSERT_TRUE(SavePictureFile(path, first));
    QString error;
    ASSERT_TRUE(SavePictureFile(path, second, &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\x01\x02\x03", 3));
    // A picture is for other programs to open too, not private like a temporary file, and the
    // file it was written to first is gone.
    EXPECT_TRUE(file.permissions().testFlag(QFileDevice::ReadOther));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("zr_p01_001.jpg")});
}

TEST(PictureFiles, SaveFailureIsReportedAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<std::uint8_t> bytes{1, 2, 3};
    // A folder in the way cannot be replaced by a file, not even by root.
    const QString blocked = dir.filePath(QStringLiteral("zr_p01_002.jpg"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/zr_p01_003.jpg"));
    for (const QString& path : {blocked, missing}) {
        QString error;
        EXPECT_FALSE(SavePictureFile(path, bytes, &error)) << path.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);
}

TEST(PictureScaling, FollowsTheFitChoiceAndTheAreaSize)
{
    struct Case {
        const char* name;
        QSize picture, area;
        bool fit;
        QRect expected;
    };
    const Case cases[] = {
        {"fits, own size", {320, 240}, {510, 281}, false, {95, 20, 320, 240}},
        {"fits, scaled up", {320, 240}, {510, 281}, true, {68, 0, 374, 281}},
        {"wider than the area", {800, 200}, {510, 281}, false, {0, 77, 510, 127}},
        {"taller than the area", {200, 800}, {510, 281}, false, {220, 0, 70, 281}},
        {"square, scaled", {300, 300}, {510, 281}, true, {114, 0, 281, 281}},
        {"portrait, width bounds", {300, 400}, {200, 281}, true, {0, 7, 200, 266}},
        {"landscape, narrow area", {100, 50}, {40, 300}, true, {0, 140, 40, 20}},
        {"exact fit", {510, 281}, {510, 281}, false, {0, 0, 510, 281}},
        {"placeholder, own size", {138, 100}, {510, 281}, false, {186, 90, 138, 100}},
        {"empty picture", {0, 0}, {510, 281}, true, {255, 140, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitPicture(c.picture, c.area, c.fit), c.expected) << c.name;
    }
}

} // namespace
} // namespace zorva
