#include "serial/platform/SerialDriverRulesWin.h"

namespace zorva::serial {
namespace {

// XON/XOFF are never used on the raw line, but a driver refuses a block whose two characters
// are equal (some report 0 for both), so they get the usual ones.
constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
// Only act with input flow control (off here); small enough for any driver's input queue,
// since a limit above it makes the driver refuse the block.
constexpr WORD kFlowLimit = 128;
// ERROR_NO_SUCH_DEVICE, which mingw-w64's headers lack.
constexpr DWORD kErrorNoSuchDevice = 433;

} // namespace

LineFields LineFieldsOf(const DCB& block)
{
    return {block.BaudRate, block.ByteSize, block.Parity, block.StopBits};
}

DCB LineFieldsOnly(const DCB& driver, const LineFields& line)
{
    DCB block = driver;
    block.DCBlength = sizeof block;
    block.BaudRate = line.baudRate;
    block.ByteSize = line.byteSize;
    block.Parity = line.parity;
    block.StopBits = line.stopBits;
    return block;
}

DCB RawLineBlock(const DCB& driver, const LineFields& line)
{
    DCB block = LineFieldsOnly(driver, line);
    block.fBinary = TRUE;
    // Parity errors are reported, never acted on (no error character, no abort).
    block.fParity = line.parity != NOPARITY;
    block.fOutxCtsFlow = FALSE;
    block.fOutxDsrFlow = FALSE;
    block.fDsrSensitivity = FALSE;
    block.fTXContinueOnXoff = TRUE;
    block.fOutX = FALSE;
    block.fInX = FALSE;
    block.fErrorChar = FALSE;
    block.fNull = FALSE;
    block.fAbortOnError = FALSE;
    // Handshake and toggle would take DTR and RTS away from EscapeCommFunction; enable and
    // disable stay, so that a change of speed does not raise a line the link has lowered.
    if (block.fDtrControl == DTR_CONTROL_HANDSHAKE) {
        block.fDtrControl = DTR_CONTROL_ENABLE;
    }
    if (block.fRtsControl == RTS_CONTROL_HANDSHAKE || block.fRtsControl == RTS_CONTROL_TOGGLE) {
        block.fRtsControl = RTS_CONTROL_ENABLE;
    }
    block.wReserved = 0;
    block.XonLim = kFlowLimit;
    block.XoffLim = kFlowLimit;
    block.XonChar = kXon;
    block.XoffChar = kXoff;
    block.ErrorChar = 0;
    block.EofChar = 0;
    block.EvtChar = 0;
    return block;
}

DCB RawLineBlockKeepingLimits(const DCB& driver, const LineFields& line)
{
    DCB block = RawLineBlock(driver, line);
    block.XonLim = driver.XonLim;
    block.XoffLim = driver.XoffLim;
    block.XonChar = driver.XonChar;
    block.XoffChar = driver.XoffChar;
    block.ErrorChar = driver.ErrorChar;
    block.EofChar = driver.EofChar;
    block.EvtChar = driver.EvtChar;
    return block;
}

int CancelledTransferResult(bool read, DWORD moved)
{
    return read && moved > 0 ? static_cast<int>(moved) : -1;
}

bool DeviceGone(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_HANDLE:
    case ERROR_BAD_COMMAND:
    case ERROR_NOT_READY:
    case ERROR_GEN_FAILURE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case kErrorNoSuchDevice:
    case ERROR_FILE_NOT_FOUND:
        return true;
    default:
        return false;
    }
}

} // namespace zorva::serial
