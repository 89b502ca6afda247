// Feeds arbitrary server bytes in arbitrary chunks to the Telnet codec, with the client's own
// requests mixed in, and checks its invariants after every chunk:
//  - no more data comes out than bytes went in (a data byte is never invented);
//  - an answer to the server is whole commands: it starts with IAC and never ends inside one;
//  - a refusal is named at most once per connection: 7 settings and 2 options at most.
// The chunk sizes and requests come from the input's end, the stream from its front.
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

#include "serial/network/TelnetCodec.h"

namespace {

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "telnet invariant broken: %s\n", what);
    std::abort();
}

void CheckAnswer(const zorva::serial::TelnetCodec::Bytes& out)
{
    if (!out.empty() && (out.front() != 0xFF || out.size() < 3)) {
        Fail("answer is not a whole command");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using zorva::serial::TelnetCodec;
    FuzzedDataProvider input(data, size);
    TelnetCodec codec;
    CheckAnswer(codec.Start());
    std::size_t refusals = 0;
    while (input.remaining_bytes() > 0) {
        const std::size_t chunk = input.ConsumeIntegralInRange<std::size_t>(1, 64);
        const std::uint8_t request = input.ConsumeIntegral<std::uint8_t>();
        const std::vector<std::uint8_t> wire = input.ConsumeBytes<std::uint8_t>(chunk);
        TelnetCodec::Bytes received;
        TelnetCodec::Bytes out;
        switch (request % 8) {
        case 0:
            codec.RequestBaudRate(static_cast<std::uint32_t>(request) * 0x01010101u, out);
            break;
        case 1:
            codec.RequestDtr(request & 0x10, out);
            break;
        case 2:
            codec.RequestRts(request & 0x10, out);
            break;
        case 3:
            codec.RequestParity(request >> 4, out);
            break;
        default:
            break;
        }
        CheckAnswer(out);
        out.clear();
        codec.Decode(wire.data(), wire.size(), received, out);
        if (received.size() > wire.size()) {
            Fail("more data out than bytes in");
        }
        CheckAnswer(out);
        TelnetCodec::Bytes encoded;
        codec.Encode(received.data(), received.size(), encoded);
        if (encoded.size() > 2 * received.size()) {
            Fail("encoding more than doubles");
        }
        refusals += codec.TakeRefusals().size();
    }
    if (refusals > 9) {
        Fail("refusals repeated");
    }
    return 0;
}
