// Control command lines, event argument encoding, the command line, and the generated
// test pictures.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <tuple>

#include "sim/ControlCommand.h"
#include "sim/SimOptions.h"
#include "sim/TestPicture.h"

namespace zorva::sim {
namespace {

using Kind = ControlCommand::Kind;

struct LineCase {
    const char* line;
    Kind kind;
    std::vector<std::uint8_t> bytes;
    double number;
    bool flag;
};

class ControlLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(ControlLines, Parse)
{
    const LineCase& c = GetParam();
    const ParsedControlLine parsed = ParseControlLine(c.line);
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    ASSERT_TRUE(parsed.command.has_value());
    EXPECT_EQ(parsed.command->kind, c.kind);
    EXPECT_EQ(parsed.command->bytes, c.bytes);
    EXPECT_DOUBLE_EQ(parsed.command->number, c.number);
    EXPECT_EQ(parsed.command->flag, c.flag);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControlLines,
    ::testing::Values(
        // Known codes: camera one byte, numbers four bytes little-endian.
        LineCase{"event 01 B 260", Kind::Event, {0x01, 0x01, 0x04, 0x01, 0x00, 0x00}, 0, false},
        LineCase{"event 1", Kind::Event, {0x01, 0x00, 0x01, 0x00, 0x00, 0x00}, 0, false},
        LineCase{"event 05 -2", Kind::Event, {0x05, 0xFE, 0xFF, 0xFF, 0xFF}, 0, false},
        LineCase{"event 06 d", Kind::Event, {0x06, 0x03}, 0, false},
        LineCase{"event 02", Kind::Event, {0x02}, 0, false},
        // Unknown codes take raw hex bytes.
        LineCase{"event 3C 01 ff", Kind::Event, {0x3C, 0x01, 0xFF}, 0, false},
        LineCase{"error DD", Kind::Error, {0xDD}, 0, false},
        LineCase{"  error 0xcc   # comment", Kind::Error, {0xCC}, 0, false},
        LineCase{"fmwdate", Kind::FmwDate, {}, 0, false},
        LineCase{"silent on", Kind::Silent, {}, 0, true},
        LineCase{"silent off", Kind::Silent, {}, 0, false},
        LineCase{"unplug 1.5", Kind::Unplug, {}, 1.5, false},
        LineCase{"firmware 3", Kind::Firmware, {}, 3, false},
        LineCase{"cameras 1F", Kind::Cameras, {}, 0x1F, false},
        LineCase{"inputs a5", Kind::Inputs, {}, 0xA5, false},
        LineCase{"reject-write on", Kind::RejectWrite, {}, 0, true},
        LineCase{"store-skew ps", Kind::StoreSkew, {}, 48, false},
        LineCase{"store-skew 120", Kind::StoreSkew, {}, 120, false},
        LineCase{"store-skew off", Kind::StoreSkew, {}, -1, false},
        LineCase{"split on", Kind::Split, {}, 0, true},
        LineCase{"garbage 0.25", Kind::Garbage, {}, 0.25, false},
        LineCase{"corrupt 1", Kind::Corrupt, {}, 1, false},
        LineCase{"drop 0", Kind::Drop, {}, 0, false},
        LineCase{"delay 40", Kind::Delay, {}, 40, false},
        LineCase{"baud 115200", Kind::Baud, {}, 115200, false},
        LineCase{"wait 0.2", Kind::Wait, {}, 0.2, false},
        LineCase{"quit", Kind::Quit, {}, 0, false}));

TEST(ControlLines, FirmwareDateMayBeGiven)
{
    const ParsedControlLine parsed = ParseControlLine("fmwdate 2024-12-09");
    ASSERT_TRUE(parsed.command.has_value());
    EXPECT_EQ(parsed.command->date, (std::vector<int>{9, 12, 2024}));
}

TEST(ControlLines, BadLinesAreRefusedWithAReason)
{
    for (const char* line :
         {"event", "event 1FF", "event 01 E", "event 01 A x", "event 01 A 1 2", "event 3C 100",
          "error", "error XY", "silent maybe", "unplug -1", "firmware 256", "cameras 100",
          "garbage 1.5", "baud fast", "fmwdate 2024-13-01", "jump", "quit now", "store-skew 175",
          "store-skew links2"}) {
        const ParsedControlLine parsed = ParseControlLine(line);
        EXPECT_FALSE(parsed.command.has_value()) << line;
        EXPECT_FALSE(parsed.error.empty()) << line;
    }
    EXPECT_FALSE(ParseControlLine("   # only a comment").command.has_value());
    EXPECT_TRUE(ParseControlLine("").error.empty());
}

TEST(CommandLine, OptionsAreRead)
{
    const ParsedCommandLine p = ParseCommandLine({"--link",
                                                  "/tmp/x.tty",
                                                  "--firmware",
                                                  "1",
                                                  "--cameras",
                                                  "13",
                                                  "--inputs",
                                                  "21",
                                                  "--reset-seconds",
                                                  "0.5",
                                                  "--event-every",
                                                  "3",
                                                  "--split",
                                                  "--garbage",
                                                  "0.1",
                                                  "--corrupt",
                                                  "0.2",
                                                  "--drop",
                                                  "0.3",
                                                  "--delay",
                                                  "7",
                                                  "--baud",
                                                  "9600",
                                                  "--reject-write",
                                                  "--store-skew",
                                                  "tt",
                                                  "--seed",
                                                  "5",
                                                  "--fmwdate",
                                                  "2020-02-29"});
    ASSERT_TRUE(p.error.empty()) << p.error;
    const Options& o = p.options;
    EXPECT_EQ(o.linkPath, "/tmp/x.tty");
    EXPECT_EQ(o.firmware, 1);
    EXPECT_EQ(o.cameras, 0x13);
    EXPECT_EQ(o.inputs, 0x21);
    EXPECT_DOUBLE_EQ(o.resetSeconds, 0.5);
    EXPECT_DOUBLE_EQ(o.eventEverySeconds, 3);
    EXPECT_TRUE(o.faults.split);
    EXPECT_DOUBLE_EQ(o.faults.garbageRate, 0.1);
    EXPECT_DOUBLE_EQ(o.faults.corruptRate, 0.2);
    EXPECT_DOUBLE_EQ(o.faults.dropRate, 0.3);
    EXPECT_EQ(o.faults.delayMs, 7u);
    EXPECT_EQ(o.baud, 9600u);
    EXPECT_TRUE(o.rejectWrite);
    EXPECT_EQ(o.storeSkew, 110);
    EXPECT_EQ(o.seed, 5u);
    EXPECT_EQ(o.fmwDay, 29);
    EXPECT_EQ(o.fmwMonth, 2);
    EXPECT_EQ(o.fmwYear, 2020);
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--baud"}, {"--drop", "2"}, {"--cameras", "xyz"}, {"--bogus"}, {"stray"}}) {
        EXPECT_FALSE(ParseCommandLine(bad).error.empty()) << bad[0];
    }
    EXPECT_TRUE(ParseCommandLine({"--help"}).help);
}

// --listen takes the address as the simulator prints it after "tcp://", IPv6 in brackets too.
TEST(CommandLine, ListenTakesTheAddressAsPrinted)
{
    for (const auto& [arg, host, port] :
         {std::tuple{"4001", "127.0.0.1", 4001}, std::tuple{"[::1]:0", "::1", 0},
          std::tuple{"[fe80::1]:4001", "fe80::1", 4001}}) {
        const ParsedCommandLine p = ParseCommandLine({"--listen", arg});
        EXPECT_TRUE(p.error.empty() && p.options.listenHost == host && p.options.listenPort == port)
            << arg << ": " << p.error << p.options.listenHost;
    }
}

TEST(CommandLine, DefaultLinkFollowsXdgRuntimeDir)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/77", 1);
    EXPECT_EQ(DefaultLinkPath(), "/run/user/77/zorva-sim.tty");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(DefaultLinkPath(), "/tmp/zorva-sim.tty");
    if (saved) {
        setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    }
}

