#include "config/ConfigComparison.h"

#include <array>

#include "config/ConfigFields.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

QString HexBytes(const ConfigRecord& record, std::size_t offset, std::size_t width)
{
    QString text;
    for (std::size_t i = 0; i < width; ++i) {
        if (i > 0) {
            text += u' ';
        }
        text += QStringLiteral("%1").arg(record.byte(offset + i), 2, 16, QChar(u'0')).toUpper();
    }
    return text;
}

bool FieldDiffers(const RecordField& field, const ConfigRecord& a, const ConfigRecord& b)
{
    for (std::size_t i = 0; i < field.width; ++i) {
        if (((a.byte(field.offset + i) ^ b.byte(field.offset + i)) & field.mask) != 0) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<FieldDifference> CompareRecords(const ConfigRecord& first, const ConfigRecord& second,
                                            std::size_t length)
{
    length = std::min(length, kRecordSize);
    std::vector<FieldDifference> differences;
    // The bits of each byte that a named field accounts for.
    std::array<std::uint8_t, kRecordSize> covered{};
    for (const RecordField& field : RecordFields()) {
        if (field.offset + field.width > length) {
            continue;
        }
        for (std::size_t i = 0; i < field.width; ++i) {
            covered[field.offset + i] |= field.mask;
        }
        if (!FieldDiffers(field, first, second)) {
            continue;
        }
        FieldDifference d{QLatin1String(field.name), FieldCaption(field),
                          FieldValueText(field, first), FieldValueText(field, second)};
        if (d.first == d.second) {
            d.first = HexBytes(first, field.offset, field.width);
            d.second = HexBytes(second, field.offset, field.width);
        }
        differences.push_back(std::move(d));
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (((first.byte(i) ^ second.byte(i)) & ~covered[i]) != 0) {
            differences.push_back({QString(), Texts().txtByteAt.arg(i), HexBytes(first, i, 1),
                                   HexBytes(second, i, 1)});
        }
    }
    return differences;
}

QStringList WriteCheckLines(const std::vector<FieldDifference>& differences)
{
    QStringList lines;
    for (const FieldDifference& d : differences) {
        lines << Texts().txtWrittenRead.arg(d.caption, d.first, d.second);
    }
    return lines;
}

} // namespace zorva
