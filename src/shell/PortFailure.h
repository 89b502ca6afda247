// Why the serial port could not be opened, kept as facts (so that a change of reason can be told
// from a change of language), and the text that tells the user, in the current language, what
// to do about it.
#pragma once

#include <QString>

namespace zorva {

struct PortFailure {
    enum class Kind {
        kPermission,
        kInUse,
        kMissing,
        kNotSerial,
        kOther,
        // A port reached through the network.
        kHostNotFound,
        kRefused,
        kNoAnswer,
        kDropped,
        kBadAddress, // a network name that is not well formed: see addressProblem
    };
    // What is wrong with a network name (kBadAddress).
    enum class AddressProblem { kNone, kNoHost, kNoPort, kBadPort };
    Kind kind = Kind::kOther;
    QString deviceName; // the port as chosen, such as "COM1"
    QString path;       // the device that was tried
    QString systemText; // the system's text for the error
    long holderPid = 0; // kInUse: the process holding the device, 0 when unknown
    QString holderName;
    AddressProblem addressProblem = AddressProblem::kNone;

    bool operator==(const PortFailure&) const = default;
};

// What is wrong with a network name, in the current language ("no port after the host").
QString AddressProblemText(PortFailure::AddressProblem problem);
// "/dev/ttyUSB0: not present: is the adapter plugged in?" and the like, from the language table.
QString PortFailureText(const PortFailure& failure);
// The same with the port's name before it when the text names another device ("COM1:
// /dev/ttyS0: ..."), not twice ("COM1: COM1: ...", "COM3: \\.\COM3: ...").
QString PortFailureLine(const PortFailure& failure);
// A port's name as the status bar and the log show it: a COM name in capitals ("COM1"), a
// network address ("rfc2217://host:4001") as typed.
QString PortNameShown(const QString& deviceName);

} // namespace zorva
