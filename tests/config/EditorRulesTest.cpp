// The configuration editor's rules driven through widget-free fields.
#include <gtest/gtest.h>

#include <functional>

#include "FakeFields.h"
#include "config/IpFieldText.h"
#include "shell/LanguageTexts.h"

namespace zorva::test {
namespace {

class EditorRules : public ::testing::Test {
protected:
    void SetUp() override { SetPolishTexts(); }
    FakeArea a;
};

std::uint8_t Byte(const FakeArea& area, std::size_t offset)
{
    return area.record.byte(offset);
}

// ---- the refresh --------------------------------------------------------------------------

TEST_F(EditorRules, ZeroRecordReadsAsQuarterBlackAndWhiteNoCameraClockSyncOn)
{
    a.editor.ShowConfig();

    EXPECT_EQ(a.RB_size.Checked(), 2); // RB_14
    EXPECT_FALSE(a.CB_kol.Checked());
    for (const FakeCheck& box : a.CB_k) {
        EXPECT_FALSE(box.Checked());
    }
    EXPECT_EQ(a.SE_DZ.Text(), "1");
    EXPECT_EQ(a.SE_PZ.Text(), "1");
    EXPECT_EQ(a.SE_PS.Text(), "1");
    EXPECT_TRUE(a.CB_SRTC.Checked());
    EXPECT_FALSE(a.CB_DHCP.Checked());
    EXPECT_FALSE(a.CB_ET.Checked());
    EXPECT_FALSE(a.CB_MDM.Checked());
    EXPECT_FALSE(a.CB_MDM2.Checked());
    EXPECT_EQ(a.ME_ID.Text(), "        ");
    EXPECT_EQ(a.E_pass.Text(), "");
    EXPECT_EQ(a.Edit_tel.Text(), "");
    for (const FakeText* ip : {&a.ME_vip, &a.ME_vmask, &a.ME_vgate, &a.ME_sip}) {
        EXPECT_EQ(ip->Text(), "  0.  0.  0.  0");
    }
    for (const FakeSpin* spin :
         {&a.SE_NCP, &a.SE_NMX, &a.SE_TT, &a.SE_TCP, &a.SE_TMX, &a.SE_POWT, &a.SE_OZ}) {
        EXPECT_EQ(spin->Text(), "0");
    }
    // The picture counts show 1, and their change rules store it; the port field already
    // showed 1, so nothing ran for it and the record keeps 0.
    EXPECT_EQ(Byte(a, cfg::dz), 1);
    EXPECT_EQ(Byte(a, cfg::pz), 1);
    EXPECT_EQ(a.record.port(), 0);
    EXPECT_EQ(Byte(a, cfg::links), 0);
}

TEST_F(EditorRules, LinksAllSetShowsEveryPathAndIsLeftWithoutExternalModemBits)
{
    a.record.setByte(cfg::links, 0x3F);
    a.editor.ShowConfig();

    EXPECT_TRUE(a.CB_ET.Checked());
    EXPECT_TRUE(a.CB_MDM.Checked());
    EXPECT_TRUE(a.CB_MDM2.Checked());
    EXPECT_FALSE(a.CB_EX1.Checked());
    EXPECT_FALSE(a.CB_EX2.Checked());
    EXPECT_FALSE(a.CB_SRTC.Checked());
    EXPECT_EQ(Byte(a, cfg::links), 0x2B);
}

TEST_F(EditorRules, RefreshWritesBackOnlyWhatTheFieldsCannotShow)
{
    ConfigRecord::Image image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    a.record.Load(image);
    a.record.setByte(cfg::obraz, 2);
    a.record.setByte(cfg::kol, 1);
    a.record.setByte(cfg::kamery, 0xF5);
    a.record.setByte(cfg::dz, 0);
    a.record.setByte(cfg::pz, 0);
    a.record.setText(cfg::pass, QStringLiteral("abc"));
    a.record.setText(cfg::id, QStringLiteral("ZORVA01"));
    a.record.setByte(cfg::links, 0xFF);
    a.record.setByte(cfg::dhcp, 3);
    a.record.setIp(cfg::vip, {10, 0, 0, 2});
    a.record.setIp(cfg::vmask, {255, 255, 255, 0});
    a.record.setIp(cfg::vgate, {10, 0, 0, 1});
    a.record.setIp(cfg::sip, {192, 168, 1, 10});
    a.record.setPort(8080);
    a.record.setText(cfg::tel, QStringLiteral("0,W123"));
    a.record.setText(cfg::tel2, QStringLiteral("456"));
    const std::array<std::pair<std::size_t, std::uint8_t>, 7> times{{{cfg::oz, 240},
                                                                     {cfg::powt, 20},
                                                                     {cfg::ncp, 30},
                                                                     {cfg::nmx, 5},
                                                                     {cfg::tcp, 0},
                                                                     {cfg::tmx, 20},
                                                                     {cfg::tt, 255}}};
    for (const auto& [offset, value] : times) {
        a.record.setByte(offset, value);
    }
    ConfigRecord::Image expected = a.record.FileImage();
    expected[cfg::dz] = 1;
    expected[cfg::pz] = 1;
    expected[cfg::dhcp] = 1;
    expected[cfg::links] = 0xEB; // bits 2 and 4 cleared

    a.editor.ShowConfig();
    EXPECT_EQ(a.record.FileImage(), expected);

    // A second refresh changes nothing a field shows, so no change rule runs at all.
    a.link.pollResets = 0;
    a.editor.ShowConfig();
    EXPECT_EQ(a.record.FileImage(), expected);
    EXPECT_EQ(a.link.pollResets, 0);
}

TEST_F(EditorRules, RefreshClampsOutOfRangeValuesAndStoresWhatItShows)
{
    a.record.setByte(cfg::ncp, 250);
    a.record.setByte(cfg::powt, 99);
    a.record.setByte(cfg::obraz, 3); // reads as quarter
    a.record.setByte(cfg::kol, 7);   // reads as colour
    a.editor.ShowConfig();

    EXPECT_EQ(a.SE_NCP.Text(), "240");
    EXPECT_EQ(Byte(a, cfg::ncp), 240);
    EXPECT_EQ(a.SE_POWT.Text(), "20");
    EXPECT_EQ(Byte(a, cfg::powt), 20);
    EXPECT_EQ(a.RB_size.Checked(), 2);
    EXPECT_EQ(Byte(a, cfg::obraz), 4);
    EXPECT_TRUE(a.CB_kol.Checked());
    EXPECT_EQ(Byte(a, cfg::kol), 1);
}

TEST_F(EditorRules, RefreshRunsThePathClickRulesEvenWhenTheBoxKeepsItsState)
{
    a.record.setByte(cfg::links, 0x01);
    a.editor.ShowConfig();
    a.ME_sip.SetEnabled(false); // something else switched the field off
    a.editor.ShowConfig();      // CB_ET stays checked, its rule still runs
    EXPECT_TRUE(a.ME_sip.IsEnabled());
}

TEST_F(EditorRules, TextFieldsShowTrimmedRecordText)
{
    const std::uint8_t id[8] = {0x00, ' ', 'A', 'B', ' ', 'C', 0x01, 0x00};
    for (std::size_t i = 0; i < 8; ++i) {
        a.record.setByte(cfg::id.offset + i, id[i]);
    }
    a.record.setText(cfg::tel, QStringLiteral("  12 34"));
    a.editor.ShowConfig();
    EXPECT_EQ(a.ME_ID.Text(), "AB C    ");
    EXPECT_EQ(a.Edit_tel.Text(), "12 34");
    // The identifier field wrote its padded text back.
    EXPECT_EQ(a.record.rawText(cfg::id), "AB C    ");
}

// ---- spin fields ----------------------------------------------------------------------------

struct SpinCase {
    const char* name;
    FakeSpin FakeArea::*field;
    std::size_t offset;
    int width; // record bytes, big-endian
    const char* typed;
    int storedWhileTyping;
    bool rangeError;
    const char* shownAfterLeaving;
    int storedAfterLeaving;
};

int Stored(const FakeArea& area, std::size_t offset, int width)
{
    return width == 2 ? area.record.byte(offset) * 256 + area.record.byte(offset + 1)
                      : area.record.byte(offset);
}

class SpinRules : public ::testing::TestWithParam<SpinCase> {};

TEST_P(SpinRules, TypingStoresAtOnceAndLeavingClamps)
{
    const SpinCase& c = GetParam();
    FakeArea a;
    // Every byte starts at 7 (port 7), so a refused value is seen to leave it alone.
    for (std::size_t offset : {cfg::dz, cfg::pz, cfg::ps + 1, cfg::ncp, cfg::nmx, cfg::tt, cfg::tcp,
                               cfg::tmx, cfg::powt, cfg::oz}) {
        a.record.setByte(offset, 7);
    }
    a.editor.ShowConfig();
    FakeSpin& fake = a.*(c.field);
    a.link.pollResets = 0;

    fake.Type(QString::fromLatin1(c.typed));
    EXPECT_EQ(Stored(a, c.offset, c.width), c.storedWhileTyping);
    EXPECT_EQ(a.rangeErrors, c.rangeError ? 1 : 0);
    EXPECT_EQ(a.link.pollResets, 1);

    fake.Leave();
    EXPECT_EQ(fake.Text(), c.shownAfterLeaving);
    EXPECT_EQ(Stored(a, c.offset, c.width), c.storedAfterLeaving);
}

INSTANTIATE_TEST_SUITE_P(
    EditorRules, SpinRules,
    ::testing::Values(
        SpinCase{"DzAboveByte", &FakeArea::SE_DZ, cfg::dz, 1, "300", 255, false, "255", 255},
        SpinCase{"PzZero", &FakeArea::SE_PZ, cfg::pz, 1, "0", 1, false, "1", 1},
        SpinCase{"DzEmptied", &FakeArea::SE_DZ, cfg::dz, 1, "", 1, false, "1", 1},
        SpinCase{"PortAboveRange", &FakeArea::SE_PS, cfg::ps, 2, "70000", 65535, false, "65535",
                 65535},
        SpinCase{"PortZero", &FakeArea::SE_PS, cfg::ps, 2, "0", 1, false, "1", 1},
        SpinCase{"TmxAboveRange", &FakeArea::SE_TMX, cfg::tmx, 1, "25", 25, false, "20", 20},
        SpinCase{"PowtAboveRange", &FakeArea::SE_POWT, cfg::powt, 1, "21", 21, false, "20", 20},
        SpinCase{"TmxTyped300Refused", &FakeArea::SE_TMX, cfg::tmx, 1, "300", 7, true, "20", 20},
        SpinCase{"PowtTyped300Refused", &FakeArea::SE_POWT, cfg::powt, 1, "300", 7, true, "20", 20},
        SpinCase{"NmxTyped300LowBits", &FakeArea::SE_NMX, cfg::nmx, 1, "300", 44, false, "20", 20},
        SpinCase{"NcpLowBits", &FakeArea::SE_NCP, cfg::ncp, 1, "300", 44, false, "240", 240},
        SpinCase{"TcpLowBits", &FakeArea::SE_TCP, cfg::tcp, 1, "256", 0, false, "240", 240},
        SpinCase{"NcpEmptied", &FakeArea::SE_NCP, cfg::ncp, 1, "", 0, false, "0", 0},
        SpinCase{"NmxLoneMinus", &FakeArea::SE_NMX, cfg::nmx, 1, "-", 0, false, "0", 0},
        SpinCase{"TtRefused", &FakeArea::SE_TT, cfg::tt, 1, "300", 7, true, "255", 255},
        SpinCase{"OzNegativeRefused", &FakeArea::SE_OZ, cfg::oz, 1, "-1", 7, true, "0", 0},
        SpinCase{"TtInRange", &FakeArea::SE_TT, cfg::tt, 1, "200", 200, false, "200", 200}),
    [](const ::testing::TestParamInfo<SpinCase>& info) { return std::string(info.param.name); });

// ---- text fields ----------------------------------------------------------------------------

TEST_F(EditorRules, IdentifierIsPaddedWithSpaces)
{
    a.editor.ShowConfig();
    a.ME_ID.Type(QStringLiteral("7"));
    const std::array<std::uint8_t, 8> expected{0x37, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(Byte(a, cfg::id.offset + i), expected[i]) << i;
    }
}

TEST_F(EditorRules, PasswordIsPaddedWithZerosAndCutToSixteen)
{
    a.editor.ShowConfig();
    a.E_pass.Type(QStringLiteral("abc"));
    EXPECT_EQ(Byte(a, cfg::pass.offset), 'a');
    EXPECT_EQ(Byte(a, cfg::pass.offset + 2), 'c');
    for (std::size_t i = 3; i < 16; ++i) {
        EXPECT_EQ(Byte(a, cfg::pass.offset + i), 0) << i;
    }

    a.E_pass.Type(QStringLiteral("0123456789abcdefXYZ"));
    EXPECT_EQ(a.record.rawText(cfg::pass), "0123456789abcdef");
    EXPECT_EQ(Byte(a, cfg::id.offset), 0x20); // the byte after the field is untouched
    EXPECT_EQ(a.E_pass.Text(), "0123456789abcdefXYZ");
}

TEST_F(EditorRules, PasswordShownUpToFirstByteOutsidePrintable)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* shown;
    };
    const std::vector<Case> cases{
        {{0x61, 0x62, 0x01, 0x63}, "ab"},
        {{0x61, 0x80, 0x63}, "a"},
        {{0x7F, 0x20, 0x41}, "\x7F A"},
        {{0x00, 0x41}, ""},
        {std::vector<std::uint8_t>(16, 'x'), "xxxxxxxxxxxxxxxx"},
    };
    for (const Case& c : cases) {
        FakeArea area;
        for (std::size_t i = 0; i < c.bytes.size(); ++i) {
            area.record.setByte(cfg::pass.offset + i, c.bytes[i]);
        }
        area.editor.ShowConfig();
        EXPECT_EQ(area.E_pass.Text(), QString::fromLatin1(c.shown));
    }
}

