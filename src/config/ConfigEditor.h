// The configuration editor: binds every field of the configuration area to its field of the
// configuration record, both ways and at once. A refresh (`ShowConfig`) copies the records into
// the fields; each field's change rule writes what the field shows into the record straight
// away, so the record always holds what the write command sends. No apply step exists.
#pragma once

#include <array>
#include <functional>

#include "config/ConfigRecord.h"
#include "config/EditorFields.h"
#include "config/EditorLink.h"

namespace zorva {

// The report shown when a value does not fit its record byte.
inline const char* const kRangeCheckError = "Range check error";

// Every field the editor drives. All pointers must be set and outlive the editor.
struct EditorFields {
    std::array<CheckField*, 4> CB_k{}; // cameras A..D
    ChoiceField* RB_size = nullptr;    // RB_11, RB_12, RB_14 as indices 0, 1, 2
    CheckField* CB_kol = nullptr;
    SpinField* SE_DZ = nullptr; // 0..999
    SpinField* SE_PZ = nullptr; // 0..999
    TextInputField* ME_ID = nullptr;
    TextInputField* E_pass = nullptr;
    CheckField* CB_DHCP = nullptr;
    TextInputField* ME_vip = nullptr;
    TextInputField* ME_vmask = nullptr;
    TextInputField* ME_vgate = nullptr;
    LabelField* Label18 = nullptr;
    CheckField* CB_SRTC = nullptr;
    CheckField* CB_ET = nullptr;
    TextInputField* ME_sip = nullptr;
    SpinField* SE_PS = nullptr;  // 1..65535
    SpinField* SE_NCP = nullptr; // 0..240
    SpinField* SE_NMX = nullptr; // 0..20
    SpinField* SE_TT = nullptr;  // 0..255
    CheckField* CB_MDM = nullptr;
    TextInputField* Edit_tel = nullptr;
    CheckField* CB_EX1 = nullptr;
    CheckField* CB_MDM2 = nullptr;
    TextInputField* Edit_tel2 = nullptr;
    CheckField* CB_EX2 = nullptr;
    SpinField* SE_TCP = nullptr;  // 0..240
    SpinField* SE_TMX = nullptr;  // 0..20
    SpinField* SE_POWT = nullptr; // 0..20
    SpinField* SE_OZ = nullptr;   // 0..240
};

class ConfigEditor {
public:
    // Installs the change, click and exit rules on the fields.
    ConfigEditor(const EditorFields& fields, ConfigRecord& record, const NetworkRecord& network,
                 EditorLink& link);
    ConfigEditor(const ConfigEditor&) = delete;
    ConfigEditor& operator=(const ConfigEditor&) = delete;

    // Called when a typed value does not fit its record byte; the byte keeps its old value.
    // The handler must not run an event loop of its own (defer any dialog).
    void SetRangeErrorHandler(std::function<void()> handler) { rangeError_ = std::move(handler); }

    // The refresh: copies both records into all fields.
    void ShowConfig();

    // Click rules.
    void CB_k1Click(int index);
    void RB_11Click();
    void CB_kolClick();
    void CB_DHCPClick();
    void CB_SRTCClick();
    void CB_ETClick();
    void CB_MDMClick();
    void CB_EX1Click();
    void CB_MDM2Click();
    void CB_EX2Click();

    // Change rules.
    void SE_DZChange();
    void SE_PZChange();
    void ME_IDChange();
    void E_passChange();
    void ME_viphange();
    void ME_vmaskChange();
    void ME_vgateChange();
    void ME_sipChange();
    void SE_PSChange();
    void SE_NCPChange();
    void SE_NMXChange();
    void SE_TTChange();
    void Edit_telChange();
    void Edit_tel2Change();
    void SE_TCPChange();
    void SE_TMXChange();
    void SE_POWTChange();
    void SE_OZChange();

    // Exit rules.
    static void SE_DZExit(SpinField& field); // shared by SE_DZ and SE_PZ
    void SE_PSExit();

    // Key filter of both phone fields: true when the typed character may go in.
    static bool Edit_telKeyPress(char32_t code);

    static void EnableField(Field& field);
    static void DisableField(Field& field);

private:
    void ModemRule();
    void StoreClampedByte(std::size_t offset, const SpinField& field);
    void StoreLowBits(std::size_t offset, const SpinField& field);
    void StoreCheckedByte(std::size_t offset, const SpinField& field);
    void StoreModuleAddress(std::size_t offset, const TextInputField& field);

    EditorFields f_;
    ConfigRecord& record_;
    const NetworkRecord& network_;
    EditorLink& link_;
    std::function<void()> rangeError_;
};

} // namespace zorva
