#include "config/ConfigFields.h"

#include "config/FieldText.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

constexpr std::uint8_t kWhole = 0xFF;

RecordField Flag(const char* name, std::size_t offset, int bit, bool inverted = false)
{
    return {name, FieldKind::Flag, offset, 1, static_cast<std::uint8_t>(1u << bit), inverted, 0, 1};
}
RecordField Number(const char* name, std::size_t offset, int minimum, int maximum)
{
    return {name, FieldKind::Number, offset, 1, kWhole, false, minimum, maximum};
}
RecordField Address(const char* name, std::size_t offset)
{
    return {name, FieldKind::Address, offset, 4, kWhole, false, 0, 0};
}
RecordField Text(const char* name, const TextField& field)
{
    return {name,
            FieldKind::Text,
            field.offset,
            field.width,
            kWhole,
            false,
            0,
            static_cast<int>(field.width)};
}

QString Joined(const QString& group, const QString& caption)
{
    return group + QStringLiteral(", ") + caption;
}

} // namespace

const std::vector<RecordField>& RecordFields()
{
    static const std::vector<RecordField> fields = {
        Flag("camA", cfg::kamery, 0),
        Flag("camB", cfg::kamery, 1),
        Flag("camC", cfg::kamery, 2),
        Flag("camD", cfg::kamery, 3),
        {"obraz", FieldKind::Size, cfg::obraz, 1, kWhole, false, 1, 4},
        // Any non-zero byte reads as colour.
        {"kol", FieldKind::Flag, cfg::kol, 1, kWhole, false, 0, 1},
        Number("dz", cfg::dz, 1, 255),
        Number("pz", cfg::pz, 1, 255),
        Text("id", cfg::id),
        Text("pass", cfg::pass),
        Flag("dhcp", cfg::dhcp, 0),
        Address("vip", cfg::vip),
        Address("vmask", cfg::vmask),
        Address("vgate", cfg::vgate),
        Flag("srtc", cfg::links, cfg::linkNoClockSync, true),
        Flag("et", cfg::links, cfg::linkEthernet),
        Address("sip", cfg::sip),
        {"ps", FieldKind::Port, cfg::ps, 2, kWhole, false, 1, 65535},
        Number("ncp", cfg::ncp, 0, 240),
        Number("nmx", cfg::nmx, 0, 20),
        Number("tt", cfg::tt, 0, 255),
        Flag("mdm", cfg::links, cfg::linkModem1),
        Text("tel", cfg::tel),
        Flag("ex1", cfg::links, cfg::linkExternal1),
        Flag("mdm2", cfg::links, cfg::linkModem2),
        Text("tel2", cfg::tel2),
        Flag("ex2", cfg::links, cfg::linkExternal2),
        Number("tcp", cfg::tcp, 0, 240),
        Number("tmx", cfg::tmx, 0, 20),
        Number("powt", cfg::powt, 0, 20),
        Number("oz", cfg::oz, 0, 240),
    };
    return fields;
}

const RecordField* FindRecordField(const QString& name)
{
    for (const RecordField& field : RecordFields()) {
        if (name == QLatin1String(field.name)) {
            return &field;
        }
    }
    return nullptr;
}

bool FieldShownInWindow(const RecordField& field)
{
    return field.offset != cfg::links ||
           (field.mask != (1u << cfg::linkExternal1) && field.mask != (1u << cfg::linkExternal2));
}

QString FieldCaption(const RecordField& field)
{
    const LanguageTexts& t = Texts();
    const QString name = QLatin1String(field.name);
    if (name.startsWith(QLatin1String("cam"))) {
        return t.txtCameras + u' ' + name.back();
    }
    static const QLatin1String kOne(" 1"), kTwo(" 2");
    if (name == QLatin1String("obraz"))
        return t.txtPicture;
    if (name == QLatin1String("kol"))
        return t.txtColour;
    if (name == QLatin1String("dz"))
        return t.txtBeforeEvent;
    if (name == QLatin1String("pz"))
        return t.txtAfterEvent;
    if (name == QLatin1String("id"))
        return t.txtIdentifier;
    if (name == QLatin1String("pass"))
        return t.txtPassword;
    if (name == QLatin1String("dhcp"))
        return QStringLiteral("DHCP");
    if (name == QLatin1String("vip"))
        return t.txtIpAddress;
    if (name == QLatin1String("vmask"))
        return t.txtSubnetMask;
    if (name == QLatin1String("vgate"))
        return t.txtGateway;
    if (name == QLatin1String("srtc"))
        return t.txtSyncTime.trimmed();
    if (name == QLatin1String("et"))
        return t.txtEthernet;
    if (name == QLatin1String("sip"))
        return Joined(t.txtStation, t.txtIpAddress);
    if (name == QLatin1String("ps"))
        return t.txtPort;
    if (name == QLatin1String("ncp"))
        return Joined(t.txtEthernet, t.txtSustainTime);
    if (name == QLatin1String("nmx"))
        return Joined(t.txtEthernet, t.txtMaxPreview);
    if (name == QLatin1String("tt"))
        return t.txtTestEvery;
    if (name == QLatin1String("mdm"))
        return t.txtModem + kOne;
    if (name == QLatin1String("tel"))
        return Joined(t.txtModem + kOne, t.txtPhone);
    if (name == QLatin1String("ex1"))
        return t.txtExternalModem + kOne;
    if (name == QLatin1String("mdm2"))
        return t.txtModem + kTwo;
    if (name == QLatin1String("tel2"))
        return Joined(t.txtModem + kTwo, t.txtPhone);
    if (name == QLatin1String("ex2"))
        return t.txtExternalModem + kTwo;
    if (name == QLatin1String("tcp"))
        return Joined(t.txtModemLinks, t.txtSustainTime);
    if (name == QLatin1String("tmx"))
        return Joined(t.txtModemLinks, t.txtMaxPreview);
    if (name == QLatin1String("powt"))
        return t.txtRepeatCount;
    if (name == QLatin1String("oz"))
        return t.txtSuspendTime;
    return name;
}

QVariant FieldValue(const RecordField& field, const ConfigRecord& record)
{
    switch (field.kind) {
    case FieldKind::Flag:
        return ((record.byte(field.offset) & field.mask) != 0) != field.inverted;
    case FieldKind::Size:
        switch (record.pictureSize()) {
        case PictureSize::Full:
            return QStringLiteral("1/1");
        case PictureSize::Half:
            return QStringLiteral("1/2");
        case PictureSize::Quarter:
            break;
        }
        return QStringLiteral("1/4");
    case FieldKind::Number:
        return int{record.byte(field.offset)};
    case FieldKind::Port:
        return int{record.port()};
    case FieldKind::Address:
        return OctetsToText(record.ip(field.offset));
    case FieldKind::Text:
        return field.offset == cfg::pass.offset
                   ? ShownPassword(record)
                   : TrimmedFieldText(record, {field.offset, field.width, 0x20});
    }
    return {};
}

QString FieldValueText(const RecordField& field, const ConfigRecord& record)
{
    const QVariant value = FieldValue(field, record);
    switch (field.kind) {
    case FieldKind::Flag:
        return value.toBool() ? Texts().txtFlagOn : Texts().txtFlagOff;
    case FieldKind::Text:
        // Quoted, so that an empty text and blanks stay visible.
        return u'"' + value.toString() + u'"';
    default:
        return value.toString();
    }
}

} // namespace zorva
