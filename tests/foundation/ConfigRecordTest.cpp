#include "config/ConfigRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zorva {
namespace {

std::vector<std::uint8_t> Bytes(const ConfigRecord& r, std::size_t offset, std::size_t width)
{
    const auto& image = r.FileImage();
    return {image.begin() + static_cast<long>(offset),
            image.begin() + static_cast<long>(offset + width)};
}

TEST(ConfigRecord, ZeroRecordReadsAsDefaults)
{
    const ConfigRecord r;
    EXPECT_EQ(r.pictureSize(), PictureSize::Quarter);
    EXPECT_FALSE(r.colour());
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(r.camera(i)) << i;
    }
    for (int bit = 0; bit < 8; ++bit) {
        EXPECT_FALSE(r.linksBit(bit)) << bit;
    }
    EXPECT_FALSE(r.dhcp());
    EXPECT_EQ(r.port(), 0);
    EXPECT_EQ(OctetsToText(r.ip(cfg::vip)), "0.0.0.0");
    EXPECT_EQ(r.rawText(cfg::pass), QString(16, QChar(0)));
}

TEST(ConfigRecord, OddStoredValuesReadByTheirRule)
{
    struct Case {
        std::size_t offset;
        std::uint8_t value;
        PictureSize size;
        bool colour;
        bool dhcp;
    };
    const Case cases[] = {
        {cfg::obraz, 1, PictureSize::Full, false, false},
        {cfg::obraz, 2, PictureSize::Half, false, false},
        {cfg::obraz, 3, PictureSize::Quarter, false, false},
        {cfg::obraz, 4, PictureSize::Quarter, false, false},
        {cfg::obraz, 0xFF, PictureSize::Quarter, false, false},
        {cfg::kol, 7, PictureSize::Quarter, true, false},
        {cfg::kol, 1, PictureSize::Quarter, true, false},
        {cfg::dhcp, 2, PictureSize::Quarter, false, false},
        {cfg::dhcp, 3, PictureSize::Quarter, false, true},
        {cfg::dhcp, 1, PictureSize::Quarter, false, true},
    };
    for (const auto& c : cases) {
        ConfigRecord r;
        r.setByte(c.offset, c.value);
        EXPECT_EQ(r.pictureSize(), c.size) << c.offset << "=" << int{c.value};
        EXPECT_EQ(r.colour(), c.colour) << c.offset << "=" << int{c.value};
        EXPECT_EQ(r.dhcp(), c.dhcp) << c.offset << "=" << int{c.value};
    }
}

