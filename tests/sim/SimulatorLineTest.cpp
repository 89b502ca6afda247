// The simulator driven over a real pseudo-terminal, the way the program meets it.
#include <algorithm>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include "SimFixture.h"
#include "config/ConfigRecord.h"
#include "sim/ModuleCore.h"
#include "sim/TestPicture.h"

namespace zorva::sim::testing {
namespace {

const Bytes kUnknownFrameError{0xFF, 0xFF, 0x03, 0x08, 0xBB, 0xC4};

Bytes Payload(const Bytes& frame)
{
    return Bytes(frame.begin() + 4, frame.end() - 1);
}

class SimLine : public SimFixture {};

TEST_F(SimLine, AnswersEveryRequestByteForByte)
{
    StartSim();
    ConfigRecord defaults;
    defaults.Load(DefaultConfig());
    Bytes dane{0xFF, 0xFF, 0xB1, 0x01};
    dane.insert(dane.end(), defaults.WriteImage().begin(), defaults.WriteImage().end());
    dane.push_back(FrameChecksum(dane));
    EXPECT_EQ(client->Ask(DaneFrame()), dane);

    // ZEGAR gets no answer: the next frame on the line is the status.
    ASSERT_TRUE(client->Write(ZegarFrame(2011, 3, 15, 14, 5, 9)));
    EXPECT_EQ(client->Ask(StanFrame()),
              (Bytes{0xFF, 0xFF, 0x14, 0x03, 0xDB, 0x07, 0x03, 0x0F, 0x0E, 0x05, 0x09, 0x02,
                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x33, 0x00, 0x5A}));

    EXPECT_EQ(client->Ask(RdDhcpFrame()),
              (Bytes{0xFF, 0xFF, 0x16, 0x06, 0x01, 0x00, 0x02, 0x5A, 0x4F, 0x52, 0x56, 0x41, 0xC0,
                     0xA8, 0x01, 0x32, 0x00, 0xFF, 0xFF, 0xFF, 0x01, 0x01, 0xA8, 0xC0, 0xB1}));

    std::array<std::uint8_t, kWritePayload> image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(0xFF - i);
    }
    EXPECT_EQ(client->Ask(WriteConfigFrame(image)), (Bytes{0xFF, 0xFF, 0x03, 0x02, 0xAA, 0xAD}));
    const auto stored = client->Ask(DaneFrame());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(Payload(*stored), Bytes(image.begin(), image.end()));

