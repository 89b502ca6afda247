// The module's answers, checked byte for byte against the core directly.
#include "sim/ModuleCore.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "config/ConfigRecord.h"
#include "link/EventCodes.h"
#include "link/Frames.h"
#include "sim/TestPicture.h"

namespace zorva::sim {
namespace {

using namespace std::chrono_literals;

// A real JPEG of known bytes, handed out for every picture.
class FixedPicture : public PictureSource {
public:
    explicit FixedPicture(Jpeg jpeg) : jpeg_(std::move(jpeg)) {}
    Jpeg Take(int camera, const std::string&) override
    {
        cameras.push_back(camera);
        return jpeg_;
    }
    std::vector<int> cameras;

private:
    Jpeg jpeg_;
};

Jpeg PatternJpeg(int width, int height)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width * height * 3));
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<std::uint8_t>((i * 7919) % 251); // busy pattern: a long file
    }
    return EncodeJpeg(rgb, width, height, 90);
}

class ModuleCoreTest : public ::testing::Test {
protected:
    ModuleCoreTest()
    {
        settings.config = DefaultConfig();
        jpeg = PatternJpeg(64, 48);
        auto source = std::make_unique<FixedPicture>(jpeg);
        pictures = source.get();
        core = std::make_unique<ModuleCore>(settings, std::move(source), t0);
    }

    std::vector<Bytes> Ask(const Bytes& request, TimePoint at)
    {
        return core->OnFrame(request, at);
    }
    Bytes AskOne(const Bytes& request, TimePoint at)
    {
        auto answers = Ask(request, at);
        EXPECT_EQ(answers.size(), 1u);
        return answers.empty() ? Bytes{} : answers.front();
    }

    ModuleSettings settings;
    TimePoint t0 = Clock::now();
    Jpeg jpeg;
    FixedPicture* pictures = nullptr;
    std::unique_ptr<ModuleCore> core;
};

TEST_F(ModuleCoreTest, DefaultConfigurationIsRealistic)
{
    ConfigRecord r;
    r.Load(DefaultConfig());
    EXPECT_EQ(r.pictureSize(), PictureSize::Quarter);
    EXPECT_TRUE(r.colour());
    EXPECT_TRUE(r.camera(0));
    EXPECT_TRUE(r.camera(1));
    EXPECT_FALSE(r.camera(2));
    EXPECT_EQ(r.byte(cfg::dz), 5);
    EXPECT_EQ(r.byte(cfg::pz), 10);
    EXPECT_EQ(r.rawText(cfg::id).trimmed(), QStringLiteral("ZRV0417"));
    EXPECT_FALSE(r.rawText(cfg::pass).startsWith(QChar(0)));
    EXPECT_TRUE(r.linksBit(cfg::linkEthernet));
    EXPECT_TRUE(r.linksBit(cfg::linkModem1));
    EXPECT_FALSE(r.dhcp());
    EXPECT_EQ(OctetsToText(r.ip(cfg::vip)), QStringLiteral("192.168.1.50"));
    EXPECT_EQ(r.port(), 8080);
    EXPECT_FALSE(r.rawText(cfg::tel).trimmed().isEmpty());
}

TEST_F(ModuleCoreTest, DaneAnswersTheFirst175BytesOfTheRecord)
{
    const Bytes answer = AskOne(DaneFrame(), t0);
    ConfigRecord r;
    r.Load(DefaultConfig());
    Bytes expected = BuildFrame(kRxConfig, r.WriteImage());
    EXPECT_EQ(answer, expected);
    ASSERT_EQ(answer.size(), 180u);
    EXPECT_EQ(answer[2], 0xB1);
    EXPECT_EQ(answer[3], 0x01);
}

TEST_F(ModuleCoreTest, WriteStoresTheImageAndAcknowledges)
{
    std::array<std::uint8_t, kWritePayload> image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 3 + 1);
    }
    EXPECT_EQ(AskOne(WriteConfigFrame(image), t0), (Bytes{0xFF, 0xFF, 0x03, 0x02, 0xAA, 0xAD}));
    const Bytes dane = AskOne(DaneFrame(), t0);
    EXPECT_EQ(Bytes(dane.begin() + 4, dane.end() - 1), Bytes(image.begin(), image.end()));
    // Bytes beyond 174 are untouched.
    EXPECT_EQ(core->config().FileImage()[200], DefaultConfig()[200]);
}