TEST_F(EditorRules, PhoneNumbersArePaddedWithSpaces)
{
    a.editor.ShowConfig();
    a.Edit_tel.Type(QStringLiteral("0W22"));
    a.Edit_tel2.Type(QStringLiteral("5"));
    EXPECT_EQ(a.record.rawText(cfg::tel), QStringLiteral("0W22") + QString(20, u' '));
    EXPECT_EQ(a.record.rawText(cfg::tel2), QStringLiteral("5") + QString(23, u' '));
}

// ---- IP fields ------------------------------------------------------------------------------

TEST_F(EditorRules, StationAddressSlotsAreStoredFirstOctetFirst)
{
    a.editor.ShowConfig();
    a.ME_sip.Type(QStringLiteral("192.168.  1. 10"));
    EXPECT_EQ(a.record.ip(cfg::sip), (Octets{0xC0, 0xA8, 0x01, 0x0A}));
    a.ME_sip.Type(QStringLiteral("999.  1.  2.  3"));
    EXPECT_EQ(a.record.ip(cfg::sip), (Octets{231, 1, 2, 3}));
    a.ME_sip.Type(QStringLiteral("1.2.3.4"));
    EXPECT_EQ(a.record.ip(cfg::sip), (Octets{0, 0, 0, 0}));
}