    EXPECT_EQ(client->Ask(BuildFrame(0x0B)), kUnknownFrameError);
    EXPECT_EQ(client->Ask(ResetFrame()), (Bytes{0xFF, 0xFF, 0x02, 0x05, 0x05}));
}

TEST_F(SimLine, BadAndStrayBytesAreIgnoredLikeThePcDoes)
{
    StartSim();
    Bytes noisy{0x00, 0xFF, 0x12, 0xFF, 0xFF, 0xFB, 0x01}; // stray bytes, a length above 250
    Bytes bad = StanFrame();
    bad.back() ^= 0x40; // wrong checksum: no answer
    noisy.insert(noisy.end(), bad.begin(), bad.end());
    const Bytes dane = DaneFrame();
    noisy.insert(noisy.end(), dane.begin(), dane.end());
    const auto answer = client->Ask(noisy);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ((*answer)[3], kRxConfig);
    EXPECT_EQ(WaitTrace("RX-BAD", 1).size(), 1u);
}

TEST_F(SimLine, RejectWriteAnswersBB)
{
    Options options;
    options.rejectWrite = true;
    StartSim(options);
    std::array<std::uint8_t, kWritePayload> image{};
    EXPECT_EQ(client->Ask(WriteConfigFrame(image)), (Bytes{0xFF, 0xFF, 0x03, 0x02, 0xBB, 0xBE}));
    ASSERT_EQ(simulator->Execute("reject-write off"), "");
    EXPECT_EQ(client->Ask(WriteConfigFrame(image)), (Bytes{0xFF, 0xFF, 0x03, 0x02, 0xAA, 0xAD}));
}

TEST_F(SimLine, StatusFollowsCommandsWhileRunning)
{
    Options options;
    options.firmware = 1;
    options.cameras = 0x11;
    options.inputs = 0x80;
    StartSim(options);
    auto status = client->Ask(StanFrame());
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ((*status)[4 + 7], 1);
    EXPECT_EQ((*status)[4 + 16], 0x11);
    EXPECT_EQ((*status)[4 + 17], 0x80);
    simulator->SetFirmware(3);
    ASSERT_EQ(simulator->Execute("cameras 13"), "");
    ASSERT_EQ(simulator->Execute("inputs 21"), "");
    status = client->Ask(StanFrame());
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(Bytes(status->begin() + 11, status->begin() + 12), Bytes{3});
    EXPECT_EQ((*status)[4 + 16], 0x13);
    EXPECT_EQ((*status)[4 + 17], 0x21);
}

TEST_F(SimLine, ReportsOnCommandAndOnSchedule)
{
    Options options;
    options.eventEverySeconds = 0.15;
    StartSim(options);
    const auto scheduled = client->ReadFrame(3000ms);
    ASSERT_TRUE(scheduled.has_value());
    EXPECT_EQ((*scheduled)[3], kRxEvent);
    ASSERT_EQ(simulator->Execute("event 01 B 3"), "");
    // Scheduled reports may come between; look for ours.
    auto expectWithin = [&](const Bytes& expected) {
        for (int i = 0; i < 20; ++i) {
            auto f = client->ReadFrame(3000ms);
            ASSERT_TRUE(f.has_value());
            if (*f == expected) {
                return;
            }
        }
        ADD_FAILURE() << "not received: " << BytesToHex(expected);
    };
    expectWithin({0xFF, 0xFF, 0x08, 0x09, 0x01, 0x01, 0x03, 0x00, 0x00, 0x00, 0x14});
    simulator->SendError(0xDD);
    expectWithin({0xFF, 0xFF, 0x03, 0x08, 0xDD, 0xE6});
    simulator->SendFirmwareDate();
    expectWithin({0xFF, 0xFF, 0x06, 0x0A, 0x15, 0x03, 0x20, 0x11, 0x57});
    ASSERT_EQ(simulator->Execute("fmwdate 2024-12-09"), "");
    expectWithin({0xFF, 0xFF, 0x06, 0x0A, 0x09, 0x12, 0x20, 0x24, 0x6D});
}

// Fetches one whole picture of a camera, packet by packet, as the preview does.
struct Fetched {
    Bytes stream;
    std::uint8_t lastFlags = 0;
    int packets = 0;
};

Fetched FetchPicture(LineClient& client, std::uint8_t mask)
{
    Fetched out;
    for (int n = 0; n < 255; ++n) {
        const auto answer = client.Ask(PictFrame(mask, static_cast<std::uint8_t>(n), 15));
        if (!answer || (*answer)[3] != kRxPicture || answer->size() != 3 + 2 + 3 + 240) {
            ADD_FAILURE() << "packet " << n << ": "
                          << (answer ? BytesToHex(*answer) : std::string("none"));
            return out;
        }
        EXPECT_EQ((*answer)[5], n);
        EXPECT_EQ((*answer)[6], 15);
        out.stream.insert(out.stream.end(), answer->begin() + 7, answer->end() - 1);
        ++out.packets;
        if (((*answer)[4] & 0xF0) == 0xF0) {
            out.lastFlags = (*answer)[4];
            return out;
        }
        EXPECT_EQ((*answer)[4], 0x00);
    }
    ADD_FAILURE() << "no last packet";
    return out;
}

Bytes BusyJpeg(int width, int height, int seed)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width * height * 3));
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<std::uint8_t>((i * 2654435761u + static_cast<unsigned>(seed)) >> 13);
    }
    return EncodeJpeg(rgb, width, height, 85);
}

