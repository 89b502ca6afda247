// Field-by-field comparison of two configuration records: which named fields differ, with both
// values as the window shows them, and which bytes outside the named fields differ. The link
// core checks a write against the module's read-back with it; the command-line program diffs
// files with it.
#pragma once

#include <cstddef>
#include <vector>

#include <QString>
#include <QStringList>

#include "config/ConfigRecord.h"

namespace zorva {

struct FieldDifference {
    QString name;    // the field's short name; empty for a byte outside the named fields
    QString caption; // the field's caption, or the byte's offset in words
    QString first;   // the value in the first record
    QString second;  // the value in the second record
};

// The differences within the first `length` bytes, in the window's order, then the other bytes
// by offset. A field whose two values look the same although its bytes differ (a blank more in
// the fill of a text) is shown by its bytes in hexadecimal.
std::vector<FieldDifference> CompareRecords(const ConfigRecord& first, const ConfigRecord& second,
                                            std::size_t length);

// One line per difference of a write and its read-back: "Port: written 8080, read 8081".
QStringList WriteCheckLines(const std::vector<FieldDifference>& differences);

} // namespace zorva
