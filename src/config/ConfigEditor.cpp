#include "config/ConfigEditor.h"

#include <cassert>

#include "config/FieldText.h"
#include "config/IpFieldText.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

constexpr int kPortMax = 65535;

void ShowAddress(TextInputField& field, const Octets& octets)
{
    field.SetText(IpFieldText(octets));
}

} // namespace

ConfigEditor::ConfigEditor(const EditorFields& fields, ConfigRecord& record,
                           const NetworkRecord& network, EditorLink& link)
    : f_(fields), record_(record), network_(network), link_(link)
{
    for (int i = 0; i < 4; ++i) {
        assert(f_.CB_k[i] != nullptr);
        f_.CB_k[i]->OnChange([this, i] { CB_k1Click(i); });
    }
    f_.RB_size->OnChange([this] { RB_11Click(); });
    f_.CB_kol->OnChange([this] { CB_kolClick(); });
    f_.SE_DZ->OnChange([this] { SE_DZChange(); });
    f_.SE_PZ->OnChange([this] { SE_PZChange(); });
    f_.SE_DZ->OnExit([this] { SE_DZExit(*f_.SE_DZ); });
    f_.SE_PZ->OnExit([this] { SE_DZExit(*f_.SE_PZ); });
    f_.ME_ID->OnChange([this] { ME_IDChange(); });
    f_.E_pass->OnChange([this] { E_passChange(); });
    f_.CB_DHCP->OnChange([this] { CB_DHCPClick(); });
    f_.ME_vip->OnChange([this] { ME_viphange(); });
    f_.ME_vmask->OnChange([this] { ME_vmaskChange(); });
    f_.ME_vgate->OnChange([this] { ME_vgateChange(); });
    f_.CB_SRTC->OnChange([this] { CB_SRTCClick(); });
    f_.CB_ET->OnChange([this] { CB_ETClick(); });
    f_.ME_sip->OnChange([this] { ME_sipChange(); });
    f_.SE_PS->OnChange([this] { SE_PSChange(); });
    f_.SE_PS->OnExit([this] { SE_PSExit(); });
    f_.SE_NCP->OnChange([this] { SE_NCPChange(); });
    f_.SE_NMX->OnChange([this] { SE_NMXChange(); });
    f_.SE_TT->OnChange([this] { SE_TTChange(); });
    f_.CB_MDM->OnChange([this] { CB_MDMClick(); });
    f_.Edit_tel->OnChange([this] { Edit_telChange(); });
    f_.CB_EX1->OnChange([this] { CB_EX1Click(); });
    f_.CB_MDM2->OnChange([this] { CB_MDM2Click(); });
    f_.Edit_tel2->OnChange([this] { Edit_tel2Change(); });
    f_.CB_EX2->OnChange([this] { CB_EX2Click(); });
    f_.SE_TCP->OnChange([this] { SE_TCPChange(); });
    f_.SE_TMX->OnChange([this] { SE_TMXChange(); });
    f_.SE_POWT->OnChange([this] { SE_POWTChange(); });
    f_.SE_OZ->OnChange([this] { SE_OZChange(); });
}

