// Event reports (reply type 9) rendered as text with the patterns of a language file's "LOG"
// section: key "01" holds the pattern of event code 0x01, "01a" and "01b" the kinds of its first
// and second argument ("int", "ABCD"; anything else takes no bytes).
#pragma once

#include <cstdint>
#include <span>

#include <QString>
#include <QStringList>

namespace zorva {

// Renders one argument of the given kind and advances `bytes` past the bytes it used. Bytes that
// the report lacks read as 0.
QString DecodeEventArg(const QString& kind, std::span<const std::uint8_t>& bytes);

// The pattern with its text placeholders ("%s", also with the flag "-", a width and a precision,
// as printf formats them) replaced by `first` and `second`, in order, and "%%" by
// "%". A pattern with any other conversion or with more than two "%s" is returned unchanged, so
// no language file can make the formatting read what is not there.
QString FormatEventPattern(const QString& pattern, const QString& first, const QString& second);

// An event report decoded with a language file's patterns.
struct DecodedEvent {
    std::uint8_t code = 0;
    // The pattern of the code with its arguments, or the frame in hexadecimal when the code has
    // no pattern.
    QString text;
    // Each argument that the language file gives a kind ("int", "ABCD"), as rendered, in order.
    QStringList kinds, arguments;
};

// An event report frame (sync pair to checksum), without the date.
DecodedEvent DecodeEvent(std::span<const std::uint8_t> frame, const QString& languageFile);
QString DecodeEventText(std::span<const std::uint8_t> frame, const QString& languageFile);

} // namespace zorva