TEST_F(EditorRules, ModuleAddressesAreStoredWhileDhcpIsOff)
{
    a.editor.ShowConfig();
    a.link.pollResets = 0;
    a.ME_vip.Type(QStringLiteral(" 10.  0.  0.  5"));
    a.ME_vmask.Type(QStringLiteral("255.255.  0.  0"));
    a.ME_vgate.Type(QStringLiteral(" 10.  0.  0.  1"));
    EXPECT_EQ(a.record.ip(cfg::vip), (Octets{10, 0, 0, 5}));
    EXPECT_EQ(a.record.ip(cfg::vmask), (Octets{255, 255, 0, 0}));
    EXPECT_EQ(a.record.ip(cfg::vgate), (Octets{10, 0, 0, 1}));
    EXPECT_EQ(a.link.pollResets, 3);
}

// ---- DHCP -----------------------------------------------------------------------------------

class DhcpRule : public EditorRules {
protected:
    void SetUp() override
    {
        EditorRules::SetUp();
        a.record.setIp(cfg::vip, {10, 0, 0, 2});
        a.record.setIp(cfg::vmask, {255, 0, 0, 0});
        a.record.setIp(cfg::vgate, {10, 0, 0, 1});
        a.record.setByte(cfg::dhcp, 1);
        std::vector<std::uint8_t> reply(20, 0);
        reply[0] = 1;
        const std::uint8_t addresses[12] = {192, 168, 1, 50, 0, 255, 255, 255, 1, 1, 168, 192};
        std::copy(std::begin(addresses), std::end(addresses), reply.begin() + 8);
        a.network.FillFromReply(reply);
    }
};

