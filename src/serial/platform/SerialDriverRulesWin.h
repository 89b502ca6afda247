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

// The driver's block changed only in the line fields.
DCB LineFieldsOnly(const DCB& driver, const LineFields& line);

// The second try when a driver refuses the raw block: the raw block with the driver's own flow
// limits and special characters (what a driver may refuse in the raw block), so that flow
// control, null stripping, error replacement and abort-on-error stay off all the same.
DCB RawLineBlockKeepingLimits(const DCB& driver, const LineFields& line);

// What a bounded transfer cancelled at its time-out returns, given the bytes it had moved: a
// read keeps what it received (those bytes are gone from the driver's queue); a write, whose
// bytes have left whatever the count, has failed: -1.
int CancelledTransferResult(bool read, DWORD moved);

// Event waits that end with no event of the mask. One such end is a mask change; several in a
// row are a driver that completes every wait at once (some USB drivers after the adapter was
// pulled out), which is a hang-up rather than a reason to arm again and again.
class EmptyWaits {
public:
    static constexpr int kHangUpAfter = 5;
    // Notes one ended wait with the events of the mask it reported; true when that makes a
    // hang-up.
    bool HangUpAfter(DWORD events)
    {
        inARow_ = events != 0 ? 0 : inARow_ + 1;
        return inARow_ >= kHangUpAfter;
    }

private:
    int inARow_ = 0;
};

// Errors with which a driver fails requests once its device has been removed.
bool DeviceGone(DWORD error);

} // namespace zorva::serial
