#include "app/ProgramVersion.h"

#include <gtest/gtest.h>

namespace zorva {
namespace {

TEST(ProgramVersion, VersionTextPadsTheBuildToThreeDigits)
{
    const struct {
        FileVersion version;
        const char* text;
    } cases[] = {
        {{1, 0, 2, 0}, "1.02.000"},
        {{1, 0, 2, 7}, "1.02.007"},
        {{1, 0, 2, 45}, "1.02.045"},
        {{1, 0, 2, 123}, "1.02.123"},
        {{1, 0, 2, 99}, "1.02.099"},
        {{1, 0, 2, 100}, "1.02.100"},
        {{2, 1, 10, 5}, "2.110.005"},
        // Each number counts with its lowest 8 bits only.
        {{257, 256, 258, 0x1FF}, "1.02.255"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileVersionText(c.version), QString::fromLatin1(c.text)) << c.text;
    }
}

TEST(ProgramVersion, ProgramIsVersionOneZeroTwoZero)
{
    EXPECT_EQ(FileVersionText(ProgramFileVersion()), QStringLiteral("1.02.000"));
}

TEST(ProgramVersion, VersionLineHasTwoReturnsBeforeTheMaker)
{
    EXPECT_EQ(VersionLine(QStringLiteral("1.02.000"), QStringLiteral("Nurvo 2026")),
              QStringLiteral("Zorva v 1.02.000 \r\rNurvo 2026"));
}

} // namespace
} // namespace zorva
