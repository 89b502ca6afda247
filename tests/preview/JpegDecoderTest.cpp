// The JPEG decoder on real, damaged and meaningless data: nothing may crash, a readable header
// always gives a picture of the header's size, and what decoded is kept.
#include "preview/JpegDecoder.h"

#include <gtest/gtest.h>

#include <random>

#include "JpegTestData.h"

namespace zorva {
namespace {

using test::EncodeJpeg;
using test::JpegKind;
using test::MakeTestPattern;
using test::MeanChannelDifference;

JpegPicture Decode(const std::vector<std::uint8_t>& bytes, const JpegLimits& limits = {})
{
    return DecodeJpeg(std::span<const std::uint8_t>(bytes.data(), bytes.size()), limits);
}

// Mean distance of a row from mid grey: small for rows that libjpeg had no data for.
double RowDistanceFromGrey(const QImage& image, int y)
{
    double sum = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        sum += std::abs(c.red() - 128) + std::abs(c.green() - 128) + std::abs(c.blue() - 128);
    }
    return sum / (3.0 * image.width());
}

struct GoodCase {
    const char* name;
    JpegKind kind;
    int width, height;
    double tolerance; // JPEG is lossy; the decoded picture lies this close to the source
};

class GoodJpeg : public ::testing::TestWithParam<GoodCase> {};

TEST_P(GoodJpeg, DecodesToTheSourcePicture)
{
    const GoodCase& c = GetParam();
    QImage source = MakeTestPattern(c.width, c.height);
    if (c.kind == JpegKind::Grayscale) {
        source = source.convertToFormat(QImage::Format_Grayscale8)
                     .convertToFormat(QImage::Format_RGB888);
    }
    const JpegPicture picture = Decode(EncodeJpeg(source, c.kind));
    ASSERT_EQ(picture.outcome, JpegPicture::Decoded) << picture.message.toStdString();
    EXPECT_TRUE(picture.message.isEmpty());
    EXPECT_EQ(picture.image.format(), QImage::Format_RGB888);
    ASSERT_EQ(picture.image.size(), QSize(c.width, c.height));
    EXPECT_GE(MeanChannelDifference(picture.image, source), 0.0);
    EXPECT_LE(MeanChannelDifference(picture.image, source), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Kinds, GoodJpeg,
                         ::testing::Values(GoodCase{"baseline", JpegKind::Baseline, 64, 48, 6},
                                           GoodCase{"progressive", JpegKind::Progressive, 64, 48,
                                                    40},
                                           GoodCase{"grayscale", JpegKind::Grayscale, 33, 17, 6},
                                           GoodCase{"cmyk", JpegKind::Cmyk, 40, 24, 6},
                                           GoodCase{"odd size", JpegKind::Baseline, 1, 1, 6},
                                           GoodCase{"tall", JpegKind::Baseline, 16, 300, 6}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

TEST(JpegDecoder, EmptyStreamHasNoHeader)
{
    const JpegPicture empty = DecodeJpeg({});
    EXPECT_EQ(empty.outcome, JpegPicture::NoHeader);
    EXPECT_TRUE(empty.image.isNull());
    EXPECT_FALSE(empty.message.isEmpty());
}

TEST(JpegDecoder, RandomBytesHaveNoHeader)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> bytes(random() % 3000);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(random());
        }
        const JpegPicture picture = Decode(bytes);
        EXPECT_EQ(picture.outcome, JpegPicture::NoHeader) << "round " << round;
        EXPECT_TRUE(picture.image.isNull());
    }
}

TEST(JpegDecoder, RandomBytesAfterAStartMarkerHaveNoHeaderOrAPicture)
{
    // Starting with SOI makes libjpeg parse the rest as markers.
    std::mt19937 random(777);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> bytes{0xFF, 0xD8};
        const std::size_t length = random() % 2000;
        for (std::size_t i = 0; i < length; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(random()));
        }
        const JpegPicture picture = Decode(bytes);
        if (picture.outcome == JpegPicture::NoHeader) {
            EXPECT_TRUE(picture.image.isNull());
        } else {
            EXPECT_FALSE(picture.image.isNull());
        }
    }
}

struct CutCase {
    const char* name;
    int keepPercent; // of the picture data after the header
};

class TruncatedJpeg : public ::testing::TestWithParam<CutCase> {};