// Each setter below runs the field's own rule when what the field shows changes, exactly as a
// user's edit would; the boxes of the transmission paths run theirs in any case so that the
// enabling of their fields always follows the record.
void ConfigEditor::ShowConfig()
{
    for (int i = 0; i < 4; ++i) {
        f_.CB_k[i]->SetChecked(record_.camera(i));
    }

    switch (record_.pictureSize()) {
    case PictureSize::Full:
        f_.RB_size->Check(0);
        break;
    case PictureSize::Half:
        f_.RB_size->Check(1);
        break;
    case PictureSize::Quarter:
        f_.RB_size->Check(2);
        break;
    }

    f_.CB_kol->SetChecked(record_.colour());

    f_.SE_DZ->SetValue(record_.byte(cfg::dz));
    if (f_.SE_DZ->Value() == 0) {
        f_.SE_DZ->SetValue(1);
    }
    f_.SE_PZ->SetValue(record_.byte(cfg::pz));
    if (f_.SE_PZ->Value() == 0) {
        f_.SE_PZ->SetValue(1);
    }

    f_.ME_ID->SetText(
        PadToLength(TrimmedFieldText(record_, cfg::id), static_cast<int>(cfg::id.width)));
    f_.E_pass->SetText(ShownPassword(record_));

    f_.CB_DHCP->SetChecked(record_.dhcp());
    CB_DHCPClick();
    f_.CB_ET->SetChecked(record_.linksBit(cfg::linkEthernet));
    CB_ETClick();
    f_.CB_MDM->SetChecked(record_.linksBit(cfg::linkModem1));
    CB_MDMClick();
    // The external-modem choice is not offered: the program always writes both bits as 0.
    record_.setLinksBit(cfg::linkExternal1, false);
    record_.setLinksBit(cfg::linkExternal2, false);
    f_.CB_EX1->SetChecked(record_.linksBit(cfg::linkExternal1));
    CB_EX1Click();
    f_.CB_MDM2->SetChecked(record_.linksBit(cfg::linkModem2));
    CB_MDM2Click();
    f_.CB_EX2->SetChecked(record_.linksBit(cfg::linkExternal2));
    CB_EX2Click();
    // Firmware before 1.02 ignores the clock flag; an empty version (no status yet) is lower.
    f_.CB_SRTC->SetEnabled(link_.FirmwareVersion().compare(QStringLiteral("1.02")) >= 0);
    f_.CB_SRTC->SetChecked(!record_.linksBit(cfg::linkNoClockSync));
    CB_SRTCClick();

    ShowAddress(*f_.ME_sip, record_.ip(cfg::sip));
    f_.SE_PS->SetValue(record_.port());
    f_.Edit_tel->SetText(TrimmedFieldText(record_, cfg::tel));
    f_.Edit_tel2->SetText(TrimmedFieldText(record_, cfg::tel2));

    f_.SE_NCP->SetValue(record_.byte(cfg::ncp));
    f_.SE_NMX->SetValue(record_.byte(cfg::nmx));
    f_.SE_TT->SetValue(record_.byte(cfg::tt));
    f_.SE_TCP->SetValue(record_.byte(cfg::tcp));
    f_.SE_TMX->SetValue(record_.byte(cfg::tmx));
    f_.SE_POWT->SetValue(record_.byte(cfg::powt));
    f_.SE_OZ->SetValue(record_.byte(cfg::oz));

    const LanguageTexts& texts = Texts();
    f_.Label18->SetText(MacLabelText(network_, texts.txtActive, texts.txtUnplugged));
    // Until a module answers, the label keeps its greyed look.
    if (link_.StatusKnown()) {
        f_.Label18->SetTextColour(network_.linkUp() ? ColourRole::Green : ColourRole::Red);
    }
}

void ConfigEditor::CB_k1Click(int index)
{
    record_.setCamera(index, f_.CB_k[static_cast<std::size_t>(index)]->Checked());
}

void ConfigEditor::RB_11Click()
{
    static constexpr std::array<std::uint8_t, 3> kSizes{1, 2, 4};
    const int checked = f_.RB_size->Checked();
    if (checked >= 0 && checked < 3) {
        record_.setByte(cfg::obraz, kSizes[static_cast<std::size_t>(checked)]);
    }
}

void ConfigEditor::CB_kolClick()
{
    record_.setByte(cfg::kol, f_.CB_kol->Checked() ? 1 : 0);
}

void ConfigEditor::SE_DZChange()
{
    StoreClampedByte(cfg::dz, *f_.SE_DZ);
    link_.ResetPollCounter();
}

void ConfigEditor::SE_PZChange()
{
    StoreClampedByte(cfg::pz, *f_.SE_PZ);
    link_.ResetPollCounter();
}

void ConfigEditor::SE_DZExit(SpinField& field)
{
    const int v = field.Value();
    if (v > 255) {
        field.SetValue(255);
    } else if (v < 1) {
        field.SetValue(1);
    }
}

void ConfigEditor::ME_IDChange()
{
    record_.setText(cfg::id, PadToLength(f_.ME_ID->Text(), static_cast<int>(cfg::id.width)));
    link_.ResetPollCounter();
}

