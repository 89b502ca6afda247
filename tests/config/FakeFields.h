// Widget-free fields for driving the editor rules: each shows what it was given and runs the
// editor's change rule exactly when what it shows changes, like the real widgets.
#pragma once

#include <array>
#include <optional>

#include "config/ConfigEditor.h"

namespace zorva::test {

// Enabled state, read-only state and colours, as the rules left them.
struct FakeLook {
    bool enabled = true;
    bool readOnly = false;
    std::optional<ColourRole> background;
    std::optional<ColourRole> text;
};

class FakeCheck : public CheckField {
public:
    void SetEnabled(bool enabled) override { look.enabled = enabled; }
    bool IsEnabled() const override { return look.enabled; }
    bool Checked() const override { return checked_; }
    void SetChecked(bool checked) override
    {
        if (checked != checked_) {
            checked_ = checked;
            NotifyChange();
        }
    }
    void Click() { SetChecked(!checked_); }
    FakeLook look;

private:
    bool checked_ = false;
};

class FakeChoice : public ChoiceField {
public:
    void SetEnabled(bool enabled) override { look.enabled = enabled; }
    bool IsEnabled() const override { return look.enabled; }
    int Checked() const override { return checked_; }
    void Check(int index) override
    {
        if (index != checked_) {
            checked_ = index;
            NotifyChange();
        }
    }
    FakeLook look;

private:
    int checked_ = -1;
};

template <typename Base> class FakeInput : public Base {
public:
    void SetEnabled(bool enabled) override { look.enabled = enabled; }
    bool IsEnabled() const override { return look.enabled; }
    void SetReadOnly(bool readOnly) override { look.readOnly = readOnly; }
    void SetBackground(ColourRole role) override { look.background = role; }
    void SetTextColour(ColourRole role) override { look.text = role; }
    QString Text() const override { return text_; }
    void SetText(const QString& text) override
    {
        if (text != text_) {
            text_ = text;
            ++changes;
            this->NotifyChange();
        }
    }
    // What the user types: the whole new text of the field.
    void Type(const QString& text) { SetText(text); }
    FakeLook look;
    int changes = 0;

protected:
    QString text_;
};

using FakeText = FakeInput<TextInputField>;

class FakeSpin : public FakeInput<SpinField> {
public:
    FakeSpin(int minimum, int maximum) : minimum_(minimum), maximum_(maximum)
    {
        text_ = QString::number(minimum);
    }
    int Minimum() const override { return minimum_; }
    int Maximum() const override { return maximum_; }

private:
    int minimum_;
    int maximum_;
};

class FakeLabel : public LabelField {
public:
    QString Text() const override { return text_; }
    void SetText(const QString& text) override { text_ = text; }
    void SetTextColour(ColourRole role) override { colour = role; }
    std::optional<ColourRole> colour;

private:
    QString text_;
};

class FakeLink : public EditorLink {
public:
    void ResetPollCounter() override { ++pollResets; }
    QString FirmwareVersion() const override { return firmware; }
    bool StatusKnown() const override { return statusKnown; }
    int pollResets = 0;
    QString firmware;
    bool statusKnown = false;
};

// Every field of the configuration area, blank as the window starts, with the editor on top.
struct FakeArea {
    std::array<FakeCheck, 4> CB_k;
    FakeChoice RB_size;
    FakeCheck CB_kol;
    FakeSpin SE_DZ{0, 999}, SE_PZ{0, 999};
    FakeText ME_ID, E_pass;
    FakeCheck CB_DHCP;
    FakeText ME_vip, ME_vmask, ME_vgate;
    FakeLabel Label18;
    FakeCheck CB_SRTC, CB_ET;
    FakeText ME_sip;
    FakeSpin SE_PS{1, 65535}, SE_NCP{0, 240}, SE_NMX{0, 20}, SE_TT{0, 255};
    FakeCheck CB_MDM;
    FakeText Edit_tel;
    FakeCheck CB_EX1, CB_MDM2;
    FakeText Edit_tel2;
    FakeCheck CB_EX2;
    FakeSpin SE_TCP{0, 240}, SE_TMX{0, 20}, SE_POWT{0, 20}, SE_OZ{0, 240};

    ConfigRecord record;
    NetworkRecord network;
    FakeLink link;
    int rangeErrors = 0;
    ConfigEditor editor{Fields(), record, network, link};

    FakeArea()
    {
        editor.SetRangeErrorHandler([this] { ++rangeErrors; });
    }

    EditorFields Fields()
    {
        EditorFields f;
        for (std::size_t i = 0; i < 4; ++i) {
            f.CB_k[i] = &CB_k[i];
        }
        f.RB_size = &RB_size;
        f.CB_kol = &CB_kol;
        f.SE_DZ = &SE_DZ;
        f.SE_PZ = &SE_PZ;
        f.ME_ID = &ME_ID;
        f.E_pass = &E_pass;
        f.CB_DHCP = &CB_DHCP;
        f.ME_vip = &ME_vip;
        f.ME_vmask = &ME_vmask;
        f.ME_vgate = &ME_vgate;
        f.Label18 = &Label18;
        f.CB_SRTC = &CB_SRTC;
        f.CB_ET = &CB_ET;
        f.ME_sip = &ME_sip;
        f.SE_PS = &SE_PS;
        f.SE_NCP = &SE_NCP;
        f.SE_NMX = &SE_NMX;
        f.SE_TT = &SE_TT;
        f.CB_MDM = &CB_MDM;
        f.Edit_tel = &Edit_tel;
        f.CB_EX1 = &CB_EX1;
        f.CB_MDM2 = &CB_MDM2;
        f.Edit_tel2 = &Edit_tel2;
        f.CB_EX2 = &CB_EX2;
        f.SE_TCP = &SE_TCP;
        f.SE_TMX = &SE_TMX;
        f.SE_POWT = &SE_POWT;
        f.SE_OZ = &SE_OZ;
        return f;
    }
};

} // namespace zorva::test