// Decodes a JPEG with libjpeg; false when it is not a readable picture.
struct Decoded {
    int width = 0, height = 0, components = 0;
    std::vector<std::uint8_t> pixels;
};

struct DecodeTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnDecodeError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<DecodeTrap*>(info->err)->jump, 1);
}

bool Decode(const std::vector<std::uint8_t>& jpeg, Decoded& out)
{
    jpeg_decompress_struct info;
    DecodeTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnDecodeError;
    if (setjmp(trap.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.components = info.output_components;
    out.pixels.resize(static_cast<std::size_t>(out.width * out.height * out.components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.pixels.data() + static_cast<std::size_t>(info.output_scanline) *
                                               static_cast<std::size_t>(out.width * out.components);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

TEST(TestPicture, IsARealColourJpegOf320x240)
{
    const auto jpeg = MakeTestPicture(0, 1, "2011-03-15 14:05:09");
    ASSERT_GT(jpeg.size(), 1000u);
    EXPECT_LT(jpeg.size(), 255u * 240u); // fits the longest picture transfer
    Decoded picture;
    ASSERT_TRUE(Decode(jpeg, picture));
    EXPECT_EQ(picture.width, 320);
    EXPECT_EQ(picture.height, 240);
    EXPECT_EQ(picture.components, 3);
}

TEST(TestPicture, ShowsCameraCounterAndClock)
{
    const auto base = MakeTestPicture(0, 1, "2011-03-15 14:05:09");
    EXPECT_EQ(MakeTestPicture(0, 1, "2011-03-15 14:05:09"), base);
    EXPECT_NE(MakeTestPicture(1, 1, "2011-03-15 14:05:09"), base);
    EXPECT_NE(MakeTestPicture(0, 2, "2011-03-15 14:05:09"), base);
    EXPECT_NE(MakeTestPicture(0, 1, "2011-03-15 14:05:10"), base);
}

} // namespace
} // namespace zorva::sim