TEST(ConfigRecord, PortIsBigEndian)
{
    ConfigRecord r;
    r.setByte(cfg::ps, 0x1F);
    r.setByte(cfg::ps + 1, 0x90);
    EXPECT_EQ(r.port(), 8080);
    r.setPort(65535);
    EXPECT_EQ(Bytes(r, cfg::ps, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
    r.setPort(0x0102);
    EXPECT_EQ(Bytes(r, cfg::ps, 2), (std::vector<std::uint8_t>{0x01, 0x02}));
    EXPECT_EQ(r.byte(cfg::ps - 1), 0);
    EXPECT_EQ(r.byte(cfg::ps + 2), 0);
}

TEST(ConfigRecord, AddressesAreStoredFirstOctetFirst)
{
    struct Case {
        std::size_t offset;
        std::uint32_t value;
        std::vector<std::uint8_t> bytes;
        const char* text;
    };
    const Case cases[] = {
        {cfg::vip, 0xC0A8010A, {192, 168, 1, 10}, "192.168.1.10"},
        {cfg::vgate, 0xC0A80101, {192, 168, 1, 1}, "192.168.1.1"},
        {cfg::vmask, 0xFFFFFF00, {255, 255, 255, 0}, "255.255.255.0"},
        {cfg::sip, 0x0A000001, {10, 0, 0, 1}, "10.0.0.1"},
    };
    for (const auto& c : cases) {
        ConfigRecord r;
        r.setIpValue(c.offset, c.value);
        EXPECT_EQ(Bytes(r, c.offset, 4), c.bytes) << c.text;
        EXPECT_EQ(r.ipValue(c.offset), c.value) << c.text;
        EXPECT_EQ(OctetsToText(r.ip(c.offset)), c.text);
        // Neighbouring fields stay untouched.
        EXPECT_EQ(r.byte(c.offset - 1), 0) << c.text;
        EXPECT_EQ(r.byte(c.offset + 4), 0) << c.text;
    }
}

TEST(ConfigRecord, CameraAndLinkBitsLeaveTheOtherBits)
{
    ConfigRecord r;
    r.setByte(cfg::kamery, 0xF0);
    r.setCamera(0, true);
    r.setCamera(3, true);
    EXPECT_EQ(r.byte(cfg::kamery), 0xF9);
    r.setCamera(0, false);
    EXPECT_EQ(r.byte(cfg::kamery), 0xF8);
    EXPECT_TRUE(r.camera(3));
    EXPECT_FALSE(r.camera(1));

    r.setByte(cfg::links, 0xC0);
    r.setLinksBit(cfg::linkNoClockSync, true);
    r.setLinksBit(cfg::linkModem2, true);
    EXPECT_EQ(r.byte(cfg::links), 0xE8);
    r.setLinksBit(cfg::linkNoClockSync, false);
    EXPECT_EQ(r.byte(cfg::links), 0xC8);
    EXPECT_TRUE(r.linksBit(cfg::linkModem2));
}

TEST(ConfigRecord, TextFieldsArePaddedAndCutToTheirWidth)
{
    struct Case {
        const char* name;
        TextField field;
        QString text;
        std::vector<std::uint8_t> expected;
    };
    std::vector<std::uint8_t> password(16, 0x00);
    password[0] = 'a';
    password[1] = 'b';
    const Case cases[] = {
        {"short password", cfg::pass, QStringLiteral("ab"), password},
        {"full password", cfg::pass, QStringLiteral("0123456789ABCDEF"),
         std::vector<std::uint8_t>(QByteArrayView("0123456789ABCDEF").begin(),
                                   QByteArrayView("0123456789ABCDEF").end())},
        {"long identifier",
         cfg::id,
         QStringLiteral("ABCDEFGHIJ"),
         {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}},
        {"short identifier",
         cfg::id,
         QStringLiteral("Z1"),
         {'Z', '1', ' ', ' ', ' ', ' ', ' ', ' '}},
        {"empty identifier", cfg::id, QString(), std::vector<std::uint8_t>(8, ' ')},
        {"phone", cfg::tel, QStringLiteral("0048221234567"), {'0', '0', '4', '8', '2', '2',
                                                              '1', '2', '3', '4', '5', '6',
                                                              '7', ' ', ' ', ' ', ' ', ' ',
                                                              ' ', ' ', ' ', ' ', ' ', ' '}},
        {"second phone", cfg::tel2, QString(30, u'9'), std::vector<std::uint8_t>(24, '9')},
        // Polish letters through Windows-1250; a letter it lacks becomes '?'.
        {"Polish password",
         cfg::pass,
         QStringLiteral("Hasło żółć ñ"),
         {'H', 'a', 's', 0xB3, 'o', ' ', 0xBF, 0xF3, 0xB3, 0xE6, ' ', '?', 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        ConfigRecord r;
        r.setByte(c.field.offset - 1, 0x55);
        r.setByte(c.field.offset + c.field.width, 0x66);
        r.setText(c.field, c.text);
        EXPECT_EQ(Bytes(r, c.field.offset, c.field.width), c.expected) << c.name;
        EXPECT_EQ(r.byte(c.field.offset - 1), 0x55) << c.name;
        EXPECT_EQ(r.byte(c.field.offset + c.field.width), 0x66) << c.name;
    }
}

TEST(ConfigRecord, RawTextDecodesWindows1250)
{
    ConfigRecord r;
    r.setText(cfg::id, QStringLiteral("Łódź"));
    EXPECT_EQ(r.rawText(cfg::id), QStringLiteral("Łódź    "));
}

TEST(ConfigRecord, ReplyPayloadFillsFromByteZeroAndKeepsTheRest)
{
    ConfigRecord r;
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        r.setByte(i, 0xEE);
    }
    const std::vector<std::uint8_t> shortPayload(100, 0x11);
    r.FillFromReply(shortPayload);
    EXPECT_EQ(r.byte(0), 0x11);
    EXPECT_EQ(r.byte(99), 0x11);
    EXPECT_EQ(r.byte(100), 0xEE);
    EXPECT_EQ(r.byte(174), 0xEE);
    EXPECT_EQ(r.byte(kRecordSize - 1), 0xEE);

    std::vector<std::uint8_t> longPayload(kRecordSize + 500);
    for (std::size_t i = 0; i < longPayload.size(); ++i) {
        longPayload[i] = static_cast<std::uint8_t>(i * 7);
    }
    r.FillFromReply(longPayload);
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        ASSERT_EQ(r.byte(i), longPayload[i]) << i;
    }
}

TEST(ConfigRecord, ClearForNewKeepsTheBytesBeyond254)
{
    ConfigRecord r;
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        r.setByte(i, static_cast<std::uint8_t>(i | 1));
    }
    r.ClearForNew();
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        ASSERT_EQ(r.byte(i), i < 255 ? 0 : static_cast<std::uint8_t>(i | 1)) << i;
    }
    r.ClearAll();
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        ASSERT_EQ(r.byte(i), 0) << i;
    }
}

TEST(ConfigRecord, WriteImageIsTheFirst175BytesOfALoadedFile)
{
    ConfigRecord::Image file{};
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<std::uint8_t>(0xA0 ^ i);
    }
    ConfigRecord r;
    r.Load(file);
    const auto image = r.WriteImage();
    ASSERT_EQ(image.size(), kWriteImageSize);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), file.begin()));
    EXPECT_EQ(r.FileImage(), file);
}

TEST(NetworkRecord, MaskAndGatewayArriveReversed)
{
    NetworkRecord n;
    const std::vector<std::uint8_t> reply = {1, 0,  0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 192, 168,
                                             1, 20, 0,    255,  255,  255,  1,    1,    168, 192};
    n.FillFromReply(reply);
    EXPECT_TRUE(n.linkUp());
    EXPECT_EQ(n.mac(), (std::array<std::uint8_t, 6>{0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}));
    EXPECT_EQ(OctetsToText(n.dip()), "192.168.1.20");
    EXPECT_EQ(OctetsToText(n.dmask()), "255.255.255.0");
    EXPECT_EQ(OctetsToText(n.dgate()), "192.168.1.1");

    n.ClearAll();
    EXPECT_FALSE(n.linkUp());
    EXPECT_EQ(OctetsToText(n.dgate()), "0.0.0.0");
}

TEST(NetworkRecord, LongReplyIsCut)
{
    NetworkRecord n;
    n.FillFromReply(std::vector<std::uint8_t>(kRecordSize * 2, 0x77));
    EXPECT_EQ(n.bytes().back(), 0x77);
    EXPECT_EQ(n.bytes().size(), kRecordSize);
}

} // namespace
} // namespace zorva