void ConfigEditor::E_passChange()
{
    link_.ResetPollCounter();
    // Padded with 0x00 and cut to 16 bytes by the record; the field may show more.
    record_.setText(cfg::pass, f_.E_pass->Text());
}

void ConfigEditor::CB_DHCPClick()
{
    const bool byDhcp = f_.CB_DHCP->Checked();
    record_.setByte(cfg::dhcp, byDhcp ? 1 : 0);
    for (TextInputField* field : {f_.ME_vip, f_.ME_vmask, f_.ME_vgate}) {
        if (byDhcp) {
            DisableField(*field);
        } else {
            EnableField(*field);
        }
    }
    if (byDhcp) {
        f_.ME_vmask->SetTextColour(ColourRole::ButtonFace);
        f_.ME_vgate->SetTextColour(ColourRole::ButtonFace);
        // The addresses the module obtained; the fields' change rules store nothing now, so
        // the record keeps its fixed addresses.
        ShowAddress(*f_.ME_vip, network_.dip());
        ShowAddress(*f_.ME_vmask, network_.dmask());
        ShowAddress(*f_.ME_vgate, network_.dgate());
    } else {
        ShowAddress(*f_.ME_vip, record_.ip(cfg::vip));
        ShowAddress(*f_.ME_vmask, record_.ip(cfg::vmask));
        ShowAddress(*f_.ME_vgate, record_.ip(cfg::vgate));
    }
}

void ConfigEditor::StoreModuleAddress(std::size_t offset, const TextInputField& field)
{
    if (f_.CB_DHCP->Checked()) {
        return;
    }
    record_.setIpValue(offset, IpTextToLong(field.Text()));
    link_.ResetPollCounter();
}

void ConfigEditor::ME_viphange()
{
    StoreModuleAddress(cfg::vip, *f_.ME_vip);
}

void ConfigEditor::ME_vmaskChange()
{
    StoreModuleAddress(cfg::vmask, *f_.ME_vmask);
}

void ConfigEditor::ME_vgateChange()
{
    StoreModuleAddress(cfg::vgate, *f_.ME_vgate);
}

void ConfigEditor::CB_SRTCClick()
{
    record_.setLinksBit(cfg::linkNoClockSync, !f_.CB_SRTC->Checked());
}

void ConfigEditor::CB_ETClick()
{
    const bool on = f_.CB_ET->Checked();
    record_.setLinksBit(cfg::linkEthernet, on);
    for (Field* field :
         std::initializer_list<Field*>{f_.ME_sip, f_.SE_PS, f_.SE_NCP, f_.SE_NMX, f_.SE_TT}) {
        if (on) {
            EnableField(*field);
        } else {
            DisableField(*field);
        }
    }
}

void ConfigEditor::ME_sipChange()
{
    link_.ResetPollCounter();
    record_.setIpValue(cfg::sip, IpTextToLong(f_.ME_sip->Text()));
}

void ConfigEditor::SE_PSChange()
{
    link_.ResetPollCounter();
    const int v = f_.SE_PS->Value();
    record_.setPort(static_cast<std::uint16_t>(v > kPortMax ? kPortMax : (v < 1 ? 1 : v)));
}

void ConfigEditor::SE_PSExit()
{
    const int v = f_.SE_PS->Value();
    if (v > kPortMax) {
        f_.SE_PS->SetValue(kPortMax);
    } else if (v < 1) {
        f_.SE_PS->SetValue(1);
    }
}

void ConfigEditor::SE_NCPChange()
{
    link_.ResetPollCounter();
    StoreLowBits(cfg::ncp, *f_.SE_NCP);
}

void ConfigEditor::SE_NMXChange()
{
    link_.ResetPollCounter();
    StoreLowBits(cfg::nmx, *f_.SE_NMX);
}

void ConfigEditor::SE_TTChange()
{
    link_.ResetPollCounter();
    StoreCheckedByte(cfg::tt, *f_.SE_TT);
}