void ExpectSamePicture(const Fetched& fetched, const Bytes& jpeg)
{
    ASSERT_GE(fetched.stream.size(), jpeg.size());
    EXPECT_LT(fetched.stream.size() - jpeg.size(), 240u);
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), fetched.stream.begin()));
    EXPECT_TRUE(std::all_of(fetched.stream.begin() + static_cast<std::ptrdiff_t>(jpeg.size()),
                            fetched.stream.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(SimLine, PicturesFromAFolderReassembleToTheSameJpegs)
{
    const std::string pictures = dir + "/pictures";
    std::filesystem::create_directory(pictures);
    const Bytes first = BusyJpeg(96, 64, 1);
    const Bytes second = BusyJpeg(64, 48, 2);
    ASSERT_LT(first.size(), 255u * 240u);
    ASSERT_GT(first.size(), 240u * 4);
    std::ofstream(pictures + "/a.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(first.data()),
               static_cast<std::streamsize>(first.size()));
    std::ofstream(pictures + "/b.JPEG", std::ios::binary)
        .write(reinterpret_cast<const char*>(second.data()),
               static_cast<std::streamsize>(second.size()));
    std::ofstream(pictures + "/notes.txt") << "not a picture";
    Options options;
    options.picturesDir = pictures;
    StartSim(options);

    // Packet 1 before any packet 0: no picture yet.
    EXPECT_EQ(client->Ask(PictFrame(0x02, 1, 15)),
              (Bytes{0xFF, 0xFF, 0x05, 0x07, 0xA0, 0x01, 0x0F, 0xBA}));
    const Fetched a = FetchPicture(*client, 0x01);
    ExpectSamePicture(a, first);
    EXPECT_EQ(a.lastFlags, 0xF0);
    // Beyond the last packet: error report DD.
    EXPECT_EQ(client->Ask(PictFrame(0x01, static_cast<std::uint8_t>(a.packets), 15)),
              (Bytes{0xFF, 0xFF, 0x03, 0x08, 0xDD, 0xE6}));
    const Fetched b = FetchPicture(*client, 0x02);
    ExpectSamePicture(b, second);
    EXPECT_EQ(b.lastFlags, 0xF1);
    ExpectSamePicture(FetchPicture(*client, 0x01), first); // the folder is cycled
    // Camera C is not present.
    EXPECT_EQ(client->Ask(PictFrame(0x04, 0, 15)),
              (Bytes{0xFF, 0xFF, 0x05, 0x07, 0xB0, 0x00, 0x0F, 0xC9}));
}

TEST_F(SimLine, GeneratedPicturesAreWholeJpegs)
{
    StartSim();
    const Fetched picture = FetchPicture(*client, 0x01);
    ASSERT_GT(picture.packets, 3);
    ASSERT_GE(picture.stream.size(), 4u);
    EXPECT_EQ(picture.stream[0], 0xFF);
    EXPECT_EQ(picture.stream[1], 0xD8);
    // The JPEG ends with its end marker, then only padding.
    auto end = picture.stream.end();
    while (end != picture.stream.begin() && *(end - 1) == 0) {
        --end;
    }
    ASSERT_GE(end - picture.stream.begin(), 2);
    EXPECT_EQ(*(end - 2), 0xFF);
    EXPECT_EQ(*(end - 1), 0xD9);
}

TEST_F(SimLine, SplitAnswersArriveInPiecesAndIntact)
{
    Options options;
    options.faults.split = true;
    StartSim(options);
    int inPieces = 0;
    for (int i = 0; i < 20; ++i) {
        const auto answer = client->Ask(DaneFrame());
        ASSERT_TRUE(answer.has_value());
        EXPECT_FALSE(client->lastWasBad());
        EXPECT_EQ(answer->size(), 180u);
        if (client->readsForLastFrame() >= 2) {
            ++inPieces;
        }
    }
    EXPECT_EQ(WaitTrace("TX", 20).size(), 20u);
    // Pieces leave 1 ms apart; only a reader held up for longer sees two pieces at once.
    EXPECT_GE(inPieces, 10);
}

TEST_F(SimLine, GarbageAndCorruptionHappenAtTheirRates)
{
    Options options;
    options.faults.garbageRate = 0.5;
    options.faults.corruptRate = 0.25;
    StartSim(options);
    int bad = 0;
    int noisy = 0;
    const int asks = 200;
    for (int i = 0; i < asks; ++i) {
        client->ClearSkipped();
        const auto answer = client->Ask(StanFrame());
        ASSERT_TRUE(answer.has_value()) << i; // noise never hides an answer
        ASSERT_EQ(answer->size(), 23u);
        EXPECT_EQ((*answer)[3], kRxStatus);
        bad += client->lastWasBad() ? 1 : 0;
        noisy += client->skipped().empty() ? 0 : 1;
        EXPECT_EQ(std::count(client->skipped().begin(), client->skipped().end(), 0xFF), 0);
    }
    EXPECT_NEAR(double(noisy) / asks, 0.5, 0.15);
    EXPECT_NEAR(double(bad) / asks, 0.25, 0.12);
    EXPECT_EQ(WaitTrace("TX-CORRUPT", std::size_t(bad)).size(), std::size_t(bad));
}

TEST_F(SimLine, DroppedAnswersNeverArrive)
{
    Options options;
    options.faults.dropRate = 1;
    StartSim(options);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(client->Write(StanFrame()));
    }
    ASSERT_EQ(WaitTrace("TX-DROP", 3).size(), 3u);
    ASSERT_EQ(simulator->Execute("drop 0"), "");
    const auto answer = client->Ask(DaneFrame());
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ((*answer)[3], kRxConfig); // nothing of the three status answers came
}

TEST_F(SimLine, SilenceOnAndOff)
{
    StartSim();
    simulator->SetSilent(true);
    ASSERT_TRUE(client->Write(StanFrame()));
    ASSERT_EQ(WaitTrace("RX-IGNORED", 1).size(), 1u);
    simulator->SetSilent(false);
    const auto answer = client->Ask(DaneFrame());
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ((*answer)[3], kRxConfig);
}

TEST_F(SimLine, DelayHoldsEachAnswer)
{
    Options options;
    options.faults.delayMs = 120;
    StartSim(options);
    const auto start = SteadyClock::now();
    ASSERT_TRUE(client->Ask(StanFrame()).has_value());
    EXPECT_GE(SteadyClock::now() - start, 120ms);
}

TEST_F(SimLine, ResetKeepsTheModuleSilentForTheGivenTime)
{
    Options options;
    options.resetSeconds = 0.6;
    StartSim(options);
    const auto before = SteadyClock::now();
    EXPECT_EQ(client->Ask(ResetFrame()), (Bytes{0xFF, 0xFF, 0x02, 0x05, 0x05}));
    int unanswered = 0;
    std::optional<Bytes> answer;
    while (!answer && SteadyClock::now() - before < 5s) {
        answer = client->Ask(StanFrame(), 100ms);
        unanswered += answer ? 0 : 1;
    }
    const auto answeredAt = SteadyClock::now();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ((*answer)[3], kRxStatus);
    EXPECT_GE(answeredAt - before, 600ms);
    EXPECT_LT(answeredAt - before, 3s);
    EXPECT_GE(unanswered, 3);
    // Requests made during the restart were not answered late: the next answer is current.
    const auto dane = client->Ask(DaneFrame());
    ASSERT_TRUE(dane.has_value());
    EXPECT_EQ((*dane)[3], kRxConfig);
}

TEST_F(SimLine, BaudPacesABurstToTheLinesTime)
{
    Options options;
    options.baud = 115200;
    StartSim(options);
    const int requests = 56; // 56 configuration replies of 180 bytes: 10080 bytes
    Bytes burst;
    for (int i = 0; i < requests; ++i) {
        const Bytes dane = DaneFrame();
        burst.insert(burst.end(), dane.begin(), dane.end());
    }
    ASSERT_TRUE(client->Write(burst));
    const std::size_t total = requests * 180u;
    std::size_t received = 0;
    SteadyClock::time_point first{}, last{};
    const auto deadline = SteadyClock::now() + 10s; // generous: sanitizer builds on a busy machine
    while (received < total && SteadyClock::now() < deadline) {
        pollfd p{client->fd(), POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) {
            continue;
        }
        std::uint8_t chunk[4096];
        const ssize_t n = read(client->fd(), chunk, sizeof chunk);
        if (n <= 0) {
            continue;
        }
        const auto now = SteadyClock::now();
        if (received == 0) {
            first = now;
        }
        received += static_cast<std::size_t>(n);
        last = now;
    }
    ASSERT_EQ(received, total);
    const double seconds = std::chrono::duration<double>(last - first).count();
    const double expected = double(total - 1) * 10.0 / 115200.0; // 0.875 s
    EXPECT_NEAR(seconds, expected, expected * 0.05);
}

TEST_F(SimLine, UnplugAndReplugUnderTheSamePath)
{
    StartSim();
    ASSERT_TRUE(client->Ask(StanFrame()).has_value());
    EXPECT_EQ(simulator->lineGeneration(), 1u);
    ASSERT_EQ(simulator->Execute("unplug 0.3"), "");
    EXPECT_TRUE(client->WaitHangUp(3000ms));
    ASSERT_TRUE(simulator->WaitForLine(2, 5000ms));
    EXPECT_EQ(simulator->linkPath(), link);
    EXPECT_FALSE(simulator->devicePath().empty());
    Connect();
    const auto answer = client->Ask(StanFrame());
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ((*answer)[3], kRxStatus);
}

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST_F(SimLine, ProgramClosingTheLineDoesNotMakeTheModuleSpin)
{
    StartSim();
    ASSERT_TRUE(client->Ask(StanFrame()).has_value());
    client->Close();
    ASSERT_EQ(WaitTrace("LINE", 3).size(), 3u); // published, opened, closed
    const double cpuBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(400ms); // an interval to measure over, not a synchronisation
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.2);
    // The line stays published and works for the next program that opens it.
    Connect();
    const auto answer = client->Ask(StanFrame());
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ((*answer)[3], kRxStatus);
}

TEST_F(SimLine, RefusesToReplaceSomethingThatIsNotALink)
{
    std::ofstream(link) << "precious";
    Options options;
    options.linkPath = link;
    Simulator refused(options);
    std::string error;
    EXPECT_FALSE(refused.Start(&error));
    EXPECT_NE(error.find("not a symbolic link"), std::string::npos);
    std::ifstream in(link);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "precious");
}

} // namespace
} // namespace zorva::sim::testing
