// The IP field's text: 15 characters, four right-aligned 3-character slots between fixed dots
// ("192.168.  1. 10"), and its reading as a 32-bit address.
#pragma once

#include <cstdint>

#include <QString>

#include "config/ConfigRecord.h"

namespace zorva {

constexpr int kIpFieldLength = 15;

// Each octet right-aligned in its slot.
QString IpFieldText(const Octets& octets);

// The field text as an address, first octet in the highest byte. A text shorter than 13
// characters reads as 0; each slot reads its leading digits (blanks trimmed, empty = 0) and
// keeps only the low 8 bits, so a slot holding 999 gives 231.
std::uint32_t IpTextToLong(const QString& text);

} // namespace zorva
