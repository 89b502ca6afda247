// The module's configuration as one fixed 2048-byte image, and the network record beside it.
// Offsets are the contract between the program, the module and saved configuration files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include <QString>

namespace zorva {

constexpr std::size_t kRecordSize = 2048;
constexpr std::size_t kWriteImageSize = 175; // bytes 0..174 travel to the module
constexpr std::size_t kNewClearSize = 255;   // "New" clears bytes 0..254

// Offsets of the configuration record's fields.
namespace cfg {
constexpr std::size_t obraz = 0;  // picture size: 1 full, 2 half, anything else quarter
constexpr std::size_t kol = 1;    // colour when non-zero
constexpr std::size_t kamery = 2; // bits 0..3: cameras A..D in use
constexpr std::size_t dz = 3;     // pictures before the event
constexpr std::size_t pz = 4;     // pictures after the event
constexpr std::size_t links = 29; // transmission flags (bits below)
constexpr std::size_t dhcp = 30;  // bit 0: address by DHCP
constexpr std::size_t vip = 31;   // module IP address, first octet first
constexpr std::size_t vgate = 35; // module gateway
constexpr std::size_t vmask = 39; // module subnet mask
constexpr std::size_t sip = 43;   // monitoring station IP address
constexpr std::size_t ps = 47;    // station port, big-endian
constexpr std::size_t oz = 104;   // modem suspend period, minutes
constexpr std::size_t powt = 105; // modem repeat count
constexpr std::size_t ncp = 106;  // Ethernet connection hold time, seconds
constexpr std::size_t nmx = 107;  // Ethernet maximum live preview, minutes
constexpr std::size_t tcp = 108;  // modem connection hold time, seconds
constexpr std::size_t tmx = 109;  // modem maximum live preview, minutes
constexpr std::size_t tt = 110;   // test transmission period, minutes

// Bits of `links`.
constexpr int linkEthernet = 0;
constexpr int linkModem1 = 1;
constexpr int linkExternal1 = 2;
constexpr int linkModem2 = 3;
constexpr int linkExternal2 = 4;
constexpr int linkNoClockSync = 5; // set: the module does NOT synchronise its clock
} // namespace cfg

// A fixed-width text field: no terminator, filled up with `pad`.
struct TextField {
    std::size_t offset;
    std::size_t width;
    std::uint8_t pad;
};
namespace cfg {
constexpr TextField pass{5, 16, 0x00};
constexpr TextField id{21, 8, 0x20};
constexpr TextField tel{49, 24, 0x20};
constexpr TextField tel2{80, 24, 0x20};
} // namespace cfg

enum class PictureSize { Full = 1, Half = 2, Quarter = 4 };

using Octets = std::array<std::uint8_t, 4>;

class ConfigRecord {
public:
    using Image = std::array<std::uint8_t, kRecordSize>;

    ConfigRecord() { ClearAll(); }

    // Whole-record operations.
    void ClearAll();
    void ClearForNew();
    // Copies a reply payload from byte 0; bytes beyond it keep their values. A payload longer
    // than the record is cut.
    void FillFromReply(std::span<const std::uint8_t> payload);
    std::span<const std::uint8_t, kWriteImageSize> WriteImage() const;
    const Image& FileImage() const { return bytes_; }
    void Load(const Image& image) { bytes_ = image; }

    std::uint8_t byte(std::size_t offset) const { return bytes_.at(offset); }
    void setByte(std::size_t offset, std::uint8_t value) { bytes_.at(offset) = value; }

    // Typed field access.
    PictureSize pictureSize() const;
    bool colour() const { return bytes_[cfg::kol] != 0; }
    bool camera(int index) const;
    void setCamera(int index, bool inUse);
    bool linksBit(int bit) const;
    void setLinksBit(int bit, bool set);
    bool dhcp() const { return (bytes_[cfg::dhcp] & 1) != 0; }
    Octets ip(std::size_t offset) const;
    void setIp(std::size_t offset, const Octets& octets);
    // 32-bit value with the first octet in the highest byte.
    std::uint32_t ipValue(std::size_t offset) const;
    void setIpValue(std::size_t offset, std::uint32_t value);
    std::uint16_t port() const;
    void setPort(std::uint16_t value);

    // The field's raw bytes as 8-bit text (all `width` characters, fill included).
    QString rawText(const TextField& field) const;
    // Stores the text's 8-bit form, filled up with the field's pad byte and cut to its width.
    void setText(const TextField& field, const QString& text);

private:
    Image bytes_{};
};

// The module's report of its network state: shown, never sent.
class NetworkRecord {
public:
    using Image = std::array<std::uint8_t, kRecordSize>;

    void ClearAll() { bytes_.fill(0); }
    void FillFromReply(std::span<const std::uint8_t> payload);
    const Image& bytes() const { return bytes_; }

    bool linkUp() const { return bytes_[0] != 0; }
    std::array<std::uint8_t, 6> mac() const;
    Octets dip() const;   // natural order, bytes 8..11
    Octets dmask() const; // stored reversed in bytes 12..15
    Octets dgate() const; // stored reversed in bytes 16..19

private:
    Image bytes_{};
};

// "a.b.c.d" with no leading zeros.
QString OctetsToText(const Octets& octets);

} // namespace zorva