void ConfigEditor::CB_MDMClick()
{
    const bool on = f_.CB_MDM->Checked();
    record_.setLinksBit(cfg::linkModem1, on);
    if (on) {
        EnableField(*f_.Edit_tel);
    } else {
        DisableField(*f_.Edit_tel);
    }
    f_.CB_EX1->SetEnabled(on);
    ModemRule();
}

void ConfigEditor::Edit_telChange()
{
    link_.ResetPollCounter();
    record_.setText(cfg::tel, PadToLength(f_.Edit_tel->Text(), static_cast<int>(cfg::tel.width)));
}

void ConfigEditor::Edit_tel2Change()
{
    link_.ResetPollCounter();
    record_.setText(cfg::tel2,
                    PadToLength(f_.Edit_tel2->Text(), static_cast<int>(cfg::tel2.width)));
}

bool ConfigEditor::Edit_telKeyPress(char32_t code)
{
    return PhoneKeyPasses(code);
}

void ConfigEditor::CB_EX1Click()
{
    record_.setLinksBit(cfg::linkExternal1, f_.CB_EX1->Checked());
}

void ConfigEditor::CB_MDM2Click()
{
    const bool on = f_.CB_MDM2->Checked();
    record_.setLinksBit(cfg::linkModem2, on);
    if (on) {
        EnableField(*f_.Edit_tel2);
    } else {
        DisableField(*f_.Edit_tel2);
    }
    f_.CB_EX2->SetEnabled(on);
    ModemRule();
}

void ConfigEditor::CB_EX2Click()
{
    record_.setLinksBit(cfg::linkExternal2, f_.CB_EX2->Checked());
}

void ConfigEditor::SE_TCPChange()
{
    link_.ResetPollCounter();
    StoreLowBits(cfg::tcp, *f_.SE_TCP);
}

void ConfigEditor::SE_TMXChange()
{
    link_.ResetPollCounter();
    StoreCheckedByte(cfg::tmx, *f_.SE_TMX);
}

void ConfigEditor::SE_POWTChange()
{
    link_.ResetPollCounter();
    StoreCheckedByte(cfg::powt, *f_.SE_POWT);
}

void ConfigEditor::SE_OZChange()
{
    link_.ResetPollCounter();
    StoreCheckedByte(cfg::oz, *f_.SE_OZ);
}

// The four modem fields are shared by both modems.
void ConfigEditor::ModemRule()
{
    const bool anyModem = f_.CB_MDM->Checked() || f_.CB_MDM2->Checked();
    for (Field* field : std::initializer_list<Field*>{f_.SE_TCP, f_.SE_TMX, f_.SE_POWT, f_.SE_OZ}) {
        if (anyModem) {
            EnableField(*field);
        } else {
            DisableField(*field);
        }
    }
}

void ConfigEditor::EnableField(Field& field)
{
    field.SetEnabled(true);
    if (field.TakesInput()) {
        field.SetReadOnly(false);
        field.SetBackground(ColourRole::Window);
        field.SetTextColour(ColourRole::WindowText);
    }
}

void ConfigEditor::DisableField(Field& field)
{
    field.SetEnabled(false);
    if (field.TakesInput()) {
        field.SetReadOnly(true);
        field.SetBackground(ColourRole::ButtonFace);
        field.SetTextColour(ColourRole::ButtonShadow);
    }
}

void ConfigEditor::StoreClampedByte(std::size_t offset, const SpinField& field)
{
    const int v = field.Value();
    record_.setByte(offset, static_cast<std::uint8_t>(v > 255 ? 255 : (v < 1 ? 1 : v)));
}

void ConfigEditor::StoreLowBits(std::size_t offset, const SpinField& field)
{
    record_.setByte(offset, static_cast<std::uint8_t>(field.Value() & 0xFF));
}

void ConfigEditor::StoreCheckedByte(std::size_t offset, const SpinField& field)
{
    const int v = field.Value();
    if (v < 0 || v > 255) {
        if (rangeError_) {
            rangeError_();
        }
        return;
    }
    record_.setByte(offset, static_cast<std::uint8_t>(v));
}

} // namespace zorva