TEST_F(ModuleCoreTest, AStoreSkewStoresOneByteOneHigherButAcknowledgesTheWrite)
{
    std::array<std::uint8_t, kWritePayload> image{};
    image.fill(0x55);
    core->SetStoreSkew(48);
    EXPECT_EQ(AskOne(WriteConfigFrame(image), t0), (Bytes{0xFF, 0xFF, 0x03, 0x02, 0xAA, 0xAD}));
    const Bytes dane = AskOne(DaneFrame(), t0);
    Bytes expected(image.begin(), image.end());
    expected[48] = 0x56;
    EXPECT_EQ(Bytes(dane.begin() + 4, dane.end() - 1), expected);
}

TEST_F(ModuleCoreTest, RefusedWritesLeaveTheConfiguration)
{
    std::array<std::uint8_t, kWritePayload> image{};
    image.fill(0x55);
    const Bytes refused{0xFF, 0xFF, 0x03, 0x02, 0xBB, 0xBE};
    core->SetRejectWrite(true);
    EXPECT_EQ(AskOne(WriteConfigFrame(image), t0), refused);
    core->SetRejectWrite(false);
    // A write with a short image is refused, not half stored.
    const std::uint8_t shortImage[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(AskOne(BuildFrame(kCmdWrite, shortImage), t0), refused);
    EXPECT_EQ(core->config().FileImage(), DefaultConfig());
}

TEST_F(ModuleCoreTest, StatusCarriesClockFirmwareCamerasAndInputs)
{
    EXPECT_TRUE(Ask(ZegarFrame(2011, 3, 15, 14, 5, 9), t0).empty()); // ZEGAR gets no answer
    core->SetInputs(0x21);
    const Bytes answer = AskOne(StanFrame(), t0 + 500ms);
    const Bytes payload{0xDB, 0x07, 0x03, 0x0F, 0x0E, 0x05, 0x09, 0x02, 0,
                        0,    0,    0,    0,    0,    0,    0,    0x33, 0x21};
    EXPECT_EQ(answer, BuildFrame(kRxStatus, payload));
    // The clock runs on: 61 s later, across the end of the day.
    Ask(ZegarFrame(2011, 12, 31, 23, 59, 30), t0);
    core->SetFirmware(3);
    core->SetCameras(0x13);
    const Bytes later = AskOne(StanFrame(), t0 + 61s);
    EXPECT_EQ(Bytes(later.begin() + 4, later.begin() + 12),
              (Bytes{0xDC, 0x07, 0x01, 0x01, 0x00, 0x00, 0x1F, 0x03}));
    EXPECT_EQ(later[4 + 16], 0x13);
}

TEST_F(ModuleCoreTest, ImpossibleClockIsIgnored)
{
    Ask(ZegarFrame(2011, 3, 15, 14, 5, 9), t0);
    Ask(ZegarFrame(2011, 2, 30, 25, 0, 0), t0); // 30 February, hour 25
    EXPECT_EQ(core->ClockText(t0), "2011-03-15 14:05:09");
}

TEST_F(ModuleCoreTest, NetworkRecordReversesMaskAndGateway)
{
    const Bytes answer = AskOne(RdDhcpFrame(), t0);
    const Bytes payload{0x01, 0x00, 0x02, 0x5A, 0x4F, 0x52, 0x56, 0x41, 192, 168,
                        1,    50,   0,    255,  255,  255,  1,    1,    168, 192};
    EXPECT_EQ(answer, BuildFrame(kRxNetwork, payload));
    NetworkRecord net;
    net.FillFromReply(payload);
    EXPECT_EQ(OctetsToText(net.dmask()), QStringLiteral("255.255.255.0"));
    EXPECT_EQ(OctetsToText(net.dgate()), QStringLiteral("192.168.1.1"));
}

TEST_F(ModuleCoreTest, NetworkRecordUnderDhcpShowsLeasedAddresses)
{
    auto image = DefaultConfig();
    image[cfg::dhcp] = 1;
    std::array<std::uint8_t, kWritePayload> write{};
    std::copy_n(image.begin(), kWritePayload, write.begin());
    Ask(WriteConfigFrame(write), t0);
    const Bytes answer = AskOne(RdDhcpFrame(), t0);
    NetworkRecord net;
    net.FillFromReply(std::span(answer).subspan(4, answer.size() - 5));
    EXPECT_TRUE(net.linkUp());
    EXPECT_EQ(OctetsToText(net.dip()), QStringLiteral("192.168.1.117"));
    EXPECT_EQ(OctetsToText(net.dmask()), QStringLiteral("255.255.255.0"));
}

TEST_F(ModuleCoreTest, ResetAcknowledgesThenStaysSilentWithConfigurationKept)
{
    std::array<std::uint8_t, kWritePayload> image{};
    image.fill(0x42);
    Ask(WriteConfigFrame(image), t0);
    EXPECT_EQ(AskOne(ResetFrame(), t0), (Bytes{0xFF, 0xFF, 0x02, 0x05, 0x05}));
    EXPECT_TRUE(core->Deaf(t0 + 1999ms));
    EXPECT_TRUE(Ask(StanFrame(), t0 + 1999ms).empty());
    ASSERT_TRUE(core->NextTimer().has_value());
    EXPECT_EQ(*core->NextTimer(), t0 + 2000ms);
    core->OnTimer(t0 + 2000ms);
    EXPECT_FALSE(core->Deaf(t0 + 2000ms));
    const Bytes dane = AskOne(DaneFrame(), t0 + 2000ms);
    EXPECT_EQ(Bytes(dane.begin() + 4, dane.end() - 1), Bytes(image.begin(), image.end()));
}

TEST_F(ModuleCoreTest, SilentModuleAnswersNothing)
{
    core->SetSilent(true);
    EXPECT_TRUE(Ask(StanFrame(), t0).empty());
    core->SetSilent(false);
    EXPECT_EQ(Ask(StanFrame(), t0).size(), 1u);
}

TEST_F(ModuleCoreTest, UnknownCommandGetsErrorBB)
{
    for (std::uint8_t code : {0x00, 0x08, 0x09, 0x7F, 0xFF}) {
        EXPECT_EQ(AskOne(BuildFrame(code), t0), (Bytes{0xFF, 0xFF, 0x03, 0x08, 0xBB, 0xC4}))
            << int(code);
    }
}

struct PictureCase {
    const char* name;
    std::uint8_t cameras; // status camera byte
    std::uint8_t mask;    // camera asked
    std::uint8_t packet;
    Bytes expected; // whole answer frame
};

class PictureRefusals : public ModuleCoreTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PictureRefusals, AnswerByteForByte)
{
    const PictureCase& c = GetParam();
    core->SetCameras(c.cameras);
    EXPECT_EQ(AskOne(PictFrame(c.mask, c.packet, 15), t0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureRefusals,
    ::testing::Values(
        PictureCase{"absent", 0x33, 0x04, 0, {0xFF, 0xFF, 0x05, 0x07, 0xB0, 0x00, 0x0F, 0xC9}},
        PictureCase{"off", 0x13, 0x02, 0, {0xFF, 0xFF, 0x05, 0x07, 0xB0, 0x00, 0x0F, 0xC9}},
        PictureCase{"two", 0x33, 0x03, 0, {0xFF, 0xFF, 0x05, 0x07, 0xB0, 0x00, 0x0F, 0xC9}},
        PictureCase{"none yet", 0x33, 0x01, 3, {0xFF, 0xFF, 0x05, 0x07, 0xA0, 0x03, 0x0F, 0xBC}}),
    [](const auto& info) {
        std::string n = info.param.name;
        std::replace(n.begin(), n.end(), ' ', '_');
        return n;
    });

TEST_F(ModuleCoreTest, PictureIsCutIntoPacketsAndReassembles)
{
    for (std::uint8_t size : {std::uint8_t{15}, std::uint8_t{4}}) {
        SCOPED_TRACE(int(size));
        const std::size_t packetBytes = size * 16u;
        const std::size_t packets = (jpeg.size() + packetBytes - 1) / packetBytes;
        ASSERT_GT(packets, 2u);
        ASSERT_LE(packets, 255u);
        Bytes stream;
        for (std::size_t n = 0; n < packets; ++n) {
            const Bytes answer = AskOne(PictFrame(0x02, static_cast<std::uint8_t>(n), size), t0);
            ASSERT_EQ(answer.size(), 3 + 2 + 3 + packetBytes);
            EXPECT_EQ(CutFrame(answer).kind, FrameCut::Frame);
            EXPECT_EQ(answer[3], kRxPicture);
            const bool last = n + 1 == packets;
            EXPECT_EQ(answer[4], last ? 0xF1 : 0x00); // tag of the last packet: camera B
            EXPECT_EQ(answer[5], n);
            EXPECT_EQ(answer[6], size);
            stream.insert(stream.end(), answer.begin() + 7, answer.end() - 1);
        }
        // The stream is the JPEG followed by the zero padding of the last packet.
        ASSERT_EQ(stream.size(), packets * packetBytes);
        EXPECT_EQ(Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(jpeg.size())),
                  jpeg);
        EXPECT_TRUE(std::all_of(stream.begin() + static_cast<std::ptrdiff_t>(jpeg.size()),
                                stream.end(), [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(AskOne(PictFrame(0x02, static_cast<std::uint8_t>(packets), size), t0),
                  (Bytes{0xFF, 0xFF, 0x03, 0x08, 0xDD, 0xE6}));
    }
    EXPECT_EQ(pictures->cameras, (std::vector<int>{1, 1})); // one picture per packet 0
}

TEST_F(ModuleCoreTest, PacketSizeOutsideOneToFifteenIsNotUnderstood)
{
    for (std::uint8_t size : {std::uint8_t{0}, std::uint8_t{16}}) {
        EXPECT_EQ(AskOne(PictFrame(0x01, 0, size), t0),
                  (Bytes{0xFF, 0xFF, 0x03, 0x08, 0xBB, 0xC4}));
    }
    EXPECT_TRUE(pictures->cameras.empty());
}

TEST_F(ModuleCoreTest, ResetForgetsPictures)
{
    AskOne(PictFrame(0x01, 0, 15), t0);
    AskOne(ResetFrame(), t0);
    core->OnTimer(t0 + 3s);
    EXPECT_EQ(AskOne(PictFrame(0x01, 1, 15), t0 + 3s)[4], kPacketNoPicture);
}

TEST_F(ModuleCoreTest, ReportsOnCommand)
{
    const std::uint8_t event[] = {event::kVideoLost, 2};
    EXPECT_EQ(ModuleCore::EventFrame(event), (Bytes{0xFF, 0xFF, 0x04, 0x09, 0x06, 0x02, 0x13}));
    EXPECT_EQ(ModuleCore::ErrorFrame(0xCC), (Bytes{0xFF, 0xFF, 0x03, 0x08, 0xCC, 0xD5}));
    EXPECT_EQ(core->FirmwareDateFrame(),
              (Bytes{0xFF, 0xFF, 0x06, 0x0A, 0x15, 0x03, 0x20, 0x11, 0x57}));
    core->SetFirmwareDate(9, 12, 2024);
    EXPECT_EQ(BuildFrame(kRxFirmwareDate, Bytes{0x09, 0x12, 0x20, 0x24}),
              core->FirmwareDateFrame());
}

TEST_F(ModuleCoreTest, ScheduledEventsComeOnTimeAndNotWhileDeaf)
{
    settings.eventEvery = 1000ms;
    core = std::make_unique<ModuleCore>(settings, nullptr, t0);
    EXPECT_TRUE(core->OnTimer(t0 + 999ms).empty());
    ASSERT_EQ(core->NextTimer(), t0 + 1000ms);
    const auto first = core->OnTimer(t0 + 1000ms);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0][3], kRxEvent);
    EXPECT_EQ(first[0][4], event::kInputAlarm);
    EXPECT_EQ(first[0].size(), 5u + 1 + 1 + 4); // code, camera, 4-byte input number
    // A late wake-up gives one report, not a burst.
    EXPECT_EQ(core->OnTimer(t0 + 4500ms).size(), 1u);
    EXPECT_EQ(core->NextTimer(), t0 + 5000ms);
    core->SetSilent(true);
    EXPECT_TRUE(core->OnTimer(t0 + 5000ms).empty());
}

} // namespace
} // namespace zorva::sim
