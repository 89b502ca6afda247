#include "config/FieldText.h"

namespace zorva {

QString PadToLength(const QString& text, int n)
{
    return text.size() >= n ? text : text + QString(n - text.size(), u' ');
}

QString TrimmedFieldText(const ConfigRecord& record, const TextField& field)
{
    const QString raw = record.rawText(field);
    qsizetype begin = 0;
    qsizetype end = raw.size();
    while (begin < end && raw[begin].unicode() <= 32) {
        ++begin;
    }
    while (end > begin && raw[end - 1].unicode() <= 32) {
        --end;
    }
    return raw.mid(begin, end - begin);
}

QString ShownPassword(const ConfigRecord& record)
{
    QString shown;
    for (std::size_t i = 0; i < cfg::pass.width; ++i) {
        const std::uint8_t b = record.byte(cfg::pass.offset + i);
        if (b < 32 || b > 127) {
            break;
        }
        shown += QChar(b);
    }
    return shown;
}

bool PhoneKeyPasses(char32_t code)
{
    return code <= 41 || code == 44 || (code >= 48 && code <= 57) || code == 87 || code == 119 ||
           (code >= 123 && code <= 255);
}

QString MacLabelText(const NetworkRecord& network, const QString& activeText,
                     const QString& unpluggedText)
{
    QString text = QStringLiteral("MAC: ");
    for (const std::uint8_t b : network.mac()) {
        text += QStringLiteral("%1 ").arg(b, 2, 16, QChar(u'0')).toUpper();
    }
    text += u' ';
    text += network.linkUp() ? activeText : unpluggedText;
    return text;
}

} // namespace zorva
