#include "config/RecordEditing.h"

#include <optional>

#include <QStringList>

#include "config/ConfigFields.h"
#include "config/FieldText.h"
#include "config/IpFieldText.h"

namespace zorva {

namespace {

std::optional<bool> FlagValue(const QString& value)
{
    if (value == QLatin1String("true") || value == QLatin1String("1") ||
        value == QLatin1String("on")) {
        return true;
    }
    if (value == QLatin1String("false") || value == QLatin1String("0") ||
        value == QLatin1String("off")) {
        return false;
    }
    return std::nullopt;
}

std::optional<int> WholeNumber(const QString& value, int minimum, int maximum)
{
    bool ok = false;
    const int n = value.toInt(&ok, 10);
    if (!ok || value.startsWith(u'+') || n < minimum || n > maximum) {
        return std::nullopt;
    }
    return n;
}

std::optional<Octets> Address(const QString& value)
{
    const QStringList parts = value.split(u'.');
    if (parts.size() != 4) {
        return std::nullopt;
    }
    Octets octets{};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto n = WholeNumber(parts[static_cast<qsizetype>(i)], 0, 255);
        if (!n || parts[static_cast<qsizetype>(i)].size() > 3) {
            return std::nullopt;
        }
        octets[i] = static_cast<std::uint8_t>(*n);
    }
    return octets;
}

// The picture size radio buttons' index for "1/1", "1/2", "1/4" (or 1, 2, 4).
std::optional<int> SizeIndex(const QString& value)
{
    static const QString kSizes[] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")};
    for (int i = 0; i < 3; ++i) {
        if (value == kSizes[i] || value == QStringLiteral("1/") + kSizes[i]) {
            return i;
        }
    }
    return std::nullopt;
}

// What the window's text fields let through: the identifier's mask takes letters, digits and
// blanks; the phone fields' key filter; the password any printable ASCII character.
bool TextAccepted(const RecordField& field, const QString& value)
{
    if (value.size() > field.maximum) {
        return false;
    }
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u < 32 || u > 126) {
            return false;
        }
        if (field.offset == cfg::id.offset && !c.isLetterOrNumber() && u != u' ') {
            return false;
        }
        if ((field.offset == cfg::tel.offset || field.offset == cfg::tel2.offset) &&
            !PhoneKeyPasses(u)) {
            return false;
        }
    }
    return true;
}

QString RangeText(const RecordField& field)
{
    switch (field.kind) {
    case FieldKind::Flag:
        return QStringLiteral("true or false (or 1/0, on/off)");
    case FieldKind::Size:
        return QStringLiteral("1/1, 1/2 or 1/4");
    case FieldKind::Number:
    case FieldKind::Port:
        return QStringLiteral("%1 to %2").arg(field.minimum).arg(field.maximum);
    case FieldKind::Address:
        return QStringLiteral("an address a.b.c.d, each 0 to 255");
    case FieldKind::Text:
        if (field.offset == cfg::id.offset) {
            return QStringLiteral("at most 8 letters, digits or blanks");
        }
        if (field.offset == cfg::pass.offset) {
            return QStringLiteral("at most 16 printable ASCII characters");
        }
        return QStringLiteral("at most 24 of the characters ") + PhoneCharactersText();
    }
    return {};
}

// The value as the record would hold it, for comparing with FieldValue; the value has passed
// CheckValue.
QString CanonicalValue(const RecordField& field, const QString& value)
{
    switch (field.kind) {
    case FieldKind::Number:
    case FieldKind::Port:
        return QString::number(*WholeNumber(value, field.minimum, field.maximum));
    case FieldKind::Address:
        return OctetsToText(*Address(value));
    default:
        return value;
    }
}

} // namespace

QString PhoneCharactersText()
{
    QStringList shown;
    for (char16_t c = 33; c <= 126; ++c) {
        if (c >= u'0' && c <= u'9') {
            if (c == u'0' && PhoneKeyPasses(c)) {
                shown << QStringLiteral("0-9");
            }
        } else if (PhoneKeyPasses(c)) {
            shown << QString(QChar(c));
        }
    }
    return shown.join(u' ') + (PhoneKeyPasses(32) ? QStringLiteral(" and blank") : QString());
}

RecordEditing::RecordEditing(ConfigRecord& record, const NetworkRecord& network, EditorLink& link)
    : record_(record), editor_(Fields(), record, network, link)
{
}

EditorFields RecordEditing::Fields()
{
    EditorFields f;
    for (std::size_t i = 0; i < 4; ++i) {
        f.CB_k[i] = &CB_k_[i];
    }
    f.RB_size = &RB_size_;
    f.CB_kol = &CB_kol_;
    f.SE_DZ = &SE_DZ_;
    f.SE_PZ = &SE_PZ_;
    f.ME_ID = &ME_ID_;
    f.E_pass = &E_pass_;
    f.CB_DHCP = &CB_DHCP_;
    f.ME_vip = &ME_vip_;
    f.ME_vmask = &ME_vmask_;
    f.ME_vgate = &ME_vgate_;
    f.Label18 = &Label18_;
    f.CB_SRTC = &CB_SRTC_;
    f.CB_ET = &CB_ET_;
    f.ME_sip = &ME_sip_;
    f.SE_PS = &SE_PS_;
    f.SE_NCP = &SE_NCP_;
    f.SE_NMX = &SE_NMX_;
    f.SE_TT = &SE_TT_;
    f.CB_MDM = &CB_MDM_;
    f.Edit_tel = &Edit_tel_;
    f.CB_EX1 = &CB_EX1_;
    f.CB_MDM2 = &CB_MDM2_;
    f.Edit_tel2 = &Edit_tel2_;
    f.CB_EX2 = &CB_EX2_;
    f.SE_TCP = &SE_TCP_;
    f.SE_TMX = &SE_TMX_;
    f.SE_POWT = &SE_POWT_;
    f.SE_OZ = &SE_OZ_;
    return f;
}

