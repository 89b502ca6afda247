#include "config/EditorFields.h"

#include <algorithm>
#include <optional>

namespace zorva {

namespace {

std::optional<int> ParseInteger(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i == t.size()) {
        return std::nullopt;
    }
    long long v = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        v = v * 10 + (c - u'0');
        if (v > 2147483648LL) {
            return std::nullopt;
        }
    }
    if (negative) {
        v = -v;
    }
    if (v > 2147483647LL) {
        return std::nullopt;
    }
    return static_cast<int>(v);
}

} // namespace

int SpinTextValue(const QString& text, int minimum)
{
    return ParseInteger(text).value_or(minimum);
}

bool SpinTextIsNumber(const QString& text)
{
    return ParseInteger(text).has_value();
}

int SpinField::Value() const
{
    return SpinTextValue(Text(), Minimum());
}

void SpinField::SetValue(int value)
{
    SetText(QString::number(std::clamp(value, Minimum(), Maximum())));
}

void SpinField::Leave()
{
    NotifyExit();
    const int v = Value();
    if (v < Minimum() || v > Maximum() || !SpinTextIsNumber(Text())) {
        SetValue(v);
    }
}

} // namespace zorva
