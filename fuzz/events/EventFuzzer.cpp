// Formats hostile event patterns with hostile argument kinds and bytes, as a language file and a
// module could bring them together. Checks:
//  - an argument never takes more bytes than the report has, and "int" takes four, "ABCD" one;
//  - a pattern without a percent sign comes back as it is;
//  - the text never grows past the pattern, the two argument texts and a bounded padding.
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

#include "link/EventDecoder.h"

namespace {

using namespace zorva;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "event decoder invariant broken: %s\n", what);
    std::abort();
}

// Field widths in patterns are bounded by what the language file can hold in one line.
constexpr qsizetype kPaddingAllowance = 2 * 4096;

QString Kind(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return QStringLiteral("int");
    case 1:
        return QStringLiteral("ABCD");
    case 2:
        return QString();
    default:
        return QString::fromUtf8(input.ConsumeRandomLengthString(8));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString firstKind = Kind(input);
    const QString secondKind = Kind(input);
    const QString pattern = QString::fromUtf8(input.ConsumeRandomLengthString(256));
    const std::vector<std::uint8_t> bytes = input.ConsumeRemainingBytes<std::uint8_t>();

    std::span<const std::uint8_t> rest(bytes);
    for (const QString& kind : {firstKind, secondKind}) {
        const std::size_t before = rest.size();
        [[maybe_unused]] const QString text = DecodeEventArg(kind, rest);
        const std::size_t wanted = kind == QLatin1String("int")    ? 4
                                   : kind == QLatin1String("ABCD") ? 1
                                                                   : 0;
        if (before - rest.size() != std::min(wanted, before)) {
            Fail("an argument took the wrong number of bytes");
        }
    }

    std::span<const std::uint8_t> arguments(bytes);
    const QString first = DecodeEventArg(firstKind, arguments);
    const QString second = DecodeEventArg(secondKind, arguments);
    const QString text = FormatEventPattern(pattern, first, second);
    if (!pattern.contains(QLatin1Char('%')) && text != pattern) {
        Fail("a pattern without placeholders changed");
    }
    if (text.size() > pattern.size() + first.size() + second.size() + kPaddingAllowance) {
        Fail("the text grew without bound");
    }
    return 0;
}
