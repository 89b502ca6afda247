// The configuration record's named fields as the window shows them: a short name (the one the
// command line uses), the caption in the current language, the bits of the record the field
// covers and its value rendered as the window's field shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QString>
#include <QVariant>

#include "config/ConfigRecord.h"

namespace zorva {

enum class FieldKind {
    Flag,    // one bit, shown as a check box
    Size,    // the picture size radio buttons
    Number,  // a spin field
    Port,    // the 16-bit station port
    Address, // an IP field
    Text,    // identifier, password, phone numbers
};

struct RecordField {
    const char* name; // "ps", "dz", "camA", ...
    FieldKind kind;
    std::size_t offset;   // first byte
    std::size_t width;    // bytes covered
    std::uint8_t mask;    // for a one-byte field: the bits that belong to it
    bool inverted;        // a flag shown checked when its bit is clear
    int minimum, maximum; // what the editor lets the user enter (numbers, ports; text length)
};

// Every named field, in the window's order.
const std::vector<RecordField>& RecordFields();
// The field of that name, or nullptr.
const RecordField* FindRecordField(const QString& name);

// False for the external-modem flags: the window never shows them and every refresh clears them.
bool FieldShownInWindow(const RecordField& field);

// The field's caption in the current language ("Port", "Kamery A", ...).
QString FieldCaption(const RecordField& field);
// The field's value as the window shows it ("8080", "192.168.1.10", "1/4", a flag's on/off).
QString FieldValueText(const RecordField& field, const ConfigRecord& record);
// The same value typed, in the form that RecordEditing::Set takes back: a flag as bool (the
// check box's state), a number or port as int, the others as text (texts unquoted).
QVariant FieldValue(const RecordField& field, const ConfigRecord& record);

} // namespace zorva
