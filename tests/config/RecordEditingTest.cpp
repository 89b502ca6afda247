// Changing a record by field name through the editor's own rules: values the window accepts are
// stored in exactly the field's bytes, values it does not are refused with the field's range and
// change nothing, and fields the window keeps disabled stay as they are.
#include "config/RecordEditing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorva {
namespace {

class NoModule : public EditorLink {
public:
    void ResetPollCounter() override {}
    QString FirmwareVersion() const override { return {}; }
    bool StatusKnown() const override { return false; }
};

// Ethernet and modem 1 on, fixed addresses: every field of the window is enabled.
ConfigRecord Enabled()
{
    ConfigRecord record;
    record.setLinksBit(cfg::linkEthernet, true);
    record.setLinksBit(cfg::linkModem1, true);
    record.setByte(cfg::dz, 5);
    record.setByte(cfg::pz, 5);
    record.setPort(8080);
    return record;
}

struct SetCase {
    const char* field;
    const char* value;
    std::vector<std::pair<std::size_t, std::uint8_t>> bytes; // empty: refused
};

TEST(RecordEditing, SetStoresExactlyTheFieldOrRefuses)
{
    const SetCase cases[] = {
        {"ps", "8081", {{47, 0x1F}, {48, 0x91}}},
        {"dz", "255", {{3, 255}}},
        {"dz", "300", {}},
        {"dz", "0", {}},
        {"ncp", "240", {{106, 240}}},
        {"ncp", "241", {}},
        {"tmx", "-1", {}},
        {"camC", "1", {{2, 0x04}}},
        {"srtc", "0", {{29, 0x23}}},
        {"obraz", "1/2", {{0, 2}}},
        {"sip", "192.168.1.10", {{43, 192}, {44, 168}, {45, 1}, {46, 10}}},
        {"sip", "192.168.1", {}},
        {"sip", "1.2.3.256", {}},
        {"id", "AB1", {{21, 'A'}, {22, 'B'}, {23, '1'}, {24, ' '}, {28, ' '}}},
        {"id", "AB-1", {}},
        {"id", "ABCDEFGHI", {}},
        {"tel", "W0,123", {{49, 'W'}, {50, '0'}, {51, ','}, {55, ' '}, {72, ' '}}},
        {"tel", "0x12", {}},
        {"pass", "abc", {{5, 'a'}, {7, 'c'}, {8, 0}, {20, 0}}},
        {"ex1", "1", {}},
        {"nosuch", "1", {}},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.value);
        ConfigRecord record = Enabled();
        NetworkRecord network;
        NoModule link;
        RecordEditing editing(record, network, link);
        editing.ShowConfig();
        const ConfigRecord before = record;
        const QString refused = editing.Set(QLatin1String(c.field), QLatin1String(c.value));
        if (c.bytes.empty()) {
            EXPECT_TRUE(refused.contains(QLatin1String(c.field))) << refused.toStdString();
            EXPECT_EQ(record.FileImage(), before.FileImage());
            continue;
        }
        EXPECT_TRUE(refused.isEmpty()) << refused.toStdString();
        for (const auto& [offset, value] : c.bytes) {
            EXPECT_EQ(record.byte(offset), value) << offset;
        }
        // Nothing outside the field changes (a text's fill between the bytes listed may).
        for (std::size_t i = 0; i < kRecordSize; ++i) {
            if (i < c.bytes.front().first || i > c.bytes.back().first) {
                EXPECT_EQ(record.byte(i), before.byte(i)) << i;
            }
        }
    }
}

TEST(RecordEditing, FieldsTheWindowKeepsDisabledAreRefused)
{
    ConfigRecord record; // Ethernet and both modems off, DHCP on
    record.setByte(cfg::dhcp, 1);
    NetworkRecord network;
    NoModule link;
    RecordEditing editing(record, network, link);
    editing.ShowConfig();
    const ConfigRecord before = record;
    for (const char* set : {"ps=8081", "tt=5", "tel=123", "oz=5", "vip=10.0.0.2"}) {
        const QString text = QLatin1String(set);
        const qsizetype eq = text.indexOf(u'=');
        EXPECT_TRUE(
            editing.Set(text.left(eq), text.mid(eq + 1)).contains(QLatin1String("disabled")))
            << set;
    }
    EXPECT_EQ(record.FileImage(), before.FileImage());
    // Switching the path on first makes its fields editable, as in the window.
    EXPECT_TRUE(editing.Set(QStringLiteral("et"), QStringLiteral("1")).isEmpty());
    EXPECT_TRUE(editing.Set(QStringLiteral("ps"), QStringLiteral("8081")).isEmpty());
    EXPECT_EQ(record.port(), 8081);
}

} // namespace
} // namespace zorva
