// Editing a configuration record without a window: every field of the configuration area as a
// plain field, with the editor on top, so that a refresh and a change by field name go through
// the editor's own rules and ranges exactly as typing into the window does.
#pragma once

#include <array>

#include <QString>

#include "config/ConfigEditor.h"
#include "config/PlainFields.h"

namespace zorva {

// The characters the phone fields take, for texts that list them: "! \" # ... 0-9 W w ..."
QString PhoneCharactersText();

class RecordEditing {
public:
    RecordEditing(ConfigRecord& record, const NetworkRecord& network, EditorLink& link);
    RecordEditing(const RecordEditing&) = delete;
    RecordEditing& operator=(const RecordEditing&) = delete;

    // The window's refresh from the records.
    void ShowConfig() { editor_.ShowConfig(); }

    // Whether `value` is a value the window lets the user enter into the named field; empty
    // when it is, else the refusal naming the field and its range. Needs no record.
    static QString CheckValue(const QString& name, const QString& value);

    // Enters the value into the named field as the user would and leaves the field; the
    // editor's rule stores it. Empty on success, else why it was refused (unknown field,
    // value out of range, or a field the window keeps disabled, such as the port while
    // Ethernet is off); a refused value changes nothing.
    QString Set(const QString& name, const QString& value);

private:
    EditorFields Fields();

    const ConfigRecord& record_;
    std::array<PlainCheck, 4> CB_k_;
    PlainChoice RB_size_;
    PlainCheck CB_kol_;
    PlainSpin SE_DZ_{0, 999}, SE_PZ_{0, 999};
    PlainText ME_ID_, E_pass_;
    PlainCheck CB_DHCP_;
    PlainText ME_vip_, ME_vmask_, ME_vgate_;
    PlainLabel Label18_;
    PlainCheck CB_SRTC_, CB_ET_;
    PlainText ME_sip_;
    PlainSpin SE_PS_{1, 65535}, SE_NCP_{0, 240}, SE_NMX_{0, 20}, SE_TT_{0, 255};
    PlainCheck CB_MDM_;
    PlainText Edit_tel_;
    PlainCheck CB_EX1_, CB_MDM2_;
    PlainText Edit_tel2_;
    PlainCheck CB_EX2_;
    PlainSpin SE_TCP_{0, 240}, SE_TMX_{0, 20}, SE_POWT_{0, 20}, SE_OZ_{0, 240};
    ConfigEditor editor_;
};

} // namespace zorva
