// The serial port remembered between runs. The one-byte value "cm" holds one digit of the name,
// so only COM1 to COM8 come back from it. Where a port's name is its device's own (Windows,
// where USB adapters are mostly COM9 and above, and virtual pairs are named CNCA0 and the
// like, and network addresses), the full name is kept beside it in "cmn" and
// taken while "cm" still holds what would be stored for it; elsewhere devices above COM8 reach
// their COM name through an alias (ComNames.h).
#pragma once

#include <cstdint>

#include <QString>

namespace zorva {

// The port number that a stored "cm" byte stands for: 1 to 8, anything else becomes 1.
int PortNumberFromStored(std::uint8_t stored);
// "COM" followed by the number in decimal.
QString DeviceNameForPort(int number);
// The "cm" byte written at close: the digit value of the fourth character of the device name
// (the first after "COM"), 0 when that character is no digit, 1 when the name is too short.
// Only one character is taken, so "COM12" gives 1.
std::uint8_t PortByteFromDeviceName(const QString& deviceName);

// The device name at start from the stored "cm" and "cmn" values: the full name while
// PortByteFromDeviceName(fullName) equals cm (so a "cm" changed by another program wins),
// else "COM" + PortNumberFromStored(cm).
QString StartDeviceName(std::uint8_t cm, const QString& fullName);

// Reads "cm" and "cmn" and gives StartDeviceName of them, "cmn" only when it holds a name kept
// in full (below). False with *error set ("Invalid data type for 'cm'") when "cm" is no binary
// value of one byte.
bool ReadStoredDeviceName(QString* deviceName, QString* error = nullptr);
// Writes "cmn" for a name kept in full: a name the platform keeps as its device's own
// (PortNameIsItsDevice) and a network address (on every platform); for any other name it
// empties a "cmn" kept before.
void WriteFullPortName(const QString& deviceName);

} // namespace zorva
