#include "config/ConfigRecord.h"

#include <algorithm>
#include <cassert>

#include "shell/Text8Bit.h"

namespace zorva {

void ConfigRecord::ClearAll()
{
    bytes_.fill(0);
}

void ConfigRecord::ClearForNew()
{
    std::fill_n(bytes_.begin(), kNewClearSize, 0);
}

void ConfigRecord::FillFromReply(std::span<const std::uint8_t> payload)
{
    const std::size_t n = std::min(payload.size(), bytes_.size());
    std::copy_n(payload.begin(), n, bytes_.begin());
}

std::span<const std::uint8_t, kWriteImageSize> ConfigRecord::WriteImage() const
{
    return std::span<const std::uint8_t, kWriteImageSize>(bytes_.data(), kWriteImageSize);
}

PictureSize ConfigRecord::pictureSize() const
{
    switch (bytes_[cfg::obraz]) {
    case 1:
        return PictureSize::Full;
    case 2:
        return PictureSize::Half;
    default:
        return PictureSize::Quarter;
    }
}

bool ConfigRecord::camera(int index) const
{
    assert(index >= 0 && index < 4);
    return (bytes_[cfg::kamery] >> index) & 1;
}

void ConfigRecord::setCamera(int index, bool inUse)
{
    assert(index >= 0 && index < 4);
    const auto mask = static_cast<std::uint8_t>(1u << index);
    bytes_[cfg::kamery] = inUse ? (bytes_[cfg::kamery] | mask) : (bytes_[cfg::kamery] & ~mask);
}

bool ConfigRecord::linksBit(int bit) const
{
    assert(bit >= 0 && bit < 8);
    return (bytes_[cfg::links] >> bit) & 1;
}

void ConfigRecord::setLinksBit(int bit, bool set)
{
    assert(bit >= 0 && bit < 8);
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    bytes_[cfg::links] = set ? (bytes_[cfg::links] | mask) : (bytes_[cfg::links] & ~mask);
}

Octets ConfigRecord::ip(std::size_t offset) const
{
    return {bytes_.at(offset), bytes_.at(offset + 1), bytes_.at(offset + 2), bytes_.at(offset + 3)};
}

void ConfigRecord::setIp(std::size_t offset, const Octets& octets)
{
    std::copy(octets.begin(), octets.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::uint32_t ConfigRecord::ipValue(std::size_t offset) const
{
    const Octets o = ip(offset);
    return (std::uint32_t{o[0]} << 24) | (std::uint32_t{o[1]} << 16) | (std::uint32_t{o[2]} << 8) |
           o[3];
}

void ConfigRecord::setIpValue(std::size_t offset, std::uint32_t value)
{
    setIp(offset, {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                   static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
}

std::uint16_t ConfigRecord::port() const
{
    return static_cast<std::uint16_t>(bytes_[cfg::ps] * 256 + bytes_[cfg::ps + 1]);
}

void ConfigRecord::setPort(std::uint16_t value)
{
    bytes_[cfg::ps] = static_cast<std::uint8_t>(value >> 8);
    bytes_[cfg::ps + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

QString ConfigRecord::rawText(const TextField& field) const
{
    const auto* begin = reinterpret_cast<const char*>(bytes_.data() + field.offset);
    return FromCp1250(QByteArray(begin, static_cast<qsizetype>(field.width)));
}

void ConfigRecord::setText(const TextField& field, const QString& text)
{
    const QByteArray encoded = ToCp1250(text);
    for (std::size_t i = 0; i < field.width; ++i) {
        const auto at = static_cast<qsizetype>(i);
        bytes_[field.offset + i] =
            at < encoded.size() ? static_cast<std::uint8_t>(encoded[at]) : field.pad;
    }
}

void NetworkRecord::FillFromReply(std::span<const std::uint8_t> payload)
{
    const std::size_t n = std::min(payload.size(), bytes_.size());
    std::copy_n(payload.begin(), n, bytes_.begin());
}

std::array<std::uint8_t, 6> NetworkRecord::mac() const
{
    std::array<std::uint8_t, 6> m{};
    std::copy_n(bytes_.begin() + 2, 6, m.begin());
    return m;
}

Octets NetworkRecord::dip() const
{
    return {bytes_[8], bytes_[9], bytes_[10], bytes_[11]};
}
Octets NetworkRecord::dmask() const
{
    return {bytes_[15], bytes_[14], bytes_[13], bytes_[12]};
}
Octets NetworkRecord::dgate() const
{
    return {bytes_[19], bytes_[18], bytes_[17], bytes_[16]};
}

QString OctetsToText(const Octets& o)
{
    return QStringLiteral("%1.%2.%3.%4").arg(o[0]).arg(o[1]).arg(o[2]).arg(o[3]);
}

} // namespace zorva
