// How the editor turns the record's fixed-width text fields into what a field shows, and back.
#pragma once

#include <cstdint>

#include <QString>

#include "config/ConfigRecord.h"

namespace zorva {

// Appends spaces until the text has n characters; a longer text stays as it is.
QString PadToLength(const QString& text, int n);

// The field's bytes as text with every leading and trailing character of code 32 or less
// (spaces, control characters, 0x00) removed.
QString TrimmedFieldText(const ConfigRecord& record, const TextField& field);

// The password as shown: the bytes from the first up to, not including, the first byte
// outside 32..127.
QString ShownPassword(const ConfigRecord& record);

// The phone fields' key filter: true when a typed character of this code may go in.
bool PhoneKeyPasses(char32_t code);

// "MAC: " and the six bytes as "00 1A ... " and one more blank, then the link state text.
QString MacLabelText(const NetworkRecord& network, const QString& activeText,
                     const QString& unpluggedText);

} // namespace zorva
