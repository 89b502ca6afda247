#include "serial/network/TelnetCodec.h"

#include <gtest/gtest.h>

#include <functional>

namespace zorva::serial {
namespace {

using Bytes = TelnetCodec::Bytes;
using Act = std::function<void(TelnetCodec&, Bytes& data, Bytes& out)>;

// One step: bytes received from the server (or another act), and what it must give.
struct Step {
    Act act;
    Bytes data; // data handed on (received) or wire form (encoded)
    Bytes out;  // bytes to send to the server
};

Act In(Bytes wire)
{
    return [wire](TelnetCodec& c, Bytes& d, Bytes& o) { c.Decode(wire.data(), wire.size(), d, o); };
}
Act Enc(Bytes bytes)
{
    return [bytes](TelnetCodec& c, Bytes& d, Bytes&) { c.Encode(bytes.data(), bytes.size(), d); };
}

// Server's full agreement: binary both ways, the COM port option.
const Bytes kAgree = {0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x03};
const Bytes kBaudAsked = {0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x01, 0xC2, 0x00, 0xFF, 0xF0};

TEST(TelnetCodec, ByteSequencesInAndOut)
{
    const Act baud = [](TelnetCodec& c, Bytes&, Bytes& o) { c.RequestBaudRate(115200, o); };
    const Act dtrOn = [](TelnetCodec& c, Bytes&, Bytes& o) { c.RequestDtr(true, o); };
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> refusals;
    } cases[] = {
        {"IAC doubling split across reads, binary both ways",
         {{In(kAgree), {}, {}},
          {In({0x41, 0xFF}), {0x41}, {}},
          {In({0xFF, 0x0D, 0x00, 0xFF}), {0xFF, 0x0D, 0x00}, {}},
          {In({0xF1, 0xFF, 0xFF}), {0xFF}, {}}},
         {}},
        {"settings wait for the option, then go out with IAC doubled",
         {{baud, {}, {}},
          {In(kAgree), {}, {}},
          {In({0xFF, 0xFD}), {}, {}},
          {In({0x2C}), {}, kBaudAsked},
          {[](TelnetCodec& c, Bytes&, Bytes& o) { c.RequestBaudRate(0xFF00, o); },
           {},
           {0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xF0}},
          {Enc({0xFF, 0x0D, 0x0A}), {0xFF, 0xFF, 0x0D, 0x0A}, {}}},
         {}},
        {"answers cut in two; a different value is a refusal, named once",
         {{In(kAgree), {}, {}},
          {In({0xFF, 0xFD, 0x2C}), {}, {}},
          {baud, {}, kBaudAsked},
          {dtrOn, {}, {0xFF, 0xFA, 0x2C, 0x05, 0x08, 0xFF, 0xF0}},
          {In({0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x01}), {}, {}},
          {In({0xC2, 0x00, 0xFF, 0xF0, 0x31, 0xFF, 0xFA, 0x2C, 0x69, 0x09, 0xFF}), {0x31}, {}},
          {In({0xF0, 0xFF, 0xFA, 0x2C, 0x69, 0x09, 0xFF, 0xF0}), {}, {}}},
         {"DTR on"}},
        {"a setting passed over without an answer is refused once a later one is answered",
         {{dtrOn, {}, {}},
          {[](TelnetCodec& c, Bytes&, Bytes& o) { c.RequestNoFlowControl(o); }, {}, {}},
          {In({0xFF, 0xFD, 0x2C}),
           {},
           {0xFF, 0xFA, 0x2C, 0x05, 0x08, 0xFF, 0xF0, 0xFF, 0xFA, 0x2C, 0x05, 0x01, 0xFF, 0xF0}},
          {In({0xFF, 0xFA, 0x2C, 0x69, 0x01, 0xFF, 0xF0}), {}, {}}},
         {"DTR on"}},
        {"a server that refuses: CR NUL both ways, unknown options declined",
         {{In({0xFF, 0xFE, 0x2C, 0xFF, 0xFC, 0x00, 0xFF, 0xFE, 0x00}), {}, {}},
          {In({0x0D, 0x00, 0x0D, 0x0A, 0x0D}), {0x0D, 0x0D, 0x0A, 0x0D}, {}},
          {In({0x00, 0x00}), {0x00}, {}},
          {Enc({0x0D, 0x0A}), {0x0D, 0x00, 0x0A}, {}},
          {In({0xFF, 0xFD, 0x01, 0xFF, 0xFB, 0x01}), {}, {0xFF, 0xFC, 0x01, 0xFF, 0xFE, 0x01}},
          {dtrOn, {}, {}}},
         {"COM port control", "binary transmission"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TelnetCodec codec;
        EXPECT_EQ(codec.Start(), (Bytes{0xFF, 0xFB, 0x00, 0xFF, 0xFB, 0x03, 0xFF, 0xFB, 0x2C, 0xFF,
                                        0xFD, 0x00, 0xFF, 0xFD, 0x03}));
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(i);
            Bytes data;
            Bytes out;
            c.steps[i].act(codec, data, out);
            EXPECT_EQ(data, c.steps[i].data);
            EXPECT_EQ(out, c.steps[i].out);
        }
        EXPECT_EQ(codec.TakeRefusals(), c.refusals);
    }
}

} // namespace
} // namespace zorva::serial