QString RecordEditing::CheckValue(const QString& name, const QString& value)
{
    const RecordField* field = FindRecordField(name);
    if (field == nullptr) {
        return QStringLiteral("unknown field \"%1\"").arg(name);
    }
    if (!FieldShownInWindow(*field)) {
        return QStringLiteral("%1 cannot be set: the program always writes it as 0").arg(name);
    }
    bool ok = false;
    switch (field->kind) {
    case FieldKind::Flag:
        ok = FlagValue(value).has_value();
        break;
    case FieldKind::Size:
        ok = SizeIndex(value).has_value();
        break;
    case FieldKind::Number:
    case FieldKind::Port:
        ok = WholeNumber(value, field->minimum, field->maximum).has_value();
        break;
    case FieldKind::Address:
        ok = Address(value).has_value();
        break;
    case FieldKind::Text:
        ok = TextAccepted(*field, value);
        break;
    }
    if (ok) {
        return {};
    }
    return QStringLiteral("%1=%2 refused: %1 takes %3").arg(name, value, RangeText(*field));
}

QString RecordEditing::Set(const QString& name, const QString& value)
{
    const QString refused = CheckValue(name, value);
    if (!refused.isEmpty()) {
        return refused;
    }
    const RecordField& field = *FindRecordField(name);
    TextInputField* input = nullptr;
    QString text = value;
    switch (field.kind) {
    case FieldKind::Flag: {
        CheckField* box = nullptr;
        if (name.startsWith(QLatin1String("cam"))) {
            box = &CB_k_[static_cast<std::size_t>(name.back().unicode() - u'A')];
        } else if (name == QLatin1String("kol")) {
            box = &CB_kol_;
        } else if (name == QLatin1String("dhcp")) {
            box = &CB_DHCP_;
        } else if (name == QLatin1String("srtc")) {
            box = &CB_SRTC_;
        } else if (name == QLatin1String("et")) {
            box = &CB_ET_;
        } else if (name == QLatin1String("mdm")) {
            box = &CB_MDM_;
        } else {
            box = &CB_MDM2_;
        }
        box->SetChecked(*FlagValue(value));
        return {};
    }
    case FieldKind::Size:
        RB_size_.Check(*SizeIndex(value));
        return {};
    case FieldKind::Address:
        text = IpFieldText(*Address(value));
        input = name == QLatin1String("vip")     ? static_cast<TextInputField*>(&ME_vip_)
                : name == QLatin1String("vmask") ? &ME_vmask_
                : name == QLatin1String("vgate") ? &ME_vgate_
                                                 : &ME_sip_;
        break;
    case FieldKind::Text:
        if (name == QLatin1String("id")) {
            input = &ME_ID_;
            text = PadToLength(value, static_cast<int>(cfg::id.width));
        } else {
            input = name == QLatin1String("pass")  ? static_cast<TextInputField*>(&E_pass_)
                    : name == QLatin1String("tel") ? &Edit_tel_
                                                   : &Edit_tel2_;
        }
        break;
    case FieldKind::Number:
    case FieldKind::Port: {
        static const std::pair<const char*, PlainSpin RecordEditing::*> kSpins[] = {
            {"dz", &RecordEditing::SE_DZ_},     {"pz", &RecordEditing::SE_PZ_},
            {"ps", &RecordEditing::SE_PS_},     {"ncp", &RecordEditing::SE_NCP_},
            {"nmx", &RecordEditing::SE_NMX_},   {"tt", &RecordEditing::SE_TT_},
            {"tcp", &RecordEditing::SE_TCP_},   {"tmx", &RecordEditing::SE_TMX_},
            {"powt", &RecordEditing::SE_POWT_}, {"oz", &RecordEditing::SE_OZ_},
        };
        for (const auto& [spinName, spin] : kSpins) {
            if (name == QLatin1String(spinName)) {
                input = &(this->*spin);
            }
        }
        break;
    }
    }
    if (input == nullptr) {
        return QStringLiteral("unknown field \"%1\"").arg(name);
    }
    if (!input->IsEnabled()) {
        // The value it holds changes nothing: every value that a show prints can be given back.
        if (CanonicalValue(field, value) == FieldValue(field, record_).toString()) {
            return {};
        }
        return QStringLiteral("%1 cannot be set: its field is disabled in the window (switch on "
                              "its path first: et=1, mdm=1 or mdm2=1, or dhcp=0)")
            .arg(name);
    }
    input->SetText(text);
    if (auto* spin = dynamic_cast<SpinField*>(input)) {
        spin->Leave();
    }
    return {};
}

} // namespace zorva
