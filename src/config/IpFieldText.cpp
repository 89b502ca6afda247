#include "config/IpFieldText.h"

namespace zorva {

namespace {

std::uint32_t SlotValue(const QString& slot)
{
    const QString t = slot.trimmed();
    std::uint32_t v = 0;
    for (const QChar c : t) {
        if (c < u'0' || c > u'9') {
            break;
        }
        v = v * 10 + static_cast<std::uint32_t>(c.unicode() - u'0');
    }
    return v & 0xFF;
}

} // namespace

QString IpFieldText(const Octets& o)
{
    return QStringLiteral("%1.%2.%3.%4").arg(o[0], 3).arg(o[1], 3).arg(o[2], 3).arg(o[3], 3);
}

std::uint32_t IpTextToLong(const QString& text)
{
    if (text.size() < 13) {
        return 0;
    }
    std::uint32_t result = 0;
    for (int slot = 0; slot < 4; ++slot) {
        result = (result << 8) | SlotValue(text.mid(slot * 4, 3));
    }
    return result;
}

} // namespace zorva
