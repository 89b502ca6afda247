// How the Windows layer reads and answers a serial driver, as pure functions: the device control
// block it applies, and the errors that mean the device has gone. Kept apart from the calls so
// that each field and each error can be tested on its own.
#pragma once

#include <windows.h>

namespace zorva::serial {

// The four line settings a port is given; every other field of the block is the layer's.
struct LineFields {
    DWORD baudRate = CBR_9600;
    BYTE byteSize = 8;
    BYTE parity = NOPARITY;
    BYTE stopBits = ONESTOPBIT;

    bool operator==(const LineFields&) const = default;
};

LineFields LineFieldsOf(const DCB& block);

// The block for a raw line with `line`, from the block the driver reports: every field a raw
// line depends on is set, whatever another program left (the driver keeps the block between
// opens), so that no flow control holds a byte back, none is replaced or dropped, and a line
// error stops nothing.
DCB RawLineBlock(const DCB& driver, const LineFields& line);

// The driver's block changed only in the line fields: the second try when a driver refuses the
// raw block.
DCB LineFieldsOnly(const DCB& driver, const LineFields& line);

// Errors with which a driver fails requests once its device has been removed.
bool DeviceGone(DWORD error);

} // namespace zorva::serial