TEST_P(TruncatedJpeg, ShowsTheRowsThatArrived)
{
    const QImage source = MakeTestPattern(64, 256);
    const auto whole = EncodeJpeg(source);
    std::size_t sos = 0; // start of scan: the picture data follows
    while (sos + 1 < whole.size() && !(whole[sos] == 0xFF && whole[sos + 1] == 0xDA)) {
        ++sos;
    }
    ASSERT_LT(sos + 1, whole.size());
    const std::size_t keep = sos + (whole.size() - sos) * std::size_t(GetParam().keepPercent) / 100;
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(keep));
    const JpegPicture picture = Decode(cut);
    ASSERT_EQ(picture.outcome, JpegPicture::Partial);
    EXPECT_FALSE(picture.message.isEmpty());
    ASSERT_EQ(picture.image.size(), source.size());
    // The first rows came before the cut and match the source; the last ones did not arrive.
    EXPECT_LE(MeanChannelDifference(picture.image.copy(0, 0, 64, 8), source.copy(0, 0, 64, 8)), 6);
    EXPECT_LT(RowDistanceFromGrey(picture.image, 255), 3.0);
}

INSTANTIATE_TEST_SUITE_P(Cuts, TruncatedJpeg,
                         ::testing::Values(CutCase{"quarter", 25}, CutCase{"half", 50},
                                           CutCase{"most", 80}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegDecoder, CutInsideTheHeaderHasNoHeader)
{
    const auto whole = EncodeJpeg(MakeTestPattern(32, 32));
    for (std::size_t keep : {std::size_t{1}, std::size_t{2}, std::size_t{20}, std::size_t{100}}) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + keep);
        EXPECT_EQ(Decode(cut).outcome, JpegPicture::NoHeader) << keep << " bytes";
    }
}

TEST(JpegDecoder, MissingEndMarkerIsReportedButThePictureIsWhole)
{
    const QImage source = MakeTestPattern(32, 32);
    const auto whole = EncodeJpeg(source);
    ASSERT_GT(whole.size(), 2u);
    const std::vector<std::uint8_t> bytes(whole.begin(), whole.end() - 2); // without FF D9
    const JpegPicture picture = Decode(bytes);
    EXPECT_NE(picture.outcome, JpegPicture::NoHeader);
    EXPECT_LE(MeanChannelDifference(picture.image, source), 6);
}

TEST(JpegDecoder, CorruptPictureDataNeverCrashesAndKeepsTheSize)
{
    const QImage source = MakeTestPattern(48, 48);
    for (JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive}) {
        const auto good = EncodeJpeg(source, kind);
        std::mt19937 random(99);
        for (int round = 0; round < 200; ++round) {
            auto bad = good;
            // Leave the first 200 bytes (markers and tables) alone, damage the data after them.
            for (int hits = 0; hits < 1 + round % 8; ++hits) {
                const std::size_t at = 200 + random() % (bad.size() - 200);
                bad[at] = static_cast<std::uint8_t>(random());
            }
            const JpegPicture picture = Decode(bad);
            if (picture.outcome != JpegPicture::NoHeader) {
                EXPECT_EQ(picture.image.size(), source.size());
            }
        }
    }
}

TEST(JpegDecoder, HeaderAskingForTooManyPixelsIsRefusedBeforeDecoding)
{
    auto bytes = EncodeJpeg(MakeTestPattern(8, 8));
    // Patch the frame header (FF C0, length, precision, height, width) to 60000 x 60000.
    std::size_t sof = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    }
    ASSERT_NE(sof, 0u);
    for (std::size_t i : {sof + 5, sof + 7}) {
        bytes[i] = 60000 >> 8;
        bytes[i + 1] = 60000 & 0xFF;
    }
    const JpegPicture picture = Decode(bytes);
    EXPECT_EQ(picture.outcome, JpegPicture::NoHeader);
    EXPECT_TRUE(picture.message.contains(QStringLiteral("too large")));

    JpegLimits small;
    small.maxPixels = 63;
    EXPECT_EQ(Decode(EncodeJpeg(MakeTestPattern(8, 8)), small).outcome, JpegPicture::NoHeader);
}

TEST(JpegDecoder, ReportsProgressAndEndsWithTheSamePicture)
{
    const auto bytes = EncodeJpeg(MakeTestPattern(16, 300));
    std::vector<int> reported;
    const JpegPicture withProgress = DecodeJpeg(
        bytes, {},
        [&](const QImage& partial, int rows) {
            EXPECT_EQ(partial.size(), QSize(16, 300));
            reported.push_back(rows);
        },
        64);
    ASSERT_EQ(withProgress.outcome, JpegPicture::Decoded);
    ASSERT_GE(reported.size(), 4u);
    for (std::size_t i = 1; i < reported.size(); ++i) {
        EXPECT_GE(reported[i] - reported[i - 1], 64);
    }
    EXPECT_LT(reported.back(), 300);
    EXPECT_EQ(withProgress.image, Decode(bytes).image);
}

} // namespace
} // namespace zorva