TEST_F(DhcpRule, FieldsAreSwitchedOffAndShowTheNetworkRecordsAddresses)
{
    a.editor.ShowConfig();

    EXPECT_TRUE(a.CB_DHCP.Checked());
    EXPECT_EQ(a.ME_vip.Text(), "192.168.  1. 50");
    EXPECT_EQ(a.ME_vmask.Text(), "255.255.255.  0");
    EXPECT_EQ(a.ME_vgate.Text(), "192.168.  1.  1");
    for (const FakeText* f : {&a.ME_vip, &a.ME_vmask, &a.ME_vgate}) {
        EXPECT_FALSE(f->look.enabled);
        EXPECT_TRUE(f->look.readOnly);
        EXPECT_EQ(f->look.background, ColourRole::ButtonFace);
    }
    EXPECT_EQ(a.ME_vip.look.text, ColourRole::ButtonShadow);
    EXPECT_EQ(a.ME_vmask.look.text, ColourRole::ButtonFace); // hidden text
    EXPECT_EQ(a.ME_vgate.look.text, ColourRole::ButtonFace);
    // The fixed addresses in the record are untouched.
    EXPECT_EQ(a.record.ip(cfg::vip), (Octets{10, 0, 0, 2}));
    EXPECT_EQ(a.record.ip(cfg::vmask), (Octets{255, 0, 0, 0}));
    EXPECT_EQ(a.record.ip(cfg::vgate), (Octets{10, 0, 0, 1}));

    // Even a change arriving in a switched-off field stores nothing.
    a.ME_vip.Type(QStringLiteral("  1.  2.  3.  4"));
    EXPECT_EQ(a.record.ip(cfg::vip), (Octets{10, 0, 0, 2}));
}

