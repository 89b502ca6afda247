#include "link/EventDecoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "link/Frames.h"
#include "shell/IniFile.h"

namespace zorva {

namespace {
const QString kSection = QStringLiteral("LOG");
const QString kNoPattern = QStringLiteral("???");
const QString kNoArgument = QStringLiteral("nic");
constexpr int kMaxTextArguments = 2;
// An event line is cut to this length, so a wider field changes nothing that is seen; the cap
// keeps a language file from asking for a huge string.
constexpr qsizetype kMaxFieldWidth = 255;

// Reads the digits at `at` as a number, capped at kMaxFieldWidth; nothing read gives 0.
qsizetype TakeNumber(const QString& pattern, qsizetype& at)
{
    qsizetype value = 0;
    while (at < pattern.size() && pattern[at].isDigit() && pattern[at].unicode() < 0x80) {
        value = std::min(kMaxFieldWidth, value * 10 + (pattern[at].unicode() - u'0'));
        ++at;
    }
    return value;
}

// Takes up to `count` bytes from the front; missing bytes read as 0.
std::uint32_t TakeLittleEndian(std::span<const std::uint8_t>& bytes, std::size_t count)
{
    std::uint32_t value = 0;
    const std::size_t available = std::min(count, bytes.size());
    for (std::size_t i = 0; i < available; ++i) {
        value |= std::uint32_t{bytes[i]} << (8 * i);
    }
    bytes = bytes.subspan(available);
    return value;
}
} // namespace

QString DecodeEventArg(const QString& kind, std::span<const std::uint8_t>& bytes)
{
    if (kind == QLatin1String("int")) {
        return QString::number(static_cast<std::int32_t>(TakeLittleEndian(bytes, 4)));
    }
    if (kind == QLatin1String("ABCD")) {
        // A missing byte names no camera; reading it as 0 would name camera A.
        if (bytes.empty()) {
            return QStringLiteral("?");
        }
        const std::uint32_t camera = TakeLittleEndian(bytes, 1);
        return camera < 4 ? QString(QChar(u'A' + camera)) : QStringLiteral("?");
    }
    return {};
}

QString FormatEventPattern(const QString& pattern, const QString& first, const QString& second)
{
    QString result;
    result.reserve(pattern.size() + first.size() + second.size());
    int used = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != QLatin1Char('%')) {
            result += c;
            continue;
        }
        ++i;
        if (i < pattern.size() && pattern[i] == QLatin1Char('%')) {
            result += QLatin1Char('%');
            continue;
        }
        // A text placeholder: %[-...][width][.precision]s, as printf reads it.
        bool left = false;
        while (i < pattern.size() && pattern[i] == QLatin1Char('-')) {
            left = true;
            ++i;
        }
        // A leading 0 would be a flag, not part of the width.
        if (i < pattern.size() && pattern[i] == QLatin1Char('0')) {
            return pattern;
        }
        const qsizetype width = TakeNumber(pattern, i);
        qsizetype precision = -1;
        if (i < pattern.size() && pattern[i] == QLatin1Char('.')) {
            ++i;
            precision = TakeNumber(pattern, i);
        }
        if (i >= pattern.size() || pattern[i] != QLatin1Char('s') || used >= kMaxTextArguments) {
            return pattern;
        }
        QString text = used == 0 ? first : second;
        ++used;
        if (precision >= 0) {
            text.truncate(precision);
        }
        if (text.size() < width) {
            const QString padding(width - text.size(), QLatin1Char(' '));
            text = left ? text + padding : padding + text;
        }
        result += text;
    }
    return result;
}

DecodedEvent DecodeEvent(std::span<const std::uint8_t> frame, const QString& languageFile)
{
    // Payload: the bytes between the code byte and the checksum (none for L below 2).
    const std::size_t l = frame.size() >= 3 ? frame[2] : 0;
    const std::span<const std::uint8_t> payload =
        l >= 2 && frame.size() >= l + 3 ? frame.subspan(4, l - 2) : std::span<const std::uint8_t>{};
    DecodedEvent event;
    event.code = payload.empty() ? 0 : payload[0];
    const QString key = QString::fromLatin1(IntToHexEven(event.code));

    QString pattern = ReadIniString(languageFile, kSection, key, kNoPattern);
    // The argument bytes follow the event code and run on into the checksum byte.
    std::span<const std::uint8_t> arguments =
        l >= 2 && frame.size() >= l + 3
            ? frame.subspan(4 + std::min<std::size_t>(payload.size(), 1))
            : std::span<const std::uint8_t>{};
    QString decoded[2];
    for (int i = 0; i < 2; ++i) {
        const QString kind =
            ReadIniString(languageFile, kSection, key + QLatin1Char("ab"[i]), kNoArgument);
        decoded[i] = DecodeEventArg(kind, arguments);
        if (kind == QLatin1String("int") || kind == QLatin1String("ABCD")) {
            event.kinds << kind;
            event.arguments << decoded[i];
        }
    }
    if (pattern == kNoPattern) {
        pattern = QString::fromLatin1(BytesToHex(frame));
    }
    event.text = FormatEventPattern(pattern, decoded[0], decoded[1]);
    return event;
}

QString DecodeEventText(std::span<const std::uint8_t> frame, const QString& languageFile)
{
    return DecodeEvent(frame, languageFile).text;
}

} // namespace zorva
