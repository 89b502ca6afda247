// Why a serial port could not be opened, in words that say what to do about it.
#pragma once

#include <QString>

namespace zorva::cli {

// Tries the device that `deviceName` stands for (alias, conventional device, "/dev/" + name)
// once more and describes the system's refusal: permission (with the dialout command), in use
// by another program, not present, not a serial device, or the system's own text.
QString PortOpenProblem(const QString& deviceName);

} // namespace zorva::cli