TEST_F(DhcpRule, UncheckingShowsAndEnablesTheFixedAddresses)
{
    a.editor.ShowConfig();
    a.CB_DHCP.Click();

    EXPECT_EQ(Byte(a, cfg::dhcp), 0);
    EXPECT_EQ(a.ME_vip.Text(), " 10.  0.  0.  2");
    EXPECT_EQ(a.ME_vmask.Text(), "255.  0.  0.  0");
    for (const FakeText* f : {&a.ME_vip, &a.ME_vmask, &a.ME_vgate}) {
        EXPECT_TRUE(f->look.enabled);
        EXPECT_FALSE(f->look.readOnly);
        EXPECT_EQ(f->look.background, ColourRole::Window);
        EXPECT_EQ(f->look.text, ColourRole::WindowText);
    }
    EXPECT_EQ(a.record.ip(cfg::vip), (Octets{10, 0, 0, 2}));
}

TEST_F(DhcpRule, ClearedNetworkRecordShowsZeroAddresses)
{
    a.network.ClearAll();
    a.editor.ShowConfig();
    EXPECT_EQ(a.ME_vip.Text(), "  0.  0.  0.  0");
    EXPECT_EQ(a.ME_vgate.Text(), "  0.  0.  0.  0");
    EXPECT_EQ(a.record.ip(cfg::vip), (Octets{10, 0, 0, 2}));
}

