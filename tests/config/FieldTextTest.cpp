// Reading and writing the texts of the editor's field kinds: IP slots, spin texts, padding and
// the phone key filter.
#include "config/FieldText.h"

#include <gtest/gtest.h>

#include "config/ConfigEditor.h"
#include "config/IpFieldText.h"

namespace zorva {
namespace {

TEST(IpFieldTextTest, SlotsReadAsOctets)
{
    struct Case {
        const char* text;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"192.168.  1. 10", 0xC0A8010A},
        {"192.168.1  .10 ", 0xC0A8010A}, // left-aligned slots read the same
        {"999.  0.  0.  1", 0xE7000001}, // only the low 8 bits: 999 -> 231
        {"  1.  2.  3.4", 0x01020304},   // 13 characters: the last slot is what stands
        {"  1.  2.  3.45", 0x0102032D},
        {"   .   .   .   ", 0},
        {"1 2.3x4.   .255", 0x010300FF}, // digits up to the first other character
        {"1.2.3.4", 0},                  // shorter than 13 characters
        {"", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IpTextToLong(QString::fromLatin1(c.text)), c.value) << c.text;
    }
}

TEST(IpFieldTextTest, OctetsAreRightAlignedInTheirSlots)
{
    EXPECT_EQ(IpFieldText({192, 168, 1, 10}), "192.168.  1. 10");
    EXPECT_EQ(IpFieldText({0, 0, 0, 0}), "  0.  0.  0.  0");
    for (const Octets o : {Octets{1, 22, 133, 255}, Octets{10, 0, 0, 1}}) {
        const std::uint32_t v = IpTextToLong(IpFieldText(o));
        EXPECT_EQ(v, (std::uint32_t{o[0]} << 24) | (o[1] << 16) | (o[2] << 8) | o[3]);
    }
}

TEST(SpinTextTest, NonIntegersReadAsTheMinimum)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"12", 12},
        {" 12 ", 12},
        {"+5", 5},
        {"-7", -7},
        {"007", 7},
        {"", 3},
        {"-", 3},
        {"+", 3},
        {"1,5", 3},
        {"1.5", 3},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", 3},
        {"99999999999", 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SpinTextValue(QString::fromLatin1(c.text), 3), c.value) << c.text;
    }
}

TEST(PadToLengthTest, AppendsSpacesOnly)
{
    EXPECT_EQ(PadToLength("7", 8), "7       ");
    EXPECT_EQ(PadToLength("", 3), "   ");
    EXPECT_EQ(PadToLength("123456789", 8), "123456789");
}

TEST(PhoneKeyFilterTest, PassesControlsDigitsCommaWAndHighCodes)
{
    struct Case {
        char32_t code;
        bool passes;
    };
    const Case cases[] = {
        {0, true},    {8, true},   {13, true},  {32, true},   {35, true},     {40, true},
        {41, true},   {42, false}, {43, false}, {44, true},   {45, false},    {46, false},
        {47, false},  {48, true},  {57, true},  {58, false},  {64, false},    {65, false},
        {86, false},  {87, true},  {88, false}, {118, false}, {119, true},    {120, false},
        {122, false}, {123, true}, {255, true}, {256, false}, {0x104, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConfigEditor::Edit_telKeyPress(c.code), c.passes)
            << static_cast<unsigned>(c.code);
    }
}

} // namespace
} // namespace zorva
