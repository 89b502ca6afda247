#include "link/Frames.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <numeric>
#include <string>

#include "link/ModuleAnswers.h"

namespace zorva {
namespace {

struct FixedFrameCase {
    const char* name;
    Bytes (*build)();
    Bytes expected;
};

TEST(Frames, RequestsWithoutPayloadCarryTheirCodeAsChecksum)
{
    const FixedFrameCase cases[] = {
        {"DANE", DaneFrame, {0xFF, 0xFF, 0x02, 0x01, 0x01}},
        {"STAN", StanFrame, {0xFF, 0xFF, 0x02, 0x03, 0x03}},
        {"RESET", ResetFrame, {0xFF, 0xFF, 0x02, 0x05, 0x05}},
        {"RdDHCP", RdDhcpFrame, {0xFF, 0xFF, 0x02, 0x06, 0x06}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.build(), c.expected) << c.name;
    }
}

TEST(Frames, WriteFrameIsAlways180BytesWithTheImageAndItsChecksum)
{
    std::array<std::uint8_t, kWritePayload> zeros{};
    std::array<std::uint8_t, kWritePayload> ones{};
    ones.fill(0xFF);
    std::array<std::uint8_t, kWritePayload> ramp{};
    std::iota(ramp.begin(), ramp.end(), std::uint8_t{0x40});

    for (const auto* image : {&zeros, &ones, &ramp}) {
        const Bytes frame = WriteConfigFrame(*image);
        ASSERT_EQ(frame.size(), 180u);
        EXPECT_EQ(frame[0], 0xFF);
        EXPECT_EQ(frame[1], 0xFF);
        EXPECT_EQ(frame[2], 0xB1);
        EXPECT_EQ(frame[3], 0x02);
        EXPECT_TRUE(std::equal(image->begin(), image->end(), frame.begin() + 4));
        // FF + FF contributes 0x1FE, i.e. 0xFE modulo 256.
        unsigned sum = 0xFE + 0xB1 + 0x02;
        for (std::uint8_t b : *image) {
            sum += b;
        }
        EXPECT_EQ(frame.back(), static_cast<std::uint8_t>(sum));
    }
    EXPECT_EQ(WriteConfigFrame(zeros).back(), 0xB1); // 0xFE + 0xB1 + 0x02 = 0x1B1
}

TEST(Frames, PictureRequestChecksumWraps)
{
    EXPECT_EQ(PictFrame(0x01, 0x00, 0x0F), (Bytes{0xFF, 0xFF, 0x05, 0x07, 0x01, 0x00, 0x0F, 0x1A}));
    EXPECT_EQ(PictFrame(0x08, 0xFE, 0x0F), (Bytes{0xFF, 0xFF, 0x05, 0x07, 0x08, 0xFE, 0x0F, 0x1F}));
    const std::uint8_t prefix[] = {0xFF, 0xFF, 0x05, 0x07, 0x01, 0x00, 0x0F};
    EXPECT_EQ(FrameChecksum(prefix), 0x1A);
}

TEST(Frames, ChecksumOfFewerThanTwoBytesIsZero)
{
    const std::uint8_t one[] = {0x42};
    EXPECT_EQ(FrameChecksum({}), 0);
    EXPECT_EQ(FrameChecksum(one), 0);
}

TEST(Frames, ClockFrameCarriesYearLittleEndianThenMonthDayAndTime)
{
    EXPECT_EQ(ZegarFrame(2011, 3, 15, 14, 5, 9),
              (Bytes{0xFF, 0xFF, 0x09, 0x04, 0xDB, 0x07, 0x03, 0x0F, 0x0E, 0x05, 0x09, 0x1B}));
}

TEST(Frames, BuildFrameMatchesTheFixedRequests)
{
    EXPECT_EQ(BuildFrame(kCmdStan), StanFrame());
    const std::uint8_t payload[] = {0xFF, 0xFF, 0xFF};
    const Bytes frame = BuildFrame(0x09, payload);
    EXPECT_EQ(frame, (Bytes{0xFF, 0xFF, 0x05, 0x09, 0xFF, 0xFF, 0xFF, 0x09}));
}

TEST(Frames, LogTagsOfEveryCommand)
{
    const std::pair<std::uint8_t, std::string> cases[] = {
        {kCmdDane, "Tx DANE: "},
        {kCmdWrite, "Tx: "},
        {kCmdStan, "Tx STAN: "},
        {kCmdZegar, "Tx ZEGAR: "},
        {kCmdReset, "Tx  RESET: "},
        {kCmdRdDhcp, "Tx RdDHCP: "},
        {kCmdPict, "Tx PICT: "},
        {0x00, ""},
        {0x08, ""},
    };
    for (const auto& [code, tag] : cases) {
        EXPECT_EQ(CommandTag(code), tag) << int{code};
    }
}

TEST(Frames, IntToHexEvenPadsToAnEvenNumberOfDigits)
{
    const std::pair<std::uint32_t, std::string> cases[] = {
        {0x00, "00"},
        {0x05, "05"},
        {0xAB, "AB"},
        {0x0123, "0123"},
        {0xFE, "FE"},
        {0x0100, "0100"},
        {0xFFFF, "FFFF"},
        {0x10000, "010000"},
        {0x0F, "0F"},
        {0x10, "10"},
        {0xFFFFFFFF, "FFFFFFFF"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(IntToHexEven(value), text) << value;
    }
}

TEST(Frames, BytesToHexEndsEveryByteWithABlank)
{
    EXPECT_EQ(BytesToHex({}), "");
    EXPECT_EQ(BytesToHex(StanFrame()), "FF FF 02 03 03 ");
    const std::uint8_t mixed[] = {0x00, 0x0A, 0xA0, 0x7F};
    EXPECT_EQ(BytesToHex(mixed), "00 0A A0 7F ");
}

// A copy of the bytes in a block of exactly their size, so that a read past the end shows up
// under AddressSanitizer.
struct ExactBuffer {
    explicit ExactBuffer(const Bytes& bytes)
        : data(std::make_unique<std::uint8_t[]>(bytes.size())), size(bytes.size())
    {
        std::copy(bytes.begin(), bytes.end(), data.get());
    }
    std::span<const std::uint8_t> span() const { return {data.get(), size}; }
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size;
};

Bytes LongestReply()
{
    Bytes payload(kMaxReplyL - 2, 0xFF);
    Bytes frame = BuildFrame(kRxPicture, payload);
    return frame;
}

TEST(Frames, CutFrameFindsFramesAndRejectsJunk)
{
    struct Case {
        const char* name;
        Bytes buffer;
        FrameCut::Kind kind;
        std::size_t length;
    };
    Bytes badChecksum = StanFrame();
    badChecksum.back() ^= 0x01;
    Bytes tooLong = {0xFF, 0xFF, kMaxReplyL + 1, 0x07, 0x00};
    Bytes withTrailer = StanFrame();
    withTrailer.insert(withTrailer.end(), {0xFF, 0xFF, 0x02});

    const Case cases[] = {
        {"empty", {}, FrameCut::NeedMore, 0},
        {"one sync byte", {0xFF}, FrameCut::NeedMore, 0},
        {"sync pair only", {0xFF, 0xFF}, FrameCut::NeedMore, 0},
        {"sync pair and L", {0xFF, 0xFF, 0x02}, FrameCut::NeedMore, 0},
        {"four of five bytes", {0xFF, 0xFF, 0x02, 0x03}, FrameCut::NeedMore, 0},
        {"junk before the sync", {0x00, 0xFF, 0xFF, 0x02, 0x03, 0x03}, FrameCut::Skip, 0},
        {"single sync byte", {0xFF, 0x00, 0xFF, 0xFF, 0x02}, FrameCut::Skip, 0},
        {"L above 250", tooLong, FrameCut::Skip, 0},
        {"L of 250, frame incomplete", {0xFF, 0xFF, kMaxReplyL, 0x07, 0x00}, FrameCut::NeedMore, 0},
        {"complete frame", StanFrame(), FrameCut::Frame, 5},
        {"frame followed by more", withTrailer, FrameCut::Frame, 5},
        {"wrong checksum", badChecksum, FrameCut::BadChecksum, 5},
        {"longest reply", LongestReply(), FrameCut::Frame, kMaxReplyFrame},
        {"picture request", PictFrame(1, 0, 15), FrameCut::Frame, 8},
    };
    for (const auto& c : cases) {
        const ExactBuffer buffer(c.buffer);
        const FrameCut cut = CutFrame(buffer.span());
        EXPECT_EQ(cut.kind, c.kind) << c.name;
        EXPECT_EQ(cut.length, c.length) << c.name;
        EXPECT_LE(cut.length, c.buffer.size()) << c.name;
    }
}

TEST(Frames, CutFrameWaitsForEveryPrefixOfAFrame)
{
    const Bytes frame = LongestReply();
    for (std::size_t n = 0; n < frame.size(); ++n) {
        const ExactBuffer prefix(Bytes(frame.begin(), frame.begin() + static_cast<long>(n)));
        EXPECT_EQ(CutFrame(prefix.span()).kind, FrameCut::NeedMore) << n;
    }
    const ExactBuffer whole(frame);
    EXPECT_EQ(CutFrame(whole.span()).kind, FrameCut::Frame);
}

// A line that echoes gives back every request; none of them may pass for the module, while each
// reply of the module counts, the restart's empty acknowledgement included.
TEST(Frames, AnEchoOfAnyRequestIsNeverTheModulesAnswer)
{
    const std::array<std::uint8_t, kWritePayload> image{0xFF, 0x0D};
    const std::vector<Bytes> requests{DaneFrame(),
                                      StanFrame(),
                                      ResetFrame(),
                                      RdDhcpFrame(),
                                      PictFrame(1, 0, kPictureUnit),
                                      ZegarFrame(2026, 12, 9, 21, 0, 0),
                                      WriteConfigFrame(image)};
    AnswerWatch watch;
    for (const Bytes& request : requests) {
        watch.Sent(request);
        // In two pieces, as a line delivers them.
        watch.Received(std::span(request).first(3));
        watch.Received(std::span(request).subspan(3));
        EXPECT_EQ(watch.Answers(), 0u) << BytesToHex(request);
    }
    EXPECT_FALSE(HoldsStatusReply(StanFrame()));

    const std::uint8_t status[18] = {0xEA, 0x07};
    const std::uint8_t ack[] = {0xAA};
    Bytes replies = BuildFrame(kRxStatus, status);
    for (const Bytes& reply :
         {BuildFrame(kRxResetAck), BuildFrame(kRxWriteAck, ack), BuildFrame(kRxConfig, image)}) {
        replies.insert(replies.end(), reply.begin(), reply.end());
    }
    EXPECT_TRUE(HoldsStatusReply(replies));
    AnswerWatch fresh;
    fresh.Received(replies);
    EXPECT_EQ(fresh.Answers(), 4u);
    EXPECT_EQ(fresh.StatusAnswers(), 1u);
    // The restart's acknowledgement has the bytes of the restart request: right after one, only
    // what follows it can tell the module from an echo.
    watch.Received(replies);
    EXPECT_EQ(watch.Answers(), 3u);
}

} // namespace
} // namespace zorva