// ---- paths: Ethernet and modems -------------------------------------------------------------

TEST_F(EditorRules, EthernetBoxSwitchesItsFields)
{
    a.editor.ShowConfig();
    const std::vector<Field*> fields{&a.ME_sip, &a.SE_PS, &a.SE_NCP, &a.SE_NMX, &a.SE_TT};
    for (Field* f : fields) {
        EXPECT_FALSE(f->IsEnabled());
    }
    EXPECT_EQ(a.SE_TT.look.background, ColourRole::ButtonFace);
    EXPECT_EQ(a.SE_TT.look.text, ColourRole::ButtonShadow);
    EXPECT_TRUE(a.SE_TT.look.readOnly);

    a.CB_ET.Click();
    EXPECT_EQ(Byte(a, cfg::links) & 1, 1);
    for (Field* f : fields) {
        EXPECT_TRUE(f->IsEnabled());
    }
    EXPECT_EQ(a.SE_TT.look.background, ColourRole::Window);
    EXPECT_FALSE(a.SE_TT.look.readOnly);
}

TEST_F(EditorRules, ModemFieldsFollowEitherModem)
{
    struct Case {
        bool modem1, modem2;
    };
    for (const Case c :
         {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
        FakeArea area;
        area.editor.ShowConfig();
        area.CB_MDM.SetChecked(c.modem1);
        area.CB_MDM2.SetChecked(c.modem2);
        const bool any = c.modem1 || c.modem2;
        for (const FakeSpin* s : {&area.SE_TCP, &area.SE_TMX, &area.SE_POWT, &area.SE_OZ}) {
            EXPECT_EQ(s->look.enabled, any) << c.modem1 << c.modem2;
            EXPECT_EQ(s->look.readOnly, !any);
        }
        EXPECT_EQ(area.Edit_tel.look.enabled, c.modem1);
        EXPECT_EQ(area.CB_EX1.look.enabled, c.modem1);
        EXPECT_EQ(area.Edit_tel2.look.enabled, c.modem2);
        EXPECT_EQ(area.CB_EX2.look.enabled, c.modem2);
        EXPECT_FALSE(area.CB_EX1.look.background.has_value()); // a box only changes state
        EXPECT_EQ(area.record.linksBit(cfg::linkModem1), c.modem1);
        EXPECT_EQ(area.record.linksBit(cfg::linkModem2), c.modem2);
    }
    // Unchecking both after either was on switches them off again.
    a.editor.ShowConfig();
    a.CB_MDM.Click();
    a.CB_MDM2.Click();
    a.CB_MDM.Click();
    a.CB_MDM2.Click();
    EXPECT_FALSE(a.SE_OZ.IsEnabled());
}

// ---- boxes ----------------------------------------------------------------------------------

TEST_F(EditorRules, CameraBoxesChangeOnlyTheirBit)
{
    a.record.setByte(cfg::kamery, 0xF0);
    a.editor.ShowConfig();
    a.CB_k[2].Click();
    EXPECT_EQ(Byte(a, cfg::kamery), 0xF4);
    a.CB_k[0].Click();
    a.CB_k[2].Click();
    EXPECT_EQ(Byte(a, cfg::kamery), 0xF1);
}

TEST_F(EditorRules, PictureSizeRadioButtons)
{
    a.editor.ShowConfig();
    const std::array<std::uint8_t, 3> sizes{1, 2, 4};
    for (int i : {0, 1, 2, 0}) {
        a.RB_size.Check(i);
        EXPECT_EQ(Byte(a, cfg::obraz), sizes[static_cast<std::size_t>(i)]);
    }
    a.CB_kol.Click();
    EXPECT_EQ(Byte(a, cfg::kol), 1);
}

TEST_F(EditorRules, ClockSyncBoxIsInvertedAndNeedsFirmware102)
{
    struct Case {
        const char* firmware;
        bool enabled;
    };
    for (const Case c : {Case{"", false}, Case{"1.00", false}, Case{"1.01", false},
                         Case{"1.02", true}, Case{"1.100", true}, Case{"1.10", true}}) {
        FakeArea area;
        area.link.firmware = QString::fromLatin1(c.firmware);
        area.editor.ShowConfig();
        EXPECT_EQ(area.CB_SRTC.IsEnabled(), c.enabled) << c.firmware;
    }
    a.editor.ShowConfig();
    a.CB_SRTC.Click();
    EXPECT_TRUE(a.record.linksBit(cfg::linkNoClockSync));
    a.CB_SRTC.Click();
    EXPECT_FALSE(a.record.linksBit(cfg::linkNoClockSync));
}

// ---- MAC label ------------------------------------------------------------------------------

TEST_F(EditorRules, MacLabelTextAndColourFollowTheNetworkRecord)
{
    std::vector<std::uint8_t> reply{1, 0, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    a.network.FillFromReply(reply);

    a.editor.ShowConfig();
    EXPECT_EQ(a.Label18.Text(), QStringLiteral("MAC: 00 1A 2B 3C 4D 5E  aktywny"));
    EXPECT_FALSE(a.Label18.colour.has_value()) << "no status reply yet: colour unchanged";

    a.link.statusKnown = true;
    a.editor.ShowConfig();
    EXPECT_EQ(a.Label18.colour, ColourRole::Green);

    a.network.ClearAll();
    a.editor.ShowConfig();
    EXPECT_EQ(a.Label18.Text(), QStringLiteral("MAC: 00 00 00 00 00 00  rozłączony"));
    EXPECT_EQ(a.Label18.colour, ColourRole::Red);

    SetEnglishTexts();
    a.editor.ShowConfig();
    EXPECT_EQ(a.Label18.Text(), QStringLiteral("MAC: 00 00 00 00 00 00  unplugged"));
}

// ---- the poll counter -----------------------------------------------------------------------

TEST_F(EditorRules, ChangeRulesHoldBackThePollButClickRulesDoNot)
{
    struct Case {
        const char* edit;
        std::function<void(FakeArea&)> act;
        bool resetsPoll;
    };
    const std::vector<Case> cases{
        {"camera", [](FakeArea& x) { x.CB_k[1].Click(); }, false},
        {"size", [](FakeArea& x) { x.RB_size.Check(0); }, false},
        {"colour", [](FakeArea& x) { x.CB_kol.Click(); }, false},
        {"dhcp", [](FakeArea& x) { x.CB_DHCP.Click(); }, false},
        {"ethernet", [](FakeArea& x) { x.CB_ET.Click(); }, false},
        {"modem", [](FakeArea& x) { x.CB_MDM.Click(); }, false},
        {"modem2", [](FakeArea& x) { x.CB_MDM2.Click(); }, false},
        {"clock", [](FakeArea& x) { x.CB_SRTC.Click(); }, false},
        {"dz", [](FakeArea& x) { x.SE_DZ.Type("5"); }, true},
        {"port", [](FakeArea& x) { x.SE_PS.Type("80"); }, true},
        {"tt", [](FakeArea& x) { x.SE_TT.Type("5"); }, true},
        {"id", [](FakeArea& x) { x.ME_ID.Type("A"); }, true},
        {"pass", [](FakeArea& x) { x.E_pass.Type("p"); }, true},
        {"sip", [](FakeArea& x) { x.ME_sip.Type("  1.  2.  3.  4"); }, true},
        {"tel", [](FakeArea& x) { x.Edit_tel.Type("1"); }, true},
        {"tel2", [](FakeArea& x) { x.Edit_tel2.Type("1"); }, true},
    };
    for (const Case& c : cases) {
        FakeArea area;
        area.editor.ShowConfig();
        area.link.pollResets = 0;
        c.act(area);
        EXPECT_EQ(area.link.pollResets > 0, c.resetsPoll) << c.edit;
    }
}

} // namespace
} // namespace zorva::test
